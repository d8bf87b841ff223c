// Shared pieces of the fuzz targets: the code pages to scan with, and a check
// that reports a broken property and aborts, which libFuzzer records as a
// finding together with the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Dbcs.h"

namespace kffuzz {

// Lead bytes 0x81-0xFE, as in the Chinese and Korean code pages: trail bytes
// there take more values than in Shift-JIS.
inline bool WideLeadBytes(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

inline kf::IsLeadByteFn PickLeadBytes(unsigned char selector) {
  switch (selector % 3) {
    case 0: return kf::IsShiftJisLeadByte;
    case 1: return kf::NoLeadBytes;
    default: return WideLeadBytes;
  }
}

// The value of an upper-case hex digit, or -1 (the escapes the encoders write).
inline int UpperHexValue(unsigned char b) {
  if (b >= '0' && b <= '9')
    return b - '0';
  if (b >= 'A' && b <= 'F')
    return b - 'A' + 10;
  return -1;
}

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
  std::abort();
}

}  // namespace kffuzz

#define KF_CHECK(cond) \
  do { \
    if (!(cond)) \
      ::kffuzz::Fail(#cond, __FILE__, __LINE__); \
  } while (0)
