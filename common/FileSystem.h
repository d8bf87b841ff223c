// What a path names.
#pragma once

#include <string>

namespace kf {

// The path exists and is a directory. "" is none.
bool IsDirectory(const std::string& path);
// The path exists and is not a directory. "" is none.
bool IsFile(const std::string& path);

}  // namespace kf
