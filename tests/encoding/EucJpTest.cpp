#include "EucJp.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "Bytes.h"

using kftest::Bytes;
using kftest::Hex;

namespace {

struct Case {
  const char* what;
  const char* in;
  const char* out;
};

template <std::size_t N>
void ExpectConversions(const Case (&cases)[N]) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Hex(kf::SjisToEuc(Bytes(c.in))), Hex(Bytes(c.out)));
  }
}

TEST(SjisToEuc, ConvertsEveryByteClass) {
  const Case cases[] = {
      {"empty", "", ""},
      {"ASCII letter", "41", "41"},
      {"NUL is an ordinary character", "41 00 42", "41 00 42"},
      {"kanji", "8A BF", "B4 C1"},
      {"hiragana, trail from 9F keeps the row", "82 A0", "A4 A2"},
      {"katakana, trail up to 7F", "83 41", "A5 A2"},
      {"trail 80 to 9E", "81 80", "A1 E0"},
      {"ideographic space", "81 40", "A1 A1"},
      {"prolonged sound mark, trail equals '['", "81 5B", "A1 BC"},
      {"lead E0", "E0 40", "DF A1"},
      {"lead EA", "EA A4", "F4 A6"},
      {"half-width katakana", "B1", "8E B1"},
      {"half-width katakana range ends", "A1 DF", "8E A1 8E DF"},
      {"mixed", "61 82 A0", "61 A4 A2"},
      {"a trail byte is never reread as a lead", "82 82 41", "A3 E2 41"},
      {"an ASCII letter can be a trail byte", "81 61", "A1 C2"},
  };
  ExpectConversions(cases);
}

// Windows characters arrive from the clipboard as they are in code page 932;
// sites that take them read eucJP-ms.
TEST(SjisToEuc, GivesWindowsCharactersTheirEucJpMsCodes) {
  const Case cases[] = {
      {"IBM extension without a JIS X 0212 code", "FB FC 8B B4", "8F F4 FB B6 B6"},
      {"IBM extension in a name", "FA B1 FA BA", "8F F4 BD 8F F4 BE"},
      {"IBM extension with a JIS X 0212 code", "FA 5C", "8F D4 E3"},
      {"its NEC-selected twin", "ED 40", "8F D4 E3"},
      {"small roman numeral", "FA 40", "8F F3 F3"},
      {"NEC-selected small roman numeral", "EE EF", "8F F3 F3"},
      {"IBM roman numeral lands in NEC row 13", "FA 4A", "AD B5"},
      {"IBM not sign lands in JIS X 0208", "FA 54 EE F9", "A2 CC A2 CC"},
      {"NEC row 13", "87 40", "AD A1"},
      {"NEC row 13 character that JIS X 0208 also holds", "87 90", "A2 E2"},
      {"first user-defined character", "F0 40", "F5 A1"},
      {"user-defined, second half of the row", "F4 FC", "FE FE"},
      {"user-defined behind 0x8F", "F5 40", "8F F5 A1"},
      {"last user-defined character", "F9 FC", "8F FE FE"},
      {"last IBM extension", "FC 4B", "8F F4 FE"},
  };
  ExpectConversions(cases);
}

TEST(SjisToEuc, WritesOneQuestionMarkForWhatIsNoCharacter) {
  const Case cases[] = {
      {"80 is no lead byte", "80 61 62 63", "3F 61 62 63"},
      {"A0 is no lead byte", "A0 40", "3F 40"},
      {"FD to FF are no lead bytes", "FD FE FF 41", "3F 3F 3F 41"},
      {"lead byte last", "82", "3F"},
      {"lead byte last after text", "61 81", "61 3F"},
      {"lead byte before a digit", "81 31 32", "3F 31 32"},
      {"lead byte before 7F", "88 7F", "3F 7F"},
      {"lead byte before NUL", "82 00 41", "3F 00 41"},
      {"lead byte before a byte above the trail range", "81 FD 82 A0", "3F 3F A4 A2"},
      {"lead byte before a blank", "81 20 B1", "3F 20 8E B1"},
      {"empty cell in JIS X 0208 row 2", "81 AD", "3F"},
      {"empty row 9", "85 40 41", "3F 41"},
      {"empty lead EB", "EB 40", "3F"},
      {"empty NEC-selected cell", "EE ED", "3F"},
      {"after the last IBM extension", "FC 4C FC FC", "3F 3F"},
  };
  ExpectConversions(cases);
}

// One run of Cp932ToEucJpMs.inc: single bytes are their own code, pairs
// lead * 0x100 + trail; the EUC-JP code counts up through the run.
struct IconvRun {
  unsigned first;
  unsigned last;
  unsigned long euc;
};
constexpr unsigned long kNone = ~0ul;

const IconvRun kIconvRuns[] = {
#include "Cp932ToEucJpMs.inc"
};

// The bytes of a code held in one number, highest first: 0x8FF4FB, 0x8140, 0x41.
std::string CodeBytes(unsigned long code) {
  std::string out;
  if (code > 0xFFFF)
    out.push_back(static_cast<char>(code >> 16));
  if (code > 0xFF)
    out.push_back(static_cast<char>(code >> 8 & 0xFF));
  out.push_back(static_cast<char>(code & 0xFF));
  return out;
}

// Every single byte and every lead-trail pair, each on its own, converts as
// glibc's `iconv -f CP932 -t EUC-JP-MS` does; what iconv refuses gives '?'.
TEST(SjisToEuc, ConvertsEveryCodePage932CharacterAsIconvDoes) {
  std::vector<unsigned> codes;
  for (unsigned b = 0; b <= 0xFF; ++b)
    codes.push_back(b);
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF)
      continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail != 0x7F)
        codes.push_back(lead << 8 | trail);
    }
  }

  std::size_t next = 0;
  int wrong = 0;
  std::string report;
  for (const IconvRun& run : kIconvRuns) {
    ASSERT_LT(next, codes.size());
    ASSERT_EQ(codes[next], run.first) << "the runs leave a gap";
    for (unsigned long k = 0; next < codes.size() && codes[next] <= run.last; ++next, ++k) {
      const unsigned code = codes[next];
      const std::string in = CodeBytes(code);
      const std::string expected = run.euc == kNone ? "?" : CodeBytes(run.euc + k);
      const std::string got = kf::SjisToEuc(in);
      if (got != expected && ++wrong <= 20)
        report += Hex(in) + " gives " + Hex(got) + ", iconv " + Hex(expected) + "\n";
    }
  }
  EXPECT_EQ(next, codes.size()) << "the runs end early";
  EXPECT_EQ(wrong, 0) << report;
}

// Every valid JIS X 0208 code point maps back to the Shift-JIS pair it came
// from, which covers both halves of every lead byte's trail range.
TEST(SjisPairToJis, InvertsTheShiftJisMappingForEveryRowAndCell) {
  for (unsigned row = 0x21; row <= 0x7E; ++row) {
    for (unsigned cell = 0x21; cell <= 0x7E; ++cell) {
      const unsigned lead = row <= 0x5E ? (row + 1) / 2 + 0x70 : (row + 1) / 2 + 0xB0;
      unsigned trail;
      if (row % 2 == 1)
        trail = cell + (cell >= 0x60 ? 0x20 : 0x1F);
      else
        trail = cell + 0x7E;
      const kf::JisPair jis = kf::SjisPairToJis(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
      ASSERT_EQ(jis.row, row) << std::hex << "lead " << lead << " trail " << trail;
      ASSERT_EQ(jis.cell, cell) << std::hex << "lead " << lead << " trail " << trail;
    }
  }
}

}  // namespace
