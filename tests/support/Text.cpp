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

std::map<UINT, std::string> StringTable(const std::string& libraryPath, LANGID language) {
  std::map<UINT, std::string> texts;
  const HMODULE library = LoadLibraryExA(libraryPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!library)
    return texts;
  // Blocks of 16 counted UTF-16 strings.
  for (UINT block = 1; block < 4096; ++block) {
    const HRSRC found = FindResourceExW(library, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(block), language);
    if (!found)
      continue;
    const auto* p = static_cast<const WCHAR*>(LockResource(LoadResource(library, found)));
    const DWORD size = SizeofResource(library, found) / sizeof(WCHAR);
    for (UINT i = 0, at = 0; i < 16 && at < size; ++i, at += 1 + p[at]) {
      if (p[at])
        texts[(block - 1) * 16 + i] = WideToUtf8(std::wstring(p + at + 1, p[at]));
    }
  }
  FreeLibrary(library);
  return texts;
}

char AccessKeyIn(const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&')
      continue;
    const char key = caption[i + 1];
    if (key != '&')
      return key >= 'a' && key <= 'z' ? static_cast<char>(key - 'a' + 'A') : key;
    ++i;
  }
  return 0;
}

}  // namespace kft
