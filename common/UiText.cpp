#include "UiText.h"

#include <vector>

#include "AsciiText.h"
#include "Module.h"
#include "WideText.h"

namespace kf {

namespace {

UiLanguage gLanguage = UiLanguage::English;

// A string of a string table in one language. Tables are stored in blocks
// of 16 counted UTF-16 strings; LoadString would pick the language of the
// thread, which belongs to the host.
bool FindString(UINT id, LANGID language, std::wstring& text) {
  const HMODULE module = ThisModule();
  const HRSRC block =
      FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */, MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!block)
    return false;
  const HGLOBAL loaded = LoadResource(module, block);
  const auto* p = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
  if (!p)
    return false;
  const DWORD size = SizeofResource(module, block) / sizeof(WCHAR);
  DWORD at = 0;
  for (UINT i = 0; i < id % 16; ++i) {
    if (at >= size)
      return false;
    at += 1 + p[at];
  }
  if (at >= size || p[at] == 0 || at + 1 + p[at] > size)
    return false;
  text.assign(p + at + 1, p[at]);
  return true;
}

}  // namespace

UiLanguage ChooseUiLanguage(const std::string& setting, UINT ansiCodePage, LANGID userUiLanguage) {
  if (ansiCodePage != 932 || EqualsIgnoringAsciiCase(setting, "en"))
    return UiLanguage::English;
  if (EqualsIgnoringAsciiCase(setting, "ja") || PRIMARYLANGID(userUiLanguage) == LANG_JAPANESE)
    return UiLanguage::Japanese;
  return UiLanguage::English;
}

void SetUiLanguage(UiLanguage language) { gLanguage = language; }

UiLanguage CurrentUiLanguage() { return gLanguage; }

LANGID LanguageId(UiLanguage language) {
  return language == UiLanguage::Japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)
                                          : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

std::wstring UiTextWide(UINT id) {
  std::wstring text;
  if (!FindString(id, LanguageId(gLanguage), text) && !FindString(id, LanguageId(UiLanguage::English), text))
    return std::wstring();
  return text;
}

std::string UiText(UINT id) { return WideToAnsi(UiTextWide(id)); }

std::string UiText(UINT id, const std::vector<std::string>& args) { return FillPlaceholders(UiText(id), args); }

std::string FillPlaceholders(const std::string& pattern, const std::vector<std::string>& args) {
  // '%' is never a trail byte of a double-byte character, so a byte-wise
  // scan is safe.
  std::string result;
  result.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '%' && i + 1 < pattern.size()) {
      const char next = pattern[i + 1];
      if (next == '%') {
        result.push_back('%');
        ++i;
        continue;
      }
      if (next >= '1' && next <= '9') {
        const std::size_t index = static_cast<std::size_t>(next - '1');
        if (index < args.size())
          result += args[index];
        ++i;
        continue;
      }
    }
    result.push_back(c);
  }
  return result;
}

}  // namespace kf
