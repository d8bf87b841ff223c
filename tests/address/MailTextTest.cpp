#include "MailText.h"

#include <gtest/gtest.h>

#include "Bytes.h"
#include "ShiftJisText.h"

using kftest::Bytes;
using kftest::Hex;

namespace {

struct CleanCase {
  const char* what;
  std::u16string text;
  std::u16string clean;
};

std::string Readable(const std::u16string& text) {
  std::string out;
  for (const char16_t unit : text)
    out += unit < 0x80 ? std::string(1, static_cast<char>(unit)) : "<U+" + std::to_string(unit) + ">";
  return out;
}

// Each case cleaned as Unicode and as Shift-JIS: both must give the same text.
void ExpectCleaned(const CleanCase* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const CleanCase& c = cases[i];
    SCOPED_TRACE(std::string(c.what) + ": " + Readable(c.text));
    EXPECT_EQ(Readable(kf::CleanMailText(c.text)), Readable(c.clean));
    const std::string sjis = kft::ToShiftJis(c.text);
    EXPECT_EQ(Hex(kf::CleanMailText(sjis, kf::IsShiftJisLeadByte, kft::kMarks932)), Hex(kft::ToShiftJis(c.clean)));
  }
}

TEST(MailText, JoinsWrappedLines) {
  const CleanCase cases[] = {
      {"Japanese words join with nothing", u"検索\r\nエンジン", u"検索エンジン"},
      {"ASCII words join with a space", u"search\r\nengine", u"search engine"},
      {"CR alone and LF alone end lines too", u"a\rb\nc", u"a b c"},
      {"mixed: a space unless both sides are outside ASCII", u"検索\nengine\n検索", u"検索 engine 検索"},
      {"half-width katakana is outside ASCII", u"ｱ\r\nｲ", u"ｱｲ"},
      {"full-width mark at a line end is outside ASCII", u"引用＞\r\n検索", u"引用＞検索"},
      {"empty lines are dropped", u"a\r\n\r\n \r\n\tb", u"a b"},
  };
  ExpectCleaned(cases, sizeof cases / sizeof cases[0]);
}

// A break inside an address joins with nothing, any other after it with a
// space: the next line goes on with the address when it is one word, or
// when the address's line is long enough to have been wrapped.
TEST(MailText, JoinsOnlyAWrappedAddressWithNothing) {
  const std::u16string line75 = u"https://example.com/" + std::u16string(54, u'x') + u"/";
  const std::u16string more75(75, u'y');
  const std::u16string quoted60 = u"> https://e/" + std::u16string(48, u'a');
  const std::u16string plain59 = u"https://e/" + std::u16string(49, u'a');
  const CleanCase cases[] = {
      {"address onto one word", u"https://example.com/a\r\nb/c", u"https://example.com/ab/c"},
      {"any case, over every break", u"HTTP://x/\r\n>a\r\nb", u"HTTP://x/ab"},
      {"short address line, then words", u"https://example.com/a\r\nThanks for the help",
       u"https://example.com/a Thanks for the help"},
      {"next line starts an address of its own", u"https://a.example/x\r\nhttps://b.example/y",
       u"https://a.example/x https://b.example/y"},
      {"long address line, then words", line75 + u"\r\npath/page.html and more text",
       line75 + u"path/page.html and more text"},
      {"over three lines", line75 + u"\r\n> " + more75 + u"\r\n> end.html and more",
       line75 + more75 + u"end.html and more"},
      {"60 characters counting the quote marks", quoted60 + u"\r\nb c", quoted60.substr(2) + u"b c"},
      {"59 characters", plain59 + u"\r\nb c", plain59 + u" b c"},
      {"address after words on its line", u"see http://x\r\ny", u"see http://xy"},
      {"address right after other text", u"URL:https://e/a\r\nb", u"URL:https://e/ab"},
      {"address onto Japanese", u"https://e/\r\n検索", u"https://e/検索"},
      {"a line with words ends the address", line75 + u"\r\nb c\r\nd", line75 + u"b c d"},
      {"address ended before the break", u"https://e/a b\r\nc", u"https://e/a b c"},
      {"break after no address character", u"<https://e/a>\r\nb", u"<https://e/a> b"},
      {"break inside the scheme", u"http\r\n://x", u"http ://x"},
      {"no address without the slashes", u"http:x\r\ny", u"http:x y"},
  };
  ExpectCleaned(cases, sizeof cases / sizeof cases[0]);
}

TEST(MailText, RemovesQuoteMarksOnlyAtLineStarts) {
  const CleanCase cases[] = {
      {"quoted lines", u"> quoted\r\n> text", u"quoted text"},
      {"full-width marks and ideographic space", u"＞＞　引用", u"引用"},
      {"nested with blanks between", u">> > |\tword", u"word"},
      {"bars", u"| a\r\n｜b", u"a b"},
      {"blanks before the first mark", u"  > a", u"a"},
      {"the first line too", u">a\r\nb", u"a b"},
      {"bar inside a line stays", u"a|b", u"a|b"},
      {"mark inside a line stays", u"a > b", u"a > b"},
      {"mark at a line end stays", u"a>", u"a>"},
      {"a line of marks only is dropped", u"a\r\n>>\r\nb", u"a b"},
      {"marks only: nothing left", u">", u""},
      {"a line starting with a trail byte equal to '|' (0x83 0x7C)", u"ポ|\r\nポ", u"ポ| ポ"},
  };
  ExpectCleaned(cases, sizeof cases / sizeof cases[0]);
}

TEST(MailText, TrimsAndCollapsesBlanks) {
  const CleanCase cases[] = {
      {"trailing and leading blanks", u"  word　", u"word"},
      {"a run inside becomes one space", u"a  \t b", u"a b"},
      {"ideographic spaces inside", u"検索　　エンジン", u"検索 エンジン"},
      {"blanks only", u" \t　", u""},
      {"empty", u"", u""},
      {"line breaks only", u"\r\n\n\r", u""},
      {"a trail byte equal to '\\' stays (0x95 0x5C)", u" 表 ", u"表"},
      {"trail byte 0x81 and '@' are no ideographic space (0x95 0x81 0x40)", u"普@\t", u"普@"},
  };
  ExpectCleaned(cases, sizeof cases / sizeof cases[0]);
}

TEST(MailText, SurrogatePairIsOneCharacterOutsideAscii) {
  EXPECT_EQ(kf::CleanMailText(u"\U0001F600\r\n\U0001F600"), u"\U0001F600\U0001F600");
  EXPECT_EQ(kf::CleanMailText(u"\U0001F600\r\na"), u"\U0001F600 a");
}

// Bytes that are no valid text in the code page still get a defined outcome
// that a second cleaning keeps.
TEST(MailText, AnsiBytesThatAreNoCharacter) {
  struct AnsiCase {
    const char* what;
    kf::IsLeadByteFn isLead;
    std::string text;
    std::string clean;
  };
  const kf::AnsiMarks none;
  const AnsiCase cases[] = {
      {"lead byte before CR LF stands alone; a space keeps the next line's byte from becoming its trail",
       kf::IsShiftJisLeadByte, Bytes("81 0D 0A 84 78"), Bytes("81 20 84 78")},
      {"also in a wrapped address", kf::IsShiftJisLeadByte, "http://a" + Bytes("81 0D 0A 40"),
       "http://a" + Bytes("81 20 40")},
      {"lead byte before a tab", kf::IsShiftJisLeadByte, Bytes("81 09 61"), Bytes("81 20 61")},
      {"lead byte at the end", kf::IsShiftJisLeadByte, Bytes("61 20 81"), Bytes("61 20 81")},
      {"single-byte code page: high bytes are characters outside ASCII", kf::NoLeadBytes,
       "caf" + Bytes("E9 0D 0A E9") + "t" + Bytes("E9"), "caf" + Bytes("E9 E9") + "t" + Bytes("E9")},
      {"single-byte code page: no full-width marks", kf::NoLeadBytes, Bytes("81 84 61 81 40"), Bytes("81 84 61 81 40")},
  };
  for (const AnsiCase& c : cases) {
    SCOPED_TRACE(c.what);
    const kf::AnsiMarks& marks = c.isLead == kf::NoLeadBytes ? none : kft::kMarks932;
    const std::string clean = kf::CleanMailText(c.text, c.isLead, marks);
    EXPECT_EQ(Hex(clean), Hex(c.clean));
    EXPECT_EQ(Hex(kf::CleanMailText(clean, c.isLead, marks)), Hex(clean));
  }
}

}  // namespace
