#include "ErrorBox.h"

#include <new>

namespace kf {

const char kErrorPrefix[] = "Kestrelfind Error:  ";

bool IsJapaneseUserInterface() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

std::wstring AnsiToWide(const std::string& text) {
  if (text.empty())
    return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::string WideToAnsi(const std::wstring& text) {
  if (text.empty())
    return std::string();
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &ansi[0], n, nullptr, nullptr);
  return ansi;
}

// The captions are the platform's own words, so they follow the user
// interface language, not the ANSI code page; the wide API shows them right
// under either code page.
void ShowErrorBox(HWND owner, const std::string& message) {
  const wchar_t* caption = IsJapaneseUserInterface() ? L"\u8B66\u544A" : L"Warning";
  MessageBoxW(owner, AnsiToWide(kErrorPrefix + message).c_str(), caption, MB_OK | MB_ICONWARNING);
}

void ShowCurrentException(HWND owner) noexcept {
  try {
    try {
      throw;
    } catch (const std::bad_alloc&) {
      ShowErrorBox(owner, "Out of memory.");
    } catch (const std::exception& e) {
      ShowErrorBox(owner, e.what());
    } catch (...) {
      ShowErrorBox(owner, "Unexpected failure.");
    }
  } catch (...) {
    // Reporting failed too (no memory left): stay silent rather than let it
    // reach the host.
  }
}

bool Confirm(HWND owner, const std::string& question) {
  const wchar_t* caption = IsJapaneseUserInterface() ? L"\u78BA\u8A8D" : L"Confirm";
  return MessageBoxW(owner, AnsiToWide(question).c_str(), caption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

}  // namespace kf
