// The host's plug-in API, bound by name from the host executable.
#pragma once

#include <windows.h>

namespace kf {

// Command callbacks registered with the host: (window, value whose low 16 bits
// are the command id).
using CommandCallback = void(WINAPI*)(HWND, LPARAM);

// One field per host entry point, in the host's own order. Only
// BKA_GetVersion and BKA_RegisterCommand are called; the others are looked up
// so that a host lacking any of them is refused (BKA_SetStatus only by hosts
// whose version says they have it).
class BeckyApi {
 public:
  using HostProc = FARPROC;

  BeckyApi() = default;
  ~BeckyApi() = default;
  BeckyApi(const BeckyApi&) = delete;
  BeckyApi& operator=(const BeckyApi&) = delete;

  // Binds every entry point by name; false when the host lacks one it must
  // have. Once bound, further calls return true without looking anything
  // up. Calls nothing of the host: it runs under the loader lock.
  bool BindEntryPoints();

  // Whether the plug-in may use the host: bound, and not a host that must
  // export BKA_SetStatus (by its version) but lacks it. The version is asked
  // once, at the first call, from a callback of the host's.
  bool IsUsable();

  // The host's version text ("2.00.06"); never null.
  const char* GetVersion() const;
  // Registers a command for the menu being built; returns its id.
  UINT RegisterCommand(const char* text, int menuType, CommandCallback callback) const;

  HostProc BKA_GetVersion = nullptr;
  HostProc BKA_Command = nullptr;
  HostProc BKA_GetWindowHandles = nullptr;
  HostProc BKA_RegisterCommand = nullptr;
  HostProc BKA_RegisterUICallback = nullptr;
  HostProc BKA_GetDataFolder = nullptr;
  HostProc BKA_GetTempFolder = nullptr;
  HostProc BKA_GetTempFileName = nullptr;
  HostProc BKA_GetCurrentMailBox = nullptr;
  HostProc BKA_SetCurrentMailBox = nullptr;
  HostProc BKA_GetCurrentFolder = nullptr;
  HostProc BKA_SetCurrentFolder = nullptr;
  HostProc BKA_GetFolderDisplayName = nullptr;
  HostProc BKA_SetMessageText = nullptr;
  HostProc BKA_GetCurrentMail = nullptr;
  HostProc BKA_SetCurrentMail = nullptr;
  HostProc BKA_GetNextMail = nullptr;
  HostProc BKA_SetSel = nullptr;
  HostProc BKA_AppendMessage = nullptr;
  HostProc BKA_MoveSelectedMessages = nullptr;
  HostProc BKA_GetStatus = nullptr;
  HostProc BKA_SetStatus = nullptr;
  HostProc BKA_ComposeMail = nullptr;
  HostProc BKA_GetCharSet = nullptr;
  HostProc BKA_GetSource = nullptr;
  HostProc BKA_SetSource = nullptr;
  HostProc BKA_GetHeader = nullptr;
  HostProc BKA_GetText = nullptr;
  HostProc BKA_SetText = nullptr;
  HostProc BKA_GetSpecifiedHeader = nullptr;
  HostProc BKA_SetSpecifiedHeader = nullptr;
  HostProc BKA_CompGetCharSet = nullptr;
  HostProc BKA_CompGetSource = nullptr;
  HostProc BKA_CompSetSource = nullptr;
  HostProc BKA_CompGetHeader = nullptr;
  HostProc BKA_CompGetSpecifiedHeader = nullptr;
  HostProc BKA_CompSetSpecifiedHeader = nullptr;
  HostProc BKA_CompGetText = nullptr;
  HostProc BKA_CompSetText = nullptr;
  HostProc BKA_CompAttachFile = nullptr;
  HostProc BKA_Alloc = nullptr;
  HostProc BKA_ReAlloc = nullptr;
  HostProc BKA_Free = nullptr;
  HostProc BKA_ISO_2022_JP = nullptr;
  HostProc BKA_ISO_2022_KR = nullptr;
  HostProc BKA_HZ_GB2312 = nullptr;
  HostProc BKA_ISO_8859_2 = nullptr;
  HostProc BKA_EUC_JP = nullptr;
  HostProc BKA_UTF_7 = nullptr;
  HostProc BKA_UTF_8 = nullptr;
  HostProc BKA_B64Convert = nullptr;
  HostProc BKA_QPConvert = nullptr;
  HostProc BKA_MIMEHeader = nullptr;
  HostProc BKA_SerializeRcpts = nullptr;
  HostProc BKA_Connect = nullptr;

  // The host executable; 0 while not bound. Not a counted reference.
  HMODULE HostModule = nullptr;

 private:
  enum class Usability { NotAsked, Usable, Refused };
  Usability usability_ = Usability::NotAsked;
};

// Ordinal comparison that folds only a-z onto A-Z; a prefix is the lesser.
int CompareVersionText(const char* a, const char* b);

// True when a host of this version must export BKA_SetStatus.
bool HostNeedsSetStatus(const char* version);

}  // namespace kf
