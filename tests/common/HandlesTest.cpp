#include <windows.h>

#include <gtest/gtest.h>

#include "Handles.h"

namespace {

TEST(UniqueHandle, ClosesOnceAndHandsOwnershipOver) {
  HMENU raw = CreatePopupMenu();
  ASSERT_TRUE(IsMenu(raw));
  {
    kf::MenuHandle a(raw);
    kf::MenuHandle b(std::move(a));
    EXPECT_FALSE(a.IsValid());
    EXPECT_EQ(raw, b.Get());
  }
  EXPECT_FALSE(IsMenu(raw));

  HMENU kept = CreatePopupMenu();
  {
    kf::MenuHandle owner(kept);
    EXPECT_EQ(kept, owner.Detach());
  }
  EXPECT_TRUE(IsMenu(kept));
  DestroyMenu(kept);
}

TEST(UniqueHandle, MoveAssignmentReleasesTheOldHandle) {
  HMENU first = CreatePopupMenu();
  HMENU second = CreatePopupMenu();
  kf::MenuHandle a(first);
  kf::MenuHandle b(second);
  a = std::move(b);
  EXPECT_FALSE(IsMenu(first));
  EXPECT_EQ(second, a.Get());
}

TEST(UniqueHandle, FindHandleTreatsInvalidValueAsEmpty) {
  WIN32_FIND_DATAA data;
  kf::FindHandle none(FindFirstFileA("Z:\\no\\such\\dir\\*", &data));
  EXPECT_FALSE(none);
}

TEST(GlobalLockGuard, LocksForItsLifetime) {
  kf::GlobalMemory mem(GlobalAlloc(GMEM_MOVEABLE, 16));
  ASSERT_TRUE(mem);
  {
    kf::GlobalLockGuard lock(mem.Get());
    ASSERT_NE(nullptr, lock.Get());
    EXPECT_GE(lock.Size(), 16u);
    EXPECT_EQ(1u, GlobalFlags(mem.Get()) & GMEM_LOCKCOUNT);
  }
  EXPECT_EQ(0u, GlobalFlags(mem.Get()) & GMEM_LOCKCOUNT);
}

TEST(Scopes, GiveBackWhatTheyTookWhicheverWayTheyEnd) {
  const kf::ClientDC screen(nullptr);
  ASSERT_NE(nullptr, screen.Get());
  const HGDIOBJ before = GetCurrentObject(screen.Get(), OBJ_FONT);
  const kf::GdiObject font(CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial"));
  {
    const kf::SelectedObject selected(screen.Get(), font.Get());
    EXPECT_EQ(font.Get(), GetCurrentObject(screen.Get(), OBJ_FONT));
  }
  EXPECT_EQ(before, GetCurrentObject(screen.Get(), OBJ_FONT));

  const HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, owner);
  {
    const kf::OpenClipboardScope clipboard(owner, 500);
    ASSERT_TRUE(clipboard.IsOpen());
    EXPECT_EQ(owner, GetOpenClipboardWindow());
  }
  EXPECT_EQ(nullptr, GetOpenClipboardWindow());
  DestroyWindow(owner);
}

}  // namespace
