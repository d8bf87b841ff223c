// The store's file-level changes on real files: folder creation, rename,
// deletion and moves, and the records read from a folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "EngineStore.h"
#include "Error.h"
#include "Files.h"
#include "MenuIndex.h"
#include "MenuMemory.h"
#include "Profile.h"

namespace {

class EngineStoreChanges : public ::testing::Test {
 protected:
  void SetUp() override { root = kft::MakeTempFolder("kf-store"); }
  void TearDown() override { kft::RemoveTree(root); }

  std::string Path(const std::string& rel) { return root + rel; }
  void WriteEngine(const std::string& rel, const std::string& url) {
    WritePrivateProfileStringA("General", "url", url.c_str(), Path(rel).c_str());
  }
  std::string Url(const std::string& rel) {
    char buffer[256] = {};
    GetPrivateProfileStringA("General", "url", "<missing>", buffer, sizeof(buffer), Path(rel).c_str());
    return buffer;
  }

  // Runs change and expects kf::Error with a message that holds text.
  template <typename Change>
  void ExpectFailure(Change change, const std::string& text) {
    try {
      change();
      ADD_FAILURE() << "no failure reported; expected: " << text;
    } catch (const kf::Error& e) {
      EXPECT_NE(std::string::npos, std::string(e.what()).find(text)) << e.what();
    }
  }

  std::string root;  // ends in a backslash, like the engine folder
};

TEST_F(EngineStoreChanges, CreateFolderTakesTheFirstNameNothingHasTaken) {
  CreateDirectoryA(Path("KFND0").c_str(), nullptr);
  ASSERT_TRUE(kft::WriteBytes(Path("KFND1"), "a plain file"));
  CreateDirectoryA(Path("KFND3").c_str(), nullptr);
  EXPECT_EQ(Path("KFND2"), kf::CreateFolder(root));
  EXPECT_TRUE(kft::DirectoryExists(Path("KFND2")));
  EXPECT_EQ(Path("KFND4"), kf::CreateFolder(root));
  EXPECT_TRUE(kft::FileExists(Path("KFND1"))) << "the file stays as it was";
  EXPECT_THROW(kf::CreateFolder(Path("missing\\")), kf::Error);
}

TEST_F(EngineStoreChanges, RenameFolderSucceedsOrSaysWhy) {
  CreateDirectoryA(Path("Old").c_str(), nullptr);
  CreateDirectoryA(Path("Taken").c_str(), nullptr);
  ExpectFailure([&] { kf::RenameFolder(nullptr, Path("Old"), root, "Taken"); }, "Could not rename the folder");
  EXPECT_TRUE(kft::DirectoryExists(Path("Old")));
  EXPECT_EQ(Path("New"), kf::RenameFolder(nullptr, Path("Old"), root, "New"));
  EXPECT_TRUE(kft::DirectoryExists(Path("New")));
  EXPECT_FALSE(kft::DirectoryExists(Path("Old")));
}

// A wrong click loses nothing: engines and folders go to the recycle bin.
TEST_F(EngineStoreChanges, DeletesGoToTheRecycleBin) {
  CreateDirectoryA(Path("Gone").c_str(), nullptr);
  CreateDirectoryA(Path("Gone\\Sub").c_str(), nullptr);
  WriteEngine("Gone\\E.ini", "u");
  WriteEngine("Gone\\Sub\\E.ini", "u");
  WriteEngine("Gone\\Sub\\F.ini", "u");
  SetFileAttributesA(Path("Gone\\Sub\\F.ini").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteEngine("Binned engine.ini", "u");
  EXPECT_EQ(3u, kf::CountEnginesBelow(Path("Gone"))) << "hidden ones and those in subfolders too";

  const int engines = kft::CountInRecycleBin("Binned engine.ini");
  const int folders = kft::CountInRecycleBin("Gone");
  kf::DeleteEngine(nullptr, Path("Binned engine.ini"));
  kf::DeleteFolder(nullptr, Path("Gone"));
  EXPECT_FALSE(kft::FileExists(Path("Binned engine.ini")));
  EXPECT_FALSE(kft::DirectoryExists(Path("Gone")));
  EXPECT_EQ(engines + 1, kft::CountInRecycleBin("Binned engine.ini"));
  EXPECT_EQ(folders + 1, kft::CountInRecycleBin("Gone"));
  ExpectFailure([&] { kf::DeleteEngine(nullptr, Path("Binned engine.ini")); }, "Could not move the engine file");
}

TEST_F(EngineStoreChanges, MoveEngineReplacesAnEngineOfTheSameName) {
  CreateDirectoryA(Path("B").c_str(), nullptr);
  WriteEngine("E.ini", "moved");
  WriteEngine("B\\E.ini", "replaced");
  kf::MoveEngine("E", root, Path("B"));
  EXPECT_FALSE(kft::FileExists(Path("E.ini")));
  EXPECT_EQ("moved", Url("B\\E.ini"));
  ExpectFailure([&] { kf::MoveEngine("Gone", root, Path("B")); }, "Could not move the engine file");
}

TEST_F(EngineStoreChanges, MoveFolderNeverReplacesOneAndSaysWhy) {
  CreateDirectoryA(Path("A").c_str(), nullptr);
  CreateDirectoryA(Path("A\\Sub").c_str(), nullptr);
  CreateDirectoryA(Path("B").c_str(), nullptr);
  CreateDirectoryA(Path("C").c_str(), nullptr);
  CreateDirectoryA(Path("C\\A").c_str(), nullptr);
  EXPECT_THROW(kf::MoveFolder(Path("A"), Path("A\\Sub")), kf::Error) << "not into itself";
  ExpectFailure([&] { kf::MoveFolder(Path("A"), Path("C")); }, "already holds a folder named \"A\"");
  EXPECT_TRUE(kft::DirectoryExists(Path("A\\Sub")));
  kf::MoveFolder(Path("A"), Path("B"));
  EXPECT_TRUE(kft::DirectoryExists(Path("B\\A\\Sub")));
  EXPECT_FALSE(kft::DirectoryExists(Path("A")));
}

TEST_F(EngineStoreChanges, EngineChangesThatFailSayWhyAndWriteNothing) {
  WriteEngine("A.ini", "a");
  WriteEngine("B.ini", "b");
  // A rename onto another engine's name writes nothing into either file.
  ExpectFailure([&] { kf::ModifyEngine(root, "A.ini", "B", {"new", "utf8"}); }, "Could not rename the engine file");
  EXPECT_EQ("a", Url("A.ini"));
  EXPECT_EQ("b", Url("B.ini"));
  EXPECT_EQ("C.ini", kf::ModifyEngine(root, "A.ini", "C", {"c", "euc"}));
  EXPECT_EQ("c", Url("C.ini"));
  ExpectFailure([&] { kf::DeleteEngine(nullptr, Path("A.ini")); }, "Could not move the engine file");
  // A URL the profile layer would change on its way is not claimed as saved.
  ExpectFailure([&] { kf::CreateEngine(root, "Quoted", {"\"https://q/\"", "sjis"}); }, "was not saved as entered");
}

TEST_F(EngineStoreChanges, AListingGivesFoldersAndEngineFilesApart) {
  WriteEngine("One.ini", "u1");
  WriteEngine("Two.ini", "u2");
  SetFileAttributesA(Path("Two.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(Path("Dir.ini").c_str(), nullptr);
  CreateDirectoryA(Path(".svn").c_str(), nullptr);
  ASSERT_TRUE(kft::WriteBytes(Path("notes.txt"), "not an engine"));
  kf::FolderListing all = kf::ListStoreFolder(root, true);
  std::sort(all.engines.begin(), all.engines.end(),
            [](const kf::StoreEntry& a, const kf::StoreEntry& b) { return a.name < b.name; });
  ASSERT_EQ(2u, all.engines.size());
  EXPECT_EQ("One.ini", all.engines[0].name);
  EXPECT_EQ("Two.ini", all.engines[1].name);
  EXPECT_TRUE(all.engines[1].IsHidden());
  ASSERT_EQ(1u, all.folders.size()) << "a dot folder is no folder of the store";
  EXPECT_EQ("Dir.ini", all.folders[0].name);
  EXPECT_EQ(&all.engines[1], kf::FindEngine(all.engines, "Two"));
  EXPECT_EQ(nullptr, kf::FindEngine(all.engines, "two")) << "finding an engine is case-sensitive";
  EXPECT_EQ(1u, kf::ListStoreFolder(root, false).engines.size()) << "hidden ones only when asked for";
}

// A user who appends lines by hand repeats keys: every reader takes a key's
// first line, as the platform's profile functions do, and a key that is
// taken away goes with all its lines.
TEST_F(EngineStoreChanges, EveryReaderTakesAKeysFirstLineAndRemovingAKeyRemovesAllOfIt) {
  ASSERT_TRUE(kft::WriteBytes(Path("E.ini"), "[General]\r\nurl=u\r\nkey=A\r\npin=0\r\nkey=B\r\npin=1\r\n"));
  EXPECT_EQ("A", kf::ReadEngineValue(Path("E.ini"), kf::kAccessKey, ""));
  const kf::ProfileSection section(Path("E.ini"), kf::kGeneralSection);
  EXPECT_EQ("A", section.Value(kf::kAccessKey));
  EXPECT_EQ("0", section.Value(kf::kPinKey));
  EXPECT_EQ("fallback", section.Value("missing", "fallback"));

  kf::EngineFields fields{"u", "sjis"};
  fields.accessKey = 'C';
  kf::ModifyEngine(root, "E.ini", "E", fields);
  EXPECT_EQ("C", kf::ReadEngineValue(Path("E.ini"), kf::kAccessKey, ""));
  EXPECT_EQ("<none>", kf::ReadEngineValue(Path("E.ini"), kf::kPinKey, "<none>")) << "no pin=1 comes back";
  fields.accessKey = 0;
  kf::ModifyEngine(root, "E.ini", "E", fields);
  EXPECT_EQ("<none>", kf::ReadEngineValue(Path("E.ini"), kf::kAccessKey, "<none>")) << "no key=B comes back";

  // A post engine's two keys are written only for it, and go when it is one no more.
  fields.post = true;
  fields.postBody = "q=[WORD]&lang=ja";
  kf::ModifyEngine(root, "E.ini", "E", fields);
  EXPECT_EQ("post", kf::ReadEngineValue(Path("E.ini"), kf::kMethodKey, ""));
  EXPECT_EQ("q=[WORD]&lang=ja", kf::ReadEngineValue(Path("E.ini"), kf::kPostKey, ""));
  fields.post = false;
  kf::ModifyEngine(root, "E.ini", "E", fields);
  EXPECT_EQ("<none>", kf::ReadEngineValue(Path("E.ini"), kf::kMethodKey, "<none>"));
  EXPECT_EQ("<none>", kf::ReadEngineValue(Path("E.ini"), kf::kPostKey, "<none>"));
}

TEST_F(EngineStoreChanges, NoChangeTouchesTheCurrentDirectory) {
  CreateDirectoryA(Path("F").c_str(), nullptr);
  WriteEngine("F\\E.ini", "u");
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  EXPECT_TRUE(kf::SetEngineVisible(Path("F\\E.ini"), false) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(kf::ToggleFolderVisibility(Path("F")));
  EXPECT_FALSE(kf::ToggleFolderVisibility(Path("F")));
  kf::CreateEngine(Path("F"), "G", {"u", "sjis"});
  kf::ModifyEngine(Path("F"), "G.ini", "H", {"u", "sjis"});
  kf::DeleteEngine(nullptr, Path("F\\H.ini"));
  kf::CreateFolder(Path("F"));
  char after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(before, after);
  // And so the folder can still be moved, renamed or removed by anyone.
  EXPECT_EQ(Path("G"), kf::RenameFolder(nullptr, Path("F"), root, "G"));
  ExpectFailure([&] { kf::SetEngineVisible(Path("F\\E.ini"), true); }, "Could not show or hide");
}

// The menu's memory reads a file again when the listing says it changed, and
// also while its last-write time is too close to the moment it was read for
// a change in that moment to show: a rewrite that keeps the size and the
// time (a copy that keeps the time, a file system that keeps 2 seconds).
TEST_F(EngineStoreChanges, TheMenuMemorySeesARewriteThatKeepsSizeAndTime) {
  const std::string path = Path("E.ini");
  const auto write = [&](const char* text, const FILETIME& time) {
    ASSERT_TRUE(kft::WriteBytes(path, text));
    const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
  };
  const auto listed = [&] { return kf::ListStoreFolder(root, true).engines.at(0); };
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  kf::MenuMemory memory;

  write("[General]\r\npin=1\r\nkey=A\r\n", now);
  EXPECT_TRUE(memory.TraitsOf(path, listed()).favourite);
  write("[General]\r\npin=0\r\nkey=B\r\n", now);
  kf::EngineMenuTraits traits = memory.TraitsOf(path, listed());
  EXPECT_FALSE(traits.favourite) << "written the moment it was read: read again";
  EXPECT_EQ('B', traits.accessKey);

  // Written well before: remembered until the listing tells of a change.
  ULARGE_INTEGER earlier;
  earlier.LowPart = now.dwLowDateTime;
  earlier.HighPart = now.dwHighDateTime;
  earlier.QuadPart -= 60ULL * 10000000ULL;
  const FILETIME minuteAgo = {earlier.LowPart, earlier.HighPart};
  write("[General]\r\npin=1\r\nkey=C\r\n", minuteAgo);
  EXPECT_EQ('C', memory.TraitsOf(path, listed()).accessKey);
  earlier.QuadPart += 10000000ULL;
  write("[General]\r\npin=1\r\nkey=D\r\npin=0\r\n", {earlier.LowPart, earlier.HighPart});
  traits = memory.TraitsOf(path, listed());
  EXPECT_EQ('D', traits.accessKey) << "a change the listing shows";
  EXPECT_TRUE(traits.favourite) << "the first line of a key counts";
}

// The index of the menu's memory is taken only whole, and only for the store
// it was written for.
TEST(MenuIndex, IsReadBackWholeAndOnlyForItsOwnStore) {
  const std::string store = "C:\\Becky\\PlugIns\\Kestrelfind\\";
  std::vector<kf::IndexedEngine> engines(2);
  engines[0] = {"Google.ini", 0x01D9ABCDEF012345ULL, 123, true, 'G'};
  engines[1] = {"Web\\Sub\\\x95\x5C.ini", 1, 0, false, 0};
  const std::string text = kf::FormatMenuIndex(store, engines);

  std::vector<kf::IndexedEngine> back;
  ASSERT_TRUE(kf::ParseMenuIndex(text, store, back));
  ASSERT_EQ(2u, back.size());
  EXPECT_EQ(engines[0].relativePath, back[0].relativePath);
  EXPECT_EQ(engines[0].written, back[0].written);
  EXPECT_EQ(123u, back[0].size);
  EXPECT_TRUE(back[0].favourite);
  EXPECT_EQ('G', back[0].accessKey);
  EXPECT_EQ(engines[1].relativePath, back[1].relativePath);
  EXPECT_EQ(0, back[1].accessKey);

  const std::string bad[] = {
      "",
      text.substr(0, text.size() - 2),                        // cut short
      text.substr(0, text.rfind("end")),                      // no end line
      text + "x",                                             // something after the end
      std::string(text).replace(text.find("\t1\tG"), 2, "\t2"),  // not a pin value
      "Kestrelfind menu index 2" + text.substr(text.find("\r\n")),
  };
  for (const std::string& damaged : bad) {
    back.clear();
    EXPECT_FALSE(kf::ParseMenuIndex(damaged, store, back)) << damaged;
    EXPECT_TRUE(back.empty());
  }
  EXPECT_FALSE(kf::ParseMenuIndex(text, "D:\\Other\\PlugIns\\Kestrelfind\\", back)) << "another store";
}

}  // namespace
