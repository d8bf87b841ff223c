#include "EucJp.h"

namespace kf {

JisPair SjisPairToJis(unsigned char lead, unsigned char trail) {
  // unsigned char arithmetic wraps modulo 256, which out-of-range leads rely on.
  unsigned char row = static_cast<unsigned char>(lead < 0xA0 ? 2 * (lead - 0x70) : 2 * (lead - 0xB0));
  unsigned char cell;
  if (trail < 0x9F) {
    // The lower half of each lead byte's range is the odd JIS row; 0x7F is no
    // trail byte, hence the gap between the two subtractions.
    row = static_cast<unsigned char>(row - 1);
    cell = static_cast<unsigned char>(trail > 0x7F ? trail - 0x20 : trail - 0x1F);
  } else {
    cell = static_cast<unsigned char>(trail - 0x7E);
  }
  return JisPair{row, cell};
}

std::string SjisToEuc(const std::string& text) {
  std::string out;
  out.reserve(text.size() * 2);
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b <= 0x7F) {
      out.push_back(static_cast<char>(b));
      i += 1;
    } else if (b >= 0xA1 && b <= 0xDF) {
      // Half-width katakana: EUC-JP's single-shift 2 in front.
      out.push_back(static_cast<char>(0x8E));
      out.push_back(static_cast<char>(b));
      i += 1;
    } else {
      const unsigned char trail = i + 1 < n ? static_cast<unsigned char>(text[i + 1]) : 0x00;
      const JisPair jis = SjisPairToJis(b, trail);
      out.push_back(static_cast<char>(jis.row | 0x80));
      out.push_back(static_cast<char>(jis.cell | 0x80));
      i += 2;
    }
  }
  return out;
}

}  // namespace kf
