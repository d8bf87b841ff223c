#include "SearchQueue.h"

#include <deque>
#include <utility>

#include "ErrorBox.h"
#include "Handles.h"
#include "Module.h"
#include "ShellOpen.h"
#include "TextIds.h"
#include "UiText.h"
#include "Window.h"

namespace kf {

namespace {

constexpr UINT_PTR kTickTimer = 1;
// How often the queue looks whether the next address may go.
constexpr UINT kTickMs = 20;
// How long a program the shell started may take to pass its address on (a
// browser hands it to the window it has open, and ends).
constexpr DWORD kHandOffMs = 1000;
// Between two opens when the shell names no program to wait for.
constexpr DWORD kOpenGapMs = 100;

void Advance();

// A message-only window of the host's user-interface thread, whose timer
// moves the queue on.
class QueueWindow : public Window {
 public:
  // Throws kf::Error when the window or its timer cannot be made.
  void Start() {
    static const WindowClassInfo kClass = {"KestrelfindSearchQueue", DefaultHandling::Window, IDC_ARROW};
    if (!Create(kClass, 0, 0, "", RECT{}, HWND_MESSAGE, nullptr))
      throw Error(SystemMessage(GetLastError()));
    if (!SetTimer(Hwnd(), kTickTimer, kTickMs, nullptr)) {
      const DWORD error = GetLastError();
      Destroy();
      throw Error(SystemMessage(error));
    }
  }
  bool Running() const { return Hwnd() != nullptr; }
  // The window goes with its timer; safe from the window's own tick, which
  // touches nothing of the object after it.
  void Stop() noexcept { Destroy(); }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_TIMER && wParam == kTickTimer) {
      Advance();
      return 0;
    }
    return DefaultHandling(msg, wParam, lParam);
  }
};

struct Queue {
  HWND owner = nullptr;
  std::deque<QueuedOpen> waiting;
  std::string failures;
  // The program the last open started, and how long it may take.
  KernelHandle launched;
  DWORD openedAt = 0;
  DWORD handOffMs = 0;
};

struct SearchQueue {
  QueueWindow window;
  Queue queue;
  // The library's hold on itself while the queue's timer may call into it:
  // a host that unloads it without BKC_OnExit must not pull the code from
  // under a tick.
  Library hold;
  // The hold of a queue that has finished, let go at the host's next call:
  // let go in the queue's last tick, it could unload the code of that tick.
  Library finishedHold;
  // The queue is opening an address (the shell may run a message loop) or
  // showing its report: code of the library is on the stack.
  bool advancing = false;
  bool reporting = false;
};
SearchQueue& gSearch = Resident<SearchQueue>();
Queue& gQueue = gSearch.queue;

bool LastOpenHandedOn() {
  if (gQueue.launched && WaitForSingleObject(gQueue.launched.Get(), 0) == WAIT_OBJECT_0)
    return true;
  return GetTickCount() - gQueue.openedAt >= gQueue.handOffMs;
}

void OpenNext() {
  const QueuedOpen next = std::move(gQueue.waiting.front());
  gQueue.waiting.pop_front();
  KernelHandle launched;
  const std::string failure = OpenAddress(next.address, next.browser, &launched);
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
// the host unload the library; the hold goes at the host's next call.
void Finish() {
  const HWND owner = gQueue.owner;
  const std::string failures = std::move(gQueue.failures);
  gSearch.window.Stop();
  gQueue = Queue();
  gSearch.finishedHold = std::move(gSearch.hold);
  if (failures.empty())
    return;
  gSearch.reporting = true;
  ShowErrorBox(owner, UiText(IDS_SEARCHES_NOT_OPENED, {failures}));
  gSearch.reporting = false;
}

void Advance() {
  // The shell may pump messages while it opens; a tick then must wait.
  if (gSearch.advancing)
    return;
  gSearch.advancing = true;
  try {
    while (!gQueue.waiting.empty() && LastOpenHandedOn())
      OpenNext();
  } catch (...) {
    gSearch.advancing = false;
    throw;
  }
  gSearch.advancing = false;
  if (gQueue.waiting.empty())
    Finish();
}

}  // namespace

void AddFailure(std::string& failures, const std::string& caption, const std::string& why) {
  failures += "\r\n\r\n" + caption + ": " + why;
}

void QueueOpens(HWND owner, std::vector<QueuedOpen> opens, std::string failures) {
  if (opens.empty() && !gSearch.window.Running()) {
    if (!failures.empty())
      ShowErrorBox(owner, UiText(IDS_SEARCHES_NOT_OPENED, {failures}));
    return;
  }
  if (!gSearch.window.Running()) {
    gSearch.window.Start();
    if (!gSearch.hold)
      gSearch.hold = gSearch.finishedHold ? std::move(gSearch.finishedHold) : KeepThisModuleLoaded();
  }
  gQueue.owner = owner;
  for (QueuedOpen& open : opens)
    gQueue.waiting.push_back(std::move(open));
  gQueue.failures += failures;
  Advance();
}

void LetGoOfFinishedQueue() noexcept {
  // The host is calling in: it holds a reference of its own.
  if (!gSearch.advancing && !gSearch.reporting)
    gSearch.finishedHold.Close();
}

void ReleaseSearchQueue() noexcept {
  gSearch.window.Stop();
  gQueue = Queue();
  // The host holds its own reference while it calls in here, so this only
  // lets the library go when the host frees it; not while a message loop
  // that is to return into this library is on the stack.
  if (!gSearch.advancing && !gSearch.reporting) {
    gSearch.hold.Close();
    gSearch.finishedHold.Close();
  }
}

}  // namespace kf
