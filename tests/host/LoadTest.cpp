// The plug-in loaded into this test program, which is the host: its start-up
// (binding once, INI path and engine directory), the fixed results of the
// fifteen callbacks, menus of types it leaves alone, and unloading.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "HostApi.h"
#include "KfTest.h"
#include "SettingForm.h"

namespace {

class LoadedPlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    kfhost::SetHostVersion("2.81.05");
    ASSERT_TRUE(sandbox.Ready());
    ASSERT_TRUE(sandbox.Load()) << "error " << sandbox.LoadError();
  }
  kft::PluginSandbox sandbox;
};

TEST_F(LoadedPlugin, ExportsAllFifteenCallbacks) { EXPECT_EQ(15, sandbox.Bkc().Count()); }

TEST_F(LoadedPlugin, CallbacksWithoutActionReturnTheirFixedResults) {
  const kfhost::BkcEntryPoints& bkc = sandbox.Bkc();
  HWND window = sandbox.Window().Handle();
  EXPECT_EQ(0, bkc.OnStart());
  EXPECT_EQ(0, bkc.OnOpenFolder("Inbox"));
  EXPECT_EQ(0, bkc.OnOpenMail("mail-id"));
  EXPECT_EQ(0, bkc.OnEveryMinute());
  EXPECT_EQ(0, bkc.OnOpenCompose(window, 1));
  EXPECT_EQ(0, bkc.OnOutgoing(window, 0));
  EXPECT_EQ(0, bkc.OnKeyDispatch(window, 'A', 0));
  EXPECT_EQ(0, bkc.OnRetrieve("mail", "id"));
  EXPECT_EQ(0, bkc.OnSend("mail"));
  EXPECT_EQ(0, bkc.OnFinishRetrieve(3));
  EXPECT_EQ(0, bkc.OnDragDrop("target", "source", 1, 1));
  // Hostile values where the plug-in must not look.
  EXPECT_EQ(0, bkc.OnOpenFolder(nullptr));
  EXPECT_EQ(0, bkc.OnOpenMail(reinterpret_cast<LPCSTR>(1)));
  EXPECT_EQ(0, bkc.OnOpenCompose(reinterpret_cast<HWND>(-1), -1));
  EXPECT_EQ(0, bkc.OnDragDrop(nullptr, nullptr, -1, -1));
  EXPECT_EQ(0, bkc.OnExit());
  // Nothing of this touched the host API.
  EXPECT_EQ(0, kfhost::OtherApiCallCount());
}

TEST_F(LoadedPlugin, BindsOnceAndUsesOnlyTwoHostFunctions) {
  // Nothing of the host is called under the loader lock: the version is
  // asked once, by the first menu.
  kfhost::ResetApiCallCounts();
  sandbox.Unload();
  ASSERT_TRUE(sandbox.Load());
  EXPECT_EQ(0, kfhost::VersionCallCount());
  sandbox.BuildMenu(3);
  sandbox.BuildMenu(12);
  EXPECT_EQ(1, kfhost::VersionCallCount());
  EXPECT_EQ(0, kfhost::OtherApiCallCount());
}

TEST_F(LoadedPlugin, ASecondLoadOfTheSameLibraryDoesNotBindAgain) {
  kfhost::ResetApiCallCounts();
  // The loader does not run the library's start-up again for a module that
  // is already mapped: same handle, no new binding.
  HMODULE again = LoadLibraryA(sandbox.DllPath().c_str());
  ASSERT_EQ(sandbox.Plugin().Module(), again);
  EXPECT_EQ(0, kfhost::VersionCallCount());
  FreeLibrary(again);
  // Still loaded (one reference left) and still working.
  EXPECT_EQ(sandbox.Plugin().Module(), GetModuleHandleA(sandbox.DllPath().c_str()));
  const auto menu = sandbox.BuildMenu(3);
  EXPECT_NE(nullptr, kft::FindMenuItem(menu, "Search engines/Show All"));
}

TEST_F(LoadedPlugin, MenuTypesOtherThanTheFourAreLeftAlone) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 7, "Host item");
  const std::string before = kft::MenuToText(menu);
  const size_t registrations = kfhost::Registrations().size();
  for (int type : {0, 1, 2, 5, 6, 10, 13, -1, 0x10003}) {
    EXPECT_EQ(0, sandbox.Bkc().OnMenuInit(sandbox.Window().Handle(), menu, type)) << type;
    EXPECT_EQ(before, kft::MenuToText(menu)) << type;
  }
  EXPECT_EQ(registrations, kfhost::Registrations().size());
  EXPECT_FALSE(kft::DirectoryExists(sandbox.EngineDir())) << "no menu build, no engine directory";
  DestroyMenu(menu);
}

TEST_F(LoadedPlugin, TheFourMenuTypesGetTheSearchMenuAppended) {
  for (int type : {3, 4, 11, 12}) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 7, "Host item");
    EXPECT_EQ(0, sandbox.Bkc().OnMenuInit(sandbox.Window().Handle(), menu, type)) << type;
    const auto items = kft::ReadMenu(menu);
    ASSERT_EQ(2u, items.size()) << type;
    EXPECT_EQ("Host item", items[0].caption);
    EXPECT_EQ("Search engines", items[1].caption);
    EXPECT_TRUE(items[1].IsPopup());
    // Every command of the build was registered for this menu's type.
    EXPECT_EQ(type, kfhost::Registrations().back().type);
    DestroyMenu(menu);
  }
}

TEST_F(LoadedPlugin, UnloadAndReloadBindsAfresh) {
  sandbox.BuildMenu(3);
  kfhost::ResetApiCallCounts();
  const std::string path = sandbox.DllPath();
  sandbox.Unload();
  EXPECT_EQ(nullptr, GetModuleHandleA(path.c_str()));
  ASSERT_TRUE(sandbox.Load());
  EXPECT_NE(nullptr, kft::FindMenuItem(sandbox.BuildMenu(3), "Search engines/Show All"));
  EXPECT_EQ(1, kfhost::VersionCallCount()) << "the new load asks again";
}

// BKC_OnExit takes down everything that could call into the library (the
// dialog, its hook, its window classes), so that the host's FreeLibrary does
// no such work under the loader lock. A host that frees the library without
// BKC_OnExit finds it still loaded while the dialog lives.
TEST(Teardown, HappensAtOnExitAndTheDialogKeepsTheLibraryUntilThen) {
  kft::MessageBoxWatcher boxes;
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  const std::string dll = sandbox.DllPath();
  using Callback = int(WINAPI*)();
  using Setup = int(WINAPI*)(HWND);

  HMODULE library = LoadLibraryA(dll.c_str());
  ASSERT_TRUE(library);
  ASSERT_EQ(1, reinterpret_cast<Setup>(GetProcAddress(library, "BKC_OnPlugInSetup"))(nullptr));
  kfhost::PumpMessages(100);
  HWND form = FindWindowA(kf::kSettingFormClass, nullptr);
  ASSERT_TRUE(form);
  FreeLibrary(library);  // no BKC_OnExit
  EXPECT_TRUE(GetModuleHandleA(dll.c_str())) << "the dialog keeps the library loaded";
  EXPECT_TRUE(IsWindow(form));
  SendMessageA(form, WM_NULL, 0, 0);
  kfhost::PumpMessages(50);

  // The host that does call BKC_OnExit: afterwards nothing is left.
  library = LoadLibraryA(dll.c_str());
  ASSERT_TRUE(library);
  EXPECT_EQ(0, reinterpret_cast<Callback>(GetProcAddress(library, "BKC_OnExit"))());
  EXPECT_FALSE(IsWindow(form));
  WNDCLASSEXA cls = {};
  cls.cbSize = sizeof(cls);
  EXPECT_FALSE(GetClassInfoExA(library, kf::kSettingFormClass, &cls));
  FreeLibrary(library);
  EXPECT_FALSE(GetModuleHandleA(dll.c_str()));
  kfhost::PumpMessages(50);
  EXPECT_EQ(0u, boxes.Count());
}

// The host hands a command's callback a value whose low 16 bits are the id;
// the plug-in compares those with the same bits of the ids it was given, the
// only ones a menu item can carry.
class CommandIdWidth : public LoadedPlugin {
 protected:
  void SetUp() override {
    LoadedPlugin::SetUp();
    sandbox.WriteEngine("Low.ini", "kftest://low/?q=[WORD]", "sjis");
    sandbox.Window().ShowMail(L"find the word here");
    ASSERT_TRUE(sandbox.Window().SelectText(L"word"));
  }
  void TearDown() override { kfhost::SetNextCommandId(50000); }

  // Builds the menu with the engine's command registered as engineId ("Show
  // All" and "Search for..." take the two ids before it) and returns that
  // registration.
  kfhost::Registration BuildWithEngineId(UINT engineId) {
    kfhost::SetNextCommandId(engineId - 2);
    const auto menu = sandbox.BuildMenu(3);
    const kft::MenuItem* item = kft::FindMenuItem(menu, "Search engines/Low");
    EXPECT_NE(nullptr, item);
    const kfhost::Registration* reg = kfhost::FindRegistration(engineId);
    EXPECT_NE(nullptr, reg);
    EXPECT_EQ("Low", reg ? reg->text : "");
    return reg ? *reg : kfhost::Registration{};
  }

  kft::MessageBoxWatcher boxes;
  kft::UrlLog urls;
};

TEST_F(CommandIdWidth, HighBitsOfTheValueAreIgnored) {
  const kfhost::Registration reg = BuildWithEngineId(5);
  ASSERT_NE(nullptr, reg.callback);
  reg.callback(sandbox.Window().Handle(), MAKELPARAM(5, 1));
  ASSERT_TRUE(urls.WaitForLines(1));
  EXPECT_EQ("kftest://low/?q=word", urls.Lines()[0]);
  EXPECT_EQ(0u, boxes.Count());
}

TEST_F(CommandIdWidth, AnIdPast65535MatchesByTheBitsAMenuItemCarries) {
  // A host that counts its ids up and never reuses them gets past 65535.
  const kfhost::Registration reg = BuildWithEngineId(70000);
  ASSERT_NE(nullptr, reg.callback);
  sandbox.Window().SendMenuCommand(70000);
  ASSERT_TRUE(urls.WaitForLines(1));
  EXPECT_EQ("kftest://low/?q=word", urls.Lines()[0]);
  EXPECT_EQ(0u, boxes.Count());
}

// Where the plug-in keeps its engines: a "Kestrelfind" folder beside the
// library, made at the first menu build (not at load).
void ExpectEngineDirMadeByFirstMenu(kft::PluginSandbox& sandbox, const std::string& expectedDir) {
  ASSERT_TRUE(sandbox.Load()) << "error " << sandbox.LoadError();
  EXPECT_EQ(expectedDir, sandbox.EngineDir());
  EXPECT_FALSE(kft::DirectoryExists(expectedDir)) << "made at load already";
  sandbox.BuildMenu(5);
  EXPECT_FALSE(kft::DirectoryExists(expectedDir)) << "made by a menu of type 5";
  const auto menu = sandbox.BuildMenu(3);
  EXPECT_TRUE(kft::DirectoryExists(expectedDir)) << expectedDir;
  // Empty: the search menu holds the toggle, "Search for...", a separator
  // and "No Item".
  const kft::MenuItem* search = kft::FindMenuItem(menu, "Search engines");
  ASSERT_NE(nullptr, search);
  EXPECT_EQ((std::vector<std::string>{"Show All", "Search &for...", "----", "No Item"}), kft::Captions(search->children));
}

TEST(EngineDirectory, IsMadeBesideTheLibraryInAFolder) {
  kft::PluginSandbox sandbox;
  ASSERT_TRUE(sandbox.Ready());
  ExpectEngineDirMadeByFirstMenu(sandbox, sandbox.Folder() + "Kestrelfind\\");
}

TEST(EngineDirectory, IsMadeAtTheRootWhenTheLibraryIsAtADriveRoot) {
  kft::PluginSandbox::Options options;
  options.folder = "R:\\";
  ASSERT_TRUE(kft::DirectoryExists("R:\\")) << "drive R: is mapped by the build's wine-run";
  kft::RemoveTree("R:\\Kestrelfind");
  kft::PluginSandbox sandbox(options);
  ASSERT_TRUE(sandbox.Ready());
  EXPECT_EQ("R:\\Kestrelfind.dll", sandbox.DllPath());
  ExpectEngineDirMadeByFirstMenu(sandbox, "R:\\Kestrelfind\\");
}

TEST(EngineDirectory, FollowsAFolderWithDotsInItsName) {
  const std::string root = kft::MakeTempFolder("kf-dots");
  kft::PluginSandbox::Options options;
  options.folder = root + "plug.ins.v2";
  {
    kft::PluginSandbox sandbox(options);
    ASSERT_TRUE(sandbox.Ready());
    ExpectEngineDirMadeByFirstMenu(sandbox, root + "plug.ins.v2\\Kestrelfind\\");
  }
  kft::RemoveTree(root);
}

TEST(EngineDirectory, FollowsAFolderWhoseNameEndsInATrailByte5C) {
  if (!kft::IsCodePage932())
    GTEST_SKIP() << "needs code page 932";
  const std::string root = kft::MakeTempFolder("kf-dbcs");
  // The last byte of both names is 0x5C, the code of a backslash.
  kft::PluginSandbox::Options options;
  options.folder = root + kft::Sjis(u8"ソフト表");
  {
    kft::PluginSandbox sandbox(options);
    ASSERT_TRUE(sandbox.Ready());
    ExpectEngineDirMadeByFirstMenu(sandbox, options.folder + "\\Kestrelfind\\");
  }
  kft::RemoveTree(root);
}

TEST(EngineDirectory, FollowsALibraryRenamedWithoutTheDllName) {
  kft::PluginSandbox::Options options;
  options.dllName = "Search.plugin.dll";
  kft::PluginSandbox sandbox(options);
  ASSERT_TRUE(sandbox.Ready());
  EXPECT_EQ(sandbox.Folder() + "Search.plugin.ini", sandbox.IniPath());
  ExpectEngineDirMadeByFirstMenu(sandbox, sandbox.Folder() + "Kestrelfind\\");
}

}  // namespace
