// Byte strings written as hex in the tests, so that every byte is visible.
#pragma once

#include <cstdio>
#include <string>

namespace kftest {

// "8A BF 00" -> the three bytes.
inline std::string Bytes(const char* hex) {
  std::string out;
  unsigned value = 0;
  int digits = 0;
  for (const char* p = hex;; ++p) {
    const char c = *p;
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    if (d >= 0) {
      value = value * 16 + static_cast<unsigned>(d);
      if (++digits == 2) {
        out.push_back(static_cast<char>(value));
        value = 0;
        digits = 0;
      }
    }
    if (c == '\0')
      break;
  }
  return out;
}

inline std::string Hex(const std::string& s) {
  std::string out;
  char buf[4];
  for (const char c : s) {
    std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", static_cast<unsigned char>(c));
    out += buf;
  }
  return out;
}

}  // namespace kftest
