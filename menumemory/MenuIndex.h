// The index file of the menu's memory: its text form, apart from the file
// so that a damaged or foreign index can be told from a good one without
// touching the disk.
#pragma once

#include <string>
#include <vector>

namespace kf {

// One engine file as the index remembers it.
struct IndexedEngine {
  std::string relativePath;  // below the store's top folder, '\\' between levels
  unsigned long long written = 0;  // FILETIME as one number
  unsigned long long size = 0;
  bool favourite = false;
  char accessKey = 0;  // 0 for none
};

// The text of an index for the store at storeDir:
//   Kestrelfind menu index 1
//   store <TAB> storeDir
//   written <TAB> size <TAB> pin <TAB> key <TAB> path     one line per engine
//   end <TAB> number of engines
// Numbers in hex, pin 0 or 1, key the letter or digit or "-", CR LF line
// ends; paths and names hold no tab, CR or LF.
std::string FormatMenuIndex(const std::string& storeDir, const std::vector<IndexedEngine>& engines);

// The engines of an index text written for storeDir (byte for byte: the
// same plug-in in the same place); false for anything else: another store, another
// format, a line that is not whole, a count that does not match.
bool ParseMenuIndex(const std::string& text, const std::string& storeDir, std::vector<IndexedEngine>& engines);

}  // namespace kf
