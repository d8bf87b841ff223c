#include "PostPage.h"

#include <vector>

#include "AsciiText.h"
#include "DirectoryWalk.h"
#include "Error.h"
#include "FileSystem.h"
#include "Handles.h"
#include "Path.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

namespace {

constexpr char kPagePrefix[] = "Kestrelfind-post-";
constexpr char kPageSuffix[] = ".html";
constexpr std::size_t kHexDigits = 8;

std::vector<std::string>& SessionPages() {
  static std::vector<std::string> pages;
  return pages;
}

std::string HexName(DWORD number) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string name = kPagePrefix;
  for (int shift = 28; shift >= 0; shift -= 4)
    name += kHex[(number >> shift) & 0xF];
  return name + kPageSuffix;
}

[[noreturn]] void ThrowNotWritten(DWORD error) {
  throw Error(UiText(IDS_POST_PAGE_NOT_WRITTEN, {SystemMessage(error)}));
}

ULONGLONG AsNumber(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

std::string TemporaryFolder() {
  char path[MAX_PATH + 1] = "";
  const DWORD n = GetTempPathA(ARRAYSIZE(path), path);
  if (n == 0 || n >= ARRAYSIZE(path))
    ThrowNotWritten(n == 0 ? GetLastError() : ERROR_BUFFER_OVERFLOW);
  return IncludeTrailingBackslash(std::string(path, n));
}

std::string WritePostPage(const std::string& folder, const std::string& bytes) {
  // Names nobody can guess ahead and that no two writers share; a taken one
  // is never opened, the next is tried.
  static DWORD sequence = 0;
  DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 64; ++attempt) {
    seed = seed * 1664525u + 1013904223u + ++sequence;
    const std::string path = folder + HexName(seed ^ (seed >> 15));
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        continue;
      ThrowNotWritten(error);
    }
    SessionPages().push_back(path);
    const DWORD error = WriteAllBytes(file.Get(), bytes);
    if (error != ERROR_SUCCESS) {
      file.Close();
      DeleteFileA(path.c_str());
      SessionPages().pop_back();
      ThrowNotWritten(error);
    }
    return path;
  }
  ThrowNotWritten(ERROR_FILE_EXISTS);
}

bool IsPostPageName(const std::string& name) {
  const std::size_t prefix = sizeof kPagePrefix - 1;
  const std::size_t suffix = sizeof kPageSuffix - 1;
  if (name.size() != prefix + kHexDigits + suffix || !StartsWithIgnoringAsciiCase(name, kPagePrefix) ||
      !EndsWithIgnoringAsciiCase(name, kPageSuffix))
    return false;
  for (std::size_t i = prefix; i < prefix + kHexDigits; ++i) {
    if (!IsAsciiHexDigit(static_cast<unsigned char>(name[i])))
      return false;
  }
  return true;
}

void RemoveSessionPostPages() noexcept {
  for (const std::string& path : SessionPages())
    DeleteFileA(path.c_str());
  SessionPages().clear();
}

void RemoveOldPostPages(const std::string& folder, ULONGLONG maxAge) noexcept {
  try {
    FILETIME nowTime;
    GetSystemTimeAsFileTime(&nowTime);
    const ULONGLONG now = AsNumber(nowTime);
    std::vector<std::string> old;
    ForEachDirectoryEntry(folder + kPagePrefix + "*", [&](const WIN32_FIND_DATAA& entry) {
      const ULONGLONG written = AsNumber(entry.ftLastWriteTime);
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsPostPageName(entry.cFileName) && written < now &&
          now - written > maxAge)
        old.push_back(folder + entry.cFileName);
    });
    for (const std::string& path : old)
      DeleteFileA(path.c_str());
  } catch (...) {
    // Left for the next start.
  }
}

}  // namespace kf
