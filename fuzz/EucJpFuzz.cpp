// SjisToEuc over arbitrary bytes: the output is well-formed EUC-JP with one
// character for each character (or stray byte) of the input, ASCII stays
// where it was, and pairs of the JIS X 0208 rows come back unchanged through
// an independent EUC-JP to Shift-JIS decoder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "EucJp.h"
#include "FuzzInput.h"

namespace {

bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
bool IsEucByte(unsigned char b) { return b >= 0xA1 && b <= 0xFE; }

// Splits code page 932 text into characters: a lead byte with the trail byte
// after it, else a single byte.
std::vector<std::string> SjisCharacters(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n =
        IsLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() && IsTrail(static_cast<unsigned char>(s[i + 1]))
            ? 2
            : 1;
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

// Splits EUC-JP into characters: ASCII, 0x8E with a half-width katakana
// byte, two bytes 0xA1-0xFE, or 0x8F with two such bytes. False on anything
// else.
bool EucCharacters(const std::string& s, std::vector<std::string>& out) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    const auto at = [&](std::size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0; };
    std::size_t n;
    if (b <= 0x7F)
      n = 1;
    else if (b == 0x8E && at(1) >= 0xA1 && at(1) <= 0xDF)
      n = 2;
    else if (IsEucByte(b) && IsEucByte(at(1)))
      n = 2;
    else if (b == 0x8F && IsEucByte(at(1)) && IsEucByte(at(2)))
      n = 3;
    else
      return false;
    out.push_back(s.substr(i, n));
    i += n;
  }
  return true;
}

// The textbook JIS X 0208 to Shift-JIS mapping, written the other way round
// from the converter.
std::string JisToSjis(unsigned row, unsigned cell) {
  const unsigned lead = (row + 1) / 2 + (row <= 0x5E ? 0x70 : 0xB0);
  const unsigned trail = row % 2 == 1 ? cell + (cell >= 0x60 ? 0x20 : 0x1F) : cell + 0x7E;
  return std::string{static_cast<char>(lead), static_cast<char>(trail)};
}

// Rows 1-8 and 16-84, which JIS X 0208 fills; rows 9-15 hold only NEC's row
// 13, part of which takes codes of row 2.
bool IsJisX0208Row(unsigned char lead, unsigned char trail) {
  return (lead >= 0x81 && lead <= 0x84) || (lead == 0x88 && trail >= 0x9F) || (lead >= 0x89 && lead <= 0x9F) ||
         (lead >= 0xE0 && lead <= 0xEA);
}

// Kanji rows 17-46 and 49-82 have no empty cell.
bool IsFullKanjiRow(unsigned char lead) { return (lead >= 0x89 && lead <= 0x97) || (lead >= 0x99 && lead <= 0xE9); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string out = kf::SjisToEuc(in);
  KF_CHECK(out.size() <= 3 * in.size());

  std::vector<std::string> euc;
  KF_CHECK(EucCharacters(out, euc));
  const std::vector<std::string> sjis = SjisCharacters(in);
  KF_CHECK(euc.size() == sjis.size());

  for (std::size_t k = 0; k < sjis.size(); ++k) {
    const unsigned char b = static_cast<unsigned char>(sjis[k][0]);
    if (sjis[k].size() == 1) {
      if (b <= 0x7F)
        KF_CHECK(euc[k] == sjis[k]);
      else if (b >= 0xA1 && b <= 0xDF)
        KF_CHECK(euc[k] == "\x8E" + sjis[k]);
      else
        KF_CHECK(euc[k] == "?");
      continue;
    }
    // A pair gives a character of two or three bytes, or '?' where code page
    // 932 has none.
    KF_CHECK(euc[k] == "?" || euc[k].size() >= 2);
    const unsigned char trail = static_cast<unsigned char>(sjis[k][1]);
    if (IsFullKanjiRow(b))
      KF_CHECK(euc[k] != "?");
    if (IsJisX0208Row(b, trail) && euc[k] != "?") {
      const unsigned char row = static_cast<unsigned char>(euc[k][0]);
      const unsigned char cell = static_cast<unsigned char>(euc[k][1]);
      KF_CHECK(euc[k].size() == 2 && row != 0x8E);
      KF_CHECK(JisToSjis(row & 0x7Fu, cell & 0x7Fu) == sjis[k]);
    }
  }
  return 0;
}
