#include "SearchCommand.h"

#include <vector>

#include "Clipboard.h"
#include "EngineStore.h"
#include "ErrorBox.h"
#include "FileSystem.h"
#include "MenuCommands.h"
#include "Path.h"
#include "PluginState.h"
#include "Profile.h"
#include "RecentEngines.h"
#include "SearchAddress.h"
#include "SearchQueue.h"
#include "ShellOpen.h"
#include "TextIds.h"
#include "UiText.h"
#include "UrlBuild.h"

namespace kf {

namespace {

// WM_COMMAND id that makes a host window copy its selection to the clipboard.
constexpr WPARAM kCopySelectionCommand = 57634;  // 0xE122

// More engines than this in one "Search All" are opened only when the user
// says so.
constexpr std::size_t kSearchAllWithoutAsking = 8;

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
// none), its encoding and whether the selection is cleaned. One read of the
// file, each key's first line counting as for every reader of the store.
EngineDefinition ReadEngineDefinition(const std::string& iniPath) {
  const ProfileSection section(iniPath, kGeneralSection);
  EngineDefinition engine;
  engine.urlTemplate = std::string(section.Value(kUrlKey, kDefaultSearchUrl));
  engine.encoding = EncodingOfValue(std::string(section.Value(kEncodeKey)));
  engine.clean = section.Value(kCleanKey) != "0";
  return engine;
}

// Makes window copy its selection and returns it, leaving the user's
// clipboard as it was. Failures are shown in the error box; the selection is
// then empty when nothing could be read.
SelectionText CaptureSelection(HWND window) {
  HWND owner = nullptr;
  ClipboardSnapshot saved;
  DWORD before = 0;
  try {
    owner = ClipboardOwnerWindow();
    const ClipboardSession clipboard(owner);
    saved.Save(clipboard);
    before = GetClipboardSequenceNumber();
  } catch (...) {
    ShowCurrentException(window);
    // Whatever could not be saved must not be overwritten by the host's copy.
    return SelectionText();
  }

  SendMessageA(window, WM_COMMAND, kCopySelectionCommand, 0);
  // A host with nothing selected copies nothing: the clipboard still holds
  // what the user put there, which is neither the selection nor changed.
  if (GetClipboardSequenceNumber() == before)
    return SelectionText();

  SelectionText word;
  try {
    ClipboardSession clipboard(owner);
    word.ansi = clipboard.ReadText();
    const std::wstring unicode = clipboard.ReadUnicodeText();
    word.unicode.assign(unicode.begin(), unicode.end());
    saved.Restore(clipboard);
  } catch (...) {
    ShowCurrentException(window);
  }
  return word;
}

// A search with one engine up to the shell: the address to open, or why
// there is none (both empty: nothing to search).
struct PreparedSearch {
  std::string address;
  std::string failure;
};

PreparedSearch PrepareSearch(const std::string& iniPath, const SelectionText& selection) {
  try {
    SearchAddress search =
        BuildSearchAddress(selection, ReadEngineDefinition(iniPath), IsAnsiLeadByte, CodePageMarks());
    if (search.refusal == AddressRefusal::None)
      return {std::move(search.address), std::string()};
    return {std::string(), RefusalText(search.refusal, search.address)};
  } catch (const std::bad_alloc&) {
    return {std::string(), UiText(IDS_OUT_OF_MEMORY)};
  }
}

void RunSearch(HWND window, LPARAM param) {
  const std::vector<MenuEngine> engines = gMenuCommands.EnginesOf(LOWORD(static_cast<DWORD_PTR>(param)));
  const SelectionText selection = CaptureSelection(window);
  if (selection.ansi.empty() && selection.unicode.empty())
    return;
  for (const MenuEngine& engine : engines) {
    // An engine deleted since the menu was built is passed over silently.
    if (!IsFile(engine.filePath))
      continue;
    const PreparedSearch search = PrepareSearch(engine.filePath, selection);
    const std::string failure = search.address.empty() ? search.failure : OpenAddress(search.address);
    if (!failure.empty()) {
      ShowErrorBox(window, failure);
      continue;
    }
    // A search made: its engine goes to the top of the menu's list.
    const std::string below = PathBelowStore(gEngineDir, engine.filePath);
    if (!below.empty())
      NoteRecentEngine(gPluginIniPath, gEngineDir, below, RecentCount(gPluginIniPath));
  }
}

void RunSearchAll(HWND window, LPARAM param) {
  const std::vector<MenuEngine> engines = gMenuCommands.SearchAllEnginesOf(LOWORD(static_cast<DWORD_PTR>(param)));
  if (engines.empty())
    return;
  if (engines.size() > kSearchAllWithoutAsking &&
      !Confirm(window, UiText(IDS_OPEN_N_SEARCHES, {std::to_string(engines.size())})))
    return;
  const SelectionText selection = CaptureSelection(window);
  if (selection.ansi.empty() && selection.unicode.empty())
    return;
  // Every engine gets its turn; what could not be searched is told once,
  // with what could not be opened, at the end.
  std::vector<QueuedOpen> opens;
  std::string failures;
  for (const MenuEngine& engine : engines) {
    PreparedSearch search = IsFile(engine.filePath)
                                ? PrepareSearch(engine.filePath, selection)
                                : PreparedSearch{std::string(), UiText(IDS_ENGINE_FILE_GONE, {engine.filePath})};
    if (!search.address.empty())
      opens.push_back({engine.caption, std::move(search.address)});
    else if (!search.failure.empty())
      AddFailure(failures, engine.caption, search.failure);
  }
  QueueOpens(window, std::move(opens), std::move(failures));
}

}  // namespace

void WINAPI SearchCommand(HWND window, LPARAM param) {
  try {
    RunSearch(window, param);
  } catch (...) {
    ShowCurrentException(window);
  }
}

void WINAPI SearchAllCommand(HWND window, LPARAM param) {
  try {
    RunSearchAll(window, param);
  } catch (...) {
    ShowCurrentException(window);
  }
}

}  // namespace kf
