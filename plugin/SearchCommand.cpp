#include "SearchCommand.h"

#include <shellapi.h>

#include <vector>

#include "Clipboard.h"
#include "EngineStore.h"
#include "ErrorBox.h"
#include "FileSystem.h"
#include "Handles.h"
#include "Module.h"
#include "Path.h"
#include "PluginState.h"
#include "SearchMenu.h"
#include "TextIds.h"
#include "UiText.h"
#include "UrlBuild.h"

namespace kf {

namespace {

// WM_COMMAND id that makes a host window copy its selection to the clipboard.
constexpr WPARAM kCopySelectionCommand = 57634;  // 0xE122

// How much of a refused address the error box repeats.
constexpr std::size_t kShownAddressBytes = 200;

// Error boxes belong to the host window the command came from, so that the
// user cannot start another command behind them; a dead handle would make
// the box fail, so then it has no owner.
HWND ErrorOwner(HWND window) { return window && IsWindow(window) ? window : nullptr; }

bool RunsOnWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Length of the command the shell runs for the scheme of url, or a generous
// guess when it cannot be read.
std::size_t HandlerCommandLength(const std::string& url) {
  constexpr std::size_t kUnknown = 300;
  const std::size_t colon = url.find(':');
  if (colon == std::string::npos)
    return kUnknown;
  const std::string key = url.substr(0, colon) + "\\shell\\open\\command";
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
    return kUnknown;
  const RegKey command(raw);
  DWORD size = 0;
  if (RegQueryValueExA(command.Get(), nullptr, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return kUnknown;
  return size;
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

std::string Shown(const std::string& address) {
  return AbbreviateForMessage(address, kShownAddressBytes, IsAnsiLeadByte);
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

// More engines than this in one "Search All" are opened only when the user
// says so.
constexpr std::size_t kSearchAllWithoutAsking = 8;
// How long a program the shell started may take to pass its address on (a
// browser hands it to the window it has open, and ends) before the next one
// is opened.
constexpr DWORD kHandOffMs = 1000;
// Between two opens when the shell reports no program to wait for.
constexpr DWORD kOpenGapMs = 100;

// How the process's ANSI code page writes the full-width characters the
// mail text cleaner knows ("" where it has none: 1252, say).
const AnsiMarks& CodePageMarks() {
  static const AnsiMarks marks = [] {
    const auto inCodePage = [](const wchar_t* text) {
      char bytes[8] = {};
      BOOL lost = FALSE;
      const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, 1, bytes, sizeof bytes, nullptr, &lost);
      return n > 0 && !lost ? std::string(bytes, static_cast<std::size_t>(n)) : std::string();
    };
    return AnsiMarks{inCodePage(L"\u3000"), inCodePage(L"\uFF1E"), inCodePage(L"\uFF5C")};
  }();
  return marks;
}

// What the engine file says: its template (the built-in search when it has
// none), its encoding and whether the selection is cleaned.
EngineDefinition ReadEngineDefinition(const std::string& iniPath) {
  EngineDefinition engine;
  engine.urlTemplate = ReadEngineValue(iniPath, kUrlKey, kDefaultSearchUrl);
  engine.encoding = EncodingOfValue(ReadEngineValue(iniPath, kEncodeKey, std::string()));
  engine.clean = ReadEngineValue(iniPath, kCleanKey, std::string()) != "0";
  return engine;
}

// The scheme of a template, for the message that refuses it.
std::string SchemeOf(const std::string& tmpl) { return tmpl.substr(0, tmpl.find(':')); }

std::string RefusalText(AddressRefusal refusal, const std::string& address) {
  switch (refusal) {
    case AddressRefusal::None:
    case AddressRefusal::Empty:
      return std::string();
    case AddressRefusal::NotWebAddress:
      return UiText(IDS_ADDRESS_NOT_WEB, {Shown(address)});
    case AddressRefusal::BareAddressHost:
      return UiText(IDS_ADDRESS_HOST_NOT_PLAIN, {Shown(address)});
    case AddressRefusal::BareAddressPercent:
      return UiText(IDS_ADDRESS_BAD_PERCENT, {Shown(address)});
    case AddressRefusal::PathSchemeWithWord:
      return UiText(IDS_TEMPLATE_PATH_SCHEME, {Shown(SchemeOf(address))});
    case AddressRefusal::TooLong:
      return UiText(IDS_ADDRESS_TOO_LONG, {std::to_string(address.size())});
  }
  return std::string();
}

// Hands address to the shell's "open"; "" or why it failed.
std::string OpenAddress(const std::string& address, bool waitForHandOff) {
  if (!ShellCanTake(address))
    return UiText(IDS_ADDRESS_TOO_LONG_FOR_SHELL, {std::to_string(address.size())});
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof(info);
  // The shell's own boxes would say less than ours, and in its words.
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = address.c_str();
  info.nShow = SW_SHOW;
  const BOOL started = ShellExecuteExA(&info);
  const KernelHandle process(info.hProcess);
  const auto result = reinterpret_cast<INT_PTR>(info.hInstApp);
  if (!started || result <= 32) {
    const DWORD error = GetLastError();
    return UiText(IDS_SHELL_FAILED, {Shown(address), SystemMessage(result <= 32 && result != 0 ? ShellErrorCode(result)
                                                                                                  : error)});
  }
  if (waitForHandOff) {
    if (process)
      WaitForSingleObject(process.Get(), kHandOffMs);
    else
      Sleep(kOpenGapMs);
  }
  return std::string();
}

// The engines a picked item stands for, copied: the message boxes run a
// message loop in which the host may rebuild the menu.
std::vector<MenuEngine> EnginesOf(WORD id) {
  // A menu item carries only the low 16 bits of the id the host gave, so
  // those are what is compared: a host that counts its ids past 65535 still
  // reaches its engines.
  std::vector<MenuEngine> engines;
  for (const MenuEngine& entry : gMenuEngines) {
    if (LOWORD(entry.commandId) == id)
      engines.push_back(entry);
  }
  return engines;
}

std::vector<MenuEngine> SearchAllEnginesOf(WORD id) {
  for (const SearchAllItem& item : gSearchAllItems) {
    if (LOWORD(item.commandId) == id && item.first + item.count <= gMenuEngines.size())
      return std::vector<MenuEngine>(gMenuEngines.begin() + static_cast<std::ptrdiff_t>(item.first),
                                     gMenuEngines.begin() + static_cast<std::ptrdiff_t>(item.first + item.count));
  }
  return {};
}

void RunSearch(HWND window, LPARAM param) {
  const std::vector<MenuEngine> engines = EnginesOf(LOWORD(static_cast<DWORD_PTR>(param)));
  const SelectionText selection = CaptureSelection(window);
  if (selection.ansi.empty() && selection.unicode.empty())
    return;
  const HWND owner = ErrorOwner(window);
  for (const MenuEngine& engine : engines) {
    // An engine deleted since the menu was built is passed over silently.
    if (!IsFile(engine.filePath))
      continue;
    const std::string failure = SearchWithEngine(engine.filePath, selection, false);
    if (!failure.empty())
      ShowErrorBox(owner, failure);
  }
}

void RunSearchAll(HWND window, LPARAM param) {
  const std::vector<MenuEngine> engines = SearchAllEnginesOf(LOWORD(static_cast<DWORD_PTR>(param)));
  if (engines.empty())
    return;
  const HWND owner = ErrorOwner(window);
  if (engines.size() > kSearchAllWithoutAsking &&
      !Confirm(owner, UiText(IDS_OPEN_N_SEARCHES, {std::to_string(engines.size())})))
    return;
  const SelectionText selection = CaptureSelection(window);
  if (selection.ansi.empty() && selection.unicode.empty())
    return;
  // Every engine gets its turn; what could not be opened is told once, at
  // the end.
  std::string failures;
  for (const MenuEngine& engine : engines) {
    const std::string failure = IsFile(engine.filePath)
                                    ? SearchWithEngine(engine.filePath, selection, true)
                                    : UiText(IDS_ENGINE_FILE_GONE, {engine.filePath});
    if (!failure.empty())
      failures += "\r\n\r\n" + engine.caption + ": " + failure;
  }
  if (!failures.empty())
    ShowErrorBox(owner, UiText(IDS_SEARCHES_NOT_OPENED, {failures}));
}

}  // namespace

SelectionText CaptureSelection(HWND window) {
  const HWND owner = ErrorOwner(window);
  ClipboardSnapshot saved;
  try {
    ClipboardSession clipboard(ThisModule());
    saved.Save(clipboard);
    clipboard.Empty();
  } catch (...) {
    ShowCurrentException(owner);
    // Whatever could not be saved must not be overwritten by the host's copy.
    return SelectionText();
  }

  SendMessageA(window, WM_COMMAND, kCopySelectionCommand, 0);

  SelectionText word;
  try {
    ClipboardSession clipboard(ThisModule());
    word.ansi = clipboard.ReadText();
    const std::wstring unicode = clipboard.ReadUnicodeText();
    word.unicode.assign(unicode.begin(), unicode.end());
    saved.Restore(clipboard);
  } catch (...) {
    ShowCurrentException(owner);
  }
  return word;
}

std::string SearchWithEngine(const std::string& iniPath, const SelectionText& selection, bool waitForHandOff) {
  try {
    const SearchAddress search =
        BuildSearchAddress(selection, ReadEngineDefinition(iniPath), IsAnsiLeadByte, CodePageMarks());
    if (search.refusal == AddressRefusal::Empty)
      return std::string();
    if (search.refusal != AddressRefusal::None)
      return RefusalText(search.refusal, search.address);
    return OpenAddress(search.address, waitForHandOff);
  } catch (const std::bad_alloc&) {
    return UiText(IDS_OUT_OF_MEMORY);
  }
}

void WINAPI SearchCommand(HWND window, LPARAM param) {
  try {
    RunSearch(window, param);
  } catch (...) {
    ShowCurrentException(ErrorOwner(window));
  }
}

void WINAPI SearchAllCommand(HWND window, LPARAM param) {
  try {
    RunSearchAll(window, param);
  } catch (...) {
    ShowCurrentException(ErrorOwner(window));
  }
}

}  // namespace kf
