// The menu's memory of the store: what the "Search engines" menu shows of
// each engine besides its name (its favourite mark and its access key),
// remembered between builds with the listing data that tells whether the
// file is still as it was then, so that a menu of thousands of engines does
// not read them all at every build.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>

#include "EngineStore.h"

namespace kf {

// What the search menu shows of an engine besides its name.
struct EngineMenuTraits {
  bool favourite = false;  // pin=1 exactly
  char accessKey = 0;      // key= one ASCII letter (upper case) or digit; 0 for none
};

// The engine file's traits, read the way every reader of the store reads an
// engine file (the first line of a key counts).
EngineMenuTraits ReadMenuTraits(const std::string& path);

// What the memory can see: a file is read again when its last-write time or
// its size differs from what the listing said when it was read, and also
// when it was written within the file system's time resolution (2 seconds
// on FAT) of the moment it was read, for a later change in that moment
// would keep both. What it cannot see: a file replaced by one of the same
// size carrying an older time (a copy that keeps the time) after that
// moment; the memory is empty again whenever the library is loaded.
class MenuMemory {
 public:
  // The traits of the engine file at path, listed as entry.
  EngineMenuTraits TraitsOf(const std::string& path, const StoreEntry& entry);
  // Drops everything remembered.
  void Forget() { remembered_.clear(); }

 private:
  struct Remembered {
    FILETIME written;
    ULONGLONG size;
    bool settled;  // written well before it was read
    EngineMenuTraits traits;
  };
  std::unordered_map<std::string, Remembered> remembered_;
};

}  // namespace kf
