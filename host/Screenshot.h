// Saves what the screen (or one window's rectangle of it) shows, as .png
// (through GDI+) or .bmp.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kfhost {

// window null: the whole screen. False with a reason in error on failure.
bool SaveScreenshot(const std::wstring& file, HWND window, std::string& error);
// That rectangle of the screen, clipped to the screen, with these windows
// drawn over it from their own contents, in order (the last on top). Wine
// without a window manager does not always stack its X windows the way the
// windows are stacked, so a popup menu can be on screen and yet hidden in X
// under the window that opened it; drawing the menus from their own contents
// shows them as the system stacks them.
bool SaveScreenshotOfRect(const std::wstring& file, const RECT& rect, const std::vector<HWND>& onTop,
                          std::string& error);

}  // namespace kfhost
