// "Search for...": the selection, or words typed, searched with the engine
// chosen in a small window of the plug-in's, driven as a user drives it:
// characters and keys posted to its controls and taken from the queue by
// this thread, the host, whose message loop knows nothing of the window.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlInput.h"
#include "SearchFixture.h"
#include "SearchForWindow.h"

namespace kfsearch {
namespace {

using Strings = std::vector<std::string>;

class SearchForTest : public SearchFixture {
 protected:
  void SetUp() override {
    SearchFixture::SetUp();
    sandbox_.WriteEngine("Web/Utf8.ini", "kftest://u/?q=[WORD]", "utf8");
    sandbox_.WriteEngine("Sjis.ini", "kftest://s/?q=[WORD]", "sjis");
  }

  // Shows a mail with the UTF-8 word selected in it ("" selects nothing),
  // picks "Search for..." (the popup's second item, in either language) and
  // returns the window (null when none shows).
  HWND Open(const std::string& wordUtf8) {
    sandbox_.Window().ShowMail(kft::Utf8ToWide("Subject: test\r\n\r\nBefore " + wordUtf8 + " after.\r\n"));
    if (!wordUtf8.empty()) {
      EXPECT_TRUE(sandbox_.Window().SelectText(kft::Utf8ToWide(wordUtf8)));
    }
    const std::vector<MenuItem> host = sandbox_.BuildMenu(3);
    for (const MenuItem& item : host) {
      if (item.IsPopup() && item.children.size() > 1)
        sandbox_.Window().SendMenuCommand(item.children[1].id);
    }
    Pump();
    const HWND window = FindWindowA(kf::kSearchForWindowClass, nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
  }

  HWND Window() const { return FindWindowA(kf::kSearchForWindowClass, nullptr); }
  HWND Control(int id) const { return GetDlgItem(Window(), id); }
  bool Shown() const { return Window() && IsWindowVisible(Window()); }

  std::wstring Words() const {
    wchar_t text[256] = {};
    GetWindowTextW(Control(kf::kWordsEdit), text, ARRAYSIZE(text));
    return text;
  }
  // The list's items, and the one chosen, as UTF-8.
  Strings Engines() const {
    Strings items;
    const HWND list = Control(kf::kEngineList);
    for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i)
      items.push_back(Item(i));
    return items;
  }
  std::string Chosen() const { return Item(SendMessageW(Control(kf::kEngineList), CB_GETCURSEL, 0, 0)); }
  std::string Item(LRESULT index) const {
    wchar_t text[256] = {};
    if (index < 0 || SendMessageW(Control(kf::kEngineList), CB_GETLBTEXTLEN, index, 0) >= 256)
      return "(none)";
    SendMessageW(Control(kf::kEngineList), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return kft::WideToUtf8(text);
  }

  // What a user's keyboard does, through this thread's queue.
  void Type(const std::wstring& text) {
    kfhost::PostText(Control(kf::kWordsEdit), text);
    Pump();
  }
  void Key(int control, UINT key) {
    kfhost::PostKey(Control(control), key);
    Pump();
  }
  void Alt(char letter) {
    PostMessageW(GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(letter), static_cast<LPARAM>(1u | (1u << 29)));
    Pump();
  }
  void Choose(const std::string& label) {
    SendMessageW(Control(kf::kEngineList), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(kft::Utf8ToWide(label).c_str()));
  }
  void Pump(DWORD ms = 100) { kfhost::PumpMessages(ms); }

  std::string Ini(const char* section, const char* key) const {
    char text[256] = {};
    GetPrivateProfileStringA(section, key, "", text, sizeof text, sandbox_.IniPath().c_str());
    return text;
  }

  // Searches for the words typed over the selection with the engine
  // labelled engine, by Enter, and returns what the shell opened.
  std::string TypeAndSearch(const std::wstring& words, const std::string& engine) {
    const std::size_t before = urls_.Lines().size();
    Type(words);
    Choose(engine);
    Key(kf::kWordsEdit, VK_RETURN);
    EXPECT_TRUE(urls_.WaitForLines(before + 1));
    const Strings lines = urls_.Lines();
    return lines.size() > before ? lines[before] : std::string();
  }
};

TEST_F(SearchForTest, TheSelectionOrTypedWordsGoOutInTheChosenEnginesEncoding) {
  ASSERT_TRUE(Open(u8"> 田中"));
  EXPECT_EQ(kft::Utf8ToWide(u8"田中"), Words()) << "cleaned as an engine cleans it";
  const DWORD selection = static_cast<DWORD>(SendMessageW(Control(kf::kWordsEdit), EM_GETSEL, 0, 0));
  EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, 2)), selection) << "all of it selected, so that typing replaces it";
  EXPECT_EQ(Control(kf::kWordsEdit), GetFocus());
  EXPECT_EQ(Strings({"Web\\Utf8", "Sjis"}), Engines()) << "every engine, in menu order";
  EXPECT_EQ(sandbox_.Window().Handle(), GetWindow(Window(), GW_OWNER));

  // Typed as the input method hands the characters over: as Unicode.
  EXPECT_EQ("kftest://u/?q=%E7%94%B0%E4%B8%AD+%E4%B8%80%E9%83%8E", TypeAndSearch(L"\u7530\u4E2D \u4E00\u90CE", "Web\\Utf8"));
  EXPECT_FALSE(Shown()) << "closed by its search";

  // With nothing selected the box is empty; an ANSI engine gets the words
  // in the process's code page.
  ASSERT_TRUE(Open(""));
  EXPECT_EQ(L"", Words());
  if (kft::IsCodePage932()) {
    EXPECT_EQ("kftest://s/?q=%93c%92%86+%88%EA%98Y", TypeAndSearch(L"\u7530\u4E2D \u4E00\u90CE", "Sjis"));
  } else {
    EXPECT_EQ("kftest://s/?q=caf%E9", TypeAndSearch(L"caf\u00E9", "Sjis"));
  }
  EXPECT_EQ(0u, boxes_.Count());
}

TEST_F(SearchForTest, ASearchJoinsTheRecentListAndItsEngineIsChosenNextTime) {
  SelectInMail("one word here", "word");
  PickEngine("Sjis");
  ASSERT_TRUE(urls_.WaitForLines(1));
  ASSERT_TRUE(Open("word"));
  EXPECT_EQ(Strings({"Sjis", "Web\\Utf8", "Sjis"}), Engines()) << "the recent ones first, as the menu lists them";
  EXPECT_EQ("Sjis", Chosen()) << "the engine used last";

  TypeAndSearch(L"typed", "Web\\Utf8");
  EXPECT_EQ("Web\\Utf8.ini", Ini("General", "LastTypedEngine"));
  EXPECT_EQ("Web\\Utf8.ini", Ini("Recent", "1"));
  EXPECT_EQ("Sjis.ini", Ini("Recent", "2"));

  // A pick of the menu's puts Sjis back at the top; the window keeps its own.
  PickEngine("Sjis");
  ASSERT_TRUE(urls_.WaitForLines(3));
  ASSERT_TRUE(Open("word"));
  EXPECT_EQ("Web\\Utf8", Chosen());

  // Picked again, the one window comes back with the new selection.
  const HWND first = Window();
  ASSERT_TRUE(Open("here"));
  EXPECT_EQ(first, Window());
  EXPECT_EQ(L"here", Words());
  EXPECT_EQ(0u, boxes_.Count());
}

TEST_F(SearchForTest, TheKeyboardAloneWorksTheWindow) {
  ASSERT_TRUE(Open("word"));
  Key(kf::kWordsEdit, VK_TAB);
  EXPECT_EQ(Control(kf::kEngineList), GetFocus()) << "Tab";
  Alt('w');
  EXPECT_EQ(Control(kf::kWordsEdit), GetFocus()) << "Alt+W";
  Alt('e');
  ASSERT_EQ(Control(kf::kEngineList), GetFocus()) << "Alt+E";
  PostMessageW(Control(kf::kEngineList), WM_SYSKEYDOWN, VK_DOWN, static_cast<LPARAM>(1u | (1u << 29)));
  Pump();
  EXPECT_TRUE(SendMessageW(Control(kf::kEngineList), CB_GETDROPPEDSTATE, 0, 0)) << "Alt+Down opens the list";
  Key(kf::kEngineList, VK_ESCAPE);
  EXPECT_FALSE(SendMessageW(Control(kf::kEngineList), CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_TRUE(Shown()) << "Escape closed the list only";
  PostMessageW(Control(kf::kEngineList), WM_CHAR, 's', 1);
  Pump();
  EXPECT_EQ("Sjis", Chosen()) << "typed to select";

  // An empty text searches nothing; Escape closes, and nothing is opened.
  SetWindowTextW(Control(kf::kWordsEdit), L"");
  Key(kf::kWordsEdit, VK_RETURN);
  EXPECT_TRUE(Shown());
  Key(kf::kWordsEdit, VK_ESCAPE);
  EXPECT_FALSE(Shown());
  EXPECT_TRUE(urls_.ExpectNothingOpened());
  EXPECT_EQ("", Ini("General", "LastTypedEngine"));
  EXPECT_EQ(0u, boxes_.Count());
}

TEST_F(SearchForTest, ItOpensAtThePointerOnItsMonitorAndGoesWithTheLibrary) {
  POINT corner = {GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2};
  ASSERT_TRUE(SetCursorPos(corner.x, corner.y));
  ASSERT_TRUE(Open("word"));
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST), &monitor));
  RECT rect = {};
  GetWindowRect(Window(), &rect);
  EXPECT_EQ(monitor.rcWork.right, rect.right) << "kept on the work area";
  EXPECT_EQ(monitor.rcWork.bottom, rect.bottom);

  ASSERT_TRUE(SetCursorPos(40, 60));
  ASSERT_TRUE(Open("word"));
  GetWindowRect(Window(), &rect);
  EXPECT_EQ(40, rect.left) << "where a context menu would open";
  EXPECT_EQ(60, rect.top);

  const HWND window = Window();
  sandbox_.Unload();
  EXPECT_FALSE(IsWindow(window)) << "no window outlives the plug-in";
}

// The window in the language of the user interface, in the dialog's font.
class SearchForJapaneseTest : public SearchForTest {
 protected:
  std::string Language() const override { return "ja"; }
};

TEST_F(SearchForJapaneseTest, TheWindowSpeaksTheLanguageOfTheUserInterface) {
  ASSERT_TRUE(Open("word"));
  const bool japanese = kft::IsCodePage932();
  wchar_t text[128] = {};
  GetWindowTextW(Window(), text, ARRAYSIZE(text));
  EXPECT_EQ(japanese ? u8"検索語を入力 - Kestrelfind" : "Search for - Kestrelfind", kft::WideToUtf8(text));
  Strings captions;
  for (int id : {static_cast<int>(kf::kWordsLabel), static_cast<int>(kf::kEngineLabel), IDOK, IDCANCEL}) {
    GetWindowTextW(Control(id), text, ARRAYSIZE(text));
    captions.push_back(kft::WideToUtf8(text));
  }
  EXPECT_EQ(japanese ? Strings({u8"検索語(&W):", u8"エンジン(&E):", u8"検索(&S)", u8"キャンセル"})
                     : Strings({"&Words:", "&Engine:", "&Search", "Cancel"}),
            captions);
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(kf::kWordsEdit), WM_GETFONT, 0, 0)), sizeof font, &font);
  if (japanese) {
    EXPECT_EQ(L"MS PGothic", std::wstring(font.lfFaceName));
  }
  Alt('e');
  EXPECT_EQ(Control(kf::kEngineList), GetFocus()) << "the access keys stay";
}

}  // namespace
}  // namespace kfsearch
