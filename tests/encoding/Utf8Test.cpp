#include "Utf8.h"

#include <gtest/gtest.h>

#include "Bytes.h"

using kftest::Bytes;
using kftest::Hex;

namespace {

struct Case {
  const char* what;
  std::u16string in;
  std::string out;
};

TEST(Utf16ToUtf8, ConvertsEveryFormAndReplacesLoneSurrogates) {
  const Case cases[] = {
      {"empty", u"", ""},
      {"ASCII", u"a b~\x7F", "a b~\x7F"},
      {"NUL is a character like any other", std::u16string(u"a\0b", 3), Bytes("61 00 62")},
      {"two bytes, lowest and highest", u"\u0080\u00E9\u07FF", Bytes("C2 80 C3 A9 DF BF")},
      {"three bytes: kanji, euro, last before the surrogates", u"\u691C\u20AC\uD7FF",
       Bytes("E6 A4 9C E2 82 AC ED 9F BF")},
      {"three bytes after the surrogates, up to U+FFFF", u"\uE000\uFFFD\uFFFF",
       Bytes("EE 80 80 EF BF BD EF BF BF")},
      {"surrogate pair, first and last plane", u"\U00010000\U0001F600\U0010FFFF",
       Bytes("F0 90 80 80 F0 9F 98 80 F4 8F BF BF")},
      {"lone high surrogate at the end", u"a\xD83D", Bytes("61 EF BF BD")},
      {"lone high surrogate before a letter", u"\xD83D" u"a", Bytes("EF BF BD 61")},
      {"lone low surrogate", u"\xDE00", Bytes("EF BF BD")},
      {"low before high is two lone ones", u"\xDE00\xD83D", Bytes("EF BF BD EF BF BD")},
      {"two highs, then a pair", u"\xD83D\xD83D\xDE00", Bytes("EF BF BD F0 9F 98 80")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Hex(kf::Utf16ToUtf8(c.in)), Hex(c.out));
  }
}

}  // namespace
