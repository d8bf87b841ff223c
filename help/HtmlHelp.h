// The platform's HTML Help control, found through its COM registration and
// loaded by path on its first use. Loading it from DllMain would load a
// library under the loader lock, a known cause of deadlocks.
#pragma once

#include <windows.h>

#include <string>

#include "Handles.h"

namespace kf {

// The control's export HtmlHelpA.
using HtmlHelpAnsiFn = HWND(WINAPI*)(HWND caller, LPCSTR file, UINT command, DWORD_PTR data);

// The loaded control and its entry; empty while it is not loaded.
extern Library& gHelpControl;
extern HtmlHelpAnsiFn gHtmlHelpAnsi;

// Full path of the registered control, or "" when none is registered or its
// file is missing.
std::string LocateHelpControl();
void LoadHelpControl();
// The help windows belong to the settings dialog, which is destroyed before
// this runs at unload, so none is left to run code that is gone.
void UnloadHelpControl();

// The control's HtmlHelpA, loading the control at the first call only: a
// failed load is not tried again. Null when the control is not available.
HtmlHelpAnsiFn BoundHtmlHelp();

}  // namespace kf
