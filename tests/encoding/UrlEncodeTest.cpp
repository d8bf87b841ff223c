#include "UrlEncode.h"

#include <gtest/gtest.h>

#include <cstring>

#include "Bytes.h"

using kftest::Bytes;

namespace {

struct Case {
  const char* what;
  std::string in;
  std::string out;
};

TEST(UrlEncode, EncodesQueryText) {
  const Case cases[] = {
      {"empty", "", ""},
      {"blank and ampersand", "a b&c", "a+b%26c"},
      {"Shift-JIS kanji", Bytes("8C 9F 8D F5"), "%8C%9F%8D%F5"},
      {"EUC-JP hiragana", Bytes("A4 A2"), "%A4%A2"},
      {"tilde", "~", "%7E"},
      {"slash", "/", "%2F"},
      {"plus", "+", "%2B"},
      {"percent", "%", "%25"},
      {"safe punctuation passes", "*@!$'()-._", "*@!$'()-._"},
      {"letters and digits pass", "AZaz09Qq", "AZaz09Qq"},
      {"line feed", "\n", "%0A"},
      {"DEL", "\x7F", "%7F"},
      {"first control byte", "\x01", "%01"},
      {"hex digits are upper case", Bytes("AB CD EF FF"), "%AB%CD%EF%FF"},
      {"high byte 80", Bytes("80"), "%80"},
      {"stops at NUL", Bytes("61 62 00 63 64"), "ab"},
      {"NUL first", Bytes("00 61"), ""},
      {"several blanks", "  x  ", "++x++"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(kf::UrlEncode(c.in), c.out);
  }
}

// The whole byte range against the safe set as a list of characters, so a
// wrong bit in the table shows up as the byte it belongs to.
TEST(UrlEncode, SafeSetIsExactlyTheSeventyTwoCharacters) {
  const char* safe =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!$'()*-.@_";
  ASSERT_EQ(std::strlen(safe), 72u);
  int passed = 0;
  for (int b = 1; b <= 0xFF; ++b) {
    SCOPED_TRACE(b);
    const std::string in(1, static_cast<char>(b));
    const std::string out = kf::UrlEncode(in);
    if (std::strchr(safe, b) != nullptr) {
      EXPECT_EQ(out, in);
      ++passed;
    } else if (b == ' ') {
      EXPECT_EQ(out, "+");
    } else {
      char expected[4];
      std::snprintf(expected, sizeof expected, "%%%02X", b);
      EXPECT_EQ(out, expected);
    }
  }
  EXPECT_EQ(passed, 72);
}

TEST(UrlEncode, UnsafeInputGrowsToExactlyThreeTimes) {
  std::string in;
  for (int i = 0; i < 500; ++i)
    in += Bytes("8C 22 7B 7F");
  EXPECT_EQ(kf::UrlEncode(in).size(), 3 * in.size());
}

}  // namespace
