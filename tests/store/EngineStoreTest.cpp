// The store's file-level changes on real files: folder creation, rename,
// deletion and moves, and the records read from a folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "EngineStore.h"
#include "ErrorBox.h"
#include "FolderNode.h"
#include "Files.h"

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

TEST_F(EngineStoreChanges, DeleteFolderTakesEverythingInIt) {
  CreateDirectoryA(Path("Gone").c_str(), nullptr);
  CreateDirectoryA(Path("Gone\\Sub").c_str(), nullptr);
  WriteEngine("Gone\\Sub\\E.ini", "u");
  kf::DeleteFolder(nullptr, Path("Gone"));
  EXPECT_FALSE(kft::DirectoryExists(Path("Gone")));
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
  ExpectFailure([&] { kf::DeleteEngine(Path("A.ini")); }, "Could not delete the engine file");
  // A URL the profile layer would change on its way is not claimed as saved.
  ExpectFailure([&] { kf::CreateEngine(root, "Quoted", {"\"https://q/\"", "sjis"}); }, "was not saved as entered");
}

TEST_F(EngineStoreChanges, TheDialogsRecordsListEveryEngineFileButNoFolder) {
  WriteEngine("One.ini", "u1");
  WriteEngine("Two.ini", "u2");
  SetFileAttributesA(Path("Two.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(Path("Dir.ini").c_str(), nullptr);
  std::vector<kf::EngineRecord> list = kf::ListEngineRecords(root);
  ASSERT_EQ(2u, list.size());
  std::sort(list.begin(), list.end(),
            [](const kf::EngineRecord& a, const kf::EngineRecord& b) { return a.fileName < b.fileName; });
  EXPECT_EQ("One.ini", list[0].fileName);
  EXPECT_EQ("Two.ini", list[1].fileName);
  EXPECT_TRUE(list[1].attr & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(&list[1], kf::FindEngine(list, "Two"));
  EXPECT_EQ(nullptr, kf::FindEngine(list, "two")) << "finding a record is case-sensitive";
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
  kf::DeleteEngine(Path("F\\H.ini"));
  kf::CreateFolder(Path("F"));
  char after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(before, after);
  // And so the folder can still be moved, renamed or removed by anyone.
  EXPECT_EQ(Path("G"), kf::RenameFolder(nullptr, Path("F"), root, "G"));
  ExpectFailure([&] { kf::SetEngineVisible(Path("F\\E.ini"), true); }, "Could not show or hide");
}

}  // namespace
