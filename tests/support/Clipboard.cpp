#include "Clipboard.h"

#include <cstring>

namespace kft {
namespace clip {
namespace {

HWND OwnerWindow() {
  static HWND owner = nullptr;
  if (!owner) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KfTestClipboardOwner";
    RegisterClassW(&wc);
    owner = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                            nullptr);
  }
  return owner;
}

// The clipboard, open for the life of the object.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < 50 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_)
        Sleep(20);
    }
  }
  ~OpenClipboardScope() {
    if (open_)
      CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

HGLOBAL CopyToGlobal(const void* data, size_t size) {
  HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (!global)
    return nullptr;
  if (void* p = GlobalLock(global)) {
    std::memcpy(p, data, size);
    GlobalUnlock(global);
    return global;
  }
  GlobalFree(global);
  return nullptr;
}

bool Replace(UINT format, HANDLE data) {
  if (!data)
    return false;
  OpenClipboardScope scope(OwnerWindow());
  if (!scope.IsOpen() || !EmptyClipboard() || !SetClipboardData(format, data)) {
    // Not taken: still ours to free.
    if (format == CF_BITMAP)
      DeleteObject(data);
    else
      GlobalFree(data);
    return false;
  }
  // SetClipboardData owns the handle now.
  return true;
}

}  // namespace

bool Clear() {
  OpenClipboardScope scope(OwnerWindow());
  return scope.IsOpen() && EmptyClipboard();
}

bool PutText(const std::string& ansi) { return Replace(CF_TEXT, CopyToGlobal(ansi.c_str(), ansi.size() + 1)); }

bool PutUnicode(const std::wstring& text) {
  return Replace(CF_UNICODETEXT, CopyToGlobal(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
}

bool PutBitmap(int width, int height) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  return Replace(CF_BITMAP, bitmap);
}

UINT PutCustom(const std::string& formatName, const std::string& bytes) {
  const UINT format = RegisterClipboardFormatA(formatName.c_str());
  if (!format)
    return 0;
  return Replace(format, CopyToGlobal(bytes.data(), bytes.size())) ? format : 0;
}

std::optional<std::string> GetText() {
  OpenClipboardScope scope(OwnerWindow());
  if (!scope.IsOpen())
    return std::nullopt;
  HANDLE data = GetClipboardData(CF_TEXT);
  if (!data)
    return std::nullopt;
  const char* p = static_cast<const char*>(GlobalLock(data));
  if (!p)
    return std::nullopt;
  std::string text(p, strnlen(p, GlobalSize(data)));
  GlobalUnlock(data);
  return text;
}

std::optional<std::wstring> GetUnicode() {
  OpenClipboardScope scope(OwnerWindow());
  if (!scope.IsOpen())
    return std::nullopt;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data)
    return std::nullopt;
  const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data));
  if (!p)
    return std::nullopt;
  std::wstring text(p, wcsnlen(p, GlobalSize(data) / sizeof(wchar_t)));
  GlobalUnlock(data);
  return text;
}

std::optional<std::string> GetBytes(UINT format) {
  OpenClipboardScope scope(OwnerWindow());
  if (!scope.IsOpen())
    return std::nullopt;
  HANDLE data = GetClipboardData(format);
  if (!data)
    return std::nullopt;
  const char* p = static_cast<const char*>(GlobalLock(data));
  if (!p)
    return std::nullopt;
  std::string bytes(p, GlobalSize(data));
  GlobalUnlock(data);
  return bytes;
}

bool HasFormat(UINT format) { return IsClipboardFormatAvailable(format) != FALSE; }

std::vector<UINT> Formats() {
  std::vector<UINT> formats;
  OpenClipboardScope scope(OwnerWindow());
  if (!scope.IsOpen())
    return formats;
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
    formats.push_back(f);
  return formats;
}

int CountFormats() { return CountClipboardFormats(); }

}  // namespace clip
}  // namespace kft
