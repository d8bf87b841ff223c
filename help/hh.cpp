#include "hh.h"

#include <vector>

#include "Handles.h"

namespace kf {

HMODULE HelpControlModule = nullptr;
HtmlHelpAFn HtmlHelpA = nullptr;
HtmlHelpWFn HtmlHelpW = nullptr;
HtmlHelpAFn HtmlHelp = nullptr;

namespace {

const char kControlKey[] = "CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32";

bool LoadAttempted = false;

bool FileExists(const std::string& path) {
  const DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string LocateHelpControl() {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kControlKey, 0, KEY_READ, &raw) != ERROR_SUCCESS)
    return std::string();
  RegKey key(raw);

  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.Get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
    return std::string();
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS)
    return std::string();
  // Taken as stored: a REG_EXPAND_SZ value is not expanded.
  const std::string path(buffer.data());
  return path.empty() || FileExists(path) ? path : std::string();
}

void LoadHelpControl() {
  if (HelpControlModule)
    return;
  const std::string path = LocateHelpControl();
  if (path.empty() || !FileExists(path))
    return;
  HelpControlModule = LoadLibraryA(path.c_str());
  if (!HelpControlModule)
    return;
  HtmlHelpA = reinterpret_cast<HtmlHelpAFn>(GetProcAddress(HelpControlModule, "HtmlHelpA"));
  HtmlHelpW = reinterpret_cast<HtmlHelpWFn>(GetProcAddress(HelpControlModule, "HtmlHelpW"));
  HtmlHelp = reinterpret_cast<HtmlHelpAFn>(GetProcAddress(HelpControlModule, "HtmlHelpA"));
}

void UnloadHelpControl() {
  if (!HelpControlModule)
    return;
  FreeLibrary(HelpControlModule);
  HelpControlModule = nullptr;
  HtmlHelpA = nullptr;
  HtmlHelpW = nullptr;
  HtmlHelp = nullptr;
}

HtmlHelpAFn BoundHtmlHelp() {
  if (!LoadAttempted) {
    LoadAttempted = true;
    LoadHelpControl();
  }
  return HtmlHelp;
}

}  // namespace kf
