// Process-wide state of the loaded plug-in, set up at load and read by the
// menus, the search command and the setup entry. The host calls everything on
// its user-interface thread, one call at a time, so nothing here is locked.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "BeckyApi.h"
#include "SearchAddress.h"

namespace kf {

struct PluginInfoText {
  std::string name;
  std::string vendor;
  std::string version;
  std::string description;
};

// The host binding; null before load and after unload.
extern BeckyApi* gBeckyApi;
// The library's path with the extension ".ini".
extern std::string gPluginIniPath;
// The library's folder followed by "Kestrelfind\".
extern std::string gEngineDir;
// Hidden engines and folders are listed too; flipped by "Show All".
extern bool gShowAll;
extern PluginInfoText gPluginInfo;
// The selection of the last search that opened something; none before it.
extern std::optional<SelectionText> gLastSearchedText;

// The parts of start-up, exposed for the entry points: InitPlugin at load,
// LoadPluginInfo at the host's first call, ExitPlugin at unload.
bool InitPlugin(HINSTANCE instance);
void LoadPluginInfo();
void ExitPlugin();

}  // namespace kf
