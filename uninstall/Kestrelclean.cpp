// Kestrelclean: run when Kestrelfind is removed from Becky!.
//
// The host's plug-in setup tool deals with the plug-in's files, but the
// engine store marks hidden engines and folders with the Hidden attribute and
// may carry read-only or system files. The tool gets a store of plain files
// while it runs; afterwards every file and folder gets back exactly the
// attribute word it had before.
//
// No window, no message, no arguments; the exit code is always 0. This program
// shares no code with the plug-in: its few path helpers live here.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Handle owners

class FindHandle {
 public:
  explicit FindHandle(HANDLE h) : h_(h) {}
  ~FindHandle() {
    if (IsValid())
      ::FindClose(h_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  bool IsValid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (h_)
      ::RegCloseKey(h_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  bool OpenForReading(HKEY root, const char* path) {
    return ::RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &h_) == ERROR_SUCCESS;
  }
  HKEY Get() const { return h_; }

 private:
  HKEY h_ = nullptr;
};

class KernelHandle {
 public:
  explicit KernelHandle(HANDLE h) : h_(h) {}
  ~KernelHandle() {
    if (h_)
      ::CloseHandle(h_);
  }
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  HANDLE Get() const { return h_; }

 private:
  HANDLE h_;
};

// ---------------------------------------------------------------------------
// Paths: byte strings of the ANSI code page. The trail byte of a double-byte
// character may equal '\\' (0x5C, as in Shift-JIS 0x95 0x5C), so every scan
// walks whole characters.

// Offset of the last character of s, or npos for an empty string.
size_t LastCharOffset(const std::string& s) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < s.size();) {
    last = i;
    // A lead byte at the very end has no trail byte: take it alone.
    i += (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < s.size()) ? 2 : 1;
  }
  return last;
}

bool EndsWithBackslash(const std::string& s) {
  const size_t last = LastCharOffset(s);
  return last != std::string::npos && last == s.size() - 1 && s[last] == '\\';
}

// An empty path becomes a lone backslash.
std::string WithTrailingBackslash(std::string s) {
  if (!EndsWithBackslash(s))
    s += '\\';
  return s;
}

// Everything up to and including the last '\\' or ':', or "" without one.
std::string DirectoryPart(const std::string& path) {
  size_t end = 0;
  for (size_t i = 0; i < path.size();) {
    const BYTE b = static_cast<BYTE>(path[i]);
    if (IsDBCSLeadByte(b) && i + 1 < path.size()) {
      i += 2;
      continue;
    }
    ++i;
    if (b == '\\' || b == ':')
      end = i;
  }
  return path.substr(0, end);
}

bool IsExistingDirectory(const std::string& path) {
  if (path.empty())
    return false;
  const DWORD attr = ::GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string CurrentDirectory() {
  std::string dir(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = ::GetCurrentDirectoryA(static_cast<DWORD>(dir.size()), &dir[0]);
    if (n == 0)
      return std::string();
    if (n < dir.size()) {
      dir.resize(n);
      return dir;
    }
    dir.resize(n);  // n is the size needed, terminating zero included
  }
}

// ---------------------------------------------------------------------------
// Registry

// A string value of the key, or "" when the key or value is missing or the
// value is not a string. REG_EXPAND_SZ counts as a string and is expanded:
// an installer that writes "%ProgramFiles%\..." means the expanded path.
std::string ReadStringValue(HKEY root, const char* keyPath, const char* valueName) {
  RegKey key;
  if (!key.OpenForReading(root, keyPath))
    return std::string();

  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExA(key.Get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::string();
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    return std::string();

  // The value may change between the two calls; ask again while it grows.
  std::vector<char> data;
  LONG rc = ERROR_MORE_DATA;
  while (rc == ERROR_MORE_DATA) {
    data.assign(size + 1, '\0');
    rc = ::RegQueryValueExA(key.Get(), valueName, nullptr, &type,
                            reinterpret_cast<BYTE*>(data.data()), &size);
  }
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::string();

  // The stored data need not end in a zero, and may hold one early: the
  // string ends at the first zero or at the stored size.
  std::string value(data.data(), size);
  value.resize(value.find('\0') == std::string::npos ? value.size() : value.find('\0'));

  if (type == REG_EXPAND_SZ && !value.empty()) {
    const DWORD needed = ::ExpandEnvironmentStringsA(value.c_str(), nullptr, 0);
    if (needed == 0)
      return std::string();
    std::string expanded(needed, '\0');
    const DWORD n = ::ExpandEnvironmentStringsA(value.c_str(), &expanded[0], needed);
    if (n == 0 || n > needed)
      return std::string();
    // The count can exceed the bytes written for double-byte text.
    expanded.resize(std::strlen(expanded.c_str()));
    value = std::move(expanded);
  }
  return value;
}

// An uninstall command usually quotes its program path
// ("C:\Program Files\RimArts\B2\Uninst.exe" /x): the path is what lies between
// the quotes then, and arguments after it do not count. An unquoted value is
// taken as it stands. A '"' is never the trail byte of a double-byte character.
std::string QuotedProgramPath(const std::string& value) {
  if (value.empty() || value[0] != '"')
    return value;
  const size_t close = value.find('"', 1);
  return value.substr(1, close == std::string::npos ? std::string::npos : close - 1);
}

// The plug-in's folder beside the directory part of a registry value. The
// current directory follows it when it can be entered: the setup tool
// inherits the current directory.
std::string PluginDirFromValue(HKEY root, const char* keyPath, const char* valueName) {
  std::string result = ReadStringValue(root, keyPath, valueName);
  if (result.empty())
    return result;
  result = WithTrailingBackslash(DirectoryPart(QuotedProgramPath(result)));
  result += "PlugIns";
  result = WithTrailingBackslash(result);
  result += "Kestrelfind";
  ::SetCurrentDirectoryA(result.c_str());
  return result;
}

std::string DataDirFromUninstallEntry() {
  return PluginDirFromValue(HKEY_LOCAL_MACHINE,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\B2",
                            "UninstallString");
}

std::string DataDirFromSettings() {
  return PluginDirFromValue(HKEY_CURRENT_USER, "Software\\RimArts\\B2\\Settings", "DataDir");
}

// ---------------------------------------------------------------------------
// Saved attributes

struct TFileInfo {
  std::string FilePath;
  int32_t Attr;
};

// Items in the order they were recorded. An item can be met twice (both
// registry locations lead to one directory, or a folder named "*.ini" is
// found by both searches); by then the first pass has made it archive-only,
// so only the first record of a path holds its former word and later ones
// are dropped.
class TFormatFileInfo {
 public:
  void Record(const std::string& path, DWORD attr) {
    if (!seen_.insert(PathKey(path)).second)
      return;
    Files.push_back(TFileInfo{path, static_cast<int32_t>(attr)});
  }

  std::vector<TFileInfo> Files;

 private:
  // The file system compares names without regard to case, and a value may
  // name a directory in different case or with "." and ".." parts.
  static std::wstring PathKey(const std::string& path) {
    std::string full = path;
    const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed != 0) {
      std::string buf(needed, '\0');
      const DWORD n = ::GetFullPathNameA(path.c_str(), needed, &buf[0], nullptr);
      if (n != 0 && n < needed) {
        buf.resize(n);
        full = std::move(buf);
      }
    }
    std::wstring wide;
    const int len = ::MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(full.size()),
                                          nullptr, 0);
    if (len > 0) {
      wide.resize(static_cast<size_t>(len));
      ::MultiByteToWideChar(CP_ACP, 0, full.data(), static_cast<int>(full.size()), &wide[0], len);
      ::CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
    }
    return wide;
  }

  std::set<std::wstring> seen_;
};

TFormatFileInfo g_saved;

constexpr DWORD kNormalAttr = FILE_ATTRIBUTE_ARCHIVE;

void SaveAndNormalise(const std::string& path, DWORD attr) {
  g_saved.Record(path, attr);
  ::SetFileAttributesA(path.c_str(), kNormalAttr);
}

void SaveIniFiles(const std::string& dir) {
  const std::string base = WithTrailingBackslash(dir);
  WIN32_FIND_DATAA fd;
  // The search returns every entry, hidden and system ones included.
  FindHandle find(::FindFirstFileA((base + "*.ini").c_str(), &fd));
  if (!find.IsValid())
    return;
  do {
    SaveAndNormalise(base + fd.cFileName, fd.dwFileAttributes);
  } while (::FindNextFileA(find.Get(), &fd));
}

void SaveSubfolders(const std::string& dir) {
  const std::string base = WithTrailingBackslash(dir);
  WIN32_FIND_DATAA fd;
  FindHandle find(::FindFirstFileA((base + "*").c_str(), &fd));
  if (!find.IsValid())
    return;
  do {
    // The store ignores names starting with '.', and so do "." and "..".
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || fd.cFileName[0] == '.')
      continue;
    const std::string folder = base + fd.cFileName;
    SaveAndNormalise(folder, fd.dwFileAttributes);
    SaveSubfolders(folder);
    SaveIniFiles(folder);
  } while (::FindNextFileA(find.Get(), &fd));
}

// The data directory itself stays as it is.
void PrepareDataDir(const std::string& dir) {
  SaveIniFiles(dir);
  SaveSubfolders(dir);
}

void RestoreAttributes() {
  // An item the setup tool removed simply fails; the next one follows.
  for (const TFileInfo& info : g_saved.Files)
    ::SetFileAttributesA(info.FilePath.c_str(), static_cast<DWORD>(info.Attr));
}

// ---------------------------------------------------------------------------
// The setup tool

constexpr char kToolName[] = "bpisetup.exe";
// CreateProcess takes at most this many characters, terminating zero included.
constexpr size_t kMaxCommandLine = 32767;

// Starts the tool in toolDir and waits for it to end. It is named by its full
// path, so that no other program matching a prefix of an unquoted path with
// blanks ("C:\Program.exe") runs in its place; the command line quotes that
// path. The tool's exit code means nothing here.
void RunSetupTool(const std::string& toolDir) {
  const std::string toolPath = WithTrailingBackslash(toolDir) + kToolName;
  const std::string commandLine = "\"" + toolPath + "\" Kestrelfind";  // paths hold no '"'
  if (commandLine.size() + 1 > kMaxCommandLine)
    return;  // never start a cut-off command
  // CreateProcess may write into the command line: give it its own buffer.
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');

  // A program path of MAX_PATH characters or more cannot be started, although
  // its directory can be the current one. The tool is then named relative to
  // its directory, made current for the call (a relative name never goes
  // through the search path), and told to start where it would otherwise.
  const char* application = toolPath.c_str();
  std::string inherited;
  const bool relative = toolPath.size() >= MAX_PATH;
  if (relative) {
    inherited = CurrentDirectory();
    if (inherited.empty() || !::SetCurrentDirectoryA(toolDir.c_str()))
      return;
    application = kToolName;
  }

  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof pi);
  const BOOL started = ::CreateProcessA(application, buffer.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, relative ? inherited.c_str() : nullptr, &si, &pi);
  if (relative)
    ::SetCurrentDirectoryA(inherited.c_str());
  if (!started)
    return;
  KernelHandle process(pi.hProcess);
  KernelHandle thread(pi.hThread);
  ::WaitForSingleObject(process.Get(), INFINITE);
}

void Run() {
  const std::string startDir = CurrentDirectory();

  const std::string fromUninstall = DataDirFromUninstallEntry();
  if (IsExistingDirectory(fromUninstall))
    PrepareDataDir(fromUninstall);
  const std::string fromSettings = DataDirFromSettings();
  if (IsExistingDirectory(fromSettings))
    PrepareDataDir(fromSettings);

  RunSetupTool(startDir);
  RestoreAttributes();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Nothing may escape to the user: a failure here (out of memory, say)
  // still restores what was changed so far.
  try {
    Run();
  } catch (...) {
    try {
      RestoreAttributes();
    } catch (...) {
    }
  }
  return 0;
}
