#include "EucJp.h"

#include <cstdint>
#include <iterator>

#include "Dbcs.h"

namespace kf {

namespace {

// The rows of the tables: a Shift-JIS code is lead * 0x100 + trail, an
// EUC-JP code its two or three bytes in one number.
struct SjisRange {
  std::uint16_t first;
  std::uint16_t last;
};

struct RemappedCell {
  std::uint16_t sjis;
  std::uint16_t euc;
};

struct NecRun {
  std::uint16_t first;
  std::uint16_t last;
  std::uint16_t ibmFirst;
};

// Written by encoding/tools/make_eucjp_table.py from glibc's iconv, so that
// the build needs no iconv.
#include "EucJpTables.inc"

constexpr char kNoCharacter = '?';
// What PairToEuc gives for a pair that code page 932 leaves empty.
constexpr std::uint32_t kEmpty = 0;
constexpr std::uint16_t kIbmFirst = 0xFA40;

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Position of a pair in code order with 188 trail bytes a lead byte, so that
// offsets within a run of pairs hold across lead bytes.
unsigned Ordinal(unsigned sjis) {
  const unsigned trail = sjis & 0xFFu;
  return (sjis >> 8) * 188 + trail - 0x40 - (trail > 0x7F ? 1 : 0);
}

std::uint32_t EucCode(JisPair jis) { return static_cast<std::uint32_t>((jis.row | 0x80) << 8 | (jis.cell | 0x80)); }

std::uint32_t IbmExtension(unsigned ordinal) {
  const unsigned index = ordinal - Ordinal(kIbmFirst);
  return index < std::size(kIbmExtension) ? kIbmExtension[index] : kEmpty;
}

// The eucJP-ms code of a lead byte and a trail byte (two or three bytes in one
// number, 0x8F the highest), or kEmpty.
std::uint32_t PairToEuc(unsigned char lead, unsigned char trail) {
  const unsigned sjis = static_cast<unsigned>(lead) << 8 | trail;
  if (lead >= 0xFA)
    return IbmExtension(Ordinal(sjis));
  if (lead == 0xED || lead == 0xEE) {
    for (const NecRun& run : kNecSelected) {
      if (sjis >= run.first && sjis <= run.last)
        return IbmExtension(Ordinal(run.ibmFirst) + Ordinal(sjis) - Ordinal(run.first));
    }
    return kEmpty;
  }
  if (lead >= 0xF0) {
    // User-defined characters fill eucJP-ms's rows 85-94 twice, in the order
    // of JIS rows: 0xF0-0xF4 as the leads 0xEB-0xEF would give them, then
    // 0xF5-0xF9 the same behind 0x8F.
    if (lead <= 0xF4)
      return EucCode(SjisPairToJis(static_cast<unsigned char>(lead - 5), trail));
    return 0x8F0000u | EucCode(SjisPairToJis(static_cast<unsigned char>(lead - 10), trail));
  }
  for (const SjisRange& empty : kEmptyCells) {
    if (sjis < empty.first)
      break;
    if (sjis <= empty.last)
      return kEmpty;
  }
  for (const RemappedCell& cell : kRemappedCells) {
    if (sjis == cell.sjis)
      return cell.euc;
  }
  return EucCode(SjisPairToJis(lead, trail));
}

void AppendCode(std::uint32_t euc, std::string& out) {
  if (euc > 0xFFFF)
    out.push_back(static_cast<char>(euc >> 16));
  out.push_back(static_cast<char>(euc >> 8 & 0xFF));
  out.push_back(static_cast<char>(euc & 0xFF));
}

}  // namespace

JisPair SjisPairToJis(unsigned char lead, unsigned char trail) {
  // unsigned char arithmetic wraps modulo 256, so any two bytes give a result.
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
    } else if (IsShiftJisLeadByte(b) && i + 1 < n && IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
      const std::uint32_t euc = PairToEuc(b, static_cast<unsigned char>(text[i + 1]));
      if (euc == kEmpty)
        out.push_back(kNoCharacter);
      else
        AppendCode(euc, out);
      i += 2;
    } else {
      // A byte that starts no character: the byte after it, if any, may still
      // start one, so it is not taken along.
      out.push_back(kNoCharacter);
      i += 1;
    }
  }
  return out;
}

}  // namespace kf
