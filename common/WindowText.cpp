#include "WindowText.h"

namespace kf {

std::string WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0)
    return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, &text[0], length + 1)));
  return text;
}

std::wstring WindowTextWide(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0)
    return std::wstring();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, &text[0], length + 1)));
  return text;
}

}  // namespace kf
