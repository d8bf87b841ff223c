#include "Path.h"

#include "AsciiText.h"

namespace kf {

std::string IncludeTrailingBackslash(const std::string& path, IsLeadByteFn isLead) {
  return EndsWithChar(path, '\\', isLead) ? path : path + '\\';
}

std::string ExcludeTrailingBackslash(const std::string& path, IsLeadByteFn isLead) {
  return EndsWithChar(path, '\\', isLead) ? path.substr(0, path.size() - 1) : path;
}

std::string ExtractFilePath(const std::string& path, IsLeadByteFn isLead) {
  const std::size_t pos = FindLastOf(path, "\\:", isLead);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileDir(const std::string& path, IsLeadByteFn isLead) {
  std::string dir = ExtractFilePath(path, isLead);
  // "X:\" keeps its backslash: without it, it would name the drive's current directory.
  const bool driveRoot = dir.size() == 3 && dir[1] == ':' && dir[2] == '\\';
  if (!driveRoot)
    dir = ExcludeTrailingBackslash(dir, isLead);
  return dir;
}

std::string ExtractFileName(const std::string& path, IsLeadByteFn isLead) {
  const std::size_t pos = FindLastOf(path, "\\:", isLead);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string JoinPath(const std::string& dir, const std::string& name, IsLeadByteFn isLead) {
  return IncludeTrailingBackslash(dir, isLead) + name;
}

std::string ChangeFileExt(const std::string& path, const std::string& ext, IsLeadByteFn isLead) {
  const std::size_t nameStart = path.size() - ExtractFileName(path, isLead).size();
  const std::size_t dot = FindLastChar(path.substr(nameStart), '.', isLead);
  if (dot == std::string::npos)
    return path + ext;
  return path.substr(0, nameStart + dot) + ext;
}

namespace {

bool IsDeviceName(const std::string& stem) {
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (EqualsIgnoringAsciiCase(stem, device))
      return true;
  }
  // COM1 ... COM9 and LPT1 ... LPT9.
  return stem.size() == 4 && (StartsWithIgnoringAsciiCase(stem, "COM") || StartsWithIgnoringAsciiCase(stem, "LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

}  // namespace

NameProblem CheckEntryName(const std::string& name, IsLeadByteFn isLead) {
  if (name.empty())
    return NameProblem::Empty;
  // Character-wise: a Shift-JIS trail byte may equal '\' or '|' and is part
  // of a character that file names may hold.
  for (std::size_t i = 0; i < name.size(); i += CharLength(name, i, isLead)) {
    const unsigned char b = static_cast<unsigned char>(name[i]);
    if (CharLength(name, i, isLead) == 2)
      continue;
    if (IsAsciiControl(b) || std::string("\\/:*?\"<>|").find(static_cast<char>(b)) != std::string::npos)
      return NameProblem::BadCharacter;
  }
  if (EndsWithChar(name, '.', isLead) || EndsWithChar(name, ' ', isLead))
    return NameProblem::BadEnd;
  // "CON", "con.txt" and "CON .x" all name the device.
  std::string stem = name.substr(0, FindChar(name, '.', isLead));
  while (!stem.empty() && stem.back() == ' ')
    stem.pop_back();
  return IsDeviceName(stem) ? NameProblem::Reserved : NameProblem::None;
}

}  // namespace kf
