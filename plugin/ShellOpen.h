// Opening an address: through the shell's "open", which starts the user's
// browser (or passes the address to the one running), or by starting the
// browser the settings choose, in a private window where they say so; and
// what the user is told when an address is not opened.
#pragma once

#include <string>

#include "BrowserCommand.h"
#include "Handles.h"
#include "OpenPolicy.h"

namespace kf {

// Opens address as browser says; "" when it was handed on, and otherwise
// why not, as the user reads it. launched, when given, receives the program
// started for it, when one was and the platform says which.
std::string OpenAddress(const std::string& address, const BrowserChoice& browser,
                        KernelHandle* launched = nullptr);

// Why address is not opened, as the user reads it; "" for None and Empty
// (nothing to search says nothing). For PathSchemeWithWord, address is the
// template; for the Post ones, the form's action.
std::string RefusalText(AddressRefusal refusal, const std::string& address);

}  // namespace kf
