#include "VersionResource.h"

#include <cstdio>

namespace kf {

VersionResource::VersionResource(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = path.empty() ? 0 : GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0)
    return;
  block_.assign(size, '\0');
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block_.data()))
    block_.clear();
}

const VS_FIXEDFILEINFO* VersionResource::Fixed() const {
  void* value = nullptr;
  UINT length = 0;
  // VerQueryValue does not write into the block; it takes a non-const pointer all the same.
  void* block = const_cast<char*>(block_.data());
  if (block_.empty() || !VerQueryValueA(block, "\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO))
    return nullptr;
  return static_cast<const VS_FIXEDFILEINFO*>(value);
}

std::string VersionResource::String(const char* key, LANGID language) const {
  if (block_.empty())
    return std::string();
  void* block = const_cast<char*>(block_.data());
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block, "\\VarFileInfo\\Translation", &value, &length) || !value || length < 2 * sizeof(WORD))
    return std::string();
  // Pairs of language and code page.
  const WORD* translation = static_cast<const WORD*>(value);
  for (const WORD* pair = translation; pair + 2 <= translation + length / sizeof(WORD); pair += 2) {
    if (language && pair[0] == language) {
      translation = pair;
      break;
    }
  }
  char query[96];
  std::snprintf(query, sizeof query, "\\StringFileInfo\\%04X%04X\\%s", translation[0], translation[1], key);
  if (!VerQueryValueA(block, query, &value, &length) || !value || length == 0)
    return std::string();
  const char* text = static_cast<const char*>(value);
  std::size_t n = 0;
  while (n < length && text[n] != '\0')
    ++n;
  return std::string(text, n);
}

}  // namespace kf
