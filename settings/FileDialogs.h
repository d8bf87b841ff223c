// The standard Open dialog, as the settings dialog's windows use it.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

// The filter of an Open or Save dialog from the string textId, written with
// '|' between its parts ("Programs (*.exe)|*.exe|All files (*.*)|*.*").
std::string FileDialogFilter(UINT textId);

// Lets the user choose a program (*.exe) in the Open dialog, starting where
// path points; true with path set to the choice, false when cancelled.
bool ChooseProgram(HWND owner, std::string& path);

}  // namespace kf
