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

// An address typed with characters beyond ASCII, in UTF-8, as the URI a
// browser would send for it: every byte from 0x80 up becomes "%XX", every
// other byte stays exactly as it is (a 0x00 byte too). Used where a selection
// is opened as an address of its own: the shell's ANSI entry point would read
// raw UTF-8 bytes in the system code page, and the browser get other text.
std::string EscapeNonAscii(const std::string& utf8);

}  // namespace kf
