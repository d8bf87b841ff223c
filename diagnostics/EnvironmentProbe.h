// The environment probe: where the host and the plug-in live, the versions of
// the HTML Help control and of the browser component, and the debug switch.
// Its results serve only the diagnostic file "HHDebug.txt", written in debug
// mode; an old diagnostic file is deleted at every start.
#pragma once

#include <windows.h>

#include <string>

#include "Dbcs.h"
#include "Path.h"
#include "VersionNames.h"

namespace kf {

// What the probe found; filled once by ProbeEnvironment, read-only afterwards.
struct ProbeResults {
  std::string moduleFile;  // the plug-in library itself, not the host
  std::string moduleDir;   // no trailing backslash: a drive root is "C:"
  std::string moduleName;
  std::string runDir;      // the host program's directory
  std::string debugDir;    // moduleDir when writable, else the temporary folder
  bool debugMode = false;
  VersionInfo helpControl;        // the HTML Help control's version
  std::string helpControlRelease;  // its release name
  VersionInfo browser;            // Shdocvw.dll's version, shifted where old
  std::string browserRelease;
};
extern ProbeResults gProbe;

// The fixed version of a file; zeros and "" when it has none.
VersionInfo ReadFileVersion(const std::string& path);
// Shdocvw.dll of the system folder, shifted where its version is an old one.
VersionInfo ReadBrowserVersion();

// The system folder, with no trailing backslash.
std::string SystemDirectory();
// The temporary folder with no trailing backslash, or "c:" when that is no
// existing folder.
std::string TempDirectory();
// True when a scratch file can be made (and is removed again) in dir.
bool IsDirWritable(const std::string& dir);

// "debug.debug" in moduleDir, or "/debug" or "-debug" (any ASCII letter case)
// among the parameters of commandLine (the program name excluded).
bool DebugSwitchOn(const std::string& moduleDir, const wchar_t* commandLine);

// Appends one formatted line to DebugDir\HHDebug.txt; a line that cannot be
// written is dropped.
void WriteDebugLine(const char* format, ...);
// Deletes an old diagnostic file, then writes a new one in debug mode.
void WriteDebugDump();

// Fills gProbe and writes the diagnostic file. Runs once, at the
// host's first call: it touches files and the registry, which must not be
// done under the loader lock.
void ProbeEnvironment();
// Empties gProbe at unload.
void ReleaseProbeValues();

}  // namespace kf
