// Process-wide state of the loaded plug-in, set up at load and read by the
// menus, the search command and the setup entry. The host calls everything on
// its user-interface thread, one call at a time, so nothing here is locked.
#pragma once

#include <windows.h>

#include <string>

#include "BeckyAPI.h"
#include "Module.h"

namespace kf {

struct TPluginInfo {
  std::string name;
  std::string vendor;
  std::string version;
  std::string description;
};

// The library's own module handle: resources and window classes use it, never
// GetModuleHandle(NULL), which is the host.
extern HINSTANCE PluginInstance;
// The host binding; null before load and after unload.
extern TBeckyAPI* BeckyAPI;
// The library's path with the extension ".ini".
extern std::string PluginIniPath;
// The library's folder followed by "Kestrelfind\".
extern std::string EngineDir;
// Hidden engines and folders are listed too; flipped by "Show All".
extern bool ShowAll;
extern TPluginInfo PluginInfo;

// The parts of start-up, exposed for the entry points: InitPlugin at load,
// LoadPluginInfo at the host's first call, ExitPlugin at unload.
bool InitPlugin(HINSTANCE instance);
void LoadPluginInfo(HINSTANCE instance);
void ExitPlugin();

}  // namespace kf
