#include "ControlInput.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "HostText.h"
#include "HostWindow.h"

namespace kfhost {
namespace {

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchControlId(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<ControlSearch*>(param);
  if (GetDlgCtrlID(child) != search->id)
    return TRUE;
  search->found = child;
  return FALSE;
}

struct NamedKey {
  const char* name;
  UINT key;
};

constexpr NamedKey kKeys[] = {
    {"Enter", VK_RETURN},   {"Escape", VK_ESCAPE}, {"Tab", VK_TAB},       {"Space", VK_SPACE},
    {"Backspace", VK_BACK}, {"Delete", VK_DELETE}, {"Insert", VK_INSERT}, {"Home", VK_HOME},
    {"End", VK_END},        {"PageUp", VK_PRIOR},  {"PageDown", VK_NEXT}, {"Left", VK_LEFT},
    {"Right", VK_RIGHT},    {"Up", VK_UP},         {"Down", VK_DOWN},     {"Apps", VK_APPS},
};

// The lParam of a key message: one press, the key's scan code, and for a
// release the previous-state and transition bits.
LPARAM KeyData(UINT key, bool release) {
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  LPARAM data = 1 | static_cast<LPARAM>(scan << 16);
  if (release)
    data |= static_cast<LPARAM>(0xC0000000u);
  return data;
}

}  // namespace

HWND FindThreadWindow(const std::wstring& className) {
  const std::vector<HWND> windows = VisibleThreadWindows(className.c_str());
  return windows.empty() ? nullptr : windows.front();
}

HWND FindControl(HWND window, int id) {
  ControlSearch search{id, nullptr};
  EnumChildWindows(window, MatchControlId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ControlCaption(HWND control) {
  const int n = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(control, &text[0], n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  std::wstring caption;
  for (wchar_t c : text) {
    if (c != L'&')
      caption += c;
  }
  return WideToUtf8(caption);
}

UINT KeyOfName(const std::string& name) {
  for (const NamedKey& named : kKeys) {
    if (_stricmp(named.name, name.c_str()) == 0)
      return named.key;
  }
  // F1 to F12.
  if (name.size() >= 2 && name.size() <= 3 && (name[0] == 'F' || name[0] == 'f')) {
    const int n = std::atoi(name.c_str() + 1);
    if (n >= 1 && n <= 12 && name.find_first_not_of("0123456789", 1) == std::string::npos)
      return static_cast<UINT>(VK_F1 + n - 1);
  }
  return 0;
}

void PostKey(HWND control, UINT key) {
  SetFocus(control);
  PostMessageW(control, WM_KEYDOWN, key, KeyData(key, false));
  PostMessageW(control, WM_KEYUP, key, KeyData(key, true));
}

void PostText(HWND control, const std::wstring& text) {
  SetFocus(control);
  for (wchar_t c : text)
    PostMessageW(control, WM_CHAR, c, 1);
}

}  // namespace kfhost
