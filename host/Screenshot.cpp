#include "Screenshot.h"

#include <objidl.h>

#include <algorithm>
// GDI+ needs objidl.h (left out by WIN32_LEAN_AND_MEAN) and uses min and max,
// which the build keeps out of windows.h.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <vector>

namespace kfhost {
namespace {

// A screen-compatible bitmap of the rectangle, owned by the caller.
HBITMAP CaptureRect(const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
    return nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, old);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

void DrawWindowsOver(HBITMAP bitmap, const RECT& area, const std::vector<HWND>& windows) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  for (HWND window : windows) {
    RECT rect;
    if (!IsWindowVisible(window) || !GetWindowRect(window, &rect))
      continue;
    HDC source = GetWindowDC(window);
    if (!source)
      continue;
    BitBlt(memory, rect.left - area.left, rect.top - area.top, rect.right - rect.left, rect.bottom - rect.top, source,
           0, 0, SRCCOPY);
    ReleaseDC(window, source);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
}

bool SaveBmp(const std::wstring& file, HBITMAP bitmap, std::string& error) {
  BITMAP info;
  GetObjectW(bitmap, sizeof info, &info);
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = info.bmWidth;
  header.biHeight = info.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = ((static_cast<DWORD>(info.bmWidth) * 3 + 3) / 4) * 4;
  std::vector<BYTE> pixels(stride * static_cast<DWORD>(info.bmHeight));
  HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (lines == 0) {
    error = "cannot read the captured pixels";
    return false;
  }
  BITMAPFILEHEADER fileHeader = {};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
  fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
  HANDLE out = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    error = "cannot create the file (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  DWORD written = 0;
  bool ok = WriteFile(out, &fileHeader, sizeof fileHeader, &written, nullptr) &&
            WriteFile(out, &header, sizeof header, &written, nullptr) &&
            WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
  CloseHandle(out);
  if (!ok)
    error = "cannot write the file";
  return ok;
}

bool SavePng(const std::wstring& file, HBITMAP bitmap, std::string& error) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
    error = "GDI+ is not available";
    return false;
  }
  // The PNG encoder's fixed class id.
  const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
  bool ok = false;
  {
    Gdiplus::Bitmap image(bitmap, nullptr);
    ok = image.Save(file.c_str(), &png, nullptr) == Gdiplus::Ok;
  }
  Gdiplus::GdiplusShutdown(token);
  if (!ok)
    error = "GDI+ could not write the PNG file";
  return ok;
}

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
  const size_t n = wcslen(suffix);
  return text.size() >= n && _wcsicmp(text.c_str() + text.size() - n, suffix) == 0;
}

}  // namespace

bool SaveScreenshot(const std::wstring& file, HWND window, std::string& error) {
  RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (window && !GetWindowRect(window, &rect)) {
    error = "no such window";
    return false;
  }
  return SaveScreenshotOfRect(file, rect, {}, error);
}

bool SaveScreenshotOfRect(const std::wstring& file, const RECT& wanted, const std::vector<HWND>& onTop,
                          std::string& error) {
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  RECT rect;
  if (!IntersectRect(&rect, &wanted, &screen)) {
    error = "the rectangle is off the screen";
    return false;
  }
  HBITMAP bitmap = CaptureRect(rect);
  if (!bitmap) {
    error = "cannot capture the screen";
    return false;
  }
  if (!onTop.empty())
    DrawWindowsOver(bitmap, rect, onTop);
  bool ok;
  if (EndsWithNoCase(file, L".png"))
    ok = SavePng(file, bitmap, error);
  else if (EndsWithNoCase(file, L".bmp"))
    ok = SaveBmp(file, bitmap, error);
  else {
    error = "the file name must end in .png or .bmp";
    ok = false;
  }
  DeleteObject(bitmap);
  return ok;
}

}  // namespace kfhost
