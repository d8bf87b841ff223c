#include "EucJp.h"

#include <gtest/gtest.h>

#include "Bytes.h"

using kftest::Bytes;
using kftest::Hex;

namespace {

struct Case {
  const char* what;
  const char* in;
  const char* out;
};

const Case kCases[] = {
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
    {"lead byte last", "82", "A3 E1"},
    {"lead byte last after text", "61 81", "61 A1 E1"},
    {"80 is a lead", "80 40", "9F A1"},
    {"A0 is a lead", "A0 40", "DF A1"},
    {"FC FC", "FC FC", "98 FE"},
    {"FF FF", "FF FF", "9E 81"},
    {"trail 7F (not a real trail)", "88 7F", "AF E0"},
    {"a trail byte is never reread as a lead", "82 82 41", "A3 E2 41"},
    {"NUL as trail", "82 00 41", "A3 E1 41"},
};

TEST(SjisToEuc, ConvertsEveryByteClass) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Hex(kf::SjisToEuc(Bytes(c.in))), Hex(Bytes(c.out)));
  }
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
      const kf::JisPair jis =
          kf::SjisPairToJis(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
      ASSERT_EQ(jis.row, row) << std::hex << "lead " << lead << " trail " << trail;
      ASSERT_EQ(jis.cell, cell) << std::hex << "lead " << lead << " trail " << trail;
    }
  }
}

}  // namespace
