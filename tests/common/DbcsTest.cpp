#include <gtest/gtest.h>

#include "Dbcs.h"

namespace {

using kf::IsShiftJisLeadByte;
using kf::NoLeadBytes;

// 表 is 95 5C in Shift-JIS: its second byte is the backslash's code.
const std::string kHyou = "\x95\x5C";
// ー is 81 5B: its second byte is '['.
const std::string kChouon = "\x81\x5B";

TEST(DbcsScan, TrailBytesAreNeverSingleByteCharacters) {
  EXPECT_EQ(std::string::npos, kf::FindChar(kHyou, '\\', IsShiftJisLeadByte));
  EXPECT_EQ(1u, kf::FindChar(kHyou, '\\', NoLeadBytes));
  EXPECT_FALSE(kf::EndsWithChar("C:\\" + kHyou, '\\', IsShiftJisLeadByte));
  EXPECT_TRUE(kf::EndsWithChar("C:\\" + kHyou + "\\", '\\', IsShiftJisLeadByte));
  EXPECT_EQ(2u, kf::FindLastChar("C:\\" + kHyou, '\\', IsShiftJisLeadByte));
  EXPECT_EQ(std::string::npos, kf::FindText(kChouon + "WORD]", "[WORD]", 0, IsShiftJisLeadByte));
  EXPECT_EQ(2u, kf::FindText(kChouon + "[WORD]", "[WORD]", 0, IsShiftJisLeadByte));
}

TEST(DbcsScan, LoneLeadByteAtTheEndIsOneCharacter) {
  const std::string s = "a\x82";
  EXPECT_EQ(1u, kf::CharLength(s, 1, IsShiftJisLeadByte));
  EXPECT_TRUE(kf::EndsWithChar("a\x82\\", '\\', IsShiftJisLeadByte) == false);
  EXPECT_EQ(std::string::npos, kf::FindChar(s, '\\', IsShiftJisLeadByte));
}

TEST(DbcsScan, TruncationKeepsCharactersWhole) {
  const std::string s = "ab" + kHyou + "c";
  EXPECT_EQ("ab", kf::TruncateText(s, 3, IsShiftJisLeadByte));
  EXPECT_EQ("ab" + kHyou, kf::TruncateText(s, 4, IsShiftJisLeadByte));
  EXPECT_EQ(s, kf::TruncateText(s, 100, IsShiftJisLeadByte));
  EXPECT_EQ("ab\x95", kf::TruncateText(s, 3, NoLeadBytes));
  EXPECT_EQ("", kf::TruncateText(s, 0, IsShiftJisLeadByte));
}

}  // namespace
