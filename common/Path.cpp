#include "Path.h"

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

}  // namespace kf
