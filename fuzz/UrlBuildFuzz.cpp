// ReplaceWord and BuildSearchUrl over arbitrary templates and words in three
// kinds of code page. Input: template (backslash-escaped, ended by a
// backslash and any other byte), then the word; the last byte picks the code
// page.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "AddressProperties.h"
#include "FuzzInput.h"
#include "UrlBuild.h"
#include "UrlEncode.h"

namespace {

// Positions of the placeholders found by walking the characters one by one.
std::vector<std::size_t> PlaceholderPositions(const std::string& tmpl, kf::IsLeadByteFn isLead) {
  std::vector<std::size_t> found;
  const std::string placeholder = "[WORD]";
  std::size_t i = 0;
  while (i < tmpl.size()) {
    if (tmpl.compare(i, placeholder.size(), placeholder) == 0) {
      found.push_back(i);
      i += placeholder.size();
    } else {
      i += kf::CharLength(tmpl, i, isLead);
    }
  }
  return found;
}

// "scheme://" and nothing but an authority after it: no '/', '?' or '#'
// found walking the characters.
bool EndsInAuthority(const std::string& tmpl, kf::IsLeadByteFn isLead) {
  const std::string scheme = kffuzz::SchemeOf(tmpl);
  if (scheme.empty() || tmpl.compare(scheme.size(), 3, "://") != 0)
    return false;
  for (std::size_t i = scheme.size() + 3; i < tmpl.size(); i += kf::CharLength(tmpl, i, isLead)) {
    if (tmpl[i] == '/' || tmpl[i] == '?' || tmpl[i] == '#')
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const kf::IsLeadByteFn isLead = kffuzz::PickLeadBytes(input.ConsumeIntegral<std::uint8_t>());
  const std::string tmpl = input.ConsumeRandomLengthString();
  const std::string word = input.ConsumeRemainingBytesAsString();

  const std::vector<std::size_t> at = PlaceholderPositions(tmpl, isLead);
  KF_CHECK(kf::ContainsWordPlaceholder(tmpl, isLead) == !at.empty());

  // Each placeholder gives way to the word, nothing else changes.
  const std::string replaced = kf::ReplaceWord(tmpl, word, isLead);
  KF_CHECK(replaced.size() == tmpl.size() + at.size() * word.size() - at.size() * 6);
  std::size_t from = 0, to = 0;
  for (const std::size_t p : at) {
    KF_CHECK(replaced.compare(to, p - from, tmpl, from, p - from) == 0);
    to += p - from;
    KF_CHECK(replaced.compare(to, word.size(), word) == 0);
    to += word.size();
    from = p + 6;
  }
  KF_CHECK(replaced.compare(to, std::string::npos, tmpl, from, std::string::npos) == 0);
  // Putting the placeholder back for itself must be the identity.
  KF_CHECK(kf::ReplaceWord(tmpl, "[WORD]", isLead) == tmpl);

  const std::string url = kf::BuildSearchUrl(tmpl, word, isLead);
  if (tmpl.empty()) {
    KF_CHECK(url == word);
  } else {
    const std::string encoded = kf::UrlEncode(word);
    const std::string scheme = kffuzz::SchemeOf(tmpl);
    if (!at.empty())
      KF_CHECK(url == kf::ReplaceWord(tmpl, encoded, isLead));
    else if (scheme == "file" || scheme == "shell")
      KF_CHECK(url == tmpl);  // a path is never extended by the word
    else if (EndsInAuthority(tmpl, isLead))
      KF_CHECK(url == tmpl + "/" + encoded);  // the word never extends the host
    else
      KF_CHECK(url == tmpl + encoded);
    // The template's text before its first placeholder always leads.
    const std::size_t fixed = at.empty() ? tmpl.size() : at.front();
    KF_CHECK(url.compare(0, fixed, tmpl, 0, fixed) == 0);
  }
  // A UTF-8 word differs only as a bare address: escaped, not left raw.
  KF_CHECK(kf::BuildUtf8SearchUrl(tmpl, word, isLead) == (tmpl.empty() ? kf::EscapeNonAscii(word) : url));
  return 0;
}
