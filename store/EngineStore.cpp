#include "EngineStore.h"

#include <shellapi.h>

#include <vector>

#include "AsciiText.h"
#include "Dbcs.h"
#include "DirectoryWalk.h"
#include "Error.h"
#include "FileSystem.h"
#include "Path.h"
#include "Profile.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

const char kUrlKey[] = "url";
const char kEncodeKey[] = "encode";
const char kCleanKey[] = "clean";
const char kPinKey[] = "pin";
const char kAccessKey[] = "key";
const char kMethodKey[] = "method";
const char kPostKey[] = "post";
const char kPrivateKey[] = "private";
const char kBrowserKey[] = "browser";
const char kPostMethod[] = "post";

namespace {

bool IsDotName(const char* name) { return name[0] == '.'; }

StoreEntry EntryOf(const WIN32_FIND_DATAA& data) {
  StoreEntry entry;
  entry.name = data.cFileName;
  entry.attr = data.dwFileAttributes;
  entry.written = data.ftLastWriteTime;
  entry.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return entry;
}

// Whether a directory entry answers the search pattern "*.ini", which the
// platform matches against the name and against the short name where the
// file system keeps one. ".ini" is plain ASCII and "." is never the second
// byte of a double-byte character, so the last four bytes are the last four
// characters.
bool MatchesEnginePattern(const WIN32_FIND_DATAA& data) {
  return EndsWithIgnoringAsciiCase(data.cFileName, ".ini") ||
         (data.cAlternateFileName[0] && EndsWithIgnoringAsciiCase(data.cAlternateFileName, ".ini"));
}

}  // namespace

std::string ExtractEngineName(const std::string& fileName) {
  const std::size_t dot = FindLastChar(fileName, '.', IsAnsiLeadByte);
  return dot == std::string::npos ? std::string() : fileName.substr(0, dot);
}

FolderListing ListStoreFolder(const std::string& dir, bool includeHidden, Listed listed) {
  // One listing gives both the subfolders and the engines: under Wine the
  // listing of a folder costs about as much as the menu's own items.
  FolderListing listing;
  ForEachDirectoryEntry(JoinPath(dir, "*"), [&](const WIN32_FIND_DATAA& data) {
    if (!includeHidden && (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN))
      return;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!IsDotName(data.cFileName))
        listing.folders.push_back(EntryOf(data));
    } else if (listed == Listed::FoldersAndEngines && MatchesEnginePattern(data)) {
      listing.engines.push_back(EntryOf(data));
    }
  });
  return listing;
}

StoreEntry* FindEngine(std::vector<StoreEntry>& engines, const std::string& name) {
  for (StoreEntry& engine : engines) {
    if (ExtractEngineName(engine.name) == name)
      return &engine;
  }
  return nullptr;
}

void EnsureStoreFolder(const std::string& storeDir) {
  // A failure shows as an empty store, and as the reason of the first
  // change that needs the folder.
  if (!IsDirectory(storeDir))
    CreateDirectoryA(storeDir.c_str(), nullptr);
}

std::string ReadEngineValue(const std::string& iniPath, const char* key, const std::string& fallback) {
  return ReadProfileText(iniPath, kGeneralSection, key, fallback);
}

char AccessKeyOf(std::string_view value) {
  if (value.size() != 1)
    return 0;
  const char c = value[0];
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))
    return c;
  if (c >= 'a' && c <= 'z')
    return ToUpperAscii(c);
  return 0;
}

UrlProblem CheckEngineUrl(const std::string& url) {
  if (url.size() > kMaxProfileValue)
    return UrlProblem::TooLong;
  for (const char c : url) {
    if (IsAsciiControl(static_cast<unsigned char>(c)))
      return UrlProblem::ControlCharacter;
  }
  return UrlProblem::None;
}

namespace {

// "a\b\" or "a\b" as the shell wants a name list: no trailing backslash and
// a second NUL after the name.
std::string ShellNameList(const std::string& path) {
  std::string list = ExcludeTrailingBackslash(path);
  list.push_back('\0');
  return list;
}

// A failed step of a change, as the user reads it: what was tried, on which
// path, and the system's reason.
[[noreturn]] void Fail(UINT textId, std::vector<std::string> what, DWORD code) {
  what.push_back(SystemMessage(code));
  throw Error(UiText(textId, what));
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A rename of a file within its folder. One that changes only the letter
// case goes through a temporary name: some file systems take the target for
// the source itself and leave the name as it was.
bool RenameFile(const std::string& from, const std::string& to) {
  const bool caseOnly = SameTextIgnoringCase(from, to);
  if (!caseOnly)
    return MoveFileA(from.c_str(), to.c_str()) != FALSE;
  const std::string temporary = from + ".kf-rename";
  if (!MoveFileA(from.c_str(), temporary.c_str()))
    return false;
  if (MoveFileA(temporary.c_str(), to.c_str()))
    return true;
  const DWORD error = GetLastError();
  MoveFileA(temporary.c_str(), from.c_str());
  SetLastError(error);
  return false;
}

// Writes the engine's values and reads the URL back: a value the profile
// layer changes on its way (cut, unquoted, trimmed) is not claimed as saved.
void WriteEngine(const std::string& iniPath, const EngineFields& fields) {
  const auto write = [&iniPath](const char* key, const std::string* value) {
    WriteProfileValue(iniPath, kGeneralSection, key, value);
  };
  const std::string pin = "1";
  const std::string accessKey(1, fields.accessKey);
  // The first line of a key is the one every reader takes, and the one the
  // profile layer rewrites. A file that has no such key gets none: never a
  // stray "pin=0"; and a key removed goes with every line of it.
  write(kUrlKey, &fields.url);
  write(kEncodeKey, &fields.encode);
  write(kPinKey, fields.favourite ? &pin : nullptr);
  write(kAccessKey, fields.accessKey ? &accessKey : nullptr);
  const std::string method = kPostMethod;
  write(kMethodKey, fields.post ? &method : nullptr);
  write(kPostKey, fields.post ? &fields.postBody : nullptr);
  write(kPrivateKey, fields.privateWindow.empty() ? nullptr : &fields.privateWindow);
  write(kBrowserKey, fields.browser.empty() ? nullptr : &fields.browser);
  const std::string stored = ReadEngineValue(iniPath, kUrlKey, std::string());
  if (stored != fields.url)
    throw Error(UiText(IDS_READ_BACK_DIFFERS, {iniPath, stored}));
}

// Sets or clears the Hidden bit of path, keeping every other bit; returns
// the attribute word the file system reports afterwards.
DWORD SetHidden(const std::string& path, bool hidden) {
  const DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES)
    Fail(IDS_ATTRIBUTES_FAILED, {path}, GetLastError());
  const DWORD wanted = hidden ? (attr | FILE_ATTRIBUTE_HIDDEN) : (attr & ~FILE_ATTRIBUTE_HIDDEN);
  if (wanted != attr && !SetFileAttributesA(path.c_str(), wanted))
    Fail(IDS_ATTRIBUTES_FAILED, {path}, GetLastError());
  const DWORD now = GetFileAttributesA(path.c_str());
  return now == INVALID_FILE_ATTRIBUTES ? wanted : now;
}

// Runs a shell file operation (undoable, silent); the system's code of a
// failure, or 0. A user who cancels a question of the shell counts as a
// failure too: nothing was done.
DWORD RunShellOperation(HWND owner, UINT operation, const std::string& from, const std::string& to) {
  SHFILEOPSTRUCTA op = {};
  op.hwnd = owner;
  op.wFunc = operation;
  op.pFrom = from.c_str();
  op.pTo = to.empty() ? nullptr : to.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI;
  const int result = SHFileOperationA(&op);
  if (result != 0)
    return static_cast<DWORD>(result);
  return op.fAnyOperationsAborted ? ERROR_CANCELLED : 0;
}

}  // namespace

DWORD SetEngineVisible(const std::string& enginePath, bool show) { return SetHidden(enginePath, !show); }

bool ToggleFolderVisibility(const std::string& folderPath) {
  const std::string dir = ExcludeTrailingBackslash(folderPath);
  const DWORD attr = GetFileAttributesA(dir.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES)
    Fail(IDS_ATTRIBUTES_FAILED, {dir}, GetLastError());
  return (SetHidden(dir, (attr & FILE_ATTRIBUTE_HIDDEN) == 0) & FILE_ATTRIBUTE_HIDDEN) != 0;
}

bool CreateEngine(const std::string& dir, const std::string& name, const EngineFields& fields) {
  const std::string path = JoinPath(dir, name + ".ini");
  if (IsFile(path))
    return false;
  WriteEngine(path, fields);
  return true;
}

std::string ModifyEngine(const std::string& dir, const std::string& fileName, const std::string& name,
                         const EngineFields& fields) {
  std::string current = fileName;
  if (name != ExtractEngineName(fileName)) {
    const std::string newFileName = name + ".ini";
    // A refused rename (another engine of that name, a locked file) writes
    // nothing: the values belong to this engine, not to whatever has the name.
    if (!RenameFile(JoinPath(dir, fileName), JoinPath(dir, newFileName)))
      Fail(IDS_RENAME_ENGINE_FAILED, {JoinPath(dir, fileName), newFileName}, GetLastError());
    current = newFileName;
  }
  WriteEngine(JoinPath(dir, current), fields);
  return current;
}

void DeleteEngine(HWND owner, const std::string& enginePath) {
  // A file gone since it was listed is reported in the system's words: the
  // shell's own code for it has no message.
  if (!IsFile(enginePath))
    Fail(IDS_DELETE_ENGINE_FAILED, {enginePath}, ERROR_FILE_NOT_FOUND);
  const DWORD error = RunShellOperation(owner, FO_DELETE, ShellNameList(enginePath), std::string());
  if (error)
    Fail(IDS_DELETE_ENGINE_FAILED, {enginePath}, error);
}

std::size_t CountEnginesBelow(const std::string& folderPath) {
  const FolderListing listing = ListStoreFolder(IncludeTrailingBackslash(folderPath), true);
  std::size_t count = listing.engines.size();
  for (const StoreEntry& folder : listing.folders) {
    // A junction may lead back up the tree; the shell deletes the link, not
    // what it leads to.
    if ((folder.attr & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
      count += CountEnginesBelow(JoinPath(folderPath, folder.name));
  }
  return count;
}

std::string CreateFolder(const std::string& parentDir) {
  // The first number no file or folder of the parent has taken.
  std::string candidate;
  for (unsigned n = 0;; ++n) {
    candidate = JoinPath(parentDir, "KFND" + std::to_string(n));
    if (!Exists(candidate))
      break;
  }
  if (!CreateDirectoryA(candidate.c_str(), nullptr))
    Fail(IDS_CREATE_FOLDER_FAILED, {candidate}, GetLastError());
  return candidate;
}

std::string RenameFolder(HWND owner, const std::string& folderPath, const std::string& parentPath,
                         const std::string& newName) {
  const std::string target = JoinPath(parentPath, newName);
  const DWORD error = RunShellOperation(owner, FO_RENAME, ShellNameList(folderPath), target + '\0');
  if (error)
    Fail(IDS_RENAME_FOLDER_FAILED, {ExcludeTrailingBackslash(folderPath), newName}, error);
  return target;
}

void DeleteFolder(HWND owner, const std::string& folderPath) {
  const DWORD error = RunShellOperation(owner, FO_DELETE, ShellNameList(folderPath), std::string());
  if (error)
    Fail(IDS_DELETE_FOLDER_FAILED, {ExcludeTrailingBackslash(folderPath)}, error);
}

void MoveEngine(const std::string& name, const std::string& fromDir, const std::string& toDir) {
  const std::string fileName = name + ".ini";
  const std::string from = JoinPath(fromDir, fileName);
  if (!MoveFileExA(from.c_str(), JoinPath(toDir, fileName).c_str(), MOVEFILE_REPLACE_EXISTING))
    Fail(IDS_MOVE_ENGINE_FAILED, {from, ExcludeTrailingBackslash(toDir)}, GetLastError());
}

void MoveFolder(const std::string& folderPath, const std::string& toDir) {
  const std::string from = ExcludeTrailingBackslash(folderPath);
  const std::string name = ExtractFileName(from);
  const std::string to = JoinPath(toDir, name);
  // The platform's refusal would only say "access denied" or "exists".
  if (Exists(to))
    throw Error(UiText(IDS_MOVE_FOLDER_TARGET_TAKEN, {from, ExcludeTrailingBackslash(toDir), name}));
  if (!MoveFileExA(from.c_str(), to.c_str(), 0))
    Fail(IDS_MOVE_FOLDER_FAILED, {from, ExcludeTrailingBackslash(toDir)}, GetLastError());
}

}  // namespace kf
