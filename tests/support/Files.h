// Files and folders for tests. Paths are ANSI byte strings (what the plug-in
// sees); splitting and joining go through UTF-16 so that a Shift-JIS trail
// byte 0x5C is never taken for a backslash.
#pragma once

#include <windows.h>

#include <string>

namespace kft {

// Folder of the running test program (bin/), with a trailing backslash.
std::string ExeDir();
// A file beside the test program: ExeDir() + name.
std::string BinFile(const std::string& name);

// folder + '\' (where missing) + name; '/' in name becomes '\'.
std::string Join(const std::string& folder, const std::string& name);

// Creates a new, empty, uniquely named folder under the Wine temp folder and
// returns it with a trailing backslash.
std::string MakeTempFolder(const std::string& prefix = "kf");

// Deletes a folder with everything in it, clearing read-only, hidden and
// system attributes first. Missing folders are fine.
void RemoveTree(const std::string& path);

bool FileExists(const std::string& path);       // exists and is not a folder
bool DirectoryExists(const std::string& path);  // exists and is a folder
// INVALID_FILE_ATTRIBUTES when missing.
DWORD Attributes(const std::string& path);

bool WriteBytes(const std::string& path, const std::string& bytes);
// Empty when the file cannot be read.
std::string ReadBytes(const std::string& path);
bool CopyFileTo(const std::string& from, const std::string& to);
// Sets the file's last-write time to seconds before now.
bool SetFileAge(const std::string& path, unsigned seconds);

// How many items the recycle bin holds under name (a file or folder name,
// no path), as the shell lists them: the bin keeps older ones of the same
// name, so compare counts.
int CountInRecycleBin(const std::string& name);

// A file held open with no sharing, as another program may hold it: nobody
// else can open it until the object goes.
class ExclusiveFile {
 public:
  explicit ExclusiveFile(const std::string& path);
  ~ExclusiveFile();
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;
  bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE file_;
};

}  // namespace kft
