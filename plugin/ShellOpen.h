// Handing an address to the shell's "open", which starts the user's browser
// (or passes the address to the one running), and what the user is told
// when an address is not opened.
#pragma once

#include <string>

#include "Handles.h"
#include "OpenPolicy.h"

namespace kf {

// Opens address; "" when the shell took it, and otherwise why not, as the
// user reads it. launched, when given, receives the program the shell
// started for it, if the shell says.
std::string OpenAddress(const std::string& address, KernelHandle* launched = nullptr);

// Why address is not opened, as the user reads it; "" for None and Empty
// (nothing to search says nothing). For PathSchemeWithWord, address is the
// template; for the Post ones, the form's action.
std::string RefusalText(AddressRefusal refusal, const std::string& address);

}  // namespace kf
