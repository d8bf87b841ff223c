// The Options window: the settings for every engine (a private window, a
// browser), modal over the settings dialog.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

constexpr char kOptionsWindowClass[] = "KestrelfindOptions";

// Why path cannot name a browser's program, as the user reads it; "" when it
// can, or names none (empty). A program is named by its full path, which may
// begin with an environment variable (%LOCALAPPDATA%\...): a bare name would
// be looked for in the host's folders among others.
std::string BrowserPathProblem(const std::string& path);

// Shows the window over owner, which is disabled meanwhile, until OK or
// Cancel; true when OK wrote the settings into the plug-in's INI file.
// Throws kf::Error when the window cannot be made.
bool ShowOptionsWindow(HWND owner, const std::string& iniPath);

}  // namespace kf
