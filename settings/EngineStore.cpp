#include "EngineStore.h"

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

std::string ReadEngineValue(const std::string& iniPath, const char* key, const std::string& fallback) {
  std::vector<char> buffer(kProfileValueBuffer, '\0');
  const DWORD n = GetPrivateProfileStringA(kEngineSection, key, fallback.c_str(), buffer.data(),
                                           kProfileValueBuffer, iniPath.c_str());
  return std::string(buffer.data(), n);
}

void WriteEngineValue(const std::string& iniPath, const char* key, const std::string& value) {
  if (!WritePrivateProfileStringA(kEngineSection, key, value.c_str(), iniPath.c_str()))
    throw Error("Unable to write to " + iniPath);
}

}  // namespace kf
