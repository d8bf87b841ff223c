// The file a loaded module came from.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

// Full path of the module's file (null: the process's executable), however
// long; "" when the platform cannot tell.
std::string ModuleFileName(HMODULE module);

}  // namespace kf
