// The window base and the subclass helper: an object sees its window's
// messages from the first to the last, and a message that finds no object
// goes to the default procedure instead of a missing one.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "Window.h"

namespace {

const kf::WindowClassInfo kTestClass = {"KestrelfindTestWindow", kf::DefaultHandling::Window, IDC_ARROW};

class RecordingWindow : public kf::Window {
 public:
  std::vector<UINT> seen;

  bool Make() { return Create(kTestClass, 0, 0, "title", RECT{}, HWND_MESSAGE, nullptr); }
  void Close() { Destroy(); }

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(msg);
    if (msg == WM_APP)
      return 42;
    return DefaultHandling(msg, wParam, lParam);
  }
};

bool Saw(const std::vector<UINT>& seen, UINT msg) {
  for (UINT m : seen) {
    if (m == msg)
      return true;
  }
  return false;
}

TEST(WindowBase, TheObjectSeesItsWindowFromCreationAndNothingAfterItIsDestroyed) {
  RecordingWindow window;
  ASSERT_TRUE(window.Make());
  ASSERT_NE(nullptr, window.Hwnd());
  EXPECT_EQ(UINT(WM_NCCREATE), window.seen.front()) << "attached from the first message";
  EXPECT_EQ(42, SendMessageA(window.Hwnd(), WM_APP, 0, 0));
  char title[16] = "";
  GetWindowTextA(window.Hwnd(), title, sizeof title);
  EXPECT_STREQ("title", title) << "what the object passes on, the default procedure does";

  const HWND hwnd = window.Hwnd();
  window.seen.clear();
  window.Close();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(nullptr, window.Hwnd());
  EXPECT_FALSE(Saw(window.seen, WM_DESTROY)) << "detached before the destruction";
}

TEST(WindowBase, AWindowOfTheClassWithoutAnObjectIsAPlainWindow) {
  RecordingWindow registered;
  ASSERT_TRUE(registered.Make());
  const HWND bare = CreateWindowExA(0, kTestClass.name, "bare", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, bare);
  EXPECT_EQ(0, SendMessageA(bare, WM_APP, 0, 0));
  char title[16] = "";
  GetWindowTextA(bare, title, sizeof title);
  EXPECT_STREQ("bare", title);
  EXPECT_TRUE(DestroyWindow(bare));
}

class RecordingControl : public kf::SubclassedWindow {
 public:
  int seen = 0;

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    ++seen;
    return msg == WM_APP ? 7 : CallOriginal(msg, wParam, lParam);
  }
};

TEST(SubclassedWindow, TakesAControlOverAndGivesItBackOrLetsItGo) {
  const HWND control = CreateWindowExA(0, "STATIC", "text", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, control);
  const LONG_PTR own = GetWindowLongPtrW(control, GWLP_WNDPROC);
  {
    RecordingControl tap;
    tap.Attach(control);
    EXPECT_EQ(7, SendMessageA(control, WM_APP, 0, 0));
    char text[16] = "";
    GetWindowTextA(control, text, sizeof text);
    EXPECT_STREQ("text", text) << "passed on to the control's own procedure";
    tap.Detach();
    EXPECT_EQ(own, GetWindowLongPtrW(control, GWLP_WNDPROC));
    EXPECT_EQ(0, SendMessageA(control, WM_APP, 0, 0));
  }
  // Destroyed while taken over: the object lets go at the control's last message.
  RecordingControl tap;
  tap.Attach(control);
  EXPECT_TRUE(DestroyWindow(control));
  EXPECT_EQ(nullptr, tap.Hwnd());
}

}  // namespace
