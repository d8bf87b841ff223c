#include "BoxCatcher.h"

#include <cstdio>

#include "ControlInput.h"
#include "HostText.h"
#include "Screenshot.h"

namespace kfhost {
namespace {

// The text control of a message box has this id on Windows and in Wine.
constexpr int kMessageBoxTextId = 0xFFFF;

// A box is activated before it is shown: it is photographed from a timer
// of its own, which its modal loop runs once it is on screen and painted.
constexpr UINT_PTR kShownTimer = 0x4B42;
constexpr UINT kShownTickMs = 100;
constexpr int kSettleTicks = 2;
// A box still hidden after this many ticks is answered unphotographed.
constexpr int kMaxHiddenTicks = 30;

// Room around the box and its owner, so that their edges show whole.
constexpr int kShotMargin = 8;
// A slug ends with the word that takes it to this length.
constexpr size_t kSlugLength = 24;
// A colon this near the start of a box's text, before any sentence ends,
// closes a label.
constexpr size_t kLabelLength = 32;

thread_local BoxCatcher* t_catcher = nullptr;

std::wstring TextOf(HWND hwnd) {
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

// The button with this id, if the box offers it. Looked at through its
// style: the box may not be shown yet.
HWND OfferedButton(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return button && (GetWindowLongW(button, GWL_STYLE) & WS_VISIBLE) ? button : nullptr;
}

// The box's text on one line: its line breaks written as "\n".
std::string OneLine(const std::wstring& text) {
  std::wstring line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r')
      continue;
    if (text[i] == L'\n')
      line += L"\\n";
    else
      line += text[i];
  }
  return WideToUtf8(line);
}

bool IsAsciiAlnum(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

}  // namespace

std::string SlugOf(const std::wstring& text) {
  // A label that opens the text ("Kestrelfind Error:") says nothing of this
  // box in particular.
  size_t from = 0;
  const size_t colon = text.find(L':');
  if (colon != std::wstring::npos && colon < kLabelLength && text.find_first_of(L".?!\r\n") > colon)
    from = colon + 1;
  size_t ascii = 0, other = 0;
  for (size_t i = from; i < text.size(); ++i) {
    if (text[i] > 0x7F)
      ++other;
    else if (text[i] != L' ')
      ++ascii;
  }
  // Text in another script: its few ASCII words would be no name for it.
  if (other > ascii)
    return std::string();
  std::string slug;
  for (size_t i = from; i < text.size();) {
    if (!IsAsciiAlnum(text[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsAsciiAlnum(text[end]))
      ++end;
    // Digits after '%' are an escaped byte of an address, not a word.
    if (i == 0 || text[i - 1] != L'%') {
      if (slug.size() >= kSlugLength)
        break;
      if (!slug.empty())
        slug += '-';
      for (size_t k = i; k < end; ++k)
        slug += static_cast<char>(text[k] >= L'A' && text[k] <= L'Z' ? text[k] - L'A' + L'a' : text[k]);
    }
    i = end;
  }
  return slug;
}

BoxCatcher::BoxCatcher(const std::string& filePrefix, Answer answer, HANDLE out)
    : filePrefix_(filePrefix), answer_(answer), out_(out) {
  if (t_catcher)
    return;
  hook_.Attach(SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId()));
  if (hook_)
    t_catcher = this;
}

BoxCatcher::~BoxCatcher() {
  if (t_catcher == this)
    t_catcher = nullptr;
}

void BoxCatcher::Change(const std::string& filePrefix, Answer answer) {
  filePrefix_ = filePrefix;
  answer_ = answer;
}

LRESULT CALLBACK BoxCatcher::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
  BoxCatcher* self = t_catcher;
  if (code == HCBT_ACTIVATE && self) {
    try {
      self->OnActivate(reinterpret_cast<HWND>(wParam));
    } catch (...) {
    }
  }
  return CallNextHookEx(self ? self->hook_.Get() : nullptr, code, wParam, lParam);
}

void CALLBACK BoxCatcher::ShownTimerProc(HWND box, UINT, UINT_PTR, DWORD) {
  KillTimer(box, kShownTimer);
  BoxCatcher* self = t_catcher;
  if (!self)
    return;
  try {
    self->OnShownTick(box);
  } catch (...) {
  }
}

void BoxCatcher::OnActivate(HWND box) {
  for (HWND seen : seen_) {
    if (seen == box)
      return;
  }
  if (!IsMessageBox(box))
    return;
  seen_.push_back(box);
  ticks_ = 0;
  SetTimer(box, kShownTimer, kShownTickMs, ShownTimerProc);
}

void BoxCatcher::OnShownTick(HWND box) {
  ++ticks_;
  const bool shown = IsWindowVisible(box) != FALSE;
  if ((!shown && ticks_ < kMaxHiddenTicks) || (shown && ticks_ < kSettleTicks)) {
    SetTimer(box, kShownTimer, kShownTickMs, ShownTimerProc);
    return;
  }
  ++count_;
  std::string shot;
  if (shown) {
    std::string slug = SlugOf(TextOf(GetDlgItem(box, kMessageBoxTextId)));
    if (slug.empty())
      slug = OfferedButton(box, IDCANCEL) || OfferedButton(box, IDNO) ? "question" : "message";
    char number[16];
    std::snprintf(number, sizeof number, "-%02d-", count_);
    const std::string file = filePrefix_ + number + slug + ".png";
    // The box over the window it belongs to, both drawn from their own
    // contents: without a window manager X may stack them otherwise.
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT area;
    GetWindowRect(box, &area);
    std::vector<HWND> layers;
    const HWND owner = GetWindow(box, GW_OWNER);
    RECT ownerRect;
    if (owner && IsWindowVisible(owner) && GetWindowRect(owner, &ownerRect)) {
      UnionRect(&area, &area, &ownerRect);
      layers.push_back(owner);
    }
    layers.push_back(box);
    InflateRect(&area, kShotMargin, kShotMargin);
    std::string error;
    shot = SaveScreenshotOfRect(Utf8ToWide(file), area, layers, error) ? file : "no screenshot: " + error;
  } else {
    shot = "no screenshot: the box did not show";
  }
  Reply(box, shot);
}

void BoxCatcher::Reply(HWND box, const std::string& shot) {
  const int preferred[] = {answer_ == Answer::Cancel ? IDCANCEL : IDOK, answer_ == Answer::Cancel ? IDNO : IDYES};
  int answer = 0;
  for (int id : preferred) {
    if (!answer && OfferedButton(box, id))
      answer = id;
  }
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDTRYAGAIN, IDCONTINUE}) {
    if (!answer && OfferedButton(box, id))
      answer = id;
  }
  HWND button = answer ? GetDlgItem(box, answer) : nullptr;
  WriteLine(out_, "box " + std::to_string(count_) + " [" + OneLine(TextOf(box)) + "] " +
                      OneLine(TextOf(GetDlgItem(box, kMessageBoxTextId))) + " -> " +
                      (button ? ControlCaption(button) : std::string("(no button)")) + "; " + shot);
  if (!button)
    return;
  // Posted: the box's own loop takes it as a click of that button.
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

}  // namespace kfhost
