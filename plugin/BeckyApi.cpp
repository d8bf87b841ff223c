#include "BeckyApi.h"

#include <cstring>
#include <iterator>

#include "AsciiText.h"

namespace kf {

namespace {

struct EntryPoint {
  const char* name;
  BeckyApi::HostProc BeckyApi::*field;
};

#define KF_ENTRY(name) {#name, &BeckyApi::name}
// Every entry point except BKA_SetStatus, which older hosts lack.
const EntryPoint kRequired[] = {
    KF_ENTRY(BKA_GetVersion),           KF_ENTRY(BKA_Command),
    KF_ENTRY(BKA_GetWindowHandles),     KF_ENTRY(BKA_RegisterCommand),
    KF_ENTRY(BKA_RegisterUICallback),   KF_ENTRY(BKA_GetDataFolder),
    KF_ENTRY(BKA_GetTempFolder),        KF_ENTRY(BKA_GetTempFileName),
    KF_ENTRY(BKA_GetCurrentMailBox),    KF_ENTRY(BKA_SetCurrentMailBox),
    KF_ENTRY(BKA_GetCurrentFolder),     KF_ENTRY(BKA_SetCurrentFolder),
    KF_ENTRY(BKA_GetFolderDisplayName), KF_ENTRY(BKA_SetMessageText),
    KF_ENTRY(BKA_GetCurrentMail),       KF_ENTRY(BKA_SetCurrentMail),
    KF_ENTRY(BKA_GetNextMail),          KF_ENTRY(BKA_SetSel),
    KF_ENTRY(BKA_AppendMessage),        KF_ENTRY(BKA_MoveSelectedMessages),
    KF_ENTRY(BKA_GetStatus),            KF_ENTRY(BKA_ComposeMail),
    KF_ENTRY(BKA_GetCharSet),           KF_ENTRY(BKA_GetSource),
    KF_ENTRY(BKA_SetSource),            KF_ENTRY(BKA_GetHeader),
    KF_ENTRY(BKA_GetText),              KF_ENTRY(BKA_SetText),
    KF_ENTRY(BKA_GetSpecifiedHeader),   KF_ENTRY(BKA_SetSpecifiedHeader),
    KF_ENTRY(BKA_CompGetCharSet),       KF_ENTRY(BKA_CompGetSource),
    KF_ENTRY(BKA_CompSetSource),        KF_ENTRY(BKA_CompGetHeader),
    KF_ENTRY(BKA_CompGetSpecifiedHeader), KF_ENTRY(BKA_CompSetSpecifiedHeader),
    KF_ENTRY(BKA_CompGetText),          KF_ENTRY(BKA_CompSetText),
    KF_ENTRY(BKA_CompAttachFile),       KF_ENTRY(BKA_Alloc),
    KF_ENTRY(BKA_ReAlloc),              KF_ENTRY(BKA_Free),
    KF_ENTRY(BKA_ISO_2022_JP),          KF_ENTRY(BKA_ISO_2022_KR),
    KF_ENTRY(BKA_HZ_GB2312),            KF_ENTRY(BKA_ISO_8859_2),
    KF_ENTRY(BKA_EUC_JP),               KF_ENTRY(BKA_UTF_7),
    KF_ENTRY(BKA_UTF_8),                KF_ENTRY(BKA_B64Convert),
    KF_ENTRY(BKA_QPConvert),            KF_ENTRY(BKA_MIMEHeader),
    KF_ENTRY(BKA_SerializeRcpts),       KF_ENTRY(BKA_Connect),
};
#undef KF_ENTRY
static_assert(std::size(kRequired) == 54, "54 entry points are required, BKA_SetStatus is the 55th");

// The first host version that must export BKA_SetStatus.
const char kSetStatusVersion[] = "2.00.06";

}  // namespace

int CompareVersionText(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const unsigned char ca = static_cast<unsigned char>(ToUpperAscii(*a));
    const unsigned char cb = static_cast<unsigned char>(ToUpperAscii(*b));
    if (ca != cb)
      return ca < cb ? -1 : 1;
    if (ca == 0)
      return 0;
  }
}

bool HostNeedsSetStatus(const char* version) {
  // Only short version texts below 2.00.06 come from hosts without it; a text
  // of eight or more characters counts as new, whatever it says.
  return std::strlen(version) > 7 || CompareVersionText(version, kSetStatusVersion) >= 0;
}

bool BeckyApi::BindEntryPoints() {
  if (HostModule)
    return true;

  // The host is the process's executable, not the module that loaded us.
  HostModule = GetModuleHandleA(nullptr);
  if (reinterpret_cast<UINT_PTR>(HostModule) < 32) {
    HostModule = nullptr;
    return false;
  }

  for (const EntryPoint& entry : kRequired) {
    this->*entry.field = GetProcAddress(HostModule, entry.name);
    if (!(this->*entry.field)) {
      HostModule = nullptr;
      return false;
    }
  }
  // Whether the host must have it depends on its version, which is asked
  // only once the host calls in (IsUsable).
  BKA_SetStatus = GetProcAddress(HostModule, "BKA_SetStatus");
  usability_ = Usability::NotAsked;
  return true;
}

bool BeckyApi::IsUsable() {
  if (!HostModule)
    return false;
  if (usability_ == Usability::NotAsked)
    usability_ = HostNeedsSetStatus(GetVersion()) && !BKA_SetStatus ? Usability::Refused : Usability::Usable;
  return usability_ == Usability::Usable;
}

const char* BeckyApi::GetVersion() const {
  using Fn = LPCSTR(WINAPI*)();
  const char* version = BKA_GetVersion ? reinterpret_cast<Fn>(BKA_GetVersion)() : nullptr;
  return version ? version : "";
}

UINT BeckyApi::RegisterCommand(const char* text, int menuType, CommandCallback callback) const {
  using Fn = UINT(WINAPI*)(LPCSTR, int, CommandCallback);
  return reinterpret_cast<Fn>(BKA_RegisterCommand)(text, menuType, callback);
}

}  // namespace kf
