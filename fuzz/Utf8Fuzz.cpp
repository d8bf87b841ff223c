// Utf16ToUtf8 over arbitrary code units (the input read as little-endian
// pairs of bytes), and the escaping of a UTF-8 selection used as an address:
// the output is well-formed UTF-8 by an independent strict decoder, decodes
// to the input with every lone surrogate as U+FFFD, takes at most three bytes
// a unit, and EscapeNonAscii keeps its ASCII bytes and escapes the others.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "UrlEncode.h"
#include "Utf8.h"

namespace {

// The characters the input stands for, decided unit by unit.
std::vector<char32_t> ExpectedCharacters(const std::u16string& units) {
  std::vector<char32_t> chars;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      chars.push_back(0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      chars.push_back(0xFFFD);
    } else {
      chars.push_back(u);
    }
  }
  return chars;
}

// Strict decoding after RFC 3629: shortest form only, no surrogates, nothing
// above U+10FFFF. A broken sequence is a finding.
std::vector<char32_t> DecodeStrict(const std::string& s) {
  std::vector<char32_t> chars;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (b < 0x80) {
      length = 1, c = b;
    } else if (b >= 0xC2 && b <= 0xDF) {
      length = 2, c = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3, c = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4, c = b & 0x07, least = 0x10000;
    }
    KF_CHECK(length != 0);
    KF_CHECK(i + length <= s.size());
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      KF_CHECK((t & 0xC0) == 0x80);
      c = (c << 6) | (t & 0x3F);
    }
    KF_CHECK(c >= least);
    KF_CHECK(c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF));
    chars.push_back(c);
    i += length;
  }
  return chars;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

  const std::string utf8 = kf::Utf16ToUtf8(units);
  KF_CHECK(utf8.size() <= 3 * units.size());
  KF_CHECK(DecodeStrict(utf8) == ExpectedCharacters(units));

  // Escaped, the address holds ASCII only: every ASCII byte is its own, and
  // every other byte stands as "%XX" in upper-case hex.
  const std::string escaped = kf::EscapeNonAscii(utf8);
  std::size_t at = 0;
  for (const char c : utf8) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      KF_CHECK(at < escaped.size() && escaped[at] == c);
      at += 1;
    } else {
      KF_CHECK(at + 2 < escaped.size() && escaped[at] == '%');
      KF_CHECK(kffuzz::UpperHexValue(static_cast<unsigned char>(escaped[at + 1])) == (b >> 4));
      KF_CHECK(kffuzz::UpperHexValue(static_cast<unsigned char>(escaped[at + 2])) == (b & 0x0F));
      at += 3;
    }
  }
  KF_CHECK(at == escaped.size());
  return 0;
}
