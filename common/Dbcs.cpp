#include "Dbcs.h"

#include <cstring>

namespace kf {

bool IsShiftJisLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool NoLeadBytes(unsigned char) { return false; }

std::size_t CharLength(const std::string& s, std::size_t pos, IsLeadByteFn isLead) {
  if (pos + 1 < s.size() && isLead(static_cast<unsigned char>(s[pos])))
    return 2;
  return 1;
}

std::size_t FindText(const std::string& s, const std::string& needle, std::size_t from,
                     IsLeadByteFn isLead) {
  if (needle.empty())
    return from <= s.size() ? from : std::string::npos;
  for (std::size_t i = from; i < s.size(); i += CharLength(s, i, isLead)) {
    if (s.compare(i, needle.size(), needle) == 0)
      return i;
  }
  return std::string::npos;
}

std::size_t FindChar(const std::string& s, char ch, IsLeadByteFn isLead) {
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i, isLead)) {
    if (s[i] == ch)
      return i;
  }
  return std::string::npos;
}

std::size_t FindLastOf(const std::string& s, const char* chars, IsLeadByteFn isLead) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i, isLead)) {
    if (s[i] != '\0' && std::strchr(chars, s[i]) != nullptr)
      found = i;
  }
  return found;
}

std::size_t FindLastChar(const std::string& s, char ch, IsLeadByteFn isLead) {
  const char chars[] = {ch, '\0'};
  return FindLastOf(s, chars, isLead);
}

bool EndsWithChar(const std::string& s, char ch, IsLeadByteFn isLead) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i, isLead))
    last = i;
  return last != std::string::npos && last + 1 == s.size() && s[last] == ch;
}

std::string TruncateText(const std::string& s, std::size_t maxBytes, IsLeadByteFn isLead) {
  std::size_t end = 0;
  while (end < s.size()) {
    const std::size_t next = end + CharLength(s, end, isLead);
    if (next > maxBytes)
      break;
    end = next;
  }
  return s.substr(0, end);
}

}  // namespace kf
