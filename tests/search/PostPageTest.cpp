// The page files of post engines on their own: written new, each under a
// name of its own, and removed by the session that wrote them or, once a day
// old, by a later start; nothing else in the folder is ever touched.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Error.h"
#include "PostPage.h"

namespace {

class PostPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "kf-postpage-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(GetTickCount()) + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
  }
  void TearDown() override {
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA((folder_ + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string path = folder_ + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveDirectoryA(path.c_str());
        else
          DeleteFileA(path.c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    RemoveDirectoryA(folder_.c_str());
  }

  static std::string Read(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return "<missing>";
    char buffer[256];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
  }

  static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  // A file (or folder) named name, last written hoursAgo hours ago.
  void Make(const std::string& name, int hoursAgo, bool folder) {
    const std::string path = folder_ + name;
    if (folder) {
      ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << name;
    }
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, folder ? OPEN_EXISTING : CREATE_NEW,
                                    folder ? FILE_FLAG_BACKUP_SEMANTICS : 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << name;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    t.QuadPart -= static_cast<ULONGLONG>(hoursAgo) * 60 * 60 * 10000000;
    const FILETIME written = {t.LowPart, t.HighPart};
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &written)) << name;
    CloseHandle(file);
  }

  std::string folder_;
};

TEST_F(PostPageTest, EachPageIsANewFileTheSessionTakesAwayAtItsEnd) {
  const std::string first = kf::WritePostPage(folder_, "<p>one</p>");
  const std::string second = kf::WritePostPage(folder_, std::string("two\0bytes", 9));
  EXPECT_NE(first, second);
  for (const std::string& path : {first, second}) {
    ASSERT_EQ(0u, path.find(folder_)) << path;
    EXPECT_TRUE(kf::IsPostPageName(path.substr(folder_.size()))) << path;
  }
  EXPECT_EQ("<p>one</p>", Read(first));
  EXPECT_EQ(std::string("two\0bytes", 9), Read(second));

  kf::RemoveSessionPostPages();
  EXPECT_FALSE(Exists(first));
  EXPECT_FALSE(Exists(second));

  try {
    kf::WritePostPage(folder_ + "missing\\", "x");
    ADD_FAILURE() << "written into a folder that does not exist";
  } catch (const kf::Error& e) {
    EXPECT_EQ(0u, std::string(e.what()).find("The form page could not be written: ")) << e.what();
  }
}

TEST_F(PostPageTest, AStartRemovesOnlyItsOwnPagesOlderThanADay) {
  const struct {
    const char* name;
    int hoursAgo;
    bool folder;
    bool removed;
  } cases[] = {
      {"Kestrelfind-post-0A1B2C3D.html", 25, false, true},  {"kestrelfind-post-ffffffff.HTML", 48, false, true},
      {"Kestrelfind-post-0A1B2C3E.html", 23, false, false}, {"Kestrelfind-post-0A1B2C3.html", 48, false, false},
      {"Kestrelfind-post-0A1B2C3G.html", 48, false, false}, {"Kestrelfind-post-0A1B2C3D4.html", 48, false, false},
      {"Kestrelfind-post-0A1B2C3D.htm", 48, false, false},  {"Kestrelfind-post-0A1B2C3D.html.txt", 48, false, false},
      {"Kestrelfind post 0A1B2C3D.html", 48, false, false}, {"Other-post-0A1B2C3D.html", 48, false, false},
      {"Kestrelfind-post-00000000.html", 48, true, false},
  };
  for (const auto& c : cases)
    Make(c.name, c.hoursAgo, c.folder);
  kf::RemoveOldPostPages(folder_);
  for (const auto& c : cases)
    EXPECT_EQ(!c.removed, Exists(folder_ + c.name)) << c.name;
}

}  // namespace
