// Which addresses the search command may hand to the shell's "open".
//
// The shell opens far more than web pages: programs ("calc.exe"), files, UNC
// paths ("\\server\share\x") and any registered protocol handler
// ("ms-msdt:..."). The word comes from a received mail, so it must never be
// the part that chooses what is opened. That is safe only when the engine's
// own template fixes the scheme in front of the word, or when the address is
// a plain web address.
#pragma once

#include <cstddef>
#include <string>

#include "Dbcs.h"

namespace kf {

// Longest address taken from the selection alone (an engine with an empty
// template) that is still handed to the shell.
constexpr std::size_t kMaxBareAddressBytes = 2048;

// True when address, built from tmpl, may be opened:
// - tmpl's text before its first "[WORD]" (all of it when there is none)
//   begins with a scheme of two characters or more ("https:", "mailto:",
//   "kftest:"; a drive letter such as "C:" is no scheme), and address begins
//   with that text; or
// - address begins with "http://" or "https://" in any case. When tmpl is
//   empty the address is the selection itself and must also be at most
//   kMaxBareAddressBytes long, with no blanks, quotes or control characters.
// An address holding a 0x00 byte is always refused: the shell would see only
// the part before it.
bool MayOpenAddress(const std::string& tmpl, const std::string& address, IsLeadByteFn isLead);

// text as one readable line for a message box: control characters become
// blanks or "?", a lead byte without its trail byte "?", and a text longer
// than maxBytes is cut at a character boundary with "..." appended (so the
// result is at most maxBytes + 3 bytes).
std::string AbbreviateForMessage(const std::string& text, std::size_t maxBytes,
                                 IsLeadByteFn isLead);

}  // namespace kf
