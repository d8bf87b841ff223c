// Owners for the Win32 handles the plug-in uses. Non-copyable, movable;
// ownership handed to Windows is given up with Detach().
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
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

// Traits of a handle type: its empty value and how it is given back. The
// close function's result tells nothing a destructor could act on.
template <typename H, auto CloseFn, std::intptr_t InvalidValue = 0>
struct HandleTraits {
  using Handle = H;
  static Handle Invalid() { return reinterpret_cast<Handle>(InvalidValue); }
  static void Close(Handle h) { CloseFn(h); }
};

using FindHandle = UniqueHandle<HandleTraits<HANDLE, ::FindClose, -1>>;        // INVALID_HANDLE_VALUE
using FileHandle = UniqueHandle<HandleTraits<HANDLE, ::CloseHandle, -1>>;      // INVALID_HANDLE_VALUE
using KernelHandle = UniqueHandle<HandleTraits<HANDLE, ::CloseHandle>>;        // processes, threads, mutexes
using MenuHandle = UniqueHandle<HandleTraits<HMENU, ::DestroyMenu>>;
using RegKey = UniqueHandle<HandleTraits<HKEY, ::RegCloseKey>>;
using GlobalMemory = UniqueHandle<HandleTraits<HGLOBAL, ::GlobalFree>>;
using GdiObject = UniqueHandle<HandleTraits<HGDIOBJ, ::DeleteObject>>;         // fonts, pens, bitmaps
using IconHandle = UniqueHandle<HandleTraits<HICON, ::DestroyIcon>>;
using ImageListHandle = UniqueHandle<HandleTraits<HIMAGELIST, ::ImageList_Destroy>>;
// A counted reference to a library: one from LoadLibrary, or the library's
// own hold on itself (KeepThisModuleLoaded).
using Library = UniqueHandle<HandleTraits<HMODULE, ::FreeLibrary>>;
using WindowsHook = UniqueHandle<HandleTraits<HHOOK, ::UnhookWindowsHookEx>>;
// A window with no object of the library's (see WindowClassInfo).
using WindowHandle = UniqueHandle<HandleTraits<HWND, ::DestroyWindow>>;

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

// The device context of a window's client area (null: the screen), given
// back with ReleaseDC.
class ClientDC {
 public:
  explicit ClientDC(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~ClientDC() {
    if (dc_)
      ::ReleaseDC(hwnd_, dc_);
  }
  ClientDC(const ClientDC&) = delete;
  ClientDC& operator=(const ClientDC&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// The painting of a window between BeginPaint and EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &ps_)) {}
  ~PaintScope() { ::EndPaint(hwnd_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_ = {};
  HDC dc_;
};

// A GDI object selected into a device context for the life of the object;
// the one it replaced is selected again at the end. A null object selects
// nothing.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? ::SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() {
    if (old_)
      ::SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The clipboard, open for the life of the object. Another program may hold
// it open for a moment: the open is tried again until timeoutMs have
// passed.
class OpenClipboardScope {
 public:
  OpenClipboardScope(HWND owner, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!(open_ = ::OpenClipboard(owner) != FALSE) && ::GetTickCount() - start < timeoutMs)
      ::Sleep(10);
  }
  ~OpenClipboardScope() {
    if (open_)
      ::CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

}  // namespace kf
