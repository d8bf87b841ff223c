// The commands behind the engine items: the host's selection, through the
// clipboard, into each engine's query address, opened by the shell.
#pragma once

#include <windows.h>

namespace kf {

// Registered with the host for every engine item and every favourite.
// param's low 16 bits are the command id of the item picked.
void WINAPI SearchCommand(HWND window, LPARAM param);

// Registered for every "Search All (N)" item: searches with each engine the
// folder's submenu listed, in menu order, with one capture of the selection.
// The first address opens at once, the others follow on the host's timer.
void WINAPI SearchAllCommand(HWND window, LPARAM param);

}  // namespace kf
