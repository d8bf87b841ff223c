// Handing an address to the shell's "open", which starts the user's browser
// (or passes the address to the one running).
#pragma once

#include <string>

#include "Handles.h"

namespace kf {

// Opens address; "" when the shell took it, and otherwise why not, as the
// user reads it. launched, when given, receives the program the shell
// started for it, if the shell says.
std::string OpenAddress(const std::string& address, KernelHandle* launched = nullptr);

// address cut short for an error box.
std::string ShownAddress(const std::string& address);

}  // namespace kf
