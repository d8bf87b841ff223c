// Where the settings dialog was when it was closed: its rectangle and the
// tree's width, kept in the plug-in's INI file (section "General", keys
// "left", "top", "width", "height", "FolderWidth").
#pragma once

#include <windows.h>

#include <string>

namespace kf {

struct FormPlacement {
  RECT rect;
  int treeWidth;
};

// The placement iniPath keeps, fallback's values where a key is missing or
// not a number, the size at least minimum, and moved onto a monitor
// (OntoAMonitor).
FormPlacement ReadFormPlacement(const std::string& iniPath, const FormPlacement& fallback, SIZE minimum);

// Throws kf::Error naming the file when it cannot be written.
void WriteFormPlacement(const std::string& iniPath, const FormPlacement& placement);

// rect as it is when it meets the work area of a monitor; otherwise moved
// onto the nearest monitor's work area, its size kept where it fits. A
// position saved on a monitor that has gone, or edited by hand, must not
// open the dialog where nobody can see it.
RECT OntoAMonitor(const RECT& rect);

}  // namespace kf
