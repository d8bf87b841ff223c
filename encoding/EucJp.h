// Shift-JIS to EUC-JP for engines that want their query in EUC-JP. Pure byte
// arithmetic: no tables, no validation, never fails.
#pragma once

#include <string>

namespace kf {

// A JIS X 0208 code point without the high bit: row byte, then cell byte.
struct JisPair {
  unsigned char row;
  unsigned char cell;
};

// The JIS code of the Shift-JIS pair (lead, trail). Any two bytes give a
// result; only valid pairs give a meaningful one.
JisPair SjisPairToJis(unsigned char lead, unsigned char trail);

// Converts every byte of text (a 0x00 byte is an ordinary character): ASCII
// unchanged, half-width katakana behind 0x8E, every other byte from 0x80 up as
// the lead of a pair. A lead byte at the very end is paired with 0x00.
std::string SjisToEuc(const std::string& text);

}  // namespace kf
