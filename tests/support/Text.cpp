#include "Text.h"

#include "Menus.h"

namespace kft {

std::string Sjis(const std::string& utf8) { return WideToCodePage(Utf8ToWide(utf8), 932); }

bool IsCodePage932() { return GetACP() == 932; }

std::string HexBytes(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty())
      out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::vector<std::string> Captions(const std::vector<MenuItem>& items) {
  std::vector<std::string> captions;
  for (const MenuItem& item : items)
    captions.push_back(item.separator ? "----" : item.CaptionUtf8());
  return captions;
}

}  // namespace kft
