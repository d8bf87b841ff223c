// The settings dialog's containers: a plain panel, a panel with a lowered
// bevel, and a group box with an etched frame and a caption. They pass
// their children's notifications on to the form and draw the images of
// the control table that lie in them.
#pragma once

#include <windows.h>

#include "SettingLayout.h"
#include "Window.h"

namespace kf {

class Panel : public Window {
 public:
  explicit Panel(ControlKind kind) : kind_(kind) {}

  // A child of parent with the given id; false when the system refuses.
  bool Create(HWND parent, ControlId id, const RECT& rect, DWORD style);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Paint();
  void PaintGroupFrame(HDC dc, const RECT& client) const;
  void PaintImages(HDC dc) const;

  ControlKind kind_;
  HFONT font_ = nullptr;  // the form's; it outlives the panel
  HICON icon_ = nullptr;  // likewise
};

}  // namespace kf
