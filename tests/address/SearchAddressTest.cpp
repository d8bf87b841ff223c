#include "SearchAddress.h"

#include <gtest/gtest.h>

#include "ShiftJisText.h"

namespace {

using kf::AddressRefusal;
using kf::Encoding;

const char* Name(AddressRefusal refusal) {
  switch (refusal) {
    case AddressRefusal::None:
      return "None";
    case AddressRefusal::Empty:
      return "Empty";
    case AddressRefusal::NotWebAddress:
      return "NotWebAddress";
    case AddressRefusal::BareAddressHost:
      return "BareAddressHost";
    case AddressRefusal::BareAddressPercent:
      return "BareAddressPercent";
    case AddressRefusal::PathSchemeWithWord:
      return "PathSchemeWithWord";
    case AddressRefusal::TooLong:
      return "TooLong";
    case AddressRefusal::TooLongForShell:
      return "TooLongForShell";
    case AddressRefusal::PostActionNotWeb:
      return "PostActionNotWeb";
    case AddressRefusal::PostActionWithWord:
      return "PostActionWithWord";
    case AddressRefusal::PostWithoutWord:
      return "PostWithoutWord";
  }
  return "?";
}

struct AddressCase {
  const char* what;
  std::u16string selection;  // selected as UTF-16 and, through the test table, as Shift-JIS
  std::string tmpl;
  Encoding encoding;
  bool clean;
  std::string address;
  AddressRefusal refusal;
};

// Under code page 932, as the plug-in sees a Japanese system.
kf::SearchAddress Build(const std::u16string& selection, const std::string& tmpl, Encoding encoding, bool clean) {
  return kf::BuildSearchAddress({kft::ToShiftJis(selection), selection}, {tmpl, encoding, clean, false, std::string()},
                                kf::IsShiftJisLeadByte, kft::kMarks932);
}

void ExpectAddresses(const AddressCase* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const AddressCase& c = cases[i];
    SCOPED_TRACE(c.what);
    const kf::SearchAddress result = Build(c.selection, c.tmpl, c.encoding, c.clean);
    EXPECT_EQ(result.address, c.address);
    EXPECT_STREQ(Name(result.refusal), Name(c.refusal));
  }
}

const Encoding kSjis = Encoding::ShiftJis;
const Encoding kEuc = Encoding::EucJp;
const Encoding kUtf8 = Encoding::Utf8;
const AddressRefusal kOpens = AddressRefusal::None;

TEST(SearchAddress, EncodingOfValueTakesOnlyTheExactValues) {
  const struct {
    const char* value;
    Encoding encoding;
  } cases[] = {
      {"euc", kEuc},  {"utf8", kUtf8},  {"sjis", kSjis},  {"", kSjis},     {"Sjis", kSjis},
      {"EUC", kSjis}, {"UTF-8", kSjis}, {"utf-8", kSjis}, {" euc", kSjis}, {"utf8 ", kSjis},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(kf::EncodingOfValue(c.value), c.encoding);
  }
}

TEST(SearchAddress, CleansTheSelectionThenEncodesIt) {
  const AddressCase cases[] = {
      {"wrapped Japanese, UTF-8", u"検索\r\nエンジン", "https://e/?q=", kUtf8, true,
       "https://e/?q=%E6%A4%9C%E7%B4%A2%E3%82%A8%E3%83%B3%E3%82%B8%E3%83%B3", kOpens},
      {"wrapped Japanese, Shift-JIS", u"検索\r\nエンジン", "https://e/?q=", kSjis, true,
       "https://e/?q=%8C%9F%8D%F5%83G%83%93%83W%83%93", kOpens},
      {"wrapped Japanese, EUC-JP", u"検索\r\nエンジン", "https://e/?q=", kEuc, true,
       "https://e/?q=%B8%A1%BA%F7%A5%A8%A5%F3%A5%B8%A5%F3", kOpens},
      {"quoted lines", u"> quoted\r\n> text", "https://e/?q=[WORD]&x=1", kSjis, true, "https://e/?q=quoted+text&x=1",
       kOpens},
      {"full-width quote, Shift-JIS", u"＞＞　引用", "https://e/?q=", kSjis, true, "https://e/?q=%88%F8%97p", kOpens},
      {"full-width quote, UTF-8", u"＞＞　引用", "https://e/?q=", kUtf8, true, "https://e/?q=%E5%BC%95%E7%94%A8",
       kOpens},
      {"blanks around", u"  word　", "https://e/?q=", kUtf8, true, "https://e/?q=word", kOpens},
      {"blanks inside", u"a  \t b", "https://e/?q=", kSjis, true, "https://e/?q=a+b", kOpens},
      {"bar inside a line", u"a|b", "https://e/?q=", kSjis, true, "https://e/?q=a%7Cb", kOpens},
      {"quote marks only: searched as selected, trimmed", u" >>\r\n> 　\r\n", "https://e/?q=", kSjis, true,
       "https://e/?q=%3E%3E%0D%0A%3E", kOpens},
      {"quote marks only, UTF-8", u"　>>\t", "https://e/?q=", kUtf8, true, "https://e/?q=%3E%3E", kOpens},
      {"quote marks only, bare address", u">>", "", kUtf8, true, ">>", AddressRefusal::NotWebAddress},
      {"blanks and line breaks only", u" \r\n　\t\n", "https://e/?q=", kSjis, true, "", AddressRefusal::Empty},
      {"blanks only, UTF-8", u" 　", "https://e/?q=", kUtf8, true, "", AddressRefusal::Empty},
      {"nothing selected", u"", "https://e/?q=", kSjis, true, "", AddressRefusal::Empty},
      {"clean=0 sends the raw text", u"a\r\nb", "https://e/?q=", kSjis, false, "https://e/?q=a%0D%0Ab", kOpens},
      {"clean=0, UTF-8", u" a\r\nb", "https://e/?q=", kUtf8, false, "https://e/?q=+a%0D%0Ab", kOpens},
      {"clean=0, nothing selected", u"", "https://e/?q=", kUtf8, false, "", AddressRefusal::Empty},
      {"wrapped address, Shift-JIS", u"https://example.com/a\r\nb/c", "", kSjis, true, "https://example.com/ab/c",
       kOpens},
      {"wrapped address, UTF-8", u"https://example.com/a\r\nb/c", "", kUtf8, true, "https://example.com/ab/c", kOpens},
      {"quoted address", u"> https://example.com/\r\n> 検索", "", kUtf8, true, "https://example.com/%E6%A4%9C%E7%B4%A2",
       kOpens},
      {"address, then a line of words", u"https://example.com/a\r\nThanks for the help", "https://e/?q=", kSjis, true,
       "https://e/?q=https%3A%2F%2Fexample.com%2Fa+Thanks+for+the+help", kOpens},
      {"two addresses on two lines are no one address", u"https://a.example/x\r\nhttps://b.example/y", "", kUtf8, true,
       "https://a.example/x https://b.example/y", AddressRefusal::NotWebAddress},
  };
  ExpectAddresses(cases, sizeof cases / sizeof cases[0]);
}

TEST(SearchAddress, WordNeverPicksAPathOrExtendsTheHost) {
  const AddressRefusal kPath = AddressRefusal::PathSchemeWithWord;
  const AddressCase cases[] = {
      {"file: taking the word", u"calc.exe", "file:///C:/x/[WORD]", kSjis, true, "file:///C:/x/[WORD]", kPath},
      {"file: in upper case", u"calc.exe", "FILE:///C:/x/[WORD]", kUtf8, true, "FILE:///C:/x/[WORD]", kPath},
      {"shell:", u"x", "Shell:::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\[WORD]", kSjis, true,
       "Shell:::{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\[WORD]", kPath},
      {"refused even with nothing selected", u"", "file:[WORD]", kSjis, true, "file:[WORD]", kPath},
      {"file: without the word opens as written", u"calc.exe", "file:///C:/docs/readme.txt", kSjis, true,
       "file:///C:/docs/readme.txt", kOpens},
      {"shell: without the word opens as written", u"x", "shell:downloads", kUtf8, true, "shell:downloads", kOpens},
      {"host-only template: the word goes after a slash", u".evil.com", "https://www.google.com", kSjis, true,
       "https://www.google.com/.evil.com", kOpens},
      {"host-only template, user info in the word", u"@evil.com", "https://www.google.com", kUtf8, true,
       "https://www.google.com/@evil.com", kOpens},
      {"host with port", u"x", "http://localhost:8080", kSjis, true, "http://localhost:8080/x", kOpens},
      {"placeholder in the host on purpose", u"a", "https://[WORD].example.com/", kSjis, true, "https://a.example.com/",
       kOpens},
      {"query right after the host", u"x", "https://e?q=", kSjis, true, "https://e?q=x", kOpens},
  };
  ExpectAddresses(cases, sizeof cases / sizeof cases[0]);
}

TEST(SearchAddress, BareAddressMustBePlain) {
  const AddressCase cases[] = {
      {"UNC behind http", u"http://\\\\evil\\share", "", kSjis, true, "http://\\\\evil\\share",
       AddressRefusal::BareAddressHost},
      {"user info", u"https://google.com@evil.com/", "", kUtf8, true, "https://google.com@evil.com/",
       AddressRefusal::BareAddressHost},
      {"broken escape", u"http://x%../a", "", kSjis, true, "http://x%../a", AddressRefusal::BareAddressPercent},
      {"program", u"calc.exe", "", kSjis, true, "calc.exe", AddressRefusal::NotWebAddress},
      {"plain address with escapes", u"https://example.com/a?b=%41&c=[d]", "", kSjis, true,
       "https://example.com/a?b=%41&c=[d]", kOpens},
      {"'@' and '\\' in the path", u"https://example.com/a@b\\c", "", kSjis, true, "https://example.com/a@b\\c",
       kOpens},
      {"Shift-JIS host with a trail byte 0x5C", u"http://表.jp/", "", kSjis, true, "http://\x95\x5C.jp/", kOpens},
      {"the same host in UTF-8", u"http://表.jp/", "", kUtf8, true, "http://%E8%A1%A8.jp/", kOpens},
  };
  ExpectAddresses(cases, sizeof cases / sizeof cases[0]);
}

TEST(SearchAddress, NoAddressLongerThanAnyShellTakes) {
  const std::string tmpl = "https://e/?q=";
  const std::u16string fits(kf::kMaxAddressBytes - tmpl.size(), u'a');
  EXPECT_STREQ(Name(Build(fits, tmpl, kSjis, true).refusal), "None");
  EXPECT_STREQ(Name(Build(fits + u"a", tmpl, kSjis, true).refusal), "TooLong");
  // Encoding makes the address longer than the selection.
  EXPECT_STREQ(Name(Build(std::u16string(kf::kMaxAddressBytes / 3, u'検'), tmpl, kUtf8, true).refusal), "TooLong");
}

}  // namespace
