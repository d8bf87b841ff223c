#include "EngineStore.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "AsciiText.h"
#include "Dbcs.h"
#include "ErrorBox.h"
#include "FileSystem.h"
#include "Handles.h"
#include "Path.h"

namespace kf {

const char kEngineSection[] = "General";
const char kUrlKey[] = "url";
const char kEncodeKey[] = "encode";

namespace {

bool IsDotName(const char* name) { return name[0] == '.'; }

// Runs the directory search for pattern and hands every entry to visit; the
// search is closed before returning, whichever way.
template <typename Visit>
void ForEachEntry(const std::string& pattern, Visit visit) {
  WIN32_FIND_DATAA data;
  FindHandle find(FindFirstFileA(pattern.c_str(), &data));
  if (!find)
    return;
  do {
    visit(data);
  } while (FindNextFileA(find.Get(), &data));
}

}  // namespace

std::string ExtractEngineName(const std::string& fileName) {
  const std::size_t dot = FindLastChar(fileName, '.', IsAnsiLeadByte);
  return dot == std::string::npos ? std::string() : fileName.substr(0, dot);
}

std::vector<StoreEntry> ListFolders(const std::string& dir, bool includeHidden) {
  std::vector<StoreEntry> folders;
  ForEachEntry(JoinPath(dir, "*"), [&](const WIN32_FIND_DATAA& data) {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || IsDotName(data.cFileName))
      return;
    if (!includeHidden && (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
      return;
    folders.push_back({data.cFileName, data.dwFileAttributes});
  });
  return folders;
}

std::vector<StoreEntry> ListEngineFiles(const std::string& dir, bool includeHidden) {
  std::vector<StoreEntry> engines;
  ForEachEntry(JoinPath(dir, "*.ini"), [&](const WIN32_FIND_DATAA& data) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      return;
    if (!includeHidden && (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
      return;
    engines.push_back({data.cFileName, data.dwFileAttributes});
  });
  return engines;
}

bool MatchesEnginePattern(const WIN32_FIND_DATAA& data) {
  // ".ini" is plain ASCII and "." is never the second byte of a double-byte
  // character, so the last four bytes are the last four characters.
  return EndsWithIgnoringAsciiCase(data.cFileName, ".ini") ||
         (data.cAlternateFileName[0] && EndsWithIgnoringAsciiCase(data.cAlternateFileName, ".ini"));
}

void ListFolderContents(const std::string& dir, bool includeHidden, std::vector<StoreEntry>& folders,
                        std::vector<StoreEntry>& engines) {
  ForEachEntry(JoinPath(dir, "*"), [&](const WIN32_FIND_DATAA& data) {
    if (!includeHidden && (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
      return;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!IsDotName(data.cFileName))
        folders.push_back({data.cFileName, data.dwFileAttributes});
    } else if (MatchesEnginePattern(data)) {
      engines.push_back({data.cFileName, data.dwFileAttributes});
    }
  });
}

std::string ReadEngineValue(const std::string& iniPath, const char* key, const std::string& fallback) {
  // On the stack: the dialog reads two values of every engine at each
  // rebuild, and a zeroed heap block for each is work for nothing.
  char buffer[kProfileValueBuffer];
  const DWORD n = GetPrivateProfileStringA(kEngineSection, key, fallback.c_str(), buffer, kProfileValueBuffer,
                                           iniPath.c_str());
  return std::string(buffer, n);
}

void WriteEngineValue(const std::string& iniPath, const char* key, const std::string& value) {
  WriteProfileValue(iniPath, kEngineSection, key, value);
}

namespace {

// The store's rules leave the process in the directory of the last change.
void EnterDirectory(const std::string& dir) { SetCurrentDirectoryA(dir.c_str()); }

// "a\b\" or "a\b" as the shell wants a name list: no trailing backslash and
// a second NUL after the name.
std::string ShellNameList(const std::string& path) {
  std::string list = ExcludeTrailingBackslash(path);
  list.push_back('\0');
  return list;
}

// A plain rename. One that changes only the letter case goes through a
// temporary name: some file systems take the target for the source itself
// and leave the name as it was.
void RenameEngineFile(const std::string& from, const std::string& to) {
  const bool caseOnly = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, from.data(), static_cast<int>(from.size()),
                                       to.data(), static_cast<int>(to.size())) == CSTR_EQUAL;
  if (!caseOnly) {
    MoveFileA(from.c_str(), to.c_str());
    return;
  }
  const std::string temporary = from + ".kf-rename";
  if (!MoveFileA(from.c_str(), temporary.c_str()))
    return;
  if (!MoveFileA(temporary.c_str(), to.c_str()))
    MoveFileA(temporary.c_str(), from.c_str());
}

void WriteEngine(const std::string& iniPath, const std::string& url, const std::string& encode) {
  WriteEngineValue(iniPath, kUrlKey, url);
  WriteEngineValue(iniPath, kEncodeKey, encode);
}

}  // namespace

DWORD SetEngineVisible(const std::string& enginePath, bool show) {
  EnterDirectory(ExtractFilePath(enginePath));
  const DWORD attr = GetFileAttributesA(enginePath.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES) {
    const DWORD wanted = show ? (attr & ~FILE_ATTRIBUTE_HIDDEN) : (attr | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(enginePath.c_str(), wanted);
  }
  const DWORD now = GetFileAttributesA(enginePath.c_str());
  return now == INVALID_FILE_ATTRIBUTES ? 0 : now;
}

bool ToggleFolderVisibility(const std::string& folderPath) {
  const std::string dir = ExcludeTrailingBackslash(folderPath);
  EnterDirectory(ExtractFilePath(dir));
  const DWORD attr = GetFileAttributesA(dir.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES)
    return false;
  const bool hide = (attr & FILE_ATTRIBUTE_HIDDEN) == 0;
  SetFileAttributesA(dir.c_str(), hide ? (attr | FILE_ATTRIBUTE_HIDDEN) : (attr & ~FILE_ATTRIBUTE_HIDDEN));
  // What the directory says now, so that a refused change is not drawn as done.
  const DWORD now = GetFileAttributesA(dir.c_str());
  return now == INVALID_FILE_ATTRIBUTES ? hide : (now & FILE_ATTRIBUTE_HIDDEN) != 0;
}

bool CreateEngine(const std::string& dir, const std::string& name, const std::string& url,
                  const std::string& encode) {
  EnterDirectory(dir);
  const std::string path = JoinPath(dir, name + ".ini");
  if (IsFile(path))
    return false;
  WriteEngine(path, url, encode);
  return true;
}

std::string ModifyEngine(const std::string& dir, const std::string& fileName, const std::string& name,
                         const std::string& url, const std::string& encode) {
  std::string current = fileName;
  if (name != ExtractEngineName(fileName)) {
    EnterDirectory(dir);
    const std::string newFileName = name + ".ini";
    // A refused rename (another engine of that name) leaves the engine
    // pointing at that other file, which then takes the values.
    RenameEngineFile(JoinPath(dir, fileName), JoinPath(dir, newFileName));
    current = newFileName;
  }
  WriteEngine(JoinPath(dir, current), url, encode);
  return current;
}

void DeleteEngine(const std::string& enginePath) {
  EnterDirectory(ExtractFilePath(enginePath));
  DeleteFileA(enginePath.c_str());
}

std::string CreateFolder(const std::string& parentDir) {
  EnterDirectory(parentDir);
  std::string candidate;
  for (unsigned n = 0;; ++n) {
    candidate = JoinPath(parentDir, "KFND" + std::to_string(n));
    if (!IsDirectory(candidate))
      break;
  }
  CreateDirectoryA(candidate.c_str(), nullptr);
  return candidate;
}
std::string RenameFolder(HWND owner, const std::string& rootDir, const std::string& folderPath,
                         const std::string& parentPath, const std::string& newName) {
  EnterDirectory(rootDir);
  const std::string from = ShellNameList(folderPath);
  const std::string target = JoinPath(parentPath, newName);
  const std::string to = target + '\0';
  SHFILEOPSTRUCTA op = {};
  op.hwnd = owner;
  op.wFunc = FO_RENAME;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
  return SHFileOperationA(&op) == 0 ? target : std::string();
}

void DeleteFolder(HWND owner, const std::string& rootDir, const std::string& folderPath) {
  EnterDirectory(rootDir);
  const std::string from = ShellNameList(folderPath);
  SHFILEOPSTRUCTA op = {};
  op.hwnd = owner;
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
  SHFileOperationA(&op);
}

void MoveEngine(const std::string& name, const std::string& fromDir, const std::string& toDir) {
  const std::string fileName = name + ".ini";
  MoveFileExA(JoinPath(fromDir, fileName).c_str(), JoinPath(toDir, fileName).c_str(), MOVEFILE_REPLACE_EXISTING);
}

void MoveFolder(const std::string& folderPath, const std::string& toDir) {
  const std::string from = ExcludeTrailingBackslash(folderPath);
  MoveFileExA(from.c_str(), JoinPath(toDir, ExtractFileName(from)).c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace kf
