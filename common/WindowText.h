// Reading a window's text.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

// The window's text in the ANSI code page; "" for none.
std::string WindowText(HWND hwnd);
// The window's text as UTF-16, whatever the ANSI code page; "" for none.
std::wstring WindowTextWide(HWND hwnd);

}  // namespace kf
