// CheckAddress and AbbreviateForMessage over arbitrary
// templates and words.
// Input: template (backslash-escaped, ended by a backslash and any other
// byte), then the word; the last bytes pick the code page and the length
// limit of the abbreviation.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "AddressProperties.h"
#include "FuzzInput.h"
#include "OpenPolicy.h"
#include "UrlBuild.h"

namespace {

bool Opens(const std::string& tmpl, const std::string& address, kf::IsLeadByteFn isLead) {
  return kf::CheckAddress(tmpl, address, isLead) == kf::AddressRefusal::None;
}

void CheckAbbreviation(const std::string& text, std::size_t maxBytes, kf::IsLeadByteFn isLead) {
  const std::string out = kf::AbbreviateForMessage(text, maxBytes, isLead);
  const std::string whole = kf::AbbreviateForMessage(text, text.size(), isLead);

  // Cleaning replaces bytes one for one.
  KF_CHECK(whole.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char b = static_cast<unsigned char>(whole[i]);
    KF_CHECK(!kf::IsAsciiControl(b));
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
  if (Opens(tmpl, built, isLead))
    kffuzz::CheckAllowed(tmpl, built, isLead);
  if (Opens(tmpl, word, isLead))
    kffuzz::CheckAllowed(tmpl, word, isLead);
  if (Opens("", word, isLead))
    kffuzz::CheckAllowed("", word, isLead);
  // The template alone decides this refusal, whatever the address.
  KF_CHECK((kf::CheckAddress(tmpl, word, isLead) == kf::AddressRefusal::PathSchemeWithWord) ==
           kffuzz::LetsWordPickPath(tmpl, isLead));

  CheckAbbreviation(word, maxBytes, isLead);
  CheckAbbreviation(built, maxBytes, isLead);
  return 0;
}
