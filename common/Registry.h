// Reading string values of the registry.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

// A string value (REG_SZ or REG_EXPAND_SZ) of root\keyPath, up to its first
// NUL; "" when the key or value is missing or is not a string. A
// REG_EXPAND_SZ value is expanded only when expand is true.
std::string ReadRegistryString(HKEY root, const char* keyPath, const char* valueName, bool expand);

}  // namespace kf
