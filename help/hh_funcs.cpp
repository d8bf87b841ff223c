#include "hh_funcs.h"

#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "Handles.h"
#include "Module.h"
#include "hh.h"

namespace kf {

std::string _ModuleFile;
std::string _ModuleDir;
std::string _ModuleName;
std::string _RunDir;
std::string DebugDir;
bool DebugMode = false;
TFileVersion _hhVersion;
std::string _hhVerStr;
bool _hhInstalled = false;
std::string _hhFriendlyVerStr;
std::string _ieVerStr;
bool _ieInstalled = false;
std::string _ieFriendlyVerStr;

namespace {

const char kDebugFileName[] = "\\HHDebug.txt";
const char kSwitchFileName[] = "\\debug.debug";
const char kScratchFileName[] = "\\$_Temp_$.$$$";
constexpr std::size_t kSeparatorLength = 80;

bool FileExists(const std::string& path) {
  const DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// The module this code is linked into: the plug-in library, not the host.
HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ProbeEnvironment), &module);
  return module;
}

std::string DirectoryOf(const std::string& path) {
  std::string dir = ExtractFilePath(path);
  StripTrailingChar(dir, '\\');
  return dir;
}

bool EqualsIgnoringAsciiCase(const wchar_t* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    wchar_t x = *a;
    char y = *b;
    if (x >= L'A' && x <= L'Z')
      x = x - L'A' + L'a';
    if (y >= 'A' && y <= 'Z')
      y = y - 'A' + 'a';
    if (x != static_cast<unsigned char>(y))
      return false;
  }
  return *a == 0 && *b == 0;
}

std::string HexWord(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%.4X", value);
  return text;
}

std::string LocalDateTime() {
  char date[128] = "", time[128] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, ARRAYSIZE(date));
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, ARRAYSIZE(time));
  return std::string(date) + " " + time;
}

std::string DecimalSeparator(LCID locale) {
  char text[8] = "";
  if (GetLocaleInfoA(locale, LOCALE_SDECIMAL, text, ARRAYSIZE(text)) <= 1)
    return ".";
  return std::string(1, text[0]);
}

const char* YesNo(bool value) { return value ? "YES" : "NO"; }

// Every argument of the dump starts with a TAB.
std::string Tabbed(const std::string& text) { return "\t" + text; }

}  // namespace

TVersionInfo ReadFileVersion(const std::string& path) {
  if (path.empty() || !FileExists(path))
    return TVersionInfo();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0)
    return TVersionInfo();
  std::vector<char> block(size, '\0');
  if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
    return TVersionInfo();
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), "\\", &value, &length) || !value || length < sizeof(VS_FIXEDFILEINFO))
    return TVersionInfo();
  const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  return MakeVersionInfo(TFileVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                      HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)});
}

TVersionInfo ReadBrowserVersion() { return ShiftBrowserVersion(ReadFileVersion(SystemDirectory() + "\\Shdocvw.dll")); }

void StripTrailingChar(std::string& s, char ch, IsLeadByteFn isLead) {
  while (!s.empty() && EndsWithChar(s, ch, isLead))
    s.pop_back();
}

std::string SystemDirectory() {
  char buffer[MAX_PATH + 1] = "";
  const UINT n = GetSystemDirectoryA(buffer, ARRAYSIZE(buffer));
  std::string dir = n < ARRAYSIZE(buffer) ? std::string(buffer, n) : std::string();
  StripTrailingChar(dir, '\\');
  return dir;
}

std::string TempDirectory() {
  char buffer[300] = "";
  const DWORD n = GetTempPathA(ARRAYSIZE(buffer), buffer);
  std::string dir = n > 0 && n < ARRAYSIZE(buffer) ? std::string(buffer, n) : std::string();
  if (dir.empty() || !DirectoryExists(dir))
    dir = "c:";
  StripTrailingChar(dir, '\\');
  return dir;
}

bool IsDirWritable(const std::string& dir) {
  std::string path = dir;
  StripTrailingChar(path, '\\');
  path += kScratchFileName;
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return false;
  file.Close();
  DeleteFileA(path.c_str());
  return true;
}

bool DebugSwitchOn(const std::string& moduleDir, const wchar_t* commandLine) {
  if (FileExists(moduleDir + kSwitchFileName))
    return true;
  if (!commandLine)
    return false;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(commandLine, &count);
  if (!args)
    return false;
  bool on = false;
  for (int i = 1; i < count && !on; ++i)
    on = EqualsIgnoringAsciiCase(args[i], "/debug") || EqualsIgnoringAsciiCase(args[i], "-debug");
  LocalFree(args);
  return on;
}

void WriteDebugLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string line;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    line.assign(buffer.data(), static_cast<std::size_t>(needed));
  }
  va_end(args);

  if (line == "-" || line == "=")
    line = std::string(kSeparatorLength, line[0]);
  if (!line.empty() && (line[0] == '!' || line[0] == '-' || line[0] == '='))
    line.erase(0, 1);
  line += "\r\n";

  const std::string path = DebugDir + kDebugFileName;
  FileHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return;
  DWORD written = 0;
  WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  FlushFileBuffers(file.Get());
}

void WriteDebugDump() {
  const std::string path = DebugDir + kDebugFileName;
  if (FileExists(path))
    DeleteFileA(path.c_str());
  if (!DebugMode)
    return;

  LCID locale = GetThreadLocale();
  if (locale == 0)
    locale = 0x0409;
  const std::string exePath = ModuleFileName(nullptr);

  WriteDebugLine("!Filename:             %s", Tabbed(path).c_str());
  WriteDebugLine("!Date:                 %s", Tabbed(LocalDateTime()).c_str());
  WriteDebugLine("!SysLocale.DefaultLCID: %s", Tabbed(HexWord(locale)).c_str());
  WriteDebugLine("!SysLocale.PriLangID:   %s", Tabbed(HexWord(locale & 0x3FF)).c_str());
  WriteDebugLine("!SysLocale.SubLangID:   %s", Tabbed(HexWord((locale >> 10) & 0x3F)).c_str());
  WriteDebugLine("!DecimalSeparator:      %s", Tabbed(DecimalSeparator(locale)).c_str());
  WriteDebugLine("-");
  WriteDebugLine("!EXE Path =          %s", Tabbed(exePath).c_str());
  WriteDebugLine("!_RunDir =           %s", Tabbed(_RunDir).c_str());
  WriteDebugLine("!_ModuleName =       %s", Tabbed(_ModuleName).c_str());
  WriteDebugLine("!_ModuleDir =        %s", Tabbed(_ModuleDir).c_str());
  WriteDebugLine("-");
  WriteDebugLine("!_hhInstalled =      %s", Tabbed(YesNo(_hhInstalled)).c_str());
  WriteDebugLine("!_hhVerStr =         %s", Tabbed(_hhVerStr).c_str());
  WriteDebugLine("!_hhFriendlyVerStr = %s", Tabbed(_hhFriendlyVerStr).c_str());
  WriteDebugLine("-");
  WriteDebugLine("!_ieInstalled =      %s", Tabbed(YesNo(_ieInstalled)).c_str());
  WriteDebugLine("!_ieVerStr =         %s", Tabbed(_ieVerStr).c_str());
  WriteDebugLine("!_ieFriendlyVerStr = %s", Tabbed(_ieFriendlyVerStr).c_str());
  WriteDebugLine("=");
}

void ProbeEnvironment() {
  _ModuleFile = ModuleFileName(ThisModule());
  _ModuleDir = DirectoryOf(_ModuleFile);
  _ModuleName = ExtractFileName(_ModuleFile);
  _RunDir = DirectoryOf(ModuleFileName(nullptr));

  DebugDir = IsDirWritable(_ModuleDir) ? _ModuleDir : TempDirectory();
  DebugMode = DebugSwitchOn(_ModuleDir, GetCommandLineW());

  const TVersionInfo hh = ReadFileVersion(LocateHelpControl());
  _hhVersion = hh.version;
  _hhVerStr = hh.text;
  _hhInstalled = !_hhVerStr.empty();
  _hhFriendlyVerStr = HtmlHelpVersionName(hh);

  const TVersionInfo ie = ReadBrowserVersion();
  _ieVerStr = ie.text;
  _ieInstalled = !_ieVerStr.empty();
  _ieFriendlyVerStr = BrowserVersionName(ie);

  WriteDebugDump();
}

void ReleaseProbeValues() {
  for (std::string* s : {&_ModuleFile, &_ModuleDir, &_ModuleName, &_RunDir, &DebugDir, &_hhVerStr,
                         &_hhFriendlyVerStr, &_ieVerStr, &_ieFriendlyVerStr})
    std::string().swap(*s);
}

}  // namespace kf
