// UrlEncode over arbitrary bytes: only safe characters, "+" and upper-case
// "%XX" come out, and decoding gives back the input up to its first NUL.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "UrlEncode.h"

namespace {

bool IsSafe(unsigned char b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
         (b != 0 && std::strchr("!$'()*-.@_", b) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string in(reinterpret_cast<const char*>(data), size);
  const std::string out = kf::UrlEncode(in);
  const std::string upToNul = in.substr(0, in.find('\0'));

  KF_CHECK(out.size() <= 3 * upToNul.size());
  std::string decoded;
  for (std::size_t i = 0; i < out.size();) {
    const unsigned char b = static_cast<unsigned char>(out[i]);
    if (b == '+') {
      decoded.push_back(' ');
      i += 1;
    } else if (b == '%') {
      KF_CHECK(i + 2 < out.size());
      const int hi = kffuzz::UpperHexValue(static_cast<unsigned char>(out[i + 1]));
      const int lo = kffuzz::UpperHexValue(static_cast<unsigned char>(out[i + 2]));
      KF_CHECK(hi >= 0 && lo >= 0);
      const unsigned char value = static_cast<unsigned char>(hi * 16 + lo);
      // Only what cannot pass unchanged is escaped.
      KF_CHECK(!IsSafe(value) && value != ' ');
      decoded.push_back(static_cast<char>(value));
      i += 3;
    } else {
      KF_CHECK(IsSafe(b));
      decoded.push_back(static_cast<char>(b));
      i += 1;
    }
  }
  KF_CHECK(decoded == upToNul);
  return 0;
}
