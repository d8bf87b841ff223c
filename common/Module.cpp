#include "Module.h"

#include <vector>

namespace kf {

HMODULE ThisModule() {
  // The module that holds this very function; no reference is taken, the
  // module cannot go away while its own code runs.
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

Library KeepThisModuleLoaded() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return Library(module);
}

std::string ModuleFileName(HMODULE module) {
  // Start at the classic 260 and grow only for the rare longer path, rather
  // than work with a silently truncated one.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0)
      return std::string();
    if (n < buffer.size())
      return std::string(buffer.data(), n);
    if (buffer.size() >= 32768)
      return std::string();
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace kf
