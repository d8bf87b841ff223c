// Walking the entries of a directory.
#pragma once

#include <windows.h>

#include <string>

#include "Handles.h"

namespace kf {

// Runs the directory search for pattern (every entry: hidden, system and
// read-only ones too) and hands each entry to visit; the search is closed
// before returning, whichever way.
template <typename Visit>
void ForEachDirectoryEntry(const std::string& pattern, Visit visit) {
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA(pattern.c_str(), &data));
  if (!find)
    return;
  do {
    visit(data);
  } while (FindNextFileA(find.Get(), &data));
}

}  // namespace kf
