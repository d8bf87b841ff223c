#include "FormPage.h"

namespace kf {

namespace {

// UTF-16 as ASCII: every character beyond it a numeric reference.
std::string AsciiWithReferences(const std::u16string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c >= 0x20 && c < 0x7F)
      out += EscapeHtml(std::string(1, static_cast<char>(c)));
    else
      out += "&#" + std::to_string(static_cast<unsigned long>(c)) + ";";
  }
  return out;
}

}  // namespace

std::string EscapeHtml(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const unsigned char b = static_cast<unsigned char>(ch);
    switch (b) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case 0:
        out += "&#xFFFD;";
        break;
      default:
        if (b < 0x20 || b == 0x7F)
          out += "&#" + std::to_string(b) + ";";
        else
          out += ch;
    }
  }
  return out;
}

std::string FormPageHtml(const PostForm& form, const FormPageTexts& texts) {
  const std::string charset = EscapeHtml(form.charset);
  std::string page = "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"" + charset + "\">\r\n<title>" +
                     AsciiWithReferences(texts.title) + "</title>\r\n</head>\r\n<body>\r\n<form action=\"" +
                     EscapeHtml(form.action) + "\" method=\"post\" accept-charset=\"" + charset + "\">\r\n";
  for (const FormField& field : form.fields)
    page +=
        "<input type=\"hidden\" name=\"" + EscapeHtml(field.name) + "\" value=\"" + EscapeHtml(field.value) + "\">\r\n";
  page += "<p>" + AsciiWithReferences(texts.explanation) + "</p>\r\n<input type=\"submit\" value=\"" +
          AsciiWithReferences(texts.button) + "\">\r\n</form>\r\n";
  // Through the prototype: a field named "submit" hides the form's own
  // submit method.
  page +=
      "<script>HTMLFormElement.prototype.submit.call(document.forms[0]);</script>\r\n"
      "</body>\r\n</html>\r\n";
  return page;
}

}  // namespace kf
