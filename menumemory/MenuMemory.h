// The menu's memory of the store: what the "Search engines" menu shows of
// each engine besides its name (its favourite mark and its access key),
// remembered between builds with the listing data that tells whether the
// file is still as it was then, so that a menu of thousands of engines does
// not read them all at every build.
#pragma once

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

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
// size carrying the same older time (a copy that keeps the time) after that
// moment.
//
// Between two loads of the library the memory lives in an index file beside
// it (Kestrelfind.idx): written when the library goes, read at the first
// menu, so that the first menu after the host starts reads one file instead
// of every engine file. The index holds, for each engine file the memory had
// seen settle, its path below the store, its last-write time and size, and
// its favourite mark and access key: nothing the engine files do not say,
// and nothing the next listing does not check again.
class MenuMemory {
 public:
  // The traits of the engine file at path, listed as entry.
  EngineMenuTraits TraitsOf(const std::string& path, const StoreEntry& entry);

  // The menu order of the engines of the folder at folderPath, as it was
  // sorted when the folder last listed exactly listedNames (its engine file
  // names in listing order, each ended by a NUL); null when it listed
  // anything else since. Sorting by the locale's collation costs more than
  // everything else a menu build does with a name. The index keeps each
  // folder's engines in menu order, so that the first build of a load finds
  // the order of a folder whose names did not change; fromIndex then says
  // so, for the caller to check it (an index is a file anyone may edit).
  const std::vector<std::size_t>* OrderOf(const std::string& folderPath, const std::string& listedNames,
                                          bool& fromIndex);
  void KeepOrder(const std::string& folderPath, std::string listedNames, std::vector<std::size_t> order);

  // Takes in what the index at indexPath remembers of the store at
  // storeDir (a path ending in a backslash). An index that is missing,
  // damaged, of another format or written for another store is passed over
  // whole, and replaced at the next Keep.
  void Recall(const std::string& indexPath, const std::string& storeDir);
  // Writes what the memory holds of the store at storeDir and has seen
  // settle into the index at indexPath, when it changed since Recall or the
  // last Keep. False when the index could not be written (the next start
  // reads the engine files instead; nothing is lost).
  bool Keep(const std::string& indexPath, const std::string& storeDir);

 private:
  struct Remembered {
    FILETIME written;
    ULONGLONG size;
    bool settled;  // written well before it was read
    bool seen;     // listed by a menu of this load
    EngineMenuTraits traits;
  };
  std::unordered_map<std::string, Remembered> remembered_;
  struct Order {
    std::string listedNames;
    std::vector<std::size_t> order;
  };
  std::unordered_map<std::string, Order> orders_;
  // Each folder's engine file names in the menu order the index gave, until
  // a build of the folder takes them up.
  std::unordered_map<std::string, std::vector<std::string>> recalledOrders_;

  // The order of listedNames by the recalled menu order of the folder, or
  // an empty one when the folder lists other names than it did.
  std::vector<std::size_t> RecalledOrder(const std::string& folderPath, const std::string& listedNames);
  // Something was read from an engine file since the index was read or
  // written, or remembered that no menu of this load has listed.
  bool changed_ = false;
  std::size_t recalled_ = 0;
};

}  // namespace kf
