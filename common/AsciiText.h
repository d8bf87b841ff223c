// ASCII letter case, the only case folding that is the same in every code
// page (version texts, command-line switches, URL schemes, the "*.ini"
// pattern), and the ASCII character classes the checks of names and
// addresses use. Pure and header-only, for the plug-in, Kestrelclean and the
// native fuzz targets alike.
#pragma once

#include <cstddef>
#include <string_view>

namespace kf {

template <typename Char>
constexpr Char ToLowerAscii(Char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
constexpr Char ToUpperAscii(Char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - 'a' + 'A') : c;
}

// The control characters, 0x00 to 0x1F and DEL: no file name, engine URL or
// address may hold one.
constexpr bool IsAsciiControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The value of a hex digit of either case, or -1 for any other byte.
constexpr int HexDigitValue(unsigned char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

constexpr bool IsAsciiHexDigit(unsigned char c) { return HexDigitValue(c) >= 0; }

namespace ascii_detail {

template <typename Char>
bool StartsWith(std::basic_string_view<Char> text, std::string_view ascii) {
  if (text.size() < ascii.size())
    return false;
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    if (ToLowerAscii(text[i]) != static_cast<Char>(ToLowerAscii(ascii[i])))
      return false;
  }
  return true;
}

}  // namespace ascii_detail

// Whether text begins with, equals or ends with ascii (an ASCII literal),
// folding only A-Z onto a-z; text may be narrow or wide.
inline bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view ascii) {
  return ascii_detail::StartsWith(text, ascii);
}
inline bool StartsWithIgnoringAsciiCase(std::wstring_view text, std::string_view ascii) {
  return ascii_detail::StartsWith(text, ascii);
}
inline bool EqualsIgnoringAsciiCase(std::string_view text, std::string_view ascii) {
  return text.size() == ascii.size() && ascii_detail::StartsWith(text, ascii);
}
inline bool EqualsIgnoringAsciiCase(std::wstring_view text, std::string_view ascii) {
  return text.size() == ascii.size() && ascii_detail::StartsWith(text, ascii);
}
inline bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view ascii) {
  return text.size() >= ascii.size() && ascii_detail::StartsWith(text.substr(text.size() - ascii.size()), ascii);
}

// text without the spaces and tabs at its ends.
inline std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos)
    return std::string_view();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace kf
