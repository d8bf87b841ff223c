// The page that sends a post engine's form: the browser opens it from a file,
// and its script submits the form at once. Everything on it from the mail or
// the engine file is escaped, so the word can never end an attribute or start
// markup or script of its own.
#pragma once

#include <string>

#include "SearchAddress.h"

namespace kf {

// What the page says in the user's language, for a browser that blocks its
// script; written as character references, so any page encoding shows it.
struct FormPageTexts {
  std::u16string title;
  std::u16string explanation;
  std::u16string button;
};

// The bytes of the page, in the form's charset: a <meta charset>, the form
// (action, method "post", accept-charset) with one hidden field per pair, a
// submit button under the explanation, and a script that submits the form.
std::string FormPageHtml(const PostForm& form, const FormPageTexts& texts);

// bytes escaped for an HTML attribute value or text: & < > " ' as
// references, control characters as numeric ones (a 0x00 byte, which no page
// may hold, as U+FFFD). Byte-wise: no byte of a multi-byte character in
// Shift-JIS, EUC-JP or UTF-8 is one of these.
std::string EscapeHtml(const std::string& bytes);

}  // namespace kf
