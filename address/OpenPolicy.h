// Which addresses the search command may hand to the shell's "open".
//
// The shell opens far more than web pages: programs ("calc.exe"), files, UNC
// paths ("\\server\share\x") and any registered protocol handler
// ("ms-msdt:..."). The word comes from a received mail, so it must never be
// the part that chooses what is opened. That is safe only when the engine's
// own template fixes the scheme in front of the word, and that scheme is not
// one of a path, or when the address is a plain web address.
#pragma once

#include <cstddef>
#include <string>

#include "Dbcs.h"

namespace kf {

// Longest address taken from the selection alone (an engine with an empty
// template) that is still handed to the shell.
constexpr std::size_t kMaxBareAddressBytes = 2048;

// Longest address handed to the shell at all: Windows passes the address to
// a URL handler on a command line, which holds at most 32,767 characters. A
// byte of the ANSI code page is never less than a character there, so
// counting bytes errs on the safe side.
constexpr std::size_t kMaxAddressBytes = 32767;

// Why an address is not opened. CheckTemplate and CheckAddress give the
// policy's reasons; BuildSearchAddress (SearchAddress.h) adds Empty,
// BuildPostForm the Post ones.
enum class AddressRefusal {
  None,                // address is to be opened
  Empty,               // nothing to search (nothing selected, or only blanks to clean): silent, no message
  NotWebAddress,       // neither the template's own scheme nor a plain web address
  BareAddressHost,     // empty template: a '\' or '@' before the first '/' after the host
  BareAddressPercent,  // empty template: a '%' not followed by two hex digits
  PathSchemeWithWord,  // template with scheme file: or shell: that takes the word
  TooLong,             // longer than kMaxAddressBytes: no system's shell takes it
  TooLongForShell,     // longer than this system's shell takes (found by the step that opens it)
  PostActionNotWeb,    // a post engine whose url is no http or https address
  PostActionWithWord,  // a post engine whose url takes the word: it belongs in the form
  PostWithoutWord,     // a post engine whose form (post=) has no [WORD]
};

// Whether address begins with "http://" or "https://", in any case: the
// only addresses a word from a mail may open by itself, and the only actions
// a form is posted to.
bool IsWebAddress(const std::string& address);

// PathSchemeWithWord for a file: or shell: template (any letter case) with a
// "[WORD]": the word would pick the file or program started. None for any
// other template; a file: template without "[WORD]" always opens the same
// file. The settings dialog refuses to save what this refuses.
AddressRefusal CheckTemplate(const std::string& tmpl, IsLeadByteFn isLead);

// Whether address, built from tmpl, may be opened, and if not, why:
// - CheckTemplate's refusal comes first, whatever the address;
// - an address longer than kMaxAddressBytes is TooLong;
// - an address holding a 0x00 byte is never opened: the shell would see only
//   the part before it;
// - it is opened when tmpl's text before its first "[WORD]" (all of it when
//   there is none) begins with a scheme of two characters or more
//   ("https:", "mailto:", "kftest:"; a drive letter such as "C:" is no
//   scheme) and address begins with that text;
// - otherwise only an address beginning with "http://" or "https://" in any
//   case is opened. When tmpl is empty the address is the selection itself
//   and must also be at most kMaxBareAddressBytes long, with no blanks,
//   quotes or control characters (NotWebAddress), no '\' or '@' before the
//   first '/' after the "//", where they would change the host a browser
//   reads (BareAddressHost), and every '%' followed by two hex digits, for a
//   broken escape is decoded differently by each reader (BareAddressPercent).
AddressRefusal CheckAddress(const std::string& tmpl, const std::string& address, IsLeadByteFn isLead);

// text as one readable line for a message box: control characters become
// blanks or "?", a lead byte without its trail byte "?", and a text longer
// than maxBytes is cut at a character boundary with "..." appended (so the
// result is at most maxBytes + 3 bytes).
std::string AbbreviateForMessage(const std::string& text, std::size_t maxBytes, IsLeadByteFn isLead);

}  // namespace kf
