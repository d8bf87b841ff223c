// Cleaning a selection taken from a mail before it is searched for.
//
// Japanese mail is hard-wrapped and quoted with ">" marks, and a selection
// made with the mouse often takes a line break or a trailing blank with it.
// The cleaner makes such a selection the one line the user meant:
// 1. CR LF, CR and LF each end a line.
// 2. At the start of every line a run of quote marks (">", "|", U+FF1E,
//    U+FF5C) and blanks (space, tab, U+3000) goes, when it holds at least one
//    quote mark. Marks elsewhere on a line ("a|b") stay.
// 3. Blanks at the start and end of every line go; lines left empty are
//    dropped.
// 4. The lines are joined with one space, except
//    - with nothing where the break wraps a web address: the line's last
//      word holds "http://" or "https://" (any case), or the line is one
//      word that an address wrapped onto; the line ends in a character an
//      address holds unencoded (ASCII letters, digits, "-._~:/?#[]@!$&'()*+,;=%");
//      the next line's first word holds no such scheme; and either the next
//      line is one word or the address's line, quote marks included, is 60
//      characters or longer (mail programs wrap at 72 to 76), so that it
//      was wrapped rather than ended;
//    - with nothing between two characters outside ASCII (two Japanese
//      words of one sentence).
// 5. Every run of blanks becomes one space.
// The result is never longer than the text, and cleaning it again changes
// nothing.
#pragma once

#include <string>
#include <string_view>

#include "Dbcs.h"

namespace kf {

// How the ANSI code page writes the full-width characters the cleaner knows:
// U+3000, U+FF1E and U+FF5C; "" where the code page has no such character.
// Under code page 932: "\x81\x40", "\x81\x84", "\x81\x62"; under 1252 all "".
struct AnsiMarks {
  std::string ideographicSpace;
  std::string fullWidthGreater;
  std::string fullWidthBar;
};

// The cleaned Unicode selection, for UTF-8 engines. A surrogate pair counts
// as one character outside ASCII.
std::u16string CleanMailText(std::u16string_view text);

// The cleaned ANSI selection, for Shift-JIS and EUC-JP engines, with the same
// outcome as the Unicode form of the same text. Character-wise: a trail byte
// is never taken for '|' or '>'. A lead byte followed by a byte below 0x40,
// which no double-byte code page uses as a trail byte, stands alone, so that
// a line break or blank after it keeps its meaning; it is never joined to the
// next line with nothing, where that line's first byte would become its
// trail.
std::string CleanMailText(std::string_view ansi, IsLeadByteFn isLead, const AnsiMarks& marks);

// text without the blanks and line breaks (space, tab, CR, LF, U+3000) at
// either end; "" when it holds nothing else. The ANSI form reads characters
// as CleanMailText does.
std::u16string_view TrimMailBlanks(std::u16string_view text);
std::string_view TrimMailBlanks(std::string_view ansi, IsLeadByteFn isLead, const AnsiMarks& marks);

}  // namespace kf
