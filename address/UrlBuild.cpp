#include "UrlBuild.h"

#include <string_view>

#include "AsciiText.h"
#include "UrlEncode.h"

namespace kf {

const char kWordPlaceholder[] = "[WORD]";

const char kDefaultSearchUrl[] =
    "https://www.google.com/search?as_qt=w&lr=lang_ja&num=20&btnG=Google+%8C%9F%8D%F5&as_q=";

bool ContainsWordPlaceholder(const std::string& tmpl, IsLeadByteFn isLead) {
  return FindText(tmpl, kWordPlaceholder, 0, isLead) != std::string::npos;
}

namespace {

bool IsAsciiLetter(unsigned char b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }
bool IsAsciiDigit(unsigned char b) { return b >= '0' && b <= '9'; }

}  // namespace

std::size_t SchemeLength(const std::string& s) {
  if (s.empty() || !IsAsciiLetter(static_cast<unsigned char>(s[0])))
    return 0;
  std::size_t i = 1;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    if (!IsAsciiLetter(b) && !IsAsciiDigit(b) && b != '+' && b != '-' && b != '.')
      break;
    ++i;
  }
  return i >= 2 && i < s.size() && s[i] == ':' ? i : 0;
}

bool HasPathScheme(const std::string& tmpl) {
  const std::string_view scheme(tmpl.data(), SchemeLength(tmpl));
  return EqualsIgnoringAsciiCase(scheme, "file") || EqualsIgnoringAsciiCase(scheme, "shell");
}

bool EndsInsideAuthority(const std::string& tmpl, IsLeadByteFn isLead) {
  const std::size_t scheme = SchemeLength(tmpl);
  if (scheme == 0 || tmpl.compare(scheme, 3, "://") != 0)
    return false;
  for (std::size_t i = scheme + 3; i < tmpl.size(); i += CharLength(tmpl, i, isLead)) {
    const char c = tmpl[i];
    if (c == '/' || c == '?' || c == '#')
      return false;
  }
  return true;
}

std::string ReplaceWord(const std::string& tmpl, const std::string& word, IsLeadByteFn isLead) {
  const std::string placeholder(kWordPlaceholder);
  std::string result;
  std::size_t rest = 0;
  // The placeholder is all single-byte characters, so the position after it
  // is again a character boundary and the scan can go on from there.
  for (std::size_t p = FindText(tmpl, placeholder, rest, isLead); p != std::string::npos;
       p = FindText(tmpl, placeholder, rest, isLead)) {
    result.append(tmpl, rest, p - rest);
    result.append(word);
    rest = p + placeholder.size();
  }
  result.append(tmpl, rest, std::string::npos);
  return result;
}

std::string BuildSearchUrl(const std::string& tmpl, const std::string& wordInEngineEncoding, IsLeadByteFn isLead) {
  if (tmpl.empty())
    return wordInEngineEncoding;
  const std::string encoded = UrlEncode(wordInEngineEncoding);
  if (ContainsWordPlaceholder(tmpl, isLead))
    return ReplaceWord(tmpl, encoded, isLead);
  if (HasPathScheme(tmpl))
    return tmpl;
  if (EndsInsideAuthority(tmpl, isLead))
    return tmpl + "/" + encoded;
  return tmpl + encoded;
}

std::string BuildUtf8SearchUrl(const std::string& tmpl, const std::string& utf8Word, IsLeadByteFn isLead) {
  if (tmpl.empty())
    return EscapeNonAscii(utf8Word);
  return BuildSearchUrl(tmpl, utf8Word, isLead);
}

}  // namespace kf
