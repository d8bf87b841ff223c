// Owners for the Win32 handles the plug-in uses. Non-copyable, movable;
// ownership handed to Windows is given up with Detach().
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
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
using KernelHandle = UniqueHandle<HandleTraits<HANDLE, ::CloseHandle>>;        // processes, threads
using MenuHandle = UniqueHandle<HandleTraits<HMENU, ::DestroyMenu>>;
using RegKey = UniqueHandle<HandleTraits<HKEY, ::RegCloseKey>>;
using GlobalMemory = UniqueHandle<HandleTraits<HGLOBAL, ::GlobalFree>>;
using GdiObject = UniqueHandle<HandleTraits<HGDIOBJ, ::DeleteObject>>;         // fonts, pens, bitmaps
using IconHandle = UniqueHandle<HandleTraits<HICON, ::DestroyIcon>>;
using ImageListHandle = UniqueHandle<HandleTraits<HIMAGELIST, ::ImageList_Destroy>>;
using Library = UniqueHandle<HandleTraits<HMODULE, ::FreeLibrary>>;
using WindowHandle = UniqueHandle<HandleTraits<HWND, ::DestroyWindow>>;

// Runs the directory search for pattern (every entry: hidden, system and
// read-only ones too) and hands each entry to visit; the search is closed
// before returning, whichever way.
template <typename Visit>
void ForEachDirectoryEntry(const std::string& pattern, Visit visit) {
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA(pattern.c_str(), &data));
  if (!find)
    return;
  do {
    visit(data);
  } while (FindNextFileA(find.Get(), &data));
}

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
