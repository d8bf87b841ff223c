// The module this code is linked into, and the file a module came from.
#pragma once

#include <windows.h>

#include <string>

#include "Handles.h"

namespace kf {

// The library (or program) this code is part of. Window classes, resources
// and the plug-in's own paths use it, never GetModuleHandle(NULL), which in
// a plug-in is the host.
HMODULE ThisModule();

// A reference of the library's own to ThisModule(), for as long as a window,
// hook or timer of it may call into its code: a host that frees the library
// without BKC_OnExit must not pull that code away. Empty when the platform
// refuses. Let it go only while the host is calling in (it holds a reference
// of its own then): dropped from a timer or window message of the library's
// own, it could unload the very code that drops it.
Library KeepThisModuleLoaded();

// An object of the library's that lives as long as the library is loaded
// and is never destroyed by the C++ run-time at unload: that runs under the
// loader lock, where no window, hook or library may be touched. What such an
// object holds is given back at BKC_OnExit; a host that unloads the library
// without it leaves it to the process.
template <typename T>
T& Resident() {
  static T* const object = new T();
  return *object;
}

// Full path of the module's file (null: the process's executable), however
// long; "" when the platform cannot tell.
std::string ModuleFileName(HMODULE module);

}  // namespace kf
