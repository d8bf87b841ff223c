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
// The first address opens at once, the others follow on the host's timer.
void WINAPI SearchAllCommand(HWND window, LPARAM param);

// Searches text with an engine given by its definition (not read from a
// file), as a menu pick of such an engine does: cleanup, encoding, address
// rules, post page; failures shown in owner's error box. Returns true when
// something was opened.
bool SearchWithDefinition(HWND owner, const EngineDefinition& engine, const SelectionText& text);

// Searches text with the engine file at iniPath as a pick of its menu item
// does: its definition read as every reader of the store reads it, the
// search made as SearchWithDefinition makes it, and the engine put at the
// top of the menu's recent list when something was opened. An engine file
// deleted since the menu was built is passed over silently. Returns true
// when something was opened.
bool SearchWithEngineFile(HWND owner, const std::string& iniPath, const SelectionText& text);

// Makes window (the host's) copy its selection and returns it, leaving the
// user's clipboard as it was. Failures are shown in the error box; the
// selection is then empty when nothing could be read, as it is when nothing
// is selected.
SelectionText CaptureSelection(HWND window);

// The selection of the last search that opened something in this session,
// or {"Kestrelfind", u"Kestrelfind"} when there was none.
SelectionText LastSearchedText();

}  // namespace kf
