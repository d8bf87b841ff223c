#include "FileSystem.h"

#include <windows.h>

#include "ErrorBox.h"
#include "TextIds.h"
#include "UiText.h"

namespace kf {

namespace {

DWORD AttributesOf(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}

}  // namespace

bool IsDirectory(const std::string& path) {
  const DWORD attr = AttributesOf(path);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
  const DWORD attr = AttributesOf(path);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void WriteProfileValue(const std::string& iniPath, const char* section, const char* key, const std::string* value) {
  const DWORD attr = AttributesOf(iniPath);
  if (attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY))
    throw Error(UiText(IDS_WRITE_FAILED, {iniPath, SystemMessage(ERROR_ACCESS_DENIED)}));
  if (!WritePrivateProfileStringA(section, key, value ? value->c_str() : nullptr, iniPath.c_str()))
    throw Error(UiText(IDS_WRITE_FAILED, {iniPath, SystemMessage(GetLastError())}));
}

}  // namespace kf
