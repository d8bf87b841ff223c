// Shift-JIS (code page 932) to EUC-JP for engines that want their query in
// EUC-JP. The variant is eucJP-ms, the one Japanese sites that take Windows
// characters accept: JIS X 0208 and half-width katakana as in plain EUC-JP;
// NEC row 13 in row 13, apart from the characters JIS X 0208 has elsewhere;
// each IBM extension at its JIS X 0208, NEC row 13 or JIS X 0212 code, else in
// eucJP-ms's rows 0x8FF3-0x8FF4; user-defined characters in the rows
// 0xF5-0xFE, then 0x8FF5-0x8FFE. Never fails: what is no character comes out
// as '?'.
#pragma once

#include <string>

namespace kf {

// A JIS X 0208 code point without the high bit: row byte, then cell byte.
struct JisPair {
  unsigned char row;
  unsigned char cell;
};

// The JIS code of the Shift-JIS pair (lead, trail) by the regular row
// arithmetic. Any two bytes give a result; only pairs of the JIS X 0208 rows
// give a meaningful one.
JisPair SjisPairToJis(unsigned char lead, unsigned char trail);

// Converts every character of text to eucJP-ms (a 0x00 byte is an ordinary
// character): ASCII unchanged, half-width katakana behind 0x8E, a lead byte
// and a trail byte as one character of two or three bytes. Each byte that is
// no character (0x80, 0xA0, 0xFD-0xFF, a lead byte without a trail byte
// after it) and each pair that code page 932 leaves empty gives one '?'; the
// byte after a lead byte that is no trail byte is converted on its own.
std::string SjisToEuc(const std::string& text);

}  // namespace kf
