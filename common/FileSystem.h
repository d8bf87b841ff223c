// What a path names, and the profile (INI) writes of the plug-in's files.
#pragma once

#include <string>

namespace kf {

// The path exists and is a directory. "" is none.
bool IsDirectory(const std::string& path);
// The path exists and is not a directory. "" is none.
bool IsFile(const std::string& path);

// Writes key = *value into section of the profile file iniPath, or removes
// the key when value is null. Throws kf::Error naming the file when the write
// is refused, and also for a read-only file, which stays unwritten even where
// the profile layer would write it anyway (an administrator's process on some
// platforms).
void WriteProfileValue(const std::string& iniPath, const char* section, const char* key, const std::string* value);

}  // namespace kf
