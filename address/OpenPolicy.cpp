#include "OpenPolicy.h"

#include "UrlBuild.h"

namespace kf {

namespace {

bool IsAsciiLetter(unsigned char b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }
bool IsAsciiDigit(unsigned char b) { return b >= '0' && b <= '9'; }
bool IsControl(unsigned char b) { return b < 0x20 || b == 0x7F; }

// A letter, then at least one letter, digit, "+", "-" or ".", then ":". One
// letter before the colon is a drive ("C:\..."), which the shell opens as a
// path.
bool BeginsWithScheme(const std::string& s) {
  if (s.empty() || !IsAsciiLetter(static_cast<unsigned char>(s[0])))
    return false;
  std::size_t i = 1;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (!IsAsciiLetter(b) && !IsAsciiDigit(b) && b != '+' && b != '-' && b != '.')
      break;
    ++i;
  }
  return i >= 2 && i < s.size() && s[i] == ':';
}

bool BeginsWithIgnoringCase(const std::string& s, const char* prefix) {
  std::size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= s.size())
      return false;
    unsigned char a = static_cast<unsigned char>(s[i]);
    if (a >= 'A' && a <= 'Z')
      a = static_cast<unsigned char>(a - 'A' + 'a');
    if (a != static_cast<unsigned char>(prefix[i]))
      return false;
  }
  return true;
}

bool IsWebAddress(const std::string& address) {
  return BeginsWithIgnoringCase(address, "http://") || BeginsWithIgnoringCase(address, "https://");
}

// Blanks and quotes would let a selection break out of the quoted "%1" of a
// protocol handler's command line; control characters have no place in an
// address at all. Trail bytes of Shift-JIS are never in this set, and no
// byte of a UTF-8 sequence is below 0x80 (a UTF-8 selection arrives escaped
// anyway), so a byte-wise look is enough.
bool IsPlainToken(const std::string& address) {
  if (address.size() > kMaxBareAddressBytes)
    return false;
  for (const char c : address) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (IsControl(b) || b == ' ' || b == '"' || b == '\'')
      return false;
  }
  return true;
}

}  // namespace

bool MayOpenAddress(const std::string& tmpl, const std::string& address, IsLeadByteFn isLead) {
  if (address.find('\0') != std::string::npos)
    return false;
  const std::size_t placeholder = FindText(tmpl, kWordPlaceholder, 0, isLead);
  const std::string fixedPart = tmpl.substr(0, placeholder);
  if (BeginsWithScheme(fixedPart) && address.compare(0, fixedPart.size(), fixedPart) == 0)
    return true;
  if (!IsWebAddress(address))
    return false;
  return !tmpl.empty() || IsPlainToken(address);
}

std::string AbbreviateForMessage(const std::string& text, std::size_t maxBytes,
                                 IsLeadByteFn isLead) {
  // Clean first, character by character, so that every piece is a whole
  // character of the code page; then cut between pieces.
  std::string clean;
  clean.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsControl(b)) {
      clean.push_back(b == '\t' || b == '\r' || b == '\n' ? ' ' : '?');
      i += 1;
    } else if (isLead(b)) {
      // A lead byte needs a real trail byte; alone it would swallow the next
      // character shown (the "..." included).
      if (i + 1 < text.size() && !IsControl(static_cast<unsigned char>(text[i + 1]))) {
        clean.append(text, i, 2);
        i += 2;
      } else {
        clean.push_back('?');
        i += 1;
      }
    } else {
      clean.push_back(static_cast<char>(b));
      i += 1;
    }
  }
  if (clean.size() <= maxBytes)
    return clean;
  return TruncateText(clean, maxBytes, isLead) + "...";
}

}  // namespace kf
