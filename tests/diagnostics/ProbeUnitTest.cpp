// The probe's platform helpers on their own: directories, the writability
// test, file versions and the debug switch.
#include <windows.h>

#include <gtest/gtest.h>

#include "EnvironmentProbe.h"
#include "Files.h"
#include "ReadOnlyFolder.h"

using namespace kf;

namespace {

TEST(ProbePaths, SystemAndTempDirectoriesExistWithoutTrailingBackslash) {
  for (const std::string& dir : {SystemDirectory(), TempDirectory()}) {
    ASSERT_FALSE(dir.empty());
    EXPECT_NE('\\', dir.back()) << dir;
    EXPECT_TRUE(kft::DirectoryExists(dir + "\\")) << dir;
  }
  EXPECT_TRUE(kft::FileExists(SystemDirectory() + "\\kernel32.dll"));
}

TEST(ProbePaths, IsDirWritableLeavesNothingAndTouchesNoExistingFile) {
  const std::string dir = kft::MakeTempFolder("kfhelp");
  // A file that the old scratch name would have emptied and removed.
  const std::string someoneElses = dir + "$_Temp_$.$$$";
  ASSERT_TRUE(kft::WriteBytes(someoneElses, "kept"));
  EXPECT_TRUE(IsDirWritable(dir));
  EXPECT_TRUE(IsDirWritable(dir.substr(0, dir.size() - 1)));
  EXPECT_EQ("kept", kft::ReadBytes(someoneElses));
  WIN32_FIND_DATAA data;
  const HANDLE find = FindFirstFileA((dir + "*.tmp").c_str(), &data);
  EXPECT_EQ(INVALID_HANDLE_VALUE, find) << "no scratch file is left";
  if (find != INVALID_HANDLE_VALUE)
    FindClose(find);
  EXPECT_FALSE(IsDirWritable(dir + "missing"));
  kft::RemoveTree(dir);

  const std::string readOnly = kft::ReadOnlyPluginFolder();
  if (readOnly.empty())
    GTEST_SKIP() << "no read-only folder on this system";
  EXPECT_FALSE(IsDirWritable(readOnly));
}

TEST(ProbeFiles, ReadFileVersion) {
  const VersionInfo kernel = ReadFileVersion(SystemDirectory() + "\\kernel32.dll");
  EXPECT_NE("", kernel.text);
  EXPECT_EQ(VersionText(kernel.version), kernel.text);

  const std::string dir = kft::MakeTempFolder("kfhelp");
  ASSERT_TRUE(kft::WriteBytes(dir + "plain.dll", "no version here"));
  for (const std::string& path : {dir + "plain.dll", dir + "missing.dll", std::string()}) {
    const VersionInfo none = ReadFileVersion(path);
    EXPECT_EQ("", none.text) << path;
    EXPECT_EQ(0, CompareVersions(FileVersion{}, none.version)) << path;
  }
  kft::RemoveTree(dir);
}

TEST(DebugSwitch, FileOrParameterInAnyLetterCase) {
  const std::string dir = kft::MakeTempFolder("kfhelp");
  const std::string moduleDir = dir.substr(0, dir.size() - 1);
  EXPECT_TRUE(DebugSwitchOn(moduleDir, L"host.exe /DEBUG"));
  EXPECT_TRUE(DebugSwitchOn(moduleDir, L"host.exe a \"b c\" -Debug d"));
  EXPECT_FALSE(DebugSwitchOn(moduleDir, L"host.exe debug"));
  EXPECT_FALSE(DebugSwitchOn(moduleDir, L"host.exe /debugx --debug"));
  EXPECT_FALSE(DebugSwitchOn(moduleDir, L"/debug")) << "the program name is no parameter";
  EXPECT_FALSE(DebugSwitchOn(moduleDir, nullptr));
  ASSERT_TRUE(kft::WriteBytes(dir + "debug.debug", ""));
  EXPECT_TRUE(DebugSwitchOn(moduleDir, L"host.exe"));
  kft::RemoveTree(dir);
}

}  // namespace
