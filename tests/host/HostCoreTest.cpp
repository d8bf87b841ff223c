// The host core as the plug-in meets it: the exported API of the running
// executable, the command ids it hands out, the copy command of its main
// window and the dispatch of menu picks to registered callbacks.
#include <windows.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "HostApi.h"
#include "HostWindow.h"
#include "KfTest.h"

namespace {

using RegisterCommandFn = UINT(WINAPI*)(LPCSTR, int, kfhost::CommandCallback);
using GetVersionFn = LPCSTR(WINAPI*)();

template <typename Fn>
Fn HostExport(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(nullptr), name)));
}

const char* const kAllNames[] = {
    "BKA_GetVersion", "BKA_Command", "BKA_GetWindowHandles", "BKA_RegisterCommand", "BKA_RegisterUICallback",
    "BKA_GetDataFolder", "BKA_GetTempFolder", "BKA_GetTempFileName", "BKA_GetCurrentMailBox",
    "BKA_SetCurrentMailBox", "BKA_GetCurrentFolder", "BKA_SetCurrentFolder", "BKA_GetFolderDisplayName",
    "BKA_SetMessageText", "BKA_GetCurrentMail", "BKA_SetCurrentMail", "BKA_GetNextMail", "BKA_SetSel",
    "BKA_AppendMessage", "BKA_MoveSelectedMessages", "BKA_GetStatus", "BKA_SetStatus", "BKA_ComposeMail",
    "BKA_GetCharSet", "BKA_GetSource", "BKA_SetSource", "BKA_GetHeader", "BKA_GetText", "BKA_SetText",
    "BKA_GetSpecifiedHeader", "BKA_SetSpecifiedHeader", "BKA_CompGetCharSet", "BKA_CompGetSource",
    "BKA_CompSetSource", "BKA_CompGetHeader", "BKA_CompGetSpecifiedHeader", "BKA_CompSetSpecifiedHeader",
    "BKA_CompGetText", "BKA_CompSetText", "BKA_CompAttachFile", "BKA_Alloc", "BKA_ReAlloc", "BKA_Free",
    "BKA_ISO_2022_JP", "BKA_ISO_2022_KR", "BKA_HZ_GB2312", "BKA_ISO_8859_2", "BKA_EUC_JP", "BKA_UTF_7",
    "BKA_UTF_8", "BKA_B64Convert", "BKA_QPConvert", "BKA_MIMEHeader", "BKA_SerializeRcpts", "BKA_Connect"};

// What the last call of the test callback received.
struct CallbackLog {
  int calls = 0;
  HWND window = nullptr;
  LPARAM param = 0;
};
CallbackLog g_callback;

void WINAPI RecordingCallback(HWND window, LPARAM param) {
  ++g_callback.calls;
  g_callback.window = window;
  g_callback.param = param;
}

TEST(HostExports, EveryApiNameResolvesFromTheExecutable) {
  EXPECT_EQ(55u, sizeof kAllNames / sizeof kAllNames[0]);
  for (const char* name : kAllNames)
    EXPECT_NE(nullptr, HostExport<FARPROC>(name)) << name;
  // Decorated forms are not what a plug-in asks for, and are not there.
  EXPECT_EQ(nullptr, HostExport<FARPROC>("_BKA_GetVersion@0"));
  EXPECT_EQ(nullptr, HostExport<FARPROC>("BKA_RegisterCommand@12"));
}

TEST(HostExports, GetVersionAnswersTheChosenVersionAndCountsCalls) {
  auto getVersion = HostExport<GetVersionFn>("BKA_GetVersion");
  ASSERT_NE(nullptr, getVersion);
  const std::string saved = kfhost::HostVersion();
  kfhost::SetHostVersion("2.00.06a");
  const int before = kfhost::VersionCallCount();
  EXPECT_STREQ("2.00.06a", getVersion());
  EXPECT_STREQ("2.00.06a", getVersion());
  EXPECT_EQ(before + 2, kfhost::VersionCallCount());
  kfhost::SetHostVersion(saved);
}

TEST(HostExports, UncalledFunctionsAreHarmlessAndCounted) {
  const int before = kfhost::OtherApiCallCount();
  auto connect = HostExport<BOOL(WINAPI*)(BOOL)>("BKA_Connect");
  auto header = HostExport<void(WINAPI*)(LPCSTR, LPSTR, int)>("BKA_GetSpecifiedHeader");
  ASSERT_NE(nullptr, connect);
  ASSERT_NE(nullptr, header);
  EXPECT_FALSE(connect(TRUE));
  char buffer[8] = "garbage";
  header("Subject", buffer, sizeof buffer);
  EXPECT_STREQ("", buffer);
  EXPECT_EQ(before + 2, kfhost::OtherApiCallCount());
}

TEST(CommandIds, AreUniqueNonZeroAnd16BitsWide) {
  auto registerCommand = HostExport<RegisterCommandFn>("BKA_RegisterCommand");
  ASSERT_NE(nullptr, registerCommand);
  std::set<UINT> seen;
  for (int i = 0; i < 300; ++i) {
    const UINT id = registerCommand("cmd", 3, RecordingCallback);
    EXPECT_NE(0u, id);
    EXPECT_LE(id, 0xFFFFu);
    EXPECT_TRUE(seen.insert(id).second) << "id " << id << " handed out twice";
  }
}

TEST(CommandIds, SkipTheCopyCommandAndZeroLowWords) {
  auto registerCommand = HostExport<RegisterCommandFn>("BKA_RegisterCommand");
  kfhost::SetNextCommandId(kfhost::kCopySelectionCommand - 1);
  EXPECT_EQ(kfhost::kCopySelectionCommand - 1, registerCommand("a", 3, RecordingCallback));
  EXPECT_EQ(kfhost::kCopySelectionCommand + 1, registerCommand("b", 3, RecordingCallback));
  kfhost::SetNextCommandId(0x10000);
  EXPECT_EQ(0x10001u, registerCommand("c", 4, RecordingCallback));
  const kfhost::Registration* reg = kfhost::FindRegistration(0x10001);
  ASSERT_NE(nullptr, reg);
  EXPECT_EQ("c", reg->text);
  EXPECT_EQ(4, reg->type);
  kfhost::SetNextCommandId(41000);
}

class HostWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, window.Handle());
    ASSERT_NE(nullptr, window.MailView());
  }
  kfhost::PluginHost plugins;
  kfhost::HostWindow window{plugins, false};
};

TEST_F(HostWindowTest, CopyCommandPutsTheSelectionOnTheClipboard) {
  window.ShowMail(kft::Utf8ToWide(u8"件名: テスト\n本文に検索語があります。\nsecond line"));
  ASSERT_TRUE(window.SelectText(kft::Utf8ToWide(u8"検索語")));
  ASSERT_TRUE(kft::clip::PutText("old"));
  // Sent the way the plug-in sends it: ANSI, synchronous, lParam 0.
  SendMessageA(window.Handle(), WM_COMMAND, 57634, 0);
  EXPECT_EQ(1, window.CopyRequestCount());
  EXPECT_EQ(kft::Utf8ToWide(u8"検索語"), kft::clip::GetUnicode().value_or(L"<none>"));
  if (kft::IsCodePage932()) {
    EXPECT_EQ(kft::Sjis(u8"検索語"), kft::clip::GetText().value_or("<none>"));
  }
}

TEST_F(HostWindowTest, CopyCommandWithoutSelectionLeavesTheClipboardAlone) {
  window.ShowMail(L"nothing selected here");
  window.SelectRange(3, 0);
  ASSERT_TRUE(kft::clip::PutText("before"));
  SendMessageA(window.Handle(), WM_COMMAND, 57634, 0);
  EXPECT_EQ("before", kft::clip::GetText().value_or("<none>"));
}

TEST_F(HostWindowTest, SelectionSpansLinesAndFailsForAbsentText) {
  window.ShowMail(L"one\ntwo\nthree");
  ASSERT_TRUE(window.SelectText(L"two\r\nthr"));
  EXPECT_EQ(L"two\r\nthr", window.Selection());
  EXPECT_FALSE(window.SelectText(L"four"));
  EXPECT_EQ(L"", window.Selection());
}

TEST_F(HostWindowTest, MenuPickReachesTheCallbackWithHighBitsSet) {
  auto registerCommand = HostExport<RegisterCommandFn>("BKA_RegisterCommand");
  const UINT id = registerCommand("Test command", 3, RecordingCallback);
  g_callback = CallbackLog();
  window.SendMenuCommand(id);
  EXPECT_EQ(1, g_callback.calls);
  EXPECT_EQ(window.Handle(), g_callback.window);
  EXPECT_EQ(id, LOWORD(g_callback.param));
  EXPECT_NE(0, HIWORD(g_callback.param));
  EXPECT_TRUE(window.LastDispatch().found);
  EXPECT_EQ("Test command", window.LastDispatch().text);
}

TEST_F(HostWindowTest, UnknownCommandCallsNothing) {
  g_callback = CallbackLog();
  window.SendMenuCommand(0xFEF0);
  EXPECT_EQ(0, g_callback.calls);
  EXPECT_FALSE(window.LastDispatch().found);
}

TEST_F(HostWindowTest, ContextMenusWithoutPlugInsHoldOnlyTheHostsItems) {
  for (int type : kfhost::kMenuTypes) {
    HMENU menu = window.BuildContextMenu(type);
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(menu, window.ContextMenu(type));
    EXPECT_EQ((std::vector<std::string>{"&Copy", "Select &All"}), kft::Captions(kft::ReadMenu(menu)));
  }
  // A rebuild replaces the menu of its type only.
  HMENU five = window.ContextMenu(5);
  window.BuildContextMenu(3);
  EXPECT_EQ(five, window.ContextMenu(5));
  EXPECT_TRUE(IsMenu(five));
}

TEST(MenuTree, ReadsCaptionsIdsFlagsAndSubmenus) {
  kfhost::PluginHost plugins;
  HMENU root = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  HMENU deeper = CreatePopupMenu();
  AppendMenuA(root, MF_STRING | MF_CHECKED, 101, "Show All");
  AppendMenuA(root, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(deeper, MF_STRING | MF_GRAYED, 0, "No Item");
  AppendMenuA(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(deeper), "Deep");
  AppendMenuA(sub, MF_STRING, 102, "Engine");
  AppendMenuA(root, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Folder");
  const std::string sjis = kft::Sjis(u8"表示");  // trail byte 0x5C
  AppendMenuA(root, MF_STRING, 103, sjis.c_str());

  const auto items = kft::ReadMenu(root);
  EXPECT_EQ(
      "Show All  #101  [checked]\n"
      "----\n"
      "Folder  >\n"
      "  Deep  >\n"
      "    No Item  #0  [grayed]\n"
      "  Engine  #102\n" +
          kft::AnsiToUtf8(sjis) + "  #103\n",
      kft::MenuToText(items));
  const kft::MenuItem* engine = kft::FindMenuItem(items, "Folder/Engine");
  ASSERT_NE(nullptr, engine);
  EXPECT_EQ(102u, engine->id);
  const kft::MenuItem* none = kft::FindMenuItem(items, "Folder/Deep/No Item");
  ASSERT_NE(nullptr, none);
  EXPECT_TRUE(none->grayed);
  EXPECT_EQ(nullptr, kft::FindMenuItem(items, "Folder/Missing"));
  EXPECT_EQ(nullptr, kft::FindMenuItem(items, "Show All/Engine"));
  const kft::MenuItem* dbcs = kft::FindMenuItem(items, sjis);
  ASSERT_NE(nullptr, dbcs);
  EXPECT_EQ(sjis, dbcs->caption);
  DestroyMenu(root);
}

}  // namespace
