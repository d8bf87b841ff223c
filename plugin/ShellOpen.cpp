#include "ShellOpen.h"

#include <shellapi.h>

#include "Error.h"
#include "Path.h"
#include "Registry.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

namespace {

// How much of an address an error box repeats.
constexpr std::size_t kShownAddressBytes = 200;

bool RunsOnWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Size of the command the shell runs for the scheme of url, its terminating
// NUL included as the registry keeps it, or a generous guess when it cannot
// be read.
std::size_t HandlerCommandLength(const std::string& url) {
  constexpr std::size_t kUnknown = 300;
  const std::size_t colon = url.find(':');
  if (colon == std::string::npos)
    return kUnknown;
  const std::string command =
      ReadRegistryString(HKEY_CLASSES_ROOT, (url.substr(0, colon) + "\\shell\\open\\command").c_str(), nullptr, false);
  return command.empty() ? kUnknown : command.size() + 1;
}

// Wine's shell expands the handler's command line into a fixed buffer of
// 1024 characters and overruns it for a longer one, which takes the host
// down. Windows has no such limit.
bool ShellCanTake(const std::string& url) {
  constexpr std::size_t kWineCommandBuffer = 1024;
  constexpr std::size_t kMargin = 32;
  if (!RunsOnWine())
    return true;
  return url.size() + HandlerCommandLength(url) + kMargin <= kWineCommandBuffer;
}

// The system error behind a result of ShellExecute of 32 or less (its old
// SE_ERR_ codes, most of which are the system's own).
DWORD ShellErrorCode(INT_PTR result) {
  switch (result) {
    case 0:
    case SE_ERR_OOM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE:
      return ERROR_NO_ASSOCIATION;
    case SE_ERR_SHARE:
      return ERROR_SHARING_VIOLATION;
    case SE_ERR_DLLNOTFOUND:
      return ERROR_DLL_NOT_FOUND;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY:
      return ERROR_DDE_FAIL;
    default:
      return static_cast<DWORD>(result);
  }
}

// address cut short for a message box.
std::string ShownAddress(const std::string& address) {
  return AbbreviateForMessage(address, kShownAddressBytes, IsAnsiLeadByte);
}

// The scheme of a template, for the message that refuses it.
std::string SchemeOf(const std::string& tmpl) { return tmpl.substr(0, tmpl.find(':')); }

}  // namespace

std::string RefusalText(AddressRefusal refusal, const std::string& address) {
  switch (refusal) {
    case AddressRefusal::None:
    case AddressRefusal::Empty:
      return std::string();
    case AddressRefusal::NotWebAddress:
      return UiText(IDS_ADDRESS_NOT_WEB, {ShownAddress(address)});
    case AddressRefusal::BareAddressHost:
      return UiText(IDS_ADDRESS_HOST_NOT_PLAIN, {ShownAddress(address)});
    case AddressRefusal::BareAddressPercent:
      return UiText(IDS_ADDRESS_BAD_PERCENT, {ShownAddress(address)});
    case AddressRefusal::PathSchemeWithWord:
      return UiText(IDS_TEMPLATE_PATH_SCHEME, {ShownAddress(SchemeOf(address))});
    case AddressRefusal::TooLong:
      return UiText(IDS_ADDRESS_TOO_LONG, {std::to_string(address.size())});
    case AddressRefusal::TooLongForShell:
      return UiText(IDS_ADDRESS_TOO_LONG_FOR_SHELL, {std::to_string(address.size())});
    case AddressRefusal::PostActionNotWeb:
      return UiText(IDS_POST_ACTION_NOT_WEB, {ShownAddress(address)});
    case AddressRefusal::PostActionWithWord:
      return UiText(IDS_POST_ACTION_WITH_WORD, {ShownAddress(address)});
    case AddressRefusal::PostWithoutWord:
      return UiText(IDS_POST_WITHOUT_WORD);
  }
  return std::string();
}

std::string OpenAddress(const std::string& address, KernelHandle* launched) {
  if (!ShellCanTake(address))
    return RefusalText(AddressRefusal::TooLongForShell, address);
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  // The shell's own boxes would say less than ours, and in its words.
  info.fMask = SEE_MASK_FLAG_NO_UI | (launched ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.lpVerb = "open";
  info.lpFile = address.c_str();
  info.nShow = SW_SHOW;
  const BOOL started = ShellExecuteExA(&info);
  KernelHandle process(info.hProcess);
  const auto result = reinterpret_cast<INT_PTR>(info.hInstApp);
  if (!started || result <= 32) {
    const DWORD error = GetLastError();
    return UiText(IDS_SHELL_FAILED,
                  {ShownAddress(address), SystemMessage(result <= 32 && result != 0 ? ShellErrorCode(result) : error)});
  }
  if (launched)
    *launched = std::move(process);
  return std::string();
}

}  // namespace kf
