#include "Module.h"

#include <vector>

namespace kf {

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
