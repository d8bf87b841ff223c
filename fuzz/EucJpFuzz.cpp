// SjisToEuc over arbitrary bytes: the output follows the byte-class rules
// step by step, and valid Shift-JIS comes back unchanged through an
// independent EUC-JP to Shift-JIS decoder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "EucJp.h"

namespace {

bool IsValidLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF); }
bool IsValidTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The textbook JIS X 0208 to Shift-JIS mapping, written the other way round
// from the converter.
void JisToSjis(unsigned row, unsigned cell, std::string& out) {
  const unsigned lead = (row + 1) / 2 + (row <= 0x5E ? 0x70 : 0xB0);
  const unsigned trail = row % 2 == 1 ? cell + (cell >= 0x60 ? 0x20 : 0x1F) : cell + 0x7E;
  out.push_back(static_cast<char>(lead));
  out.push_back(static_cast<char>(trail));
}

// Decodes EUC-JP made of ASCII, SS2 katakana and two-byte JIS X 0208; false
// on anything else.
bool EucToSjis(const std::string& euc, std::string& out) {
  for (std::size_t i = 0; i < euc.size();) {
    const unsigned char b = static_cast<unsigned char>(euc[i]);
    if (b <= 0x7F) {
      out.push_back(static_cast<char>(b));
      i += 1;
      continue;
    }
    if (i + 1 >= euc.size())
      return false;
    const unsigned char c = static_cast<unsigned char>(euc[i + 1]);
    if (b == 0x8E) {
      if (c < 0xA1 || c > 0xDF)
        return false;
      out.push_back(static_cast<char>(c));
    } else {
      if (b < 0xA1 || b > 0xFE || c < 0xA1 || c > 0xFE)
        return false;
      JisToSjis(b & 0x7Fu, c & 0x7Fu, out);
    }
    i += 2;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string out = kf::SjisToEuc(in);

  bool valid = true;
  std::size_t j = 0;
  for (std::size_t i = 0; i < in.size();) {
    const unsigned char b = static_cast<unsigned char>(in[i]);
    if (b <= 0x7F) {
      KF_CHECK(j < out.size() && static_cast<unsigned char>(out[j]) == b);
      i += 1;
      j += 1;
    } else if (b >= 0xA1 && b <= 0xDF) {
      KF_CHECK(j + 1 < out.size());
      KF_CHECK(static_cast<unsigned char>(out[j]) == 0x8E);
      KF_CHECK(static_cast<unsigned char>(out[j + 1]) == b);
      i += 1;
      j += 2;
    } else {
      // Every other high byte takes the next byte (or 0x00) as its trail,
      // and both output bytes carry the high bit.
      KF_CHECK(j + 1 < out.size());
      KF_CHECK(static_cast<unsigned char>(out[j]) >= 0x80);
      KF_CHECK(static_cast<unsigned char>(out[j + 1]) >= 0x80);
      const unsigned char trail = i + 1 < in.size() ? static_cast<unsigned char>(in[i + 1]) : 0;
      const kf::JisPair jis = kf::SjisPairToJis(b, trail);
      KF_CHECK(static_cast<unsigned char>(out[j]) == (jis.row | 0x80));
      KF_CHECK(static_cast<unsigned char>(out[j + 1]) == (jis.cell | 0x80));
      if (!IsValidLead(b) || i + 1 >= in.size() || !IsValidTrail(trail)) {
        valid = false;
      } else {
        // A real character lands inside the JIS X 0208 square.
        KF_CHECK(jis.row >= 0x21 && jis.row <= 0x7E);
        KF_CHECK(jis.cell >= 0x21 && jis.cell <= 0x7E);
      }
      i += 2;
      j += 2;
    }
  }
  KF_CHECK(j == out.size());

  if (valid) {
    std::string back;
    KF_CHECK(EucToSjis(out, back));
    KF_CHECK(back == in);
  }
  return 0;
}
