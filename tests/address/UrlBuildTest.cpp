#include "UrlBuild.h"

#include <gtest/gtest.h>

#include "Bytes.h"
#include "EucJp.h"

using kftest::Bytes;

namespace {

struct ReplaceCase {
  const char* what;
  std::string tmpl;
  std::string word;
  std::string url;
};

TEST(ReplaceWord, ReplacesEveryPlaceholderLeftToRight) {
  const ReplaceCase cases[] = {
      {"text around", "A[WORD]B", "abc", "AabcB"},
      {"twice", "x[WORD]y[WORD]z", "w", "xwywz"},
      {"adjacent", "[WORD][WORD]", "ab", "abab"},
      {"only the placeholder", "[WORD]", "abc", "abc"},
      {"no placeholder", "http://e/?q=", "abc", "http://e/?q="},
      {"case-sensitive", "a[word]b[Word]", "x", "a[word]b[Word]"},
      {"incomplete placeholders", "[WORD[WORD]WORD]", "x", "[WORDxWORD]"},
      {"word holding the placeholder is not searched again", "a[WORD]b", "[WORD]", "a[WORD]b"},
      {"word that completes a placeholder with the template", "[WOR[WORD]D]", "x", "[WORxD]"},
      {"word making a placeholder across the join", "[WORD]ORD]", "[W", "[WORD]"},
      {"empty word", "a[WORD]b[WORD]", "", "ab"},
      {"empty template", "", "abc", ""},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(kf::ReplaceWord(c.tmpl, c.word, kf::IsShiftJisLeadByte), c.url);
    EXPECT_EQ(kf::ReplaceWord(c.tmpl, c.word, kf::NoLeadBytes), c.url);
  }
}

// 0x81 0x5B is one Shift-JIS character whose second byte is '['.
TEST(ReplaceWord, TrailByteBracketStartsNoPlaceholderInShiftJis) {
  const std::string tmpl = Bytes("81") + "[WORD]";
  EXPECT_FALSE(kf::ContainsWordPlaceholder(tmpl, kf::IsShiftJisLeadByte));
  EXPECT_EQ(kf::ReplaceWord(tmpl, "x", kf::IsShiftJisLeadByte), tmpl);
  // In a single-byte code page the same bytes are a placeholder.
  EXPECT_TRUE(kf::ContainsWordPlaceholder(tmpl, kf::NoLeadBytes));
  EXPECT_EQ(kf::ReplaceWord(tmpl, "x", kf::NoLeadBytes), Bytes("81") + "x");

  // A placeholder after a complete double-byte character is found.
  const std::string after = Bytes("81 5B") + "[WORD]" + Bytes("82 A0") + "[WORD]";
  EXPECT_EQ(kf::ReplaceWord(after, "x", kf::IsShiftJisLeadByte), Bytes("81 5B") + "x" + Bytes("82 A0") + "x");
}

TEST(ContainsWordPlaceholder, FindsOnlyTheExactPlaceholder) {
  EXPECT_TRUE(kf::ContainsWordPlaceholder("http://e/?q=[WORD]&x=1", kf::IsShiftJisLeadByte));
  EXPECT_FALSE(kf::ContainsWordPlaceholder("http://e/?q=[word]", kf::IsShiftJisLeadByte));
  EXPECT_FALSE(kf::ContainsWordPlaceholder("[WORD", kf::IsShiftJisLeadByte));
  EXPECT_FALSE(kf::ContainsWordPlaceholder("", kf::IsShiftJisLeadByte));
}

TEST(BuildSearchUrl, EncodesTheWordAndPlacesIt) {
  const ReplaceCase cases[] = {
      {"placeholder in the middle", "A[WORD]B", "abc", "AabcB"},
      {"placeholder twice, encoded in both", "http://e/?a=[WORD]&b=[WORD]", "a b", "http://e/?a=a+b&b=a+b"},
      {"appended without placeholder", "http://e/?q=", "a b&c", "http://e/?q=a+b%26c"},
      {"Shift-JIS word", "http://e/?q=[WORD]", Bytes("8C 9F 8D F5"), "http://e/?q=%8C%9F%8D%F5"},
      {"empty template leaves the word unencoded", "", "a b&c", "a b&c"},
      {"empty template keeps high bytes", "", Bytes("8C 9F"), Bytes("8C 9F")},
      {"encoded word cannot form a placeholder", "http://e/?q=", "[WORD]", "http://e/?q=%5BWORD%5D"},
      {"word cut at NUL", "http://e/?q=", Bytes("61 00 62"), "http://e/?q=a"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(kf::BuildSearchUrl(c.tmpl, c.word, kf::IsShiftJisLeadByte), c.url);
  }
}

TEST(BuildSearchUrl, WordAppendedNeverExtendsTheHostNorPicksAPath) {
  const ReplaceCase cases[] = {
      {"host only: a slash first", "https://www.google.com", ".evil.com", "https://www.google.com/.evil.com"},
      {"host only, user info in the word", "https://www.google.com", "@evil.com", "https://www.google.com/@evil.com"},
      {"port and user info are in the authority", "http://u@h:8080", "x", "http://u@h:8080/x"},
      {"path", "https://e/wiki/", "x", "https://e/wiki/x"},
      {"query right after the host", "https://e?q=", "x", "https://e?q=x"},
      {"fragment right after the host", "https://e#", "x", "https://e#x"},
      {"no authority", "kftest:", "x", "kftest:x"},
      {"placeholder in the host", "https://[WORD].example.com/", "a", "https://a.example.com/"},
      {"file template without placeholder: as written", "file:///C:/docs/readme.txt", "calc.exe",
       "file:///C:/docs/readme.txt"},
      {"file template with no path: as written", "FILE://server", "x", "FILE://server"},
      {"shell template: as written", "shell:downloads", "x", "shell:downloads"},
      {"file template with placeholder is built (the open policy refuses it)", "file:///C:/[WORD]", "x",
       "file:///C:/x"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(kf::BuildSearchUrl(c.tmpl, c.word, kf::IsShiftJisLeadByte), c.url);
  }
}

TEST(BuildSearchUrl, TrailByteBracketTemplateGetsTheWordAppended) {
  const std::string tmpl = "kftest:" + Bytes("81") + "[WORD]";
  EXPECT_EQ(kf::BuildSearchUrl(tmpl, "a b", kf::IsShiftJisLeadByte), tmpl + "a+b");
}

TEST(BuildSearchUrl, DefaultUrlEndsWithTheWordAsQuery) {
  const std::string url = kf::BuildSearchUrl(kf::kDefaultSearchUrl, "word", kf::IsShiftJisLeadByte);
  EXPECT_EQ(url,
            "https://www.google.com/search?as_qt=w&lr=lang_ja&num=20&btnG=Google+%8C%9F%8D%F5"
            "&as_q=word");
}

TEST(BuildSearchUrl, EucEngineGetsTheConvertedWord) {
  // 検索 in Shift-JIS, converted for an EUC-JP engine, then encoded.
  const std::string euc = kf::SjisToEuc(Bytes("8C 9F 8D F5"));
  EXPECT_EQ(kf::BuildSearchUrl("http://e/?q=[WORD]&ie=euc-jp", euc, kf::IsShiftJisLeadByte),
            "http://e/?q=%B8%A1%BA%F7&ie=euc-jp");
}

TEST(BuildUtf8SearchUrl, EncodesLikeAnyWordButEscapesOnlyNonAsciiOfABareAddress) {
  const ReplaceCase cases[] = {
      {"template: the whole word encoded", "http://e/?q=[WORD]&ie=utf-8", "caf" + Bytes("C3 A9 20 E4 B8 AD"),
       "http://e/?q=caf%C3%A9+%E4%B8%AD&ie=utf-8"},
      {"empty template: only bytes from 0x80 up escaped", "",
       "https://e/" + Bytes("E6 A4 9C") + "?q=a b%41[d]&" + Bytes("F0 9F 98 80"),
       "https://e/%E6%A4%9C?q=a b%41[d]&%F0%9F%98%80"},
      {"empty template, NUL kept for the address check to refuse", "", Bytes("61 00 C3 A9"), Bytes("61 00") + "%C3%A9"},
      {"empty template, empty word", "", "", ""},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(kf::BuildUtf8SearchUrl(c.tmpl, c.word, kf::IsShiftJisLeadByte), c.url);
  }
}

}  // namespace
