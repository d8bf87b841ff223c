// The real clipboard, for arranging what a test starts with and checking
// what it ends with. Every call opens and closes the clipboard itself (with
// retries: another process may hold it for a moment). Data is put by a
// hidden window of the test, so the process owns it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kft {
namespace clip {

bool Clear();
// Each replaces the whole content.
bool PutText(const std::string& ansi);         // CF_TEXT
bool PutUnicode(const std::wstring& text);     // CF_UNICODETEXT
bool PutBitmap(int width = 8, int height = 8);  // CF_BITMAP
// A registered format holding these bytes; returns the format (0 on failure).
UINT PutCustom(const std::string& formatName, const std::string& bytes);

// nullopt when the format is absent. Text is read up to its first NUL.
std::optional<std::string> GetText();  // CF_TEXT, in the ANSI code page
std::optional<std::wstring> GetUnicode();
std::optional<std::string> GetBytes(UINT format);

bool HasFormat(UINT format);
// The formats on offer, synthesized ones included (CF_TEXT brings
// CF_UNICODETEXT, CF_OEMTEXT and CF_LOCALE; CF_BITMAP brings CF_DIB, ...).
std::vector<UINT> Formats();
int CountFormats();

}  // namespace clip
}  // namespace kft
