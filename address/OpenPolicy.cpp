#include "OpenPolicy.h"

#include "AsciiText.h"
#include "UrlBuild.h"

namespace kf {

bool IsWebAddress(const std::string& address) {
  return StartsWithIgnoringAsciiCase(address, "http://") || StartsWithIgnoringAsciiCase(address, "https://");
}

namespace {

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
    if (IsAsciiControl(b) || b == ' ' || b == '"' || b == '\'')
      return false;
  }
  return true;
}

// A web address whose part between "//" and the first "/" has no '\' (which
// browsers read as "/", and the shell as the start of a UNC path) and no '@'
// (which makes all before it user info, so that "https://bank.example@evil/"
// goes to evil). Character-wise: in Shift-JIS '\' and '@' are also trail
// bytes (0x95 0x5C, 0x81 0x40).
bool HasPlainAuthority(const std::string& webAddress, IsLeadByteFn isLead) {
  const std::size_t slashes = webAddress.find("//");
  for (std::size_t i = slashes + 2; i < webAddress.size(); i += CharLength(webAddress, i, isLead)) {
    const char c = webAddress[i];
    if (c == '/')
      break;
    if (c == '\\' || c == '@')
      return false;
  }
  return true;
}

// Every '%' starts an escape of two hex digits. A lone one ("%../") is left
// as it is by one reader and decoded by the next, so that what is checked is
// not what is opened.
bool HasOnlyWholeEscapes(const std::string& address, IsLeadByteFn isLead) {
  for (std::size_t i = 0; i < address.size(); i += CharLength(address, i, isLead)) {
    if (address[i] != '%')
      continue;
    if (i + 2 >= address.size() || !IsAsciiHexDigit(static_cast<unsigned char>(address[i + 1])) ||
        !IsAsciiHexDigit(static_cast<unsigned char>(address[i + 2])))
      return false;
  }
  return true;
}

}  // namespace

AddressRefusal CheckTemplate(const std::string& tmpl, IsLeadByteFn isLead) {
  return HasPathScheme(tmpl) && ContainsWordPlaceholder(tmpl, isLead) ? AddressRefusal::PathSchemeWithWord
                                                                      : AddressRefusal::None;
}

AddressRefusal CheckAddress(const std::string& tmpl, const std::string& address, IsLeadByteFn isLead) {
  const AddressRefusal templateRefusal = CheckTemplate(tmpl, isLead);
  if (templateRefusal != AddressRefusal::None)
    return templateRefusal;
  if (address.size() > kMaxAddressBytes)
    return AddressRefusal::TooLong;
  if (address.find('\0') != std::string::npos)
    return AddressRefusal::NotWebAddress;
  const std::size_t placeholder = FindText(tmpl, kWordPlaceholder, 0, isLead);
  const std::string fixedPart = tmpl.substr(0, placeholder);
  if (SchemeLength(fixedPart) > 0 && address.compare(0, fixedPart.size(), fixedPart) == 0)
    return AddressRefusal::None;
  if (!IsWebAddress(address))
    return AddressRefusal::NotWebAddress;
  if (!tmpl.empty())
    return AddressRefusal::None;
  if (!IsPlainToken(address))
    return AddressRefusal::NotWebAddress;
  if (!HasPlainAuthority(address, isLead))
    return AddressRefusal::BareAddressHost;
  if (!HasOnlyWholeEscapes(address, isLead))
    return AddressRefusal::BareAddressPercent;
  return AddressRefusal::None;
}

std::string AbbreviateForMessage(const std::string& text, std::size_t maxBytes, IsLeadByteFn isLead) {
  // Clean first, character by character, so that every piece is a whole
  // character of the code page; then cut between pieces.
  std::string clean;
  clean.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsAsciiControl(b)) {
      clean.push_back(b == '\t' || b == '\r' || b == '\n' ? ' ' : '?');
      i += 1;
    } else if (isLead(b)) {
      // A lead byte needs a real trail byte; alone it would swallow the next
      // character shown (the "..." included).
      if (i + 1 < text.size() && !IsAsciiControl(static_cast<unsigned char>(text[i + 1]))) {
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
