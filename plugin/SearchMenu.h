// The "Search engines" popup that the plug-in adds to the host's context
// menus, with the favourites after it. It is built afresh from the engine
// store for every menu; what its command ids mean goes into gMenuCommands
// (MenuCommands.h) for the commands to read.
#pragma once

#include <windows.h>

namespace kf {

// Builds the popup afresh for the menu types 3, 4, 11 and 12 and appends it
// to the host's menu, followed by the first favourites by name; other types
// get nothing.
void AttachSearchMenu(HMENU hostMenu, int menuType);

// Writes the menu's memory of the store into its index beside the library
// (Kestrelfind.idx), for the first menu of the next load; the host is about
// to unload the library.
void KeepMenuMemory() noexcept;

}  // namespace kf
