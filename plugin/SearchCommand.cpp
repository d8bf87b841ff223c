#include "SearchCommand.h"

#include <vector>

#include "AsciiText.h"
#include "BrowserSettings.h"
#include "Clipboard.h"
#include "EngineStore.h"
#include "Error.h"
#include "ErrorBox.h"
#include "FileSystem.h"
#include "FormPage.h"
#include "MenuCommands.h"
#include "Path.h"
#include "PluginState.h"
#include "PostPage.h"
#include "Profile.h"
#include "RecentEngines.h"
#include "SearchAddress.h"
#include "SearchQueue.h"
#include "ShellOpen.h"
#include "TextIds.h"
#include "UiText.h"
#include "UrlBuild.h"
#include "WideText.h"

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
// none), its encoding, whether the selection is cleaned, whether it posts a
// form and where it opens. One read of the file, each key's first line
// counting as for every reader of the store.
EngineDefinition ReadEngineDefinition(const std::string& iniPath) {
  const ProfileSection section(iniPath, kGeneralSection);
  EngineDefinition engine;
  engine.urlTemplate = std::string(section.Value(kUrlKey, kDefaultSearchUrl));
  engine.encoding = EncodingOfValue(std::string(section.Value(kEncodeKey)));
  engine.clean = section.Value(kCleanKey) != "0";
  engine.post = EqualsIgnoringAsciiCase(section.Value(kMethodKey), kPostMethod);
  engine.postTemplate = std::string(section.Value(kPostKey));
  engine.browser =
      ReadBrowserChoice(section.Value(kPrivateKey), std::string(section.Value(kBrowserKey)), gPluginIniPath);
  return engine;
}

std::u16string AnsiToUtf16(const std::string& text) {
  const std::wstring wide = AnsiToWide(text);
  return std::u16string(wide.begin(), wide.end());
}

std::u16string PageText(UINT id) {
  const std::wstring text = UiTextWide(id);
  return std::u16string(text.begin(), text.end());
}

// The page that sends engine's form for selection, written to a file of its
// own; "" with failure set when it is not to be opened. Throws kf::Error when
// the file cannot be written.
std::string PreparePostPage(const EngineDefinition& engine, const SelectionText& selection, std::string& failure) {
  const PostForm form = BuildPostForm(selection, engine, IsAnsiLeadByte, CodePageMarks(), AnsiToUtf16);
  if (form.refusal != AddressRefusal::None) {
    failure = RefusalText(form.refusal, form.action);
    return std::string();
  }
  const FormPageTexts texts = {PageText(IDS_POST_PAGE_TITLE), PageText(IDS_POST_PAGE_EXPLANATION),
                               PageText(IDS_POST_PAGE_BUTTON)};
  return WritePostPage(TemporaryFolder(), FormPageHtml(form, texts));
}

}  // namespace

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

namespace {

// A search with one engine up to the shell: what to open (the address, or
// the path of the page that posts the form), or why there is nothing (both
// empty: nothing to search).
struct PreparedSearch {
  std::string target;
  std::string failure;
  BrowserChoice browser{};
};

PreparedSearch PrepareSearch(const EngineDefinition& engine, const SelectionText& selection) {
  try {
    PreparedSearch prepared;
    prepared.browser = engine.browser;
    if (engine.post) {
      prepared.target = PreparePostPage(engine, selection, prepared.failure);
      return prepared;
    }
    SearchAddress search = BuildSearchAddress(selection, engine, IsAnsiLeadByte, CodePageMarks());
    if (search.refusal == AddressRefusal::None)
      prepared.target = std::move(search.address);
    else
      prepared.failure = RefusalText(search.refusal, search.address);
    return prepared;
  } catch (const std::bad_alloc&) {
    return {std::string(), UiText(IDS_OUT_OF_MEMORY)};
  } catch (const Error& e) {
    return {std::string(), e.what()};
  }
}

PreparedSearch PrepareSearch(const std::string& iniPath, const SelectionText& selection) {
  try {
    return PrepareSearch(ReadEngineDefinition(iniPath), selection);
  } catch (const std::bad_alloc&) {
    return {std::string(), UiText(IDS_OUT_OF_MEMORY)};
  }
}

void RunSearch(HWND window, LPARAM param) {
  const std::vector<MenuEngine> engines = gMenuCommands.EnginesOf(LOWORD(static_cast<DWORD_PTR>(param)));
  const SelectionText selection = CaptureSelection(window);
  if (selection.ansi.empty() && selection.unicode.empty())
    return;
  for (const MenuEngine& engine : engines)
    SearchWithEngineFile(window, engine.filePath, selection);
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
    if (!search.target.empty())
      opens.push_back({engine.caption, std::move(search.target), std::move(search.browser)});
    else if (!search.failure.empty())
      AddFailure(failures, engine.caption, search.failure);
  }
  if (!opens.empty())
    gLastSearchedText = selection;
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

bool SearchWithDefinition(HWND owner, const EngineDefinition& engine, const SelectionText& text) {
  try {
    const PreparedSearch search = PrepareSearch(engine, text);
    const std::string failure = search.target.empty() ? search.failure : OpenAddress(search.target, search.browser);
    if (!failure.empty()) {
      ShowErrorBox(owner, failure);
      return false;
    }
    if (search.target.empty())
      return false;
    gLastSearchedText = text;
    return true;
  } catch (...) {
    ShowCurrentException(owner);
    return false;
  }
}

bool SearchWithEngineFile(HWND owner, const std::string& iniPath, const SelectionText& text) {
  // An engine deleted since the menu was built is passed over silently.
  if (!IsFile(iniPath))
    return false;
  if (!SearchWithDefinition(owner, ReadEngineDefinition(iniPath), text))
    return false;
  // A search made: its engine goes to the top of the menu's list.
  const std::string below = PathBelowStore(gEngineDir, iniPath);
  if (!below.empty())
    NoteRecentEngine(gPluginIniPath, gEngineDir, below, RecentCount(gPluginIniPath));
  return true;
}

SelectionText LastSearchedText() {
  if (gLastSearchedText)
    return *gLastSearchedText;
  return {"Kestrelfind", u"Kestrelfind"};
}

void WINAPI SearchAllCommand(HWND window, LPARAM param) {
  try {
    RunSearchAll(window, param);
  } catch (...) {
    ShowCurrentException(window);
  }
}

}  // namespace kf
