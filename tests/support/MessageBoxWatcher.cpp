#include "MessageBoxWatcher.h"

#include <algorithm>
#include <cstdio>

#include "HostWindow.h"
#include "Text.h"

namespace kft {
namespace {

// The text control of a message box has this id on Windows and in Wine.
constexpr int kMessageBoxTextId = 0xFFFF;

thread_local MessageBoxWatcher* t_current = nullptr;

std::wstring WindowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, &text[0], n + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

bool IsMessageBox(HWND hwnd) {
  wchar_t cls[32] = L"";
  GetClassNameW(hwnd, cls, ARRAYSIZE(cls));
  return wcscmp(cls, L"#32770") == 0 && GetDlgItem(hwnd, kMessageBoxTextId) != nullptr;
}

struct IconSearch {
  HICON icon = nullptr;
};

BOOL CALLBACK FindIconControl(HWND child, LPARAM param) {
  wchar_t cls[32] = L"";
  GetClassNameW(child, cls, ARRAYSIZE(cls));
  if (_wcsicmp(cls, L"Static") == 0 && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    reinterpret_cast<IconSearch*>(param)->icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    return FALSE;
  }
  return TRUE;
}

BoxIcon IconOf(HWND box) {
  IconSearch search;
  EnumChildWindows(box, FindIconControl, reinterpret_cast<LPARAM>(&search));
  if (!search.icon)
    return BoxIcon::None;
  // The system icons are shared: the box shows the very same handles.
  if (search.icon == LoadIcon(nullptr, IDI_WARNING))
    return BoxIcon::Warning;
  if (search.icon == LoadIcon(nullptr, IDI_QUESTION))
    return BoxIcon::Question;
  if (search.icon == LoadIcon(nullptr, IDI_ERROR))
    return BoxIcon::Error;
  if (search.icon == LoadIcon(nullptr, IDI_INFORMATION))
    return BoxIcon::Information;
  return BoxIcon::Other;
}

}  // namespace

std::string SeenMessageBox::TextUtf8() const { return WideToUtf8(text); }
std::string SeenMessageBox::CaptionUtf8() const { return WideToUtf8(caption); }
bool SeenMessageBox::HasButton(int id) const { return std::find(buttons.begin(), buttons.end(), id) != buttons.end(); }

MessageBoxWatcher::MessageBoxWatcher(int answer) : answer_(answer) {
  previous_ = t_current;
  t_current = this;
  hook_ = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
}

MessageBoxWatcher::~MessageBoxWatcher() {
  if (hook_)
    UnhookWindowsHookEx(hook_);
  t_current = previous_;
}

MessageBoxWatcher* MessageBoxWatcher::Current() { return t_current; }

void MessageBoxWatcher::OnActivate(HWND box) {
  if (std::find(answered_.begin(), answered_.end(), box) != answered_.end() || !IsMessageBox(box))
    return;
  answered_.push_back(box);
  SeenMessageBox seen;
  seen.text = WindowText(GetDlgItem(box, kMessageBoxTextId));
  seen.caption = WindowText(box);
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE}) {
    HWND button = GetDlgItem(box, id);
    // The box is not shown yet when it is activated: look at the style.
    if (button && (GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE))
      seen.buttons.push_back(id);
  }
  seen.icon = IconOf(box);
  int answer = answer_;
  if (!queued_.empty()) {
    answer = queued_.front();
    queued_.erase(queued_.begin());
  }
  if (!seen.HasButton(answer) && !seen.buttons.empty())
    answer = seen.buttons.front();
  seen.answer = answer;
  // In the test's output, so that a box nobody expected says what it was.
  std::fprintf(stderr, "[message box] %s\n", seen.TextUtf8().c_str());
  boxes_.push_back(seen);
  // Posted: the box's own message loop picks it up as a click once it runs.
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}

LRESULT CALLBACK MessageBoxWatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  MessageBoxWatcher* self = t_current;
  if (code == HCBT_ACTIVATE && self) {
    try {
      self->OnActivate(reinterpret_cast<HWND>(wParam));
    } catch (...) {
    }
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}

bool MessageBoxWatcher::WaitForCount(size_t count, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (boxes_.size() < count && GetTickCount() - start < timeoutMs)
    kfhost::PumpMessages(20);
  return boxes_.size() >= count;
}

}  // namespace kft
