// What every address the open policy lets through must satisfy, written
// apart from the policy's code so that the fuzz targets check it rather than
// repeat it. Shared by OpenPolicyFuzz and SearchAddressFuzz.
#pragma once

#include <cstddef>
#include <string>

#include "AsciiText.h"
#include "Dbcs.h"
#include "FuzzInput.h"
#include "OpenPolicy.h"

namespace kffuzz {

inline bool BeginsWithWebScheme(const std::string& s) {
  return kf::StartsWithIgnoringAsciiCase(s, "http://") || kf::StartsWithIgnoringAsciiCase(s, "https://");
}

inline bool IsSchemeChar(unsigned char b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '+' || b == '-' || b == '.';
}

// The scheme s begins with, in lower case, or "": a letter, more scheme
// characters, a colon; two characters at least.
inline std::string SchemeOf(const std::string& s) {
  const std::size_t colon = s.find(':');
  if (colon == std::string::npos || colon < 2)
    return std::string();
  const unsigned char first = static_cast<unsigned char>(s[0]);
  if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z')))
    return std::string();
  std::string scheme;
  for (std::size_t i = 0; i < colon; ++i) {
    if (!IsSchemeChar(static_cast<unsigned char>(s[i])))
      return std::string();
    scheme.push_back(kf::ToLowerAscii(s[i]));
  }
  return scheme;
}

inline bool HasPlaceholder(const std::string& tmpl, kf::IsLeadByteFn isLead) {
  return kf::FindText(tmpl, "[WORD]", 0, isLead) != std::string::npos;
}

// A file: or shell: template that takes the word: never opened.
inline bool LetsWordPickPath(const std::string& tmpl, kf::IsLeadByteFn isLead) {
  const std::string scheme = SchemeOf(tmpl);
  return (scheme == "file" || scheme == "shell") && HasPlaceholder(tmpl, isLead);
}

// A plain web address taken from the selection alone: no blanks, quotes,
// controls or NUL, within the bare limit, no '\' or '@' between "//" and the
// first '/', and every '%' followed by two hex digits. Characters are read
// with isLead, as the shell reads them in the code page.
inline void CheckBareAddress(const std::string& address, kf::IsLeadByteFn isLead) {
  KF_CHECK(BeginsWithWebScheme(address));
  KF_CHECK(address.size() <= kf::kMaxBareAddressBytes);
  for (const char c : address) {
    const unsigned char b = static_cast<unsigned char>(c);
    KF_CHECK(!kf::IsAsciiControl(b) && b != ' ' && b != '"' && b != '\'');
  }
  bool inAuthority = true;
  for (std::size_t i = address.find("//") + 2; i < address.size(); i += kf::CharLength(address, i, isLead)) {
    const char c = address[i];
    if (c == '/')
      inAuthority = false;
    KF_CHECK(!inAuthority || (c != '\\' && c != '@'));
    if (c == '%') {
      KF_CHECK(i + 2 < address.size());
      KF_CHECK(kf::IsAsciiHexDigit(static_cast<unsigned char>(address[i + 1])));
      KF_CHECK(kf::IsAsciiHexDigit(static_cast<unsigned char>(address[i + 2])));
    }
  }
}

// What an address allowed for tmpl must satisfy: never from a template that
// lets the word pick a path, never longer than any shell takes, no NUL, and
// either a web address (a plain one when the template is empty) or one whose
// scheme of two characters or more lies wholly in the template's own text
// before the word.
inline void CheckAllowed(const std::string& tmpl, const std::string& address, kf::IsLeadByteFn isLead) {
  KF_CHECK(!LetsWordPickPath(tmpl, isLead));
  KF_CHECK(address.size() <= kf::kMaxAddressBytes);
  KF_CHECK(address.find('\0') == std::string::npos);
  if (tmpl.empty()) {
    CheckBareAddress(address, isLead);
    return;
  }
  if (BeginsWithWebScheme(address))
    return;
  const std::string scheme = SchemeOf(address);
  KF_CHECK(!scheme.empty());
  const std::size_t colon = scheme.size();
  const std::size_t fixed = kf::FindText(tmpl, "[WORD]", 0, isLead);
  KF_CHECK(fixed == std::string::npos || colon < fixed);
  KF_CHECK(colon < tmpl.size() && tmpl.compare(0, colon + 1, address, 0, colon + 1) == 0);
}

}  // namespace kffuzz
