// Saves what the screen (or one window's rectangle of it) shows, as .png
// (through GDI+) or .bmp.
#pragma once

#include <windows.h>

#include <string>

namespace kfhost {

// window null: the whole screen. False with a reason in error on failure.
bool SaveScreenshot(const std::wstring& file, HWND window, std::string& error);

}  // namespace kfhost
