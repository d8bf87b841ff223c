// A file's version resource: the fixed file version and the strings of its
// translations.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kf {

class VersionResource {
 public:
  // Reads the resource of the file at path; empty when it has none.
  explicit VersionResource(const std::string& path);

  bool IsEmpty() const { return block_.empty(); }
  // The fixed part, or null when there is none.
  const VS_FIXEDFILEINFO* Fixed() const;
  // A value of a string block, up to its first NUL ("ProductName",
  // "FileDescription"); "" when missing. The block of the first translation
  // listed in language, else of the first translation listed.
  std::string String(const char* key, LANGID language = 0) const;

 private:
  std::vector<char> block_;
};

}  // namespace kf
