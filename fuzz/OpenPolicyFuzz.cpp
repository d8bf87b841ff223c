// MayOpenAddress and AbbreviateForMessage over arbitrary templates and words.
// Input: template (backslash-escaped, ended by a backslash and any other
// byte), then the word; the last bytes pick the code page and the length
// limit of the abbreviation.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "OpenPolicy.h"
#include "UrlBuild.h"

namespace {

bool BeginsWithWebScheme(const std::string& s) {
  std::string head = s.substr(0, 8);
  for (char& c : head) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return head.compare(0, 7, "http://") == 0 || head.compare(0, 8, "https://") == 0;
}

bool IsSchemeChar(unsigned char b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '+' ||
         b == '-' || b == '.';
}

// What an allowed address must satisfy: a web address, or a scheme of two
// characters or more that lies wholly in the template's own text before the
// word, so that nothing of the word decides what is opened.
void CheckAllowed(const std::string& tmpl, const std::string& address, kf::IsLeadByteFn isLead) {
  KF_CHECK(address.find('\0') == std::string::npos);
  if (tmpl.empty()) {
    KF_CHECK(BeginsWithWebScheme(address));
    KF_CHECK(address.size() <= kf::kMaxBareAddressBytes);
    for (const char c : address) {
      const unsigned char b = static_cast<unsigned char>(c);
      KF_CHECK(!kffuzz::IsControl(b) && b != ' ' && b != '"' && b != '\'');
    }
    return;
  }
  if (BeginsWithWebScheme(address))
    return;
  const std::size_t colon = address.find(':');
  KF_CHECK(colon != std::string::npos && colon >= 2);
  const std::size_t fixed = kf::FindText(tmpl, "[WORD]", 0, isLead);
  KF_CHECK(fixed == std::string::npos || colon < fixed);
  KF_CHECK(colon < tmpl.size() && tmpl.compare(0, colon + 1, address, 0, colon + 1) == 0);
  const char first = address[0];
  KF_CHECK((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'));
  for (std::size_t i = 1; i < colon; ++i)
    KF_CHECK(IsSchemeChar(static_cast<unsigned char>(address[i])));
}

void CheckAbbreviation(const std::string& text, std::size_t maxBytes, kf::IsLeadByteFn isLead) {
  const std::string out = kf::AbbreviateForMessage(text, maxBytes, isLead);
  const std::string whole = kf::AbbreviateForMessage(text, text.size(), isLead);

  // Cleaning replaces bytes one for one.
  KF_CHECK(whole.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(whole[i]);
    KF_CHECK(!kffuzz::IsControl(b));
    KF_CHECK(whole[i] == text[i] || b == ' ' || b == '?');
  }

  std::string body = out;
  if (text.size() <= maxBytes) {
    KF_CHECK(out == whole);
  } else {
    KF_CHECK(out.size() >= 3 && out.compare(out.size() - 3, 3, "...") == 0);
    body = out.substr(0, out.size() - 3);
    KF_CHECK(body.size() <= maxBytes);
    // A cut drops at most the one byte of a character that does not fit.
    KF_CHECK(body.size() + 1 >= maxBytes);
    KF_CHECK(whole.compare(0, body.size(), body) == 0);
  }
  KF_CHECK(out.size() <= maxBytes + 3);
  // No lead byte is left without its trail byte, so the "..." or the end of
  // the line is never taken as the second half of a character.
  for (std::size_t i = 0; i < body.size();) {
    if (isLead(static_cast<unsigned char>(body[i]))) {
      KF_CHECK(i + 1 < body.size());
      i += 2;
    } else {
      i += 1;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const kf::IsLeadByteFn isLead = kffuzz::PickLeadBytes(input.ConsumeIntegral<std::uint8_t>());
  const std::size_t maxBytes = input.ConsumeIntegralInRange<std::size_t>(0, 160);
  const std::string tmpl = input.ConsumeRandomLengthString();
  const std::string word = input.ConsumeRemainingBytesAsString();

  // The address as the search command builds it, and the word taken as an
  // address on its own, against the same template.
  const std::string built = kf::BuildSearchUrl(tmpl, word, isLead);
  if (kf::MayOpenAddress(tmpl, built, isLead))
    CheckAllowed(tmpl, built, isLead);
  if (kf::MayOpenAddress(tmpl, word, isLead))
    CheckAllowed(tmpl, word, isLead);
  if (kf::MayOpenAddress("", word, isLead))
    CheckAllowed("", word, isLead);

  CheckAbbreviation(word, maxBytes, isLead);
  CheckAbbreviation(built, maxBytes, isLead);
  return 0;
}
