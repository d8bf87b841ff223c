#include "HostText.h"

#include "Handles.h"

namespace kfhost {

std::wstring CodePageToWide(const std::string& text, UINT codePage) {
  if (text.empty())
    return std::wstring();
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (n <= 0)
    return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], n);
  return wide;
}

std::string WideToCodePage(const std::wstring& text, UINT codePage) {
  if (text.empty())
    return std::string();
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0)
    return std::string();
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, &bytes[0], n, nullptr, nullptr);
  return bytes;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  const kf::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  if (!file)
    return false;
  bytes.clear();
  char buffer[8192];
  DWORD got = 0;
  while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return true;
}

void WriteLine(HANDLE out, const std::string& text) {
  const std::string line = text + "\n";
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace kfhost
