// Path splitting for ANSI paths, aware of double-byte characters (a Shift-JIS
// trail byte 0x5C is never a backslash, 0x2E never a dot). The predicate
// defaults to the lead bytes of the process's ANSI code page.
#pragma once

#include <string>

#include "Dbcs.h"

namespace kf {

// Lead bytes of the process's ANSI code page (IsDBCSLeadByte). Windows only.
bool IsAnsiLeadByte(unsigned char b);

// Whether two names or paths are the same to the user ignoring letter case,
// as the user's locale compares them (the file system's own rule for the
// names it keeps). Windows only.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

// "C:\a" -> "C:\a\"; a path that ends in a backslash character stays; "" -> "\".
std::string IncludeTrailingBackslash(const std::string& path, IsLeadByteFn isLead = IsAnsiLeadByte);
// Removes one trailing backslash character, if any.
std::string ExcludeTrailingBackslash(const std::string& path, IsLeadByteFn isLead = IsAnsiLeadByte);
// Everything up to and including the last backslash or colon; "" when none.
std::string ExtractFilePath(const std::string& path, IsLeadByteFn isLead = IsAnsiLeadByte);
// ExtractFilePath without its trailing backslash, except at a drive root ("X:\").
std::string ExtractFileDir(const std::string& path, IsLeadByteFn isLead = IsAnsiLeadByte);
// Everything after the last backslash or colon.
std::string ExtractFileName(const std::string& path, IsLeadByteFn isLead = IsAnsiLeadByte);
// dir, a backslash where dir lacks one, then name.
std::string JoinPath(const std::string& dir, const std::string& name, IsLeadByteFn isLead = IsAnsiLeadByte);
// Replaces the extension of the file name (from its last dot) by ext, or
// appends ext when the file name has no dot.
std::string ChangeFileExt(const std::string& path, const std::string& ext, IsLeadByteFn isLead = IsAnsiLeadByte);

// Why a name cannot be the name of a file or folder of the engine store, on
// any Windows file system.
enum class NameProblem {
  None,
  Empty,
  BadCharacter,  // \ / : * ? " < > | or a control character
  BadEnd,        // a dot or a space at the end, which the file system drops
  Reserved,      // a device name: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (with any extension)
};
NameProblem CheckEntryName(const std::string& name, IsLeadByteFn isLead = IsAnsiLeadByte);

}  // namespace kf
