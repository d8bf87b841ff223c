// Walks a directory tree and lists every entry below it with its attribute
// word, names beginning with '.' included. Shared by the tests and the
// stand-in setup tool so that both see the store the same way.
#pragma once

#include <windows.h>

#include <map>
#include <string>

namespace kftest {

using AttrMap = std::map<std::string, DWORD>;

// dir has no trailing backslash; entries are keyed dir + "\\" + name.
inline void ScanTree(const std::string& dir, AttrMap& out) {
  WIN32_FIND_DATAA fd;
  HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE)
    return;
  do {
    const std::string name = fd.cFileName;
    if (name == "." || name == "..")
      continue;
    const std::string path = dir + "\\" + name;
    out[path] = fd.dwFileAttributes;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      ScanTree(path, out);
  } while (::FindNextFileA(h, &fd));
  ::FindClose(h);
}

}  // namespace kftest
