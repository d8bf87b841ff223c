#include "EnvironmentProbe.h"

#include <shellapi.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "AsciiText.h"
#include "FileSystem.h"
#include "Handles.h"
#include "HtmlHelp.h"
#include "Module.h"
#include "VersionResource.h"

namespace kf {

ProbeResults gProbe;

namespace {

const char kDebugFileName[] = "\\HHDebug.txt";
const char kSwitchFileName[] = "\\debug.debug";
constexpr std::size_t kSeparatorLength = 80;

// The folder of path with no trailing backslash, a drive root too ("C:").
std::string DirectoryOf(const std::string& path) { return ExcludeTrailingBackslash(ExtractFilePath(path)); }

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

// The dump's line that names the library which wrote it.
std::string ModuleNameLine(const std::string& moduleName) { return "\r\n_ModuleName =       \t" + moduleName + "\r\n"; }

// Whether the diagnostic file at path is this library's: its lines name it.
bool IsOwnDump(const std::string& path) {
  std::string text;
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  char buffer[4096];
  DWORD got = 0;
  // The dump is short; a large file is somebody else's anyway.
  while (file && text.size() < 64 * 1024 && ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  return text.find(ModuleNameLine(gProbe.moduleName)) != std::string::npos;
}

// Every argument of the dump starts with a TAB.
std::string Tabbed(const std::string& text) { return "\t" + text; }

}  // namespace

VersionInfo ReadFileVersion(const std::string& path) {
  if (path.empty() || !IsFile(path))
    return VersionInfo();
  const VS_FIXEDFILEINFO* fixed = VersionResource(path).Fixed();
  if (!fixed)
    return VersionInfo();
  return MakeVersionInfo(FileVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                      HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)});
}

VersionInfo ReadBrowserVersion() { return ShiftBrowserVersion(ReadFileVersion(SystemDirectory() + "\\Shdocvw.dll")); }

std::string SystemDirectory() {
  char buffer[MAX_PATH + 1] = "";
  const UINT n = GetSystemDirectoryA(buffer, ARRAYSIZE(buffer));
  return ExcludeTrailingBackslash(n < ARRAYSIZE(buffer) ? std::string(buffer, n) : std::string());
}

std::string TempDirectory() {
  char buffer[300] = "";
  const DWORD n = GetTempPathA(ARRAYSIZE(buffer), buffer);
  std::string dir = n > 0 && n < ARRAYSIZE(buffer) ? std::string(buffer, n) : std::string();
  if (dir.empty() || !IsDirectory(dir))
    dir = "c:";
  return ExcludeTrailingBackslash(dir);
}

bool IsDirWritable(const std::string& dir) {
  // A name no file has yet, created only if that is still so, so that no
  // file of anybody else's is ever emptied or removed.
  const std::string base = ExcludeTrailingBackslash(dir);
  const DWORD seed = GetCurrentProcessId() ^ GetTickCount();
  for (DWORD attempt = 0; attempt < 16; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "\\kf%08lX.tmp", static_cast<unsigned long>(seed + attempt));
    const std::string path = base + name;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (file)
      return true;  // and gone again as it closes
    if (GetLastError() != ERROR_FILE_EXISTS)
      return false;
  }
  return false;
}

bool DebugSwitchOn(const std::string& moduleDir, const wchar_t* commandLine) {
  if (IsFile(moduleDir + kSwitchFileName))
    return true;
  if (!commandLine)
    return false;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(commandLine, &count);
  if (!args)
    return false;
  bool on = false;
  for (int i = 1; i < count && !on; ++i)
    on = EqualsIgnoringAsciiCase(std::wstring_view(args[i]), "/debug") ||
         EqualsIgnoringAsciiCase(std::wstring_view(args[i]), "-debug");
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

  const std::string path = gProbe.debugDir + kDebugFileName;
  FileHandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return;
  DWORD written = 0;
  WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  FlushFileBuffers(file.Get());
}

void WriteDebugDump() {
  // Only this library's own dump is replaced; a file of that name that
  // another program (or another copy of the plug-in) wrote is left alone,
  // and the dump goes to the temporary folder instead.
  std::string path = gProbe.debugDir + kDebugFileName;
  if (IsFile(path) && !IsOwnDump(path)) {
    path = TempDirectory() + kDebugFileName;
    if (IsFile(path) && !IsOwnDump(path))
      return;
    gProbe.debugDir = TempDirectory();
  }
  if (IsFile(path))
    DeleteFileA(path.c_str());
  if (!gProbe.debugMode)
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
  WriteDebugLine("!_RunDir =           %s", Tabbed(gProbe.runDir).c_str());
  WriteDebugLine("!_ModuleName =       %s", Tabbed(gProbe.moduleName).c_str());
  WriteDebugLine("!_ModuleDir =        %s", Tabbed(gProbe.moduleDir).c_str());
  WriteDebugLine("-");
  WriteDebugLine("!_hhInstalled =      %s", Tabbed(YesNo(!gProbe.helpControl.text.empty())).c_str());
  WriteDebugLine("!_hhVerStr =         %s", Tabbed(gProbe.helpControl.text).c_str());
  WriteDebugLine("!_hhFriendlyVerStr = %s", Tabbed(gProbe.helpControlRelease).c_str());
  WriteDebugLine("-");
  WriteDebugLine("!_ieInstalled =      %s", Tabbed(YesNo(!gProbe.browser.text.empty())).c_str());
  WriteDebugLine("!_ieVerStr =         %s", Tabbed(gProbe.browser.text).c_str());
  WriteDebugLine("!_ieFriendlyVerStr = %s", Tabbed(gProbe.browserRelease).c_str());
  WriteDebugLine("=");
}

void ProbeEnvironment() {
  gProbe.moduleFile = ModuleFileName(ThisModule());
  gProbe.moduleDir = DirectoryOf(gProbe.moduleFile);
  gProbe.moduleName = ExtractFileName(gProbe.moduleFile);
  gProbe.runDir = DirectoryOf(ModuleFileName(nullptr));

  gProbe.debugDir = IsDirWritable(gProbe.moduleDir) ? gProbe.moduleDir : TempDirectory();
  gProbe.debugMode = DebugSwitchOn(gProbe.moduleDir, GetCommandLineW());

  gProbe.helpControl = ReadFileVersion(LocateHelpControl());
  gProbe.helpControlRelease = HtmlHelpVersionName(gProbe.helpControl);
  gProbe.browser = ReadBrowserVersion();
  gProbe.browserRelease = BrowserVersionName(gProbe.browser);

  WriteDebugDump();
}

void ReleaseProbeValues() { gProbe = ProbeResults(); }

}  // namespace kf
