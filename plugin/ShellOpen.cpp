#include "ShellOpen.h"

#include <shellapi.h>

#include "Error.h"
#include "Path.h"
#include "Registry.h"
#include "TextIds.h"
#include "UiText.h"
#include "WideText.h"

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

std::string OpenWithShell(const std::string& address, KernelHandle* launched) {
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

// The program of the user's default browser for https addresses: the one
// the user chose (newer Windows 11 records it as UserChoiceLatest), or else
// the machine's handler; "" when none is recorded.
std::wstring DefaultBrowserProgram() {
  static const char* const kChoices[] = {
      "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoiceLatest",
      "Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoice",
  };
  std::string command;
  for (const char* choice : kChoices) {
    const std::string progId = ReadRegistryString(HKEY_CURRENT_USER, choice, "ProgId", false);
    if (!progId.empty())
      command = ReadRegistryString(HKEY_CLASSES_ROOT, (progId + "\\shell\\open\\command").c_str(), nullptr, true);
    if (!command.empty())
      break;
  }
  if (command.empty())
    command = ReadRegistryString(HKEY_CLASSES_ROOT, "https\\shell\\open\\command", nullptr, true);
  return ProgramOfCommand(AnsiToWide(command));
}

// The folder a program is started in: its own, so that it never holds one of
// the host's (a process's current folder cannot be moved or removed).
std::wstring StartFolderOf(const std::wstring& program) {
  const std::size_t slash = program.find_last_of(L"\\/");
  if (slash == std::wstring::npos)
    return std::wstring();
  const std::wstring folder = program.substr(0, slash + 1);
  const DWORD attr = GetFileAttributesW(folder.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) ? folder : std::wstring();
}

std::string OpenWithBrowser(const std::string& address, const BrowserChoice& browser, KernelHandle* launched) {
  const std::wstring program = browser.program.empty() ? DefaultBrowserProgram() : browser.program;
  if (program.empty())
    return UiText(IDS_NO_DEFAULT_BROWSER);
  if (!IsFullProgramPath(program))
    return UiText(IDS_BROWSER_NOT_FULL_PATH, {WideToAnsi(program)});
  const wchar_t* privateSwitch = nullptr;
  // Never a normal window in place of the private one asked for.
  if (browser.privateWindow && !(privateSwitch = PrivateWindowSwitch(program)))
    return UiText(IDS_BROWSER_NO_PRIVATE_SWITCH, {WideToAnsi(program)});
  std::wstring commandLine = BrowserCommandLine(program, privateSwitch, AnsiToWide(address));
  const std::wstring folder = StartFolderOf(program);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  // The host's error mode is the host's own, not the browser's.
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
    const DWORD error = GetLastError();
    return UiText(IDS_BROWSER_NOT_STARTED, {WideToAnsi(program), ShownAddress(address), SystemMessage(error)});
  }
  const KernelHandle thread(process.hThread);
  KernelHandle started(process.hProcess);
  if (launched)
    *launched = std::move(started);
  return std::string();
}

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

std::string OpenAddress(const std::string& address, const BrowserChoice& browser, KernelHandle* launched) {
  return browser.UsesShell() ? OpenWithShell(address, launched) : OpenWithBrowser(address, browser, launched);
}

}  // namespace kf
