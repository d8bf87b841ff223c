// Registering the window classes of the plug-in's own windows.
#pragma once

#include <windows.h>

namespace kf {

// Registers a window class of instance with the button-face background
// (a class already there counts as registered). Throws kf::Error when the
// system refuses.
void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc, LPCSTR cursor, int extraBytes);

}  // namespace kf
