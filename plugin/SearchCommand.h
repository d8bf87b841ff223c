// The command behind every engine item: the host's selection, through the
// clipboard, into the engine's query URL, opened by the shell.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

// Registered with the host for every engine item. param's low 16 bits are
// the command id of the item picked.
void WINAPI SearchCommand(HWND window, LPARAM param);

// The host's selection as the clipboard gave it: the ANSI text for engines
// in Shift-JIS or EUC-JP, the Unicode text for engines in UTF-8.
struct Selection {
  std::string Ansi;
  std::wstring Unicode;

  bool Empty() const { return Ansi.empty() && Unicode.empty(); }
};

// Makes window copy its selection and returns it, leaving the user's
// clipboard as it was. Failures are shown in the error box; the selection is
// then empty when nothing could be read.
Selection CaptureSelection(HWND window);

// Every "[WORD]" of tmpl replaced by word, left to right.
std::string ReplaceWord(const std::string& tmpl, const std::string& word);

// Opens the query URL of the engine file iniPath for word: reads its
// template and encoding, converts, encodes and hands the address to the
// shell if it may be opened. Each failing step is shown in the error box.
void SearchWithEngine(HWND owner, const std::string& iniPath, const Selection& selection);

}  // namespace kf
