// A file's version resource: the fixed file version and the strings of its
// first translation.
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
  // A value of the string block of the first translation listed, up to its
  // first NUL ("ProductName", "FileDescription"); "" when missing.
  std::string String(const char* key) const;

 private:
  std::vector<char> block_;
};

}  // namespace kf
