#include <gtest/gtest.h>

#include "Path.h"

namespace {

using kf::IsShiftJisLeadByte;

const std::string kHyou = "\x95\x5C";  // 表
const std::string kSo = "\x83\x5C";    // ソ

struct SplitCase {
  const char* name;
  std::string path, fileDir, filePath, fileName;
};

// Test names and messages show the case's name, not its bytes.
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class PathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathSplit, SplitsAtRealDelimitersOnly) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(c.fileDir, kf::ExtractFileDir(c.path, IsShiftJisLeadByte));
  EXPECT_EQ(c.filePath, kf::ExtractFilePath(c.path, IsShiftJisLeadByte));
  EXPECT_EQ(c.fileName, kf::ExtractFileName(c.path, IsShiftJisLeadByte));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathSplit,
    ::testing::Values(
        SplitCase{"Folder", "C:\\Host\\Plugins\\Kestrelfind.dll", "C:\\Host\\Plugins", "C:\\Host\\Plugins\\",
                  "Kestrelfind.dll"},
        SplitCase{"DriveRoot", "X:\\Kestrelfind.dll", "X:\\", "X:\\", "Kestrelfind.dll"},
        SplitCase{"TrailByteInFolder", "C:\\" + kHyou + "\\a.ini", "C:\\" + kHyou, "C:\\" + kHyou + "\\", "a.ini"},
        SplitCase{"TrailByteInName", "C:\\dir\\" + kSo, "C:\\dir", "C:\\dir\\", kSo},
        SplitCase{"DriveRelative", "D:name", "D:", "D:", "name"}, SplitCase{"NameOnly", "plain", "", "", "plain"}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

TEST(PathBackslash, AddsAndRemovesOnlyARealTrailingBackslash) {
  EXPECT_EQ("C:\\a\\", kf::IncludeTrailingBackslash("C:\\a", IsShiftJisLeadByte));
  EXPECT_EQ("C:\\a\\", kf::IncludeTrailingBackslash("C:\\a\\", IsShiftJisLeadByte));
  EXPECT_EQ("C:\\" + kHyou + "\\", kf::IncludeTrailingBackslash("C:\\" + kHyou, IsShiftJisLeadByte));
  EXPECT_EQ("\\", kf::IncludeTrailingBackslash("", IsShiftJisLeadByte));
  EXPECT_EQ("C:\\" + kHyou, kf::ExcludeTrailingBackslash("C:\\" + kHyou, IsShiftJisLeadByte));
  EXPECT_EQ("C:\\a", kf::ExcludeTrailingBackslash("C:\\a\\", IsShiftJisLeadByte));
  EXPECT_EQ("C:\\a\\b", kf::JoinPath("C:\\a", "b", IsShiftJisLeadByte));
  EXPECT_EQ("C:\\a\\b", kf::JoinPath("C:\\a\\", "b", IsShiftJisLeadByte));
}

TEST(PathExtension, ReplacesFromTheLastDotOfTheFileName) {
  EXPECT_EQ("C:\\P\\Kestrelfind.ini", kf::ChangeFileExt("C:\\P\\Kestrelfind.dll", ".ini", IsShiftJisLeadByte));
  EXPECT_EQ("C:\\P\\a.b.ini", kf::ChangeFileExt("C:\\P\\a.b.dll", ".ini", IsShiftJisLeadByte));
  EXPECT_EQ("C:\\P.d\\plugin.ini", kf::ChangeFileExt("C:\\P.d\\plugin", ".ini", IsShiftJisLeadByte));
  // 0x2E as a trail byte is not a dot: 0x81 0x2E is no valid character,
  // but the rule must hold for any byte pair.
  EXPECT_EQ("C:\\a\x81\x2E" "b.ini", kf::ChangeFileExt("C:\\a\x81\x2E" "b", ".ini", IsShiftJisLeadByte));
}

TEST(PathCodePage, FollowsTheProcessCodePage) {
  // Under code page 932 表 ends in no backslash; under 1252 its second byte is one.
  const bool japanese = kf::IsAnsiLeadByte(0x95);
  EXPECT_EQ(!japanese, kf::EndsWithChar("C:\\" + kHyou, '\\', kf::IsAnsiLeadByte));
}

}  // namespace
