#include "Registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Handles.h"

namespace kf {

namespace {

std::string ExpandEnvironment(const std::string& value) {
  const DWORD needed = ExpandEnvironmentStringsA(value.c_str(), nullptr, 0);
  if (needed == 0)
    return std::string();
  std::string expanded(needed, '\0');
  const DWORD n = ExpandEnvironmentStringsA(value.c_str(), &expanded[0], needed);
  if (n == 0 || n > needed)
    return std::string();
  // The count can exceed the bytes written for double-byte text.
  expanded.resize(std::strlen(expanded.c_str()));
  return expanded;
}

}  // namespace

std::string ReadRegistryString(HKEY root, const char* keyPath, const char* valueName, bool expand) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(root, keyPath, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
    return std::string();
  const RegKey key(raw);

  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::string();
  // The value may change between the two calls; ask again while it grows.
  std::vector<char> data;
  LONG rc = ERROR_MORE_DATA;
  while (rc == ERROR_MORE_DATA) {
    data.assign(size + 1, '\0');
    rc = RegQueryValueExA(key.Get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  }
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::string();
  // The stored data need not end in a NUL, and may hold one early.
  std::string value(data.data(), std::min<std::size_t>(size, std::strlen(data.data())));
  if (expand && type == REG_EXPAND_SZ && !value.empty())
    return ExpandEnvironment(value);
  return value;
}

}  // namespace kf
