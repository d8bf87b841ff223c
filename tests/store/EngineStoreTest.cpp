// The store's file-level changes on real files: folder creation, rename,
// deletion and moves, and the records read from a folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "EngineStore.h"
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

  std::string root;  // ends in a backslash, like EngineDir
};

TEST_F(EngineStoreChanges, CreateFolderTakesTheFirstFreeNumber) {
  CreateDirectoryA(Path("KFND0").c_str(), nullptr);
  CreateDirectoryA(Path("KFND2").c_str(), nullptr);
  EXPECT_EQ(Path("KFND1"), kf::CreateFolder(root));
  EXPECT_TRUE(kft::DirectoryExists(Path("KFND1")));
  EXPECT_EQ(Path("KFND3"), kf::CreateFolder(root));
}

TEST_F(EngineStoreChanges, APlainFileInTheWayMakesCreateFolderFailSilently) {
  ASSERT_TRUE(kft::WriteBytes(Path("KFND0"), "a file"));
  EXPECT_EQ(Path("KFND0"), kf::CreateFolder(root));
  EXPECT_TRUE(kft::FileExists(Path("KFND0")));
}

TEST_F(EngineStoreChanges, RenameFolderReportsSuccessAndRefusal) {
  CreateDirectoryA(Path("Old").c_str(), nullptr);
  CreateDirectoryA(Path("Taken").c_str(), nullptr);
  EXPECT_EQ("", kf::RenameFolder(nullptr, root, Path("Old"), root, "Taken"));
  EXPECT_TRUE(kft::DirectoryExists(Path("Old")));
  EXPECT_EQ(Path("New"), kf::RenameFolder(nullptr, root, Path("Old"), root, "New"));
  EXPECT_TRUE(kft::DirectoryExists(Path("New")));
  EXPECT_FALSE(kft::DirectoryExists(Path("Old")));
}

TEST_F(EngineStoreChanges, DeleteFolderTakesEverythingInIt) {
  CreateDirectoryA(Path("Gone").c_str(), nullptr);
  CreateDirectoryA(Path("Gone\\Sub").c_str(), nullptr);
  WriteEngine("Gone\\Sub\\E.ini", "u");
  kf::DeleteFolder(nullptr, root, Path("Gone"));
  EXPECT_FALSE(kft::DirectoryExists(Path("Gone")));
}

TEST_F(EngineStoreChanges, MoveEngineReplacesAnEngineOfTheSameName) {
  CreateDirectoryA(Path("B").c_str(), nullptr);
  WriteEngine("E.ini", "moved");
  WriteEngine("B\\E.ini", "replaced");
  kf::MoveEngine("E", root, Path("B"));
  EXPECT_FALSE(kft::FileExists(Path("E.ini")));
  EXPECT_EQ("moved", Url("B\\E.ini"));
}

TEST_F(EngineStoreChanges, MoveFolderIntoItsOwnSubfolderChangesNothing) {
  CreateDirectoryA(Path("A").c_str(), nullptr);
  CreateDirectoryA(Path("A\\Sub").c_str(), nullptr);
  CreateDirectoryA(Path("B").c_str(), nullptr);
  kf::MoveFolder(Path("A"), Path("A\\Sub"));
  EXPECT_TRUE(kft::DirectoryExists(Path("A\\Sub")));
  kf::MoveFolder(Path("A"), Path("B"));
  EXPECT_TRUE(kft::DirectoryExists(Path("B\\A\\Sub")));
  EXPECT_FALSE(kft::DirectoryExists(Path("A")));
}

TEST_F(EngineStoreChanges, LoadEnginesReadsEveryFileButNotFolders) {
  WriteEngine("One.ini", "u1");
  WritePrivateProfileStringA("General", "encode", "123456789012345678901234", Path("One.ini").c_str());
  WriteEngine("Two.ini", "u2");
  SetFileAttributesA(Path("Two.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  CreateDirectoryA(Path("Dir.ini").c_str(), nullptr);
  std::vector<kf::EngineRecord> list;
  int failures = 0;
  kf::LoadEngineRecords(root, list, [&] { ++failures; });
  ASSERT_EQ(2u, list.size());
  std::sort(list.begin(), list.end(),
            [](const kf::EngineRecord& a, const kf::EngineRecord& b) { return a.fileName < b.fileName; });
  EXPECT_EQ("One.ini", list[0].fileName);
  EXPECT_EQ("u1", list[0].url);
  EXPECT_EQ("12345678901234567890", list[0].encode) << "only 20 characters are kept";
  EXPECT_EQ("Two.ini", list[1].fileName);
  EXPECT_EQ("", list[1].encode);
  EXPECT_TRUE(list[1].attr & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(0, failures);
  EXPECT_EQ(&list[1], kf::FindEngine(list, "Two"));
  EXPECT_EQ(nullptr, kf::FindEngine(list, "two")) << "finding a record is case-sensitive";
}

TEST_F(EngineStoreChanges, ChangesLeaveTheirFolderAsTheCurrentDirectory) {
  CreateDirectoryA(Path("F").c_str(), nullptr);
  WriteEngine("F\\E.ini", "u");
  const DWORD attr = kf::SetEngineVisible(Path("F\\E.ini"), false);
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(Path("F"), std::string(current));
  EXPECT_TRUE(attr & FILE_ATTRIBUTE_HIDDEN);
  // Showing or hiding a folder works from its parent.
  EXPECT_TRUE(kf::ToggleFolderVisibility(Path("F")));
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(root, std::string(current) + "\\");
  EXPECT_FALSE(kf::ToggleFolderVisibility(Path("F")));
  SetCurrentDirectoryA(kft::ExeDir().c_str());
}

}  // namespace
