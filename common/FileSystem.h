// What a path names, and writing a file whole.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

// The path exists and is a directory. "" is none.
bool IsDirectory(const std::string& path);
// The path exists and is not a directory. "" is none.
bool IsFile(const std::string& path);

// Writes all of bytes to file; ERROR_SUCCESS, or the system's reason (a
// short write without one is ERROR_WRITE_FAULT).
DWORD WriteAllBytes(HANDLE file, const std::string& bytes);

}  // namespace kf
