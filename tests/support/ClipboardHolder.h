// Another program that keeps the clipboard open for a while: a thread that
// opens it (with no window), returns once it holds it, and closes it after
// holdMs. Header-only, so tests of the clipboard unit alone can use it too.
#pragma once

#include <windows.h>

#include <thread>

namespace kft {
namespace clip {

class Holder {
 public:
  explicit Holder(DWORD holdMs) {
    HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([=] {
      for (int i = 0; i < 200 && !OpenClipboard(nullptr); ++i)
        Sleep(5);
      SetEvent(opened);
      Sleep(holdMs);
      CloseClipboard();
    });
    WaitForSingleObject(opened, 5000);
    CloseHandle(opened);
  }
  ~Holder() { thread_.join(); }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

 private:
  std::thread thread_;
};

}  // namespace clip
}  // namespace kft
