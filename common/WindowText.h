// Reading a window's text.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

// The window's text in the ANSI code page; "" for none.
std::string WindowText(HWND hwnd);

}  // namespace kf
