#include "Files.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <atomic>

#include "Text.h"

namespace kft {
namespace {

std::wstring W(const std::string& ansi) { return AnsiToWide(ansi); }

void RemoveTreeWide(const std::wstring& dir) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring path = dir + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTreeWide(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(dir.c_str());
}

}  // namespace

std::string ExeDir() {
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring exe(path);
  return WideToAnsi(exe.substr(0, exe.find_last_of(L'\\') + 1));
}

std::string BinFile(const std::string& name) { return ExeDir() + name; }

std::string Join(const std::string& folder, const std::string& name) {
  std::wstring dir = W(folder);
  if (!dir.empty() && dir.back() != L'\\' && dir.back() != L':')
    dir += L'\\';
  std::string rest = name;
  // '/' (0x2F) is never a trail byte of a double-byte character.
  for (char& c : rest)
    if (c == '/')
      c = '\\';
  return WideToAnsi(dir) + rest;
}

std::string MakeTempFolder(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH] = L"";
  GetTempPathW(MAX_PATH, temp);
  for (;;) {
    const std::wstring name = std::wstring(temp) + Utf8ToWide(prefix) + L"-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) +
                              L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(name.c_str(), nullptr))
      return WideToAnsi(name + L"\\");
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      return std::string();
  }
}

void RemoveTree(const std::string& path) {
  std::wstring dir = W(path);
  while (!dir.empty() && dir.back() == L'\\')
    dir.pop_back();
  if (!dir.empty())
    RemoveTreeWide(dir);
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

bool FileExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

bool SetFileAge(const std::string& path, unsigned seconds) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER time;
  time.LowPart = now.dwLowDateTime;
  time.HighPart = now.dwHighDateTime;
  time.QuadPart -= static_cast<ULONGLONG>(seconds) * 10000000ULL;
  const FILETIME written = {time.LowPart, time.HighPart};
  const bool ok = SetFileTime(file, nullptr, nullptr, &written) != FALSE;
  CloseHandle(file);
  return ok;
}

ExclusiveFile::ExclusiveFile(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}

ExclusiveFile::~ExclusiveFile() {
  if (IsOpen())
    CloseHandle(file_);
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  return kfhost::ReadFileBytes(kfhost::AnsiToWide(path), bytes) ? bytes : std::string();
}

bool CopyFileTo(const std::string& from, const std::string& to) {
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

int CountInRecycleBin(const std::string& name) {
  IShellFolder* desktop = nullptr;
  IShellFolder* bin = nullptr;
  LPITEMIDLIST binId = nullptr;
  int count = 0;
  if (SUCCEEDED(SHGetDesktopFolder(&desktop)) && SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binId)) &&
      SUCCEEDED(desktop->BindToObject(binId, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&bin)))) {
    IEnumIDList* items = nullptr;
    if (bin->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK) {
      LPITEMIDLIST item = nullptr;
      while (items->Next(1, &item, nullptr) == S_OK) {
        STRRET shown = {};
        char text[MAX_PATH] = {};
        if (SUCCEEDED(bin->GetDisplayNameOf(item, SHGDN_INFOLDER, &shown)) &&
            SUCCEEDED(StrRetToBufA(&shown, item, text, MAX_PATH)) && lstrcmpiA(text, name.c_str()) == 0)
          ++count;
        CoTaskMemFree(item);
      }
      items->Release();
    }
  }
  if (bin)
    bin->Release();
  CoTaskMemFree(binId);
  if (desktop)
    desktop->Release();
  return count;
}

}  // namespace kft
