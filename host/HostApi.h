// The host side of the plug-in API: the state behind the exported BKA_*
// functions. In-process tests use these calls to choose the version the host
// reports, to watch what the plug-in asks of it and to run its commands.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kfhost {

// A command callback as the plug-in registers it.
using CommandCallback = void(WINAPI*)(HWND window, LPARAM param);

struct Registration {
  UINT id;
  std::string text;  // ANSI, as the plug-in passed it
  int type;          // the menu type code it was registered for
  CommandCallback callback;
};

// Version string answered by BKA_GetVersion ("2.81.05" until changed).
void SetHostVersion(const std::string& version);
const std::string& HostVersion();

// Calls of BKA_GetVersion since start (or the last reset).
int VersionCallCount();
// Calls of any BKA_* function other than BKA_GetVersion and BKA_RegisterCommand.
int OtherApiCallCount();
void ResetApiCallCounts();

// Every registration of the run, oldest first.
const std::vector<Registration>& Registrations();
// Forgets them (ids still never repeat): a long benchmark run would
// otherwise time the host's growing table along with the plug-in.
void ClearRegistrations();
// The registration with exactly this id, or null.
const Registration* FindRegistration(UINT id);
// The latest registration whose id has these low 16 bits, or null: a menu
// pick only reports 16 bits of the id.
const Registration* FindRegistrationByLowWord(WORD id);

// Ids run upwards from 40000, never repeat within a run and skip every id
// whose low 16 bits are 0, the copy command or one of the host's own
// commands. Tests may move the counter (to 5, say, or to 0x10005 for an id
// wider than 16 bits); the next registration gets the first usable id from
// there.
void SetNextCommandId(UINT id);

// Menu command ids from here to 0xFFFF belong to the host itself.
constexpr UINT kFirstHostCommandId = 0xFF00;
// The message the plug-in sends to make the host copy its selection.
constexpr UINT kCopySelectionCommand = 57634;  // 0xE122

}  // namespace kfhost
