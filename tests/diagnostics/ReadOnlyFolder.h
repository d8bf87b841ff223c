// build/readonly-plugin: a folder that cannot be written to, holding the
// plug-in and a debug switch file; made by readonly_folder.sh around the tests.
#pragma once

#include <windows.h>

#include <string>

#include "Files.h"

namespace kft {

// The folder with a trailing backslash, or "" when it is missing or can be
// written to after all (no immutable attribute on this system).
inline std::string ReadOnlyPluginFolder() {
  char full[MAX_PATH] = "";
  const std::string relative = ExeDir() + "..\\readonly-plugin\\";
  if (!GetFullPathNameA(relative.c_str(), MAX_PATH, full, nullptr) || !DirectoryExists(full))
    return std::string();
  const std::string folder = full;
  const std::string probe = folder + "write-probe.tmp";
  if (WriteBytes(probe, "x")) {
    DeleteFileA(probe.c_str());
    return std::string();
  }
  return folder;
}

}  // namespace kft
