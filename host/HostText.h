// Reading files, and conversions between UTF-8 (scripts, output, test sources), UTF-16 (the
// mail view) and the byte strings of a code page (what a plug-in sees).
#pragma once

#include <windows.h>

#include <string>

namespace kfhost {

std::wstring CodePageToWide(const std::string& text, UINT codePage);
std::string WideToCodePage(const std::wstring& text, UINT codePage);

inline std::wstring Utf8ToWide(const std::string& text) { return CodePageToWide(text, CP_UTF8); }
inline std::string WideToUtf8(const std::wstring& text) { return WideToCodePage(text, CP_UTF8); }
// CP_ACP: the ANSI code page of the process (932 or 1252 in the tests).
inline std::wstring AnsiToWide(const std::string& text) { return CodePageToWide(text, CP_ACP); }
inline std::string WideToAnsi(const std::wstring& text) { return WideToCodePage(text, CP_ACP); }
inline std::string AnsiToUtf8(const std::string& text) { return WideToUtf8(AnsiToWide(text)); }
inline std::string Utf8ToAnsi(const std::string& text) { return WideToAnsi(Utf8ToWide(text)); }

// The whole content of a file, which others may be writing meanwhile; false
// when it cannot be opened.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);

// Writes text and "\n" to a standard handle byte for byte: UTF-8 goes out
// as it is, with plain line ends, whatever the C runtime's text mode.
void WriteLine(HANDLE out, const std::string& text);

}  // namespace kfhost
