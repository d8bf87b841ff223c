#include "Profile.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "AsciiText.h"
#include "Dbcs.h"
#include "Path.h"
#include "Error.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

const char kGeneralSection[] = "General";

std::string ReadProfileText(const std::string& iniPath, const char* section, const char* key,
                            const std::string& fallback) {
  // On the stack: the menu and the dialog read values of many engines, and
  // a zeroed heap block for each is work for nothing.
  char buffer[kProfileValueBuffer];
  const DWORD n =
      GetPrivateProfileStringA(section, key, fallback.c_str(), buffer, kProfileValueBuffer, iniPath.c_str());
  return std::string(buffer, n);
}

int ProfileInt(std::string_view value, int fallback) {
  const std::string_view trimmed = TrimSpaces(value);
  if (trimmed.empty())
    return fallback;
  const std::string number(trimmed);
  char* end = nullptr;
  const long parsed = std::strtol(number.c_str(), &end, 10);
  if (!end || *end || end == number.c_str())
    return fallback;
  return static_cast<int>(parsed);
}

namespace {

bool HasKey(const std::string& iniPath, const char* section, const char* key) {
  // A value no file can hold tells a missing key from an empty one.
  const char kMissing[] = "\x01";
  return ReadProfileText(iniPath, section, key, kMissing) != kMissing;
}

}  // namespace

void WriteProfileValue(const std::string& iniPath, const char* section, const char* key, const std::string* value) {
  const DWORD attr = iniPath.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(iniPath.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY))
    throw Error(UiText(IDS_WRITE_FAILED, {iniPath, SystemMessage(ERROR_ACCESS_DENIED)}));
  // The profile layer removes one line of a key at a time.
  constexpr int kMostLinesOfAKey = 64;
  for (int pass = 0; pass < kMostLinesOfAKey; ++pass) {
    if (!WritePrivateProfileStringA(section, key, value ? value->c_str() : nullptr, iniPath.c_str()))
      throw Error(UiText(IDS_WRITE_FAILED, {iniPath, SystemMessage(GetLastError())}));
    if (value || !HasKey(iniPath, section, key))
      return;
  }
}

ProfileSection::ProfileSection(const std::string& iniPath, const char* section) {
  // The profile layer says a section did not fit by filling the buffer to
  // two bytes short of its end; a larger one is tried then.
  constexpr std::size_t kMostBytes = 1 << 20;
  DWORD n = 0;
  for (std::size_t size = kProfileValueBuffer * 2;; size *= 4) {
    text_.assign(size, '\0');
    n = GetPrivateProfileSectionA(section, text_.data(), static_cast<DWORD>(size), iniPath.c_str());
    if (n + 2 < size || size >= kMostBytes)
      break;
  }
  const char* end = text_.data() + n;
  for (const char* line = text_.data(); line < end && *line; line += std::strlen(line) + 1) {
    const char* equals = std::strchr(line, '=');
    if (!equals)
      continue;
    // The profile layer trims the blanks around keys and values; so do we.
    lines_.emplace_back(TrimSpaces(std::string_view(line, static_cast<std::size_t>(equals - line))),
                        TrimSpaces(equals + 1));
  }
}

std::string_view ProfileSection::Value(std::string_view key, std::string_view fallback) const {
  for (const auto& line : lines_) {
    if (!EqualsIgnoringAsciiCase(line.first, key))
      continue;
    std::string_view value = line.second;
    // The profile layer gives a quoted value without its quotes.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    // And no longer than ReadProfileText gives it, never cutting a character
    // in two.
    if (value.size() > kMaxProfileValue)
      value = value.substr(0, TruncateText(std::string(value.substr(0, kMaxProfileValue)), kMaxProfileValue,
                                           IsAnsiLeadByte).size());
    return value;
  }
  return fallback;
}

}  // namespace kf
