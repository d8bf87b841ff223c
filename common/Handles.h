// Owners for the Win32 handles the plug-in uses. Non-copyable, movable;
// ownership handed to Windows is given up with Detach().
#pragma once

#include <windows.h>

#include <utility>

namespace kf {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  ~UniqueHandle() { Close(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.Detach()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      Attach(other.Detach());
    return *this;
  }

  Handle Get() const { return h_; }
  bool IsValid() const { return h_ != Traits::Invalid(); }
  explicit operator bool() const { return IsValid(); }

  void Attach(Handle h) {
    Close();
    h_ = h;
  }
  Handle Detach() { return std::exchange(h_, Traits::Invalid()); }
  void Close() {
    if (IsValid())
      Traits::Close(Detach());
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::FindClose(h); }
};
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DestroyMenu(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
struct GlobalTraits {
  using Handle = HGLOBAL;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::GlobalFree(h); }
};
struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};
struct LibraryTraits {
  using Handle = HMODULE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};
struct WindowTraits {
  using Handle = HWND;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DestroyWindow(h); }
};

using FindHandle = UniqueHandle<FindHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using GlobalMemory = UniqueHandle<GlobalTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using Library = UniqueHandle<LibraryTraits>;
using WindowHandle = UniqueHandle<WindowTraits>;

// Locks global memory for the life of the object.
class GlobalLockGuard {
 public:
  explicit GlobalLockGuard(HGLOBAL h) : h_(h), p_(h ? ::GlobalLock(h) : nullptr) {}
  ~GlobalLockGuard() {
    if (p_)
      ::GlobalUnlock(h_);
  }
  GlobalLockGuard(const GlobalLockGuard&) = delete;
  GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

  void* Get() const { return p_; }
  SIZE_T Size() const { return p_ ? ::GlobalSize(h_) : 0; }

 private:
  HGLOBAL h_;
  void* p_;
};

}  // namespace kf
