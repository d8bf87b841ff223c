// The bar between the folder tree and the engine list: dragging it reports
// the wanted width of the control docked left of it (WM_KF_SPLITTERMOVED to
// the top-level window), and the form lays itself out again.
#pragma once

#include <windows.h>

#include "SettingLayout.h"
#include "Window.h"

namespace kf {

class Splitter : public Window {
 public:
  // A child of parent with the given id; false when the system refuses.
  bool Create(HWND parent, ControlId id, const RECT& rect, DWORD style);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  int grabbedAt_ = 0;  // where in the bar it was grabbed, so that it does not jump
};

}  // namespace kf
