// Text in the tests: sources are UTF-8, the plug-in sees ANSI bytes of the
// process's code page (932 or 1252), the mail view and message boxes UTF-16.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "HostText.h"

namespace kft {

using kfhost::AnsiToUtf8;
using kfhost::AnsiToWide;
using kfhost::CodePageToWide;
using kfhost::Utf8ToAnsi;
using kfhost::Utf8ToWide;
using kfhost::WideToAnsi;
using kfhost::WideToCodePage;
using kfhost::WideToUtf8;

// The Shift-JIS bytes of a UTF-8 text, whatever the process's code page and
// the compiler's source charset: Sjis(u8"検索") == "\x8C\x9F\x8D\xF5".
std::string Sjis(const std::string& utf8);

// True when the process runs with ANSI code page 932.
bool IsCodePage932();

// Every string of a library's string table in one language, by id, as
// UTF-8; empty when the library cannot be read.
std::map<UINT, std::string> StringTable(const std::string& libraryPath, LANGID language);

// The access key a caption marks ("&Name", "名前(&N)"), upper case; 0 for
// none ("&&" is a plain "&").
char AccessKeyIn(const std::string& caption);

// "41 42 8C 9F": the bytes of a string, for readable failure messages.
std::string HexBytes(const std::string& bytes);

}  // namespace kft
