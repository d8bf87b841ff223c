// Failures of the run-time layer, and the system's words for them.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace kf {

// A failure of the run-time layer (INI writing, lists, the clipboard). Its
// message is ANSI text, shown after the error box's prefix.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The system's own text for an error code (GetLastError, a shell result),
// without its line end; "error N" where the system has none.
std::string SystemMessage(DWORD code);

}  // namespace kf
