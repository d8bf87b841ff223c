// UTF-16 to UTF-8 for engines that take their query in UTF-8. The clipboard
// gives Unicode text as UTF-16 code units; the word of a mail may be any
// script, so nothing is lost on the way.
#pragma once

#include <string>

namespace kf {

// Every code unit converted, a 0x0000 unit included (it becomes 0x00). A
// surrogate pair becomes one four-byte character; a surrogate without its
// partner, which no character can be made of, becomes U+FFFD (EF BF BD).
// The result is always well-formed UTF-8, at most three bytes per unit.
std::string Utf16ToUtf8(const std::u16string& text);

}  // namespace kf
