#include "ErrorBox.h"

#include <new>

#include "TextIds.h"
#include "UiText.h"

namespace kf {

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
  const int n =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &ansi[0], n, nullptr, nullptr);
  return ansi;
}

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n =
      FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message = n && text ? std::string(text, n) : std::string();
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message.empty() ? UiText(IDS_SYSTEM_ERROR_CODE, {std::to_string(code)}) : message;
}

namespace {

HWND LiveOwner(HWND owner) { return owner && IsWindow(owner) ? owner : nullptr; }

}  // namespace

// The captions are the platform's own words, so they follow the user
// interface language, not the ANSI code page; the wide API shows them right
// under either code page.
void ShowErrorBox(HWND owner, const std::string& message) {
  MessageBoxW(LiveOwner(owner), AnsiToWide(UiText(IDS_ERROR_PREFIX) + message).c_str(),
              UiTextWide(IDS_WARNING_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
}

void ShowCurrentException(HWND owner) noexcept {
  try {
    try {
      throw;
    } catch (const std::bad_alloc&) {
      ShowErrorBox(owner, UiText(IDS_OUT_OF_MEMORY));
    } catch (const std::exception& e) {
      ShowErrorBox(owner, e.what());
    } catch (...) {
      ShowErrorBox(owner, UiText(IDS_UNEXPECTED_FAILURE));
    }
  } catch (...) {
    // Reporting failed too (no memory left): stay silent rather than let it
    // reach the host.
  }
}

bool Confirm(HWND owner, const std::string& question) {
  return MessageBoxW(LiveOwner(owner), AnsiToWide(question).c_str(), UiTextWide(IDS_CONFIRM_CAPTION).c_str(),
                     MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

}  // namespace kf
