// The platform's HTML Help control, found through its COM registration and
// loaded by path while the library loads.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

using HtmlHelpAFn = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);
using HtmlHelpWFn = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

extern HMODULE HelpControlModule;
extern HtmlHelpAFn HtmlHelpA;
extern HtmlHelpWFn HtmlHelpW;
// The entry the plug-in calls; empty while the control is not loaded.
extern HtmlHelpAFn HtmlHelp;

// Full path of the registered control, or "" when none is registered or its
// file is missing.
std::string LocateHelpControl();
void LoadHelpControl();
void UnloadHelpControl();

}  // namespace kf
