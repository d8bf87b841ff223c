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
#include "TextIds.h"
#include "UiText.h"
#include "PluginState.h"
#include "SearchMenu.h"
#include "EucJp.h"
#include "OpenPolicy.h"
#include "UrlBuild.h"
#include "Utf8.h"

namespace kf {

namespace {

// WM_COMMAND id that makes a host window copy its selection to the clipboard.
constexpr WPARAM kCopySelectionCommand = 57634;  // 0xE122

const char kDefaultEncoding[] = "sjis";
const char kEucEncoding[] = "euc";
const char kUtf8Encoding[] = "utf8";

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

void OpenInShell(const std::string& tmpl, const std::string& url) {
  // The address is made from mail text; only the engine's own template, or a
  // plain web address, may decide what the shell starts.
  if (!MayOpenAddress(tmpl, url, IsAnsiLeadByte))
    throw Error(UiText(IDS_ADDRESS_NOT_WEB, {Shown(url)}));
  if (!ShellCanTake(url))
    throw Error(UiText(IDS_ADDRESS_TOO_LONG_FOR_SHELL, {std::to_string(url.size())}));
  const auto result =
      reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW));
  if (result <= 32)
    throw Error(UiText(IDS_SHELL_FAILED, {Shown(url), SystemMessage(ShellErrorCode(result))}));
}

void RunSearch(HWND window, LPARAM param) {
  const Selection selection = CaptureSelection(window);
  if (selection.Empty())
    return;

  // A menu item carries only the low 16 bits of the id the host gave, so
  // those are what is compared: a host that counts its ids past 65535 still
  // reaches its engines. The paths are copied first: the error boxes below
  // run a message loop in which the host may rebuild the menu and with it
  // gMenuEngines.
  const WORD id = LOWORD(static_cast<DWORD_PTR>(param));
  std::vector<std::string> engines;
  for (const MenuEngine& entry : gMenuEngines) {
    if (LOWORD(entry.commandId) == id)
      engines.push_back(entry.filePath);
  }
  const HWND owner = ErrorOwner(window);
  for (const std::string& iniPath : engines) {
    // An engine deleted since the menu was built is passed over silently.
    if (IsFile(iniPath))
      SearchWithEngine(owner, iniPath, selection);
  }
}

}  // namespace

std::string ReplaceWord(const std::string& tmpl, const std::string& word) {
  return ReplaceWord(tmpl, word, IsAnsiLeadByte);
}

Selection CaptureSelection(HWND window) {
  const HWND owner = ErrorOwner(window);
  ClipboardSnapshot saved;
  try {
    ClipboardSession clipboard(ThisModule());
    saved.Save(clipboard);
    clipboard.Empty();
  } catch (...) {
    ShowCurrentException(owner);
    // Whatever could not be saved must not be overwritten by the host's copy.
    return Selection();
  }

  SendMessageA(window, WM_COMMAND, kCopySelectionCommand, 0);

  Selection word;
  try {
    ClipboardSession clipboard(ThisModule());
    word.Ansi = clipboard.ReadText();
    word.Unicode = clipboard.ReadUnicodeText();
    saved.Restore(clipboard);
  } catch (...) {
    ShowCurrentException(owner);
  }
  return word;
}

void SearchWithEngine(HWND owner, const std::string& iniPath, const Selection& selection) {
  std::string tmpl;
  std::string engineWord = selection.Ansi;
  bool utf8 = false;
  try {
    tmpl = ReadEngineValue(iniPath, kUrlKey, kDefaultSearchUrl);
    // Only the exact lower-case values select EUC-JP or UTF-8; anything else
    // is Shift-JIS.
    const std::string encoding = ReadEngineValue(iniPath, kEncodeKey, kDefaultEncoding);
    if (encoding == kEucEncoding) {
      engineWord = SjisToEuc(selection.Ansi);
    } else if (encoding == kUtf8Encoding) {
      engineWord = Utf16ToUtf8(std::u16string(selection.Unicode.begin(), selection.Unicode.end()));
      utf8 = true;
    }
  } catch (...) {
    ShowCurrentException(owner);
  }
  if (engineWord.empty())
    return;

  try {
    // An empty template hands the word over unencoded, as an address of its
    // own; in UTF-8 only its non-ASCII bytes are escaped, for the shell's
    // ANSI entry point would read them in the system code page.
    OpenInShell(tmpl, utf8 ? BuildUtf8SearchUrl(tmpl, engineWord, IsAnsiLeadByte)
                           : BuildSearchUrl(tmpl, engineWord, IsAnsiLeadByte));
  } catch (...) {
    ShowCurrentException(owner);
  }
}

void WINAPI SearchCommand(HWND window, LPARAM param) {
  try {
    RunSearch(window, param);
  } catch (...) {
    ShowCurrentException(ErrorOwner(window));
  }
}

}  // namespace kf
