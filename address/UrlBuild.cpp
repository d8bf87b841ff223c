#include "UrlBuild.h"

#include "UrlEncode.h"

namespace kf {

const char kWordPlaceholder[] = "[WORD]";

const char kDefaultSearchUrl[] =
    "https://www.google.com/search?as_qt=w&lr=lang_ja&num=20&btnG=Google+%8C%9F%8D%F5&as_q=";

bool ContainsWordPlaceholder(const std::string& tmpl, IsLeadByteFn isLead) {
  return FindText(tmpl, kWordPlaceholder, 0, isLead) != std::string::npos;
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

std::string BuildSearchUrl(const std::string& tmpl, const std::string& wordInEngineEncoding,
                           IsLeadByteFn isLead) {
  if (tmpl.empty())
    return wordInEngineEncoding;
  const std::string encoded = UrlEncode(wordInEngineEncoding);
  if (ContainsWordPlaceholder(tmpl, isLead))
    return ReplaceWord(tmpl, encoded, isLead);
  return tmpl + encoded;
}

std::string BuildUtf8SearchUrl(const std::string& tmpl, const std::string& utf8Word,
                               IsLeadByteFn isLead) {
  if (tmpl.empty())
    return EscapeNonAscii(utf8Word);
  return BuildSearchUrl(tmpl, utf8Word, isLead);
}

}  // namespace kf
