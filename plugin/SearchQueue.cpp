#include "SearchQueue.h"

#include <deque>
#include <utility>

#include "ErrorBox.h"
#include "Handles.h"
#include "Module.h"
#include "ShellOpen.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

namespace {

constexpr char kQueueWindowClass[] = "KestrelfindSearchQueue";
constexpr UINT_PTR kTickTimer = 1;
// How often the queue looks whether the next address may go.
constexpr UINT kTickMs = 20;
// How long a program the shell started may take to pass its address on (a
// browser hands it to the window it has open, and ends).
constexpr DWORD kHandOffMs = 1000;
// Between two opens when the shell names no program to wait for.
constexpr DWORD kOpenGapMs = 100;

struct Queue {
  HWND window = nullptr;
  HWND owner = nullptr;
  std::deque<QueuedOpen> waiting;
  std::string failures;
  // The program the last open started, and how long it may take.
  KernelHandle launched;
  DWORD openedAt = 0;
  DWORD handOffMs = 0;
};

Queue gQueue;
bool gClassRegistered = false;
// Our own reference to the library (KeepThisModuleLoaded) while a timer may
// call into it: a host that unloads it without BKC_OnExit must not pull the
// code from under a tick.
HMODULE gKeptLoaded = nullptr;
// The queue is opening an address (the shell may run a message loop) or
// showing its report: code of the library is on the stack.
bool gAdvancing = false;
bool gReporting = false;

bool LastOpenHandedOn() {
  if (gQueue.launched && WaitForSingleObject(gQueue.launched.Get(), 0) == WAIT_OBJECT_0)
    return true;
  return GetTickCount() - gQueue.openedAt >= gQueue.handOffMs;
}

void OpenNext() {
  const QueuedOpen next = std::move(gQueue.waiting.front());
  gQueue.waiting.pop_front();
  KernelHandle launched;
  const std::string failure = OpenAddress(next.address, &launched);
  gQueue.openedAt = GetTickCount();
  if (!failure.empty()) {
    AddFailure(gQueue.failures, next.caption, failure);
    gQueue.launched.Close();
    gQueue.handOffMs = 0;
    return;
  }
  gQueue.handOffMs = launched ? kHandOffMs : kOpenGapMs;
  gQueue.launched = std::move(launched);
}

// The timer and its window go before the report, whose message loop may see
// the host unload the library.
void Finish() {
  const HWND owner = gQueue.owner;
  const std::string failures = std::move(gQueue.failures);
  KillTimer(gQueue.window, kTickTimer);
  DestroyWindow(gQueue.window);
  gQueue = Queue();
  if (failures.empty())
    return;
  gReporting = true;
  ShowErrorBox(owner, UiText(IDS_SEARCHES_NOT_OPENED, {failures}));
  gReporting = false;
}

void Advance() {
  // The shell may pump messages while it opens; a tick then must wait.
  if (gAdvancing)
    return;
  gAdvancing = true;
  try {
    while (!gQueue.waiting.empty() && LastOpenHandedOn())
      OpenNext();
  } catch (...) {
    gAdvancing = false;
    throw;
  }
  gAdvancing = false;
  if (gQueue.waiting.empty())
    Finish();
}

LRESULT CALLBACK QueueWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER && wParam == kTickTimer) {
    try {
      Advance();
    } catch (...) {
      ShowCurrentException(nullptr);
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A message-only window of the calling (the host's) thread for the timer.
HWND CreateQueueWindow() {
  if (!gClassRegistered) {
    WNDCLASSEXA cls = {};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = QueueWindowProc;
    cls.hInstance = ThisModule();
    cls.lpszClassName = kQueueWindowClass;
    if (!RegisterClassExA(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw Error(SystemMessage(GetLastError()));
    gClassRegistered = true;
  }
  const HWND window =
      CreateWindowExA(0, kQueueWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
  if (!window)
    throw Error(SystemMessage(GetLastError()));
  if (!SetTimer(window, kTickTimer, kTickMs, nullptr)) {
    const DWORD error = GetLastError();
    DestroyWindow(window);
    throw Error(SystemMessage(error));
  }
  if (!gKeptLoaded)
    gKeptLoaded = KeepThisModuleLoaded();
  return window;
}

}  // namespace

void AddFailure(std::string& failures, const std::string& caption, const std::string& why) {
  failures += "\r\n\r\n" + caption + ": " + why;
}

void QueueOpens(HWND owner, std::vector<QueuedOpen> opens, std::string failures) {
  if (opens.empty() && !gQueue.window) {
    if (!failures.empty())
      ShowErrorBox(owner, UiText(IDS_SEARCHES_NOT_OPENED, {failures}));
    return;
  }
  if (!gQueue.window)
    gQueue.window = CreateQueueWindow();
  gQueue.owner = owner;
  for (QueuedOpen& open : opens)
    gQueue.waiting.push_back(std::move(open));
  gQueue.failures += failures;
  Advance();
}

void ReleaseSearchQueue() noexcept {
  if (gQueue.window) {
    KillTimer(gQueue.window, kTickTimer);
    DestroyWindow(gQueue.window);
  }
  gQueue = Queue();
  if (gClassRegistered) {
    UnregisterClassA(kQueueWindowClass, ThisModule());
    gClassRegistered = false;
  }
  // The host holds its own reference while it calls in here, so this only
  // lets the library go when the host frees it; not while a message loop
  // that is to return into this library is on the stack.
  if (gKeptLoaded && !gAdvancing && !gReporting) {
    FreeLibrary(gKeptLoaded);
    gKeptLoaded = nullptr;
  }
}

}  // namespace kf
