// Profile (INI) files: the plug-in's own settings and the engine files
// both keep their values in a section "General".
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kf {

extern const char kGeneralSection[];  // "General"

// Values are read through a buffer of this size (2047 characters used).
constexpr unsigned kProfileValueBuffer = 2048;
// The longest value a profile file gives back as it was written.
constexpr std::size_t kMaxProfileValue = kProfileValueBuffer - 1;

// A value of section, at most kMaxProfileValue characters, blanks around it
// trimmed by the profile layer; fallback when the file, the section or the
// key is missing. Where a key stands on several lines its first one counts.
std::string ReadProfileText(const std::string& iniPath, const char* section, const char* key,
                            const std::string& fallback);

// A value as a whole decimal number (negative ones too, blanks around it
// allowed); fallback when it is empty or not such a number.
int ProfileInt(std::string_view value, int fallback);

// Writes key = *value into section, or removes the key when value is null
// (every line of it: a key repeated by hand must not come back). Throws
// kf::Error naming the file when the write is refused, and also for a
// read-only file, which stays unwritten even where the profile layer would
// write it anyway (an administrator's process on some platforms).
void WriteProfileValue(const std::string& iniPath, const char* section, const char* key, const std::string* value);

// The keys of a section read in one go (the profile layer reads the whole
// file for every value asked for), looked up as ReadProfileText would.
class ProfileSection {
 public:
  ProfileSection(const std::string& iniPath, const char* section);
  ProfileSection(const ProfileSection&) = delete;
  ProfileSection& operator=(const ProfileSection&) = delete;

  // The first line of key (ASCII case ignored), blanks and a pair of
  // enclosing quotes around it removed, at most kMaxProfileValue characters;
  // fallback when there is none.
  std::string_view Value(std::string_view key, std::string_view fallback = std::string_view()) const;

 private:
  std::vector<char> text_;  // what the views below look into
  std::vector<std::pair<std::string_view, std::string_view>> lines_;
};

}  // namespace kf
