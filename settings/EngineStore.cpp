#include "EngineStore.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "Dbcs.h"
#include "ErrorBox.h"
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

bool IsDirectory(const std::string& path) {
  const DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
  const DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
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

namespace {

bool EndsWithIni(const char* name) {
  const std::size_t n = std::strlen(name);
  // ".ini" is plain ASCII and "." is never the second byte of a double-byte
  // character, so the last four bytes are the last four characters.
  return n >= 4 && name[n - 4] == '.' && (name[n - 3] | 0x20) == 'i' && (name[n - 2] | 0x20) == 'n' &&
         (name[n - 1] | 0x20) == 'i';
}

}  // namespace

bool MatchesEnginePattern(const WIN32_FIND_DATAA& data) {
  return EndsWithIni(data.cFileName) || (data.cAlternateFileName[0] && EndsWithIni(data.cAlternateFileName));
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
  // A read-only engine stays unwritten even where the profile layer would
  // write it anyway (an administrator's process on some platforms).
  const DWORD attr = GetFileAttributesA(iniPath.c_str());
  const bool readOnly = attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY);
  if (readOnly || !WritePrivateProfileStringA(kEngineSection, key, value.c_str(), iniPath.c_str()))
    throw Error("Unable to write to " + iniPath);
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

std::string EngineFilePath(const TDataFolder& folder, const std::string& fileName) {
  return JoinPath(folder.Path, fileName);
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

void LoadEngines(const std::string& dir, std::vector<TData>& list, const ReadFailure& onFailure) {
  WIN32_FIND_DATAA data;
  // ReadOnly, Hidden, System and Archive: every file; directories never match
  // a search for files, but a directory named x.ini still comes back.
  FindHandle find(FindFirstFileA(JoinPath(dir, "*.ini").c_str(), &data));
  if (!find)
    return;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      continue;
    try {
      list.push_back(TData());
      TData& engine = list.back();
      engine.FileName = data.cFileName;
      engine.Attr = data.dwFileAttributes;
      const std::string path = JoinPath(dir, engine.FileName);
      engine.URL = ReadEngineValue(path, kUrlKey, std::string());
      engine.Encode = TruncateText(ReadEngineValue(path, kEncodeKey, std::string()), kEncodeLimit, IsAnsiLeadByte);
    } catch (...) {
      if (onFailure)
        onFailure();
    }
  } while (FindNextFileA(find.Get(), &data));
}

TData* FindEngine(std::vector<TData>& list, const std::string& name) {
  for (TData& engine : list) {
    if (ExtractEngineName(engine.FileName) == name)
      return &engine;
  }
  return nullptr;
}

void SetEngineVisible(const TDataFolder& folder, TData& engine, bool show) {
  EnterDirectory(folder.Path);
  const std::string path = EngineFilePath(folder, engine.FileName);
  const DWORD attr = GetFileAttributesA(path.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES) {
    const DWORD wanted = show ? (attr & ~FILE_ATTRIBUTE_HIDDEN) : (attr | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(path.c_str(), wanted);
  }
  const DWORD now = GetFileAttributesA(path.c_str());
  engine.Attr = now == INVALID_FILE_ATTRIBUTES ? 0 : now;
}

bool ToggleFolderVisibility(const TDataFolder& folder) {
  const std::string dir = ExcludeTrailingBackslash(folder.Path);
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

bool CreateEngine(const TDataFolder& folder, const std::string& name, const std::string& url,
                  const std::string& encode) {
  EnterDirectory(folder.Path);
  const std::string path = EngineFilePath(folder, name + ".ini");
  if (IsFile(path))
    return false;
  WriteEngine(path, url, encode);
  return true;
}

void ModifyEngine(const TDataFolder& folder, TData& engine, const std::string& name, const std::string& url,
                  const std::string& encode) {
  if (name != ExtractEngineName(engine.FileName)) {
    EnterDirectory(folder.Path);
    const std::string newFileName = name + ".ini";
    // A refused rename (another engine of that name) leaves the record
    // pointing at that other file, which then takes the values.
    RenameEngineFile(EngineFilePath(folder, engine.FileName), EngineFilePath(folder, newFileName));
    engine.FileName = newFileName;
  }
  engine.Encode = encode;
  engine.URL = url;
  WriteEngine(EngineFilePath(folder, engine.FileName), url, encode);
}

void DeleteEngine(const TDataFolder& folder, const TData& engine) {
  EnterDirectory(folder.Path);
  DeleteFileA(EngineFilePath(folder, engine.FileName).c_str());
}

std::string CreateFolder(const TDataFolder& parent) {
  EnterDirectory(parent.Path);
  std::string candidate;
  for (unsigned n = 0;; ++n) {
    candidate = JoinPath(parent.Path, "KFND" + std::to_string(n));
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

void MoveFolder(const TDataFolder& folder, const std::string& toDir) {
  MoveFileExA(ExcludeTrailingBackslash(folder.Path).c_str(), JoinPath(toDir, folder.Name).c_str(),
              MOVEFILE_REPLACE_EXISTING);
}

}  // namespace kf
