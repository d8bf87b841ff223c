#include "UrlEncode.h"

#include <cstdint>

namespace kf {

namespace {

const char kHex[] = "0123456789ABCDEF";

// Safe characters 0x20-0x7F, one bit each, lowest bit first.
constexpr std::uint32_t kSafeBits[3] = {
    0x03FF6792u,  // 0x20-0x3F: ! $ ' ( ) * - . 0-9
    0x87FFFFFFu,  // 0x40-0x5F: @ A-Z _
    0x07FFFFFEu,  // 0x60-0x7F: a-z
};

bool IsSafe(unsigned char b) {
  if (b < 0x20 || b > 0x7F)
    return false;
  const unsigned bit = b - 0x20u;
  return (kSafeBits[bit / 32] >> (bit % 32)) & 1u;
}

}  // namespace

std::string UrlEncode(const std::string& text) {
  // Every byte yields at most three; cut to what was written at the end.
  std::string out(text.size() * 3, '\0');
  std::size_t w = 0;
  for (const char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b == 0x00)
      break;
    if (IsSafe(b)) {
      out[w++] = c;
    } else if (b == 0x20) {
      out[w++] = '+';
    } else {
      out[w++] = '%';
      out[w++] = kHex[b >> 4];
      out[w++] = kHex[b & 0x0F];
    }
  }
  out.resize(w);
  return out;
}

std::string EscapeNonAscii(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 0x0F]);
    }
  }
  return out;
}

}  // namespace kf
