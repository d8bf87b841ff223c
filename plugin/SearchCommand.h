// The commands behind the engine items: the host's selection, through the
// clipboard, into each engine's query address, opened by the shell.
#pragma once

#include <windows.h>

#include <string>

#include "SearchAddress.h"

namespace kf {

// Registered with the host for every engine item and every favourite.
// param's low 16 bits are the command id of the item picked.
void WINAPI SearchCommand(HWND window, LPARAM param);

// Registered for every "Search All (N)" item: searches with each engine the
// folder's submenu listed, in menu order, with one capture of the selection.
void WINAPI SearchAllCommand(HWND window, LPARAM param);

// Makes window copy its selection and returns it, leaving the user's
// clipboard as it was. Failures are shown in the error box; the selection is
// then empty when nothing could be read.
SelectionText CaptureSelection(HWND window);

// Searches the selection with the engine file iniPath: reads its
// definition, builds the address and hands it to the shell. Returns "" when
// the address was opened or there is nothing to search, and otherwise why
// not, as the user reads it. waitForHandOff: let the program the shell
// started pass the address on before returning, so that the next one opens
// after it.
std::string SearchWithEngine(const std::string& iniPath, const SelectionText& selection, bool waitForHandOff);

}  // namespace kf
