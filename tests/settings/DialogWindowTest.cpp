// The dialog as a window: its creation and the one instance, its controls and
// their anchors, geometry kept in the plug-in INI file, keyboard, help and
// link.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "SettingDriver.h"
#include "SettingTextIds.h"
#include "TextIds.h"
#include "Version.h"

using namespace kf;

namespace {

class DialogWindow : public kft::SettingDialogTest {};

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }

TEST_F(DialogWindow, FirstShowingWithoutIniIsCentredAtTheDesignSize) {
  sandbox.WriteEngine("Google.ini", std::string("https://www.google.com/search?q=[WORD]"));
  HWND form = Open();
  ASSERT_TRUE(form);
  EXPECT_TRUE(dialog.Visible());
  EXPECT_EQ(nullptr, GetWindow(form, GW_OWNER));
  const RECT rc = dialog.WindowRect();
  EXPECT_EQ(450, Width(rc));
  EXPECT_EQ(496, Height(rc));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - 225, rc.left);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - 248, rc.top);
  EXPECT_EQ(130, dialog.TreeWidth());
  EXPECT_TRUE(SendMessageA(form, WM_GETICON, ICON_BIG, 0) != 0);

  // The tree has the focus and its root is selected, listing the root's engines.
  EXPECT_EQ(dialog.Control(kFolderTree), dialog.Focus());
  EXPECT_EQ("ROOT", dialog.SelectedNodeText());
  EXPECT_EQ(std::vector<std::string>{"Google"}, dialog.Items());
  EXPECT_EQ(-1, dialog.SelectedItem());

  // Start state of the controls.
  EXPECT_FALSE(dialog.Enabled(kFolderVisibilityButton));
  EXPECT_FALSE(dialog.Enabled(kAddButton));
  EXPECT_FALSE(dialog.Enabled(kModifyButton));
  EXPECT_FALSE(dialog.Enabled(kHelpButton)) << "no help file beside the library";
  EXPECT_TRUE(dialog.Checked(kUtf8Radio)) << "what nearly every site takes";
  EXPECT_FALSE(dialog.Checked(kSjisRadio));
  EXPECT_EQ("Show / Hide &Folder", dialog.Text(kFolderVisibilityButton));
  EXPECT_EQ("&Close", dialog.Text(kCloseButton));
  EXPECT_EQ("Kestrelfind  " KF_VERSION_TEXT, dialog.Text(kProductLabel));
}

// With no width of the user's yet, the tree shows every folder's name whole,
// but leaves the list the larger part of the form.
TEST_F(DialogWindow, TheTreeFitsItsFoldersNamesAtTheFirstShowing) {
  sandbox.MakeFolder("Encyclopedia");
  sandbox.MakeFolder("Encyclopedia/Reference works");
  ASSERT_TRUE(Open());
  RECT client;
  GetClientRect(dialog.Control(kFolderTree), &client);
  EXPECT_LE(dialog.NodeRect("Reference works").right, client.right);
  EXPECT_GT(dialog.TreeWidth(), 130);
  dialog.Close();
  sandbox.Unload();

  sandbox.MakeFolder(std::string(120, 'W'));
  WritePrivateProfileStringA("General", "FolderWidth", nullptr, sandbox.IniPath().c_str());
  ASSERT_TRUE(Open());
  EXPECT_EQ(450 * 3 / 5, dialog.TreeWidth());
}

TEST_F(DialogWindow, TwoSetupCallsServeOneDialog) {
  ASSERT_TRUE(sandbox.Load());
  EXPECT_EQ(1, sandbox.Plugin().OnPlugInSetup(nullptr));
  dialog.Pump(100);
  HWND first = dialog.Form();
  ASSERT_TRUE(first);
  EXPECT_EQ(1, sandbox.Plugin().OnPlugInSetup(nullptr));
  dialog.Pump(100);
  EXPECT_EQ(first, dialog.Form());
  int count = 0;
  for (HWND h = FindWindowExA(nullptr, nullptr, kf::kSettingFormClass, nullptr); h;
       h = FindWindowExA(nullptr, h, kf::kSettingFormClass, nullptr))
    ++count;
  EXPECT_EQ(1, count);
}

TEST_F(DialogWindow, SavedGeometryIsUsedAndASmallSizeRaisedToTheMinimum) {
  const std::string ini = sandbox.IniPath();
  WritePrivateProfileStringA("General", "left", "-100", ini.c_str());
  WritePrivateProfileStringA("General", "top", "20", ini.c_str());
  WritePrivateProfileStringA("General", "width", "200", ini.c_str());
  WritePrivateProfileStringA("General", "height", "300", ini.c_str());
  WritePrivateProfileStringA("General", "FolderWidth", "90", ini.c_str());
  ASSERT_TRUE(Open());
  const RECT rc = dialog.WindowRect();
  EXPECT_EQ(-100, rc.left) << "a position partly off the screen is kept";
  EXPECT_EQ(20, rc.top);
  EXPECT_EQ(450, Width(rc));
  EXPECT_EQ(496, Height(rc));
  EXPECT_EQ(90, dialog.TreeWidth());

  MINMAXINFO info = {};
  SendMessageA(dialog.Form(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(450, info.ptMinTrackSize.x);
  EXPECT_EQ(496, info.ptMinTrackSize.y);
}

// A place saved on a monitor that has gone (or typed by hand) opens the
// dialog on the nearest monitor's work area instead, its size kept.
TEST_F(DialogWindow, APlaceOffEveryMonitorIsMovedBackIntoView) {
  const std::string ini = sandbox.IniPath();
  WritePrivateProfileStringA("General", "left", "5000", ini.c_str());
  WritePrivateProfileStringA("General", "top", "-3000", ini.c_str());
  WritePrivateProfileStringA("General", "width", "500", ini.c_str());
  WritePrivateProfileStringA("General", "height", "500", ini.c_str());
  ASSERT_TRUE(Open());
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const RECT rc = dialog.WindowRect();
  EXPECT_EQ(work.right - 500, rc.left);
  EXPECT_EQ(work.top, rc.top);
  EXPECT_EQ(500, Width(rc));
  EXPECT_EQ(500, Height(rc));
}

TEST_F(DialogWindow, ALargerSavedSizeAndNonsenseValues) {
  const std::string ini = sandbox.IniPath();
  WritePrivateProfileStringA("General", "left", "abc", ini.c_str());
  WritePrivateProfileStringA("General", "width", "500", ini.c_str());
  WritePrivateProfileStringA("General", "height", "500", ini.c_str());
  ASSERT_TRUE(Open());
  const RECT rc = dialog.WindowRect();
  EXPECT_EQ(500, Width(rc));
  EXPECT_EQ(500, Height(rc));
  // The default position is worked out from the size the dialog had then.
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - 225, rc.left);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - 248, rc.top);
}

TEST_F(DialogWindow, CloseAndReopenKeepsPlaceSelectionAndFields) {
  sandbox.WriteEngine("Web/Google.ini", std::string("https://g.example/?q=[WORD]"));
  sandbox.WriteEngine("Web/Bing.ini", std::string("https://b.example/?q=[WORD]"), std::string("euc"));
  HWND form = Open();
  ASSERT_TRUE(form);
  SetWindowPos(form, nullptr, 100, 80, 520, 510, SWP_NOZORDER);
  dialog.Pump();
  dialog.SelectNode("Web");
  const int bing = dialog.ItemIndex("Bing");
  ASSERT_GE(bing, 0);
  dialog.ClickItem(bing);
  EXPECT_EQ("Bing", dialog.Text(kNameEdit));

  dialog.Close();
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(IsWindow(form)) << "hidden, not destroyed";
  const std::string ini = sandbox.IniPath();
  EXPECT_EQ("100", kft::IniValue(ini, "left"));
  EXPECT_EQ("80", kft::IniValue(ini, "top"));
  EXPECT_EQ("520", kft::IniValue(ini, "width"));
  EXPECT_EQ("510", kft::IniValue(ini, "height"));
  EXPECT_EQ("130", kft::IniValue(ini, "FolderWidth"));

  EXPECT_EQ(form, dialog.Setup());
  EXPECT_TRUE(dialog.Visible());
  const RECT rc = dialog.WindowRect();
  EXPECT_EQ(100, rc.left);
  EXPECT_EQ(80, rc.top);
  EXPECT_EQ(520, Width(rc));
  EXPECT_EQ(510, Height(rc));
  EXPECT_EQ("Web", dialog.SelectedNodeText());
  EXPECT_EQ(bing, dialog.SelectedItem());
  EXPECT_EQ("Bing", dialog.Text(kNameEdit));
  EXPECT_EQ("https://b.example/?q=[WORD]", dialog.Text(kUrlEdit));
  EXPECT_TRUE(dialog.Checked(kEucRadio));
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(DialogWindow, TheCloseButtonClosesLikeTheCloseBox) {
  ASSERT_TRUE(Open());
  dialog.Click(kCloseButton);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ("450", kft::IniValue(sandbox.IniPath(), "width"));
}

TEST_F(DialogWindow, AnIniThatCannotBeWrittenIsReportedAndTheDialogClosesAnyway) {
  // A folder where the INI file should be: every profile write fails.
  DeleteFileA(sandbox.IniPath().c_str());
  ASSERT_TRUE(CreateDirectoryA(sandbox.IniPath().c_str(), nullptr));
  ASSERT_TRUE(Open());
  dialog.Close();
  ASSERT_EQ(1u, boxes.Count());
  const kft::SeenMessageBox& box = boxes.Boxes()[0];
  // Without its INI file the plug-in follows the system's language: the
  // message names the file in either.
  EXPECT_NE(std::string::npos, box.TextUtf8().find(kft::AnsiToUtf8(sandbox.IniPath()))) << box.TextUtf8();
  EXPECT_EQ(kft::BoxIcon::Warning, box.icon);
  EXPECT_TRUE(box.IsOkOnly());
  EXPECT_FALSE(dialog.Visible()) << "the user must be able to close it";
  // And it opens again, at the defaults.
  ASSERT_TRUE(dialog.Setup());
  EXPECT_TRUE(dialog.Visible());
  EXPECT_EQ(450, Width(dialog.WindowRect()));
}

TEST_F(DialogWindow, AReadOnlyIniIsReportedOnceAndKeptAsItWas) {
  const std::string ini = sandbox.IniPath();
  WritePrivateProfileStringA("General", "width", "500", ini.c_str());
  ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
  HWND form = Open();
  ASSERT_TRUE(form);
  EXPECT_EQ(500, Width(dialog.WindowRect()));
  SetWindowPos(form, nullptr, 0, 0, 450, 420, SWP_NOMOVE | SWP_NOZORDER);
  dialog.Click(kCloseButton);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ(0u, boxes.Boxes()[0].TextUtf8().find("Unable to write to " + kft::AnsiToUtf8(ini) +
                                                  ": "));
  EXPECT_FALSE(dialog.Visible());
  EXPECT_EQ("500", kft::IniValue(ini, "width"));
  EXPECT_EQ("", kft::IniValue(ini, "left"));
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DialogWindow, ControlsKeepTheirAnchoredDistancesWhenResized) {
  HWND form = Open();
  ASSERT_TRUE(form);
  const auto rectOf = [&](ControlId id) {
    RECT rc = dialog.ControlRect(id);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  };
  const ControlId ids[] = {kBrowsePanel, kFolderVisibilityButton, kDeleteEngineButton, kEngineGroup, kNameEdit, kAddButton,
                                kAboutPanel, kHelpButton, kCloseButton, kListHint, kEngineList, kFolderTree};
  std::vector<RECT> before;
  for (ControlId id : ids)
    before.push_back(rectOf(id));
  // Relative positions at the design size.
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(8, rectOf(kFolderVisibilityButton).left);
  EXPECT_EQ(112, Width(rectOf(kFolderVisibilityButton)));
  EXPECT_EQ(17, Height(rectOf(kFolderVisibilityButton)));
  EXPECT_EQ(104, Width(rectOf(kCloseButton)));
  EXPECT_EQ(rectOf(kHelpButton).left, rectOf(kCloseButton).left);
  EXPECT_EQ(22, rectOf(kCloseButton).top - rectOf(kHelpButton).top);

  const RECT rc = dialog.WindowRect();
  SetWindowPos(form, nullptr, 0, 0, Width(rc) + 100, Height(rc) + 60, SWP_NOMOVE | SWP_NOZORDER);
  dialog.Pump();
  struct Expect {
    int dx, dy, dw, dh;
  };
  const Expect moves[] = {
      {0, 0, 100, 60},   // kBrowsePanel: all four anchors
      {0, 60, 0, 0},     // kFolderVisibilityButton: left, bottom
      {100, 60, 0, 0},   // kDeleteEngineButton: right, bottom
      {0, 60, 100, 0},   // kEngineGroup: left, right, bottom
      {0, 0, 100, 0},    // kNameEdit: left, top, right (in the group box)
      {100, 0, 0, 0},    // kAddButton: top, right (in the group box)
      {0, 60, 0, 0},     // kAboutPanel: left, bottom
      {100, 60, 0, 0},   // kHelpButton
      {100, 60, 0, 0},   // kCloseButton
      {0, 0, 0, 0},      // kListHint
      {0, 0, 100, 60},   // kEngineList fills the rest of kBrowsePanel
      {0, 0, 0, 60},     // kFolderTree keeps its width
  };
  for (size_t i = 0; i < std::size(ids); ++i) {
    const RECT now = rectOf(ids[i]);
    // Controls inside the group box move with it: compare with its movement.
    const bool inGroup = ids[i] == kNameEdit || ids[i] == kAddButton;
    const int groupDy = inGroup ? 60 : 0;
    SCOPED_TRACE(testing::Message() << "control " << ids[i]);
    EXPECT_EQ(moves[i].dx, now.left - before[i].left);
    EXPECT_EQ(moves[i].dy + groupDy, now.top - before[i].top);
    EXPECT_EQ(moves[i].dw, Width(now) - Width(before[i]));
    EXPECT_EQ(moves[i].dh, Height(now) - Height(before[i]));
  }
}

TEST_F(DialogWindow, TheSplitterDragsTheTreeWidthWhichIsKeptAtClose) {
  HWND form = Open();
  ASSERT_TRUE(form);
  HWND splitter = dialog.Control(kTreeSplitter);
  ASSERT_TRUE(splitter);
  EXPECT_EQ(2, Width(dialog.ControlRect(kTreeSplitter)));
  SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
  SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(41, 10));
  SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(41, 10));
  dialog.Pump();
  EXPECT_EQ(170, dialog.TreeWidth());
  dialog.Close();
  EXPECT_EQ("170", kft::IniValue(sandbox.IniPath(), "FolderWidth"));
}

// Tab order, mnemonics, Enter and Escape: the host's message loop knows
// nothing of dialogs, so the dialog does this itself.
TEST_F(DialogWindow, TabWalksTheControlsInOrderSkippingDisabledOnes) {
  ASSERT_TRUE(Open());
  ASSERT_EQ(dialog.Control(kFolderTree), dialog.Focus());
  const ControlId order[] = {kEngineList,     kSearchAllCheck,     kRecentEdit,    kNameEdit,      kUrlEdit,
                            kUtf8Radio,      kFavouriteCheck,     kAccessKeyEdit, kPrivateCheck,  kGetRadio,
                            kBrowserEdit,    kBrowserButton,      kClearButton,   kDeleteEngineButton,
                            kOptionsButton,  kCloseButton,        kFolderTree};
  for (ControlId id : order) {
    dialog.KeyDown(dialog.Focus(), VK_TAB);
    EXPECT_EQ(dialog.Control(id), dialog.Focus()) << "expected control " << id;
  }
  // Shift+Tab goes back.
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  dialog.KeyDown(dialog.Focus(), VK_TAB);
  EXPECT_EQ(dialog.Control(kCloseButton), dialog.Focus());
  dialog.KeyDown(dialog.Focus(), VK_TAB);
  EXPECT_EQ(dialog.Control(kOptionsButton), dialog.Focus());
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

TEST_F(DialogWindow, MnemonicsFocusFieldsPickRadiosAndPressButtons) {
  sandbox.WriteEngine("Google.ini", std::string("https://g.example/[WORD]"));
  ASSERT_TRUE(Open());
  HWND tree = dialog.Control(kFolderTree);
  dialog.AltKey(tree, 'n');
  EXPECT_EQ(dialog.Control(kNameEdit), dialog.Focus());
  dialog.AltKey(dialog.Focus(), 'u');
  EXPECT_EQ(dialog.Control(kUrlEdit), dialog.Focus());
  dialog.AltKey(dialog.Focus(), 'e');
  EXPECT_TRUE(dialog.Checked(kEucRadio));
  EXPECT_FALSE(dialog.Checked(kSjisRadio));
  dialog.AltKey(dialog.Focus(), 'S');
  EXPECT_TRUE(dialog.Checked(kSjisRadio));
  EXPECT_FALSE(dialog.Checked(kEucRadio));

  // Arrow keys go round the encoding buttons: SJIS, EUC, UTF-8.
  dialog.KeyDown(dialog.Focus(), VK_DOWN);
  EXPECT_TRUE(dialog.Checked(kEucRadio));
  dialog.KeyDown(dialog.Focus(), VK_RIGHT);
  EXPECT_TRUE(dialog.Checked(kUtf8Radio));
  EXPECT_FALSE(dialog.Checked(kEucRadio));
  dialog.KeyDown(dialog.Focus(), VK_DOWN);
  EXPECT_TRUE(dialog.Checked(kSjisRadio));
  dialog.KeyDown(dialog.Focus(), VK_UP);
  EXPECT_TRUE(dialog.Checked(kUtf8Radio));
  dialog.AltKey(dialog.Focus(), '8');
  EXPECT_TRUE(dialog.Checked(kUtf8Radio));

  // Alt+L is the Clear button; Alt+A is nothing while Add is disabled.
  dialog.AltKey(dialog.Focus(), 'S');
  dialog.Type(kNameEdit, "x");
  dialog.Type(kUrlEdit, "y");
  dialog.AltKey(dialog.Focus(), 'l');
  EXPECT_EQ("", dialog.Text(kNameEdit));
  EXPECT_EQ("", dialog.Text(kUrlEdit));
  EXPECT_TRUE(dialog.Checked(kUtf8Radio));
  dialog.AltKey(dialog.Focus(), 'a');
  EXPECT_FALSE(kft::FileExists(sandbox.EnginePath(".ini")));

  // Alt+C closes.
  dialog.AltKey(dialog.Focus(), 'c');
  EXPECT_FALSE(dialog.Visible());
}

// The settings of the menu beside the folder button: saved at once, and shown
// as the file says when the dialog opens.
TEST_F(DialogWindow, TheSearchAllBoxAndTheRecentFieldSaveAtOnce) {
  WritePrivateProfileStringA("General", "SearchAll", "1", sandbox.IniPath().c_str());
  ASSERT_TRUE(Open());
  EXPECT_TRUE(dialog.Checked(kSearchAllCheck));
  EXPECT_NE(std::string::npos, kft::TooltipText(dialog.Form(), dialog.Control(kSearchAllCheck)).find("Search All"));
  dialog.Click(kSearchAllCheck);
  EXPECT_EQ("0", kft::IniValue(sandbox.IniPath(), "SearchAll"));
  dialog.AltKey(dialog.Focus(), 'r');
  EXPECT_TRUE(dialog.Checked(kSearchAllCheck));
  EXPECT_EQ("1", kft::IniValue(sandbox.IniPath(), "SearchAll"));

  EXPECT_EQ("5", dialog.Text(kRecentEdit)) << "the default, unwritten";
  EXPECT_EQ("", kft::IniValue(sandbox.IniPath(), "Recent"));
  dialog.Type(kRecentEdit, "2");
  EXPECT_EQ("2", kft::IniValue(sandbox.IniPath(), "Recent"));
  HWND recent = dialog.Control(kRecentEdit);
  SetFocus(recent);
  SendMessageA(recent, EM_SETSEL, 0, -1);
  dialog.Char(recent, 'x');
  EXPECT_EQ("2", dialog.Text(kRecentEdit)) << "digits only";
  EXPECT_EQ("2", kft::IniValue(sandbox.IniPath(), "Recent"));
  WritePrivateProfileStringA("Recent", "1", "Google.ini", sandbox.IniPath().c_str());
  dialog.Type(kRecentEdit, "0");
  EXPECT_EQ("0", kft::IniValue(sandbox.IniPath(), "Recent"));
  EXPECT_EQ("", kft::IniValue(sandbox.IniPath(), "1", "Recent")) << "none listed, none remembered";
  EXPECT_EQ(0u, boxes.Count());
}

// Language=ja: the dialog, its menu and its questions in Japanese under the
// Japanese code page; English under any other.
TEST_F(DialogWindow, SpeaksJapaneseWhenTheSettingSaysSo) {
  WritePrivateProfileStringA("General", "Language", "ja", sandbox.IniPath().c_str());
  sandbox.WriteEngine("Gone.ini", std::string("https://g.example/"));
  HWND form = Open();
  ASSERT_TRUE(form);
  const bool japanese = kft::IsCodePage932();
  char caption[128] = {};
  GetWindowTextA(form, caption, sizeof caption);
  EXPECT_EQ(japanese ? u8"Kestrelfind の設定" : "Kestrelfind Settings", kft::AnsiToUtf8(caption));
  EXPECT_EQ(japanese ? u8"名前(&N)" : "&Name", kft::AnsiToUtf8(dialog.Text(kNameLabel)));
  dialog.AltKey(dialog.Focus(), 'n');
  EXPECT_EQ(dialog.Control(kNameEdit), dialog.Focus()) << "the mnemonics stay";

  boxes.SetAnswer(IDCANCEL);
  dialog.ClickItem(0);
  dialog.Click(kDeleteEngineButton);
  ASSERT_EQ(1u, boxes.Count());
  EXPECT_EQ(japanese ? u8"エンジン「Gone」を削除しますか？" : "Delete the engine \"Gone\"?", boxes.Boxes()[0].TextUtf8());
  EXPECT_EQ("Kestrelfind", boxes.Boxes()[0].CaptionUtf8());
}

// In each language the captions of one level mark different keys: the
// dialog's controls, the folder menu, the fixed items of "Search engines"
// and the "Search for" window. English marks a letter of the caption
// itself, as English Windows does; Japanese adds "(&X)".
TEST(AccessKeys, EachLevelMarksEveryKeyOnceInTheLanguagesWay) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  std::vector<UINT> dialogTexts;
  for (const ControlRow& row : kSettingLayout) {
    if (row.text)
      dialogTexts.push_back(row.text);
  }
  const std::vector<UINT> folderMenu = {IDS_ADD_FOLDER, IDS_DELETE_FOLDER};
  const std::vector<UINT> searchPopup = {IDS_SHOW_ALL, IDS_SEARCH_FOR};
  const std::vector<UINT> searchFor = {IDS_SEARCH_FOR_WORDS_LABEL, IDS_SEARCH_FOR_ENGINE_LABEL,
                                       IDS_SEARCH_FOR_SEARCH_BUTTON, IDS_SEARCH_FOR_CANCEL_BUTTON};
  for (const bool japanese : {false, true}) {
    SCOPED_TRACE(japanese ? "Japanese" : "English");
    const std::map<UINT, std::string> texts = kft::StringTable(
        sandbox.DllPath(), japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)
                                    : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    for (const std::vector<UINT>* level :
         std::vector<const std::vector<UINT>*>{&dialogTexts, &folderMenu, &searchPopup, &searchFor}) {
      std::map<char, std::string> taken;
      for (UINT id : *level) {
        const auto text = texts.find(id);
        ASSERT_NE(texts.end(), text) << "text " << id;
        const std::string& caption = text->second;
        const char key = kft::AccessKeyIn(caption);
        if (!key)
          continue;
        EXPECT_EQ(japanese, caption.find("(&") != std::string::npos) << caption;
        const auto added = taken.emplace(key, caption);
        EXPECT_TRUE(added.second) << caption << " and " << added.first->second << " both mark " << key;
      }
    }
  }
}

TEST_F(DialogWindow, EnterPressesTheFocusedButtonAndEscapeCloses) {
  ASSERT_TRUE(Open());
  dialog.Type(kNameEdit, "Name");
  HWND clear = dialog.Control(kClearButton);
  SetFocus(clear);
  dialog.KeyDown(clear, VK_RETURN);
  dialog.Pump();
  EXPECT_EQ("", dialog.Text(kNameEdit));
  EXPECT_TRUE(dialog.Visible());
  dialog.KeyDown(dialog.Control(kFolderTree), VK_ESCAPE);
  dialog.Pump();
  EXPECT_FALSE(dialog.Visible());
}

TEST_F(DialogWindow, TheHelpButtonIsEnabledOnlyWhenTheHelpFileIsThereAtTheFirstShowing) {
  ASSERT_TRUE(Open());
  EXPECT_FALSE(dialog.Enabled(kHelpButton));
  dialog.Close();
  ASSERT_TRUE(kft::WriteBytes(sandbox.Folder() + "Kestrelfind.chm", "not really a help file"));
  dialog.Setup();
  EXPECT_FALSE(dialog.Enabled(kHelpButton)) << "nothing enables it again";
}

// Visible HTML Help windows (Wine's class "HH Parent") of the test's thread.
std::vector<HWND> HelpWindows() { return kfhost::VisibleThreadWindows(L"HH Parent"); }

// The real help file through Wine's HTML Help control: the button and F1
// each open a help window, owned by the dialog and gone with it at unload.
TEST_F(DialogWindow, TheHelpButtonAndF1OpenTheRealHelpFile) {
  ASSERT_TRUE(kft::CopyFileTo(kft::BinFile("Kestrelfind.chm"), sandbox.Folder() + "Kestrelfind.chm"));
  ASSERT_TRUE(Open());
  EXPECT_TRUE(dialog.Enabled(kHelpButton));
  dialog.Click(kHelpButton);
  dialog.Pump(300);
  const std::vector<HWND> first = HelpWindows();
  ASSERT_EQ(1u, first.size()) << "a help window for the button";
  SendMessageA(first[0], WM_CLOSE, 0, 0);
  dialog.Pump(100);
  ASSERT_TRUE(HelpWindows().empty());

  dialog.KeyUp(dialog.Control(kFolderTree), VK_F1);
  dialog.Pump(300);
  EXPECT_EQ(1u, HelpWindows().size()) << "and one for F1";
  EXPECT_EQ(0u, boxes.Count());
  dialog.Close();
  sandbox.Unload();
  dialog.Pump(100);
  EXPECT_TRUE(HelpWindows().empty()) << "no help window outlives the plug-in";
}

TEST_F(DialogWindow, TheLinkLabelOpensItsAddressWithTheShell) {
  kft::UrlLog urls;
  ASSERT_TRUE(Open());
  EXPECT_EQ("https://kestrel-software.example/kestrelfind/", dialog.Text(kHomepageLink));
  HWND link = dialog.Control(kHomepageLink);
  PostMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  dialog.Pump(100);
  ASSERT_TRUE(urls.WaitForLines(1));
  EXPECT_EQ("https://kestrel-software.example/kestrelfind/", urls.Lines()[0]);
  // The hand pointer over the link.
  EXPECT_TRUE(SendMessageA(dialog.Form(), WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), GetCursor());
}

}  // namespace
