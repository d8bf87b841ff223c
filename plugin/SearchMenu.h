// The "Search engines" popup that the plug-in adds to the host's menus.
#pragma once

#include <windows.h>

namespace kf {

// Builds the popup afresh for the menu types 3, 4, 11 and 12 and appends it
// to the host's menu; other types get nothing.
void AttachSearchMenu(HMENU hostMenu, int menuType);

}  // namespace kf
