// Percent-encoding of a search word for a URL query. Byte-wise and blind to
// character sets: every byte from 0x80 up is escaped, so a double-byte
// character becomes two escapes.
#pragma once

#include <string>

namespace kf {

// Letters, digits and ! $ ' ( ) * - . @ _ pass, a blank becomes "+", every
// other byte "%XX" in upper-case hex. Stops at the first 0x00 byte: the word
// came from a C string on the clipboard, and nothing after a NUL was meant.
std::string UrlEncode(const std::string& text);

}  // namespace kf
