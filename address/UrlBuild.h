// Building the query URL of an engine from its template and the search word.
// The template is scanned character-wise: in Shift-JIS the trail byte of a
// character such as 0x81 0x5B may equal '[', and that byte never starts a
// placeholder.
#pragma once

#include <cstddef>
#include <string>

#include "Dbcs.h"

namespace kf {

// Where the word goes in a URL template (upper case, with the brackets).
extern const char kWordPlaceholder[];

// Used when an engine file has no "url": the word is appended as the value of
// the last key, as_q. The btnG value is the search button's label (Shift-JIS
// for "search", percent-encoded).
extern const char kDefaultSearchUrl[];

bool ContainsWordPlaceholder(const std::string& tmpl, IsLeadByteFn isLead);

// Length of the scheme name s begins with ("https" of "https://x"), or 0: a
// letter, then letters, digits, "+", "-" or ".", then ":". One letter before
// the colon is a drive ("C:\..."), which the shell opens as a path, so a
// scheme has two characters at least.
std::size_t SchemeLength(const std::string& s);

// True when tmpl's scheme is "file" or "shell" in any letter case. Such a
// template names a file or a shell folder, and whatever follows its fixed
// part picks what the shell starts.
bool HasPathScheme(const std::string& tmpl);

// True when tmpl is "scheme://" and an authority with nothing after it (no
// "/", "?" or "#"): text appended to it would become part of the host.
bool EndsInsideAuthority(const std::string& tmpl, IsLeadByteFn isLead);

// Every "[WORD]" of tmpl, left to right, replaced by word. The inserted word
// is never searched again, so a word holding "[WORD]" stays as it is.
std::string ReplaceWord(const std::string& tmpl, const std::string& word, IsLeadByteFn isLead);

// The address to hand to the shell. An empty template gives the word as it
// is. Otherwise the word is URL-encoded and put in place of every "[WORD]";
// a template without one gets it appended, after a "/" when the template
// ends inside its authority, so that the word never extends the host. A
// file: or shell: template without "[WORD]" is the address as written: the
// word is never appended to a path. The word must already be in the engine's
// encoding.
std::string BuildSearchUrl(const std::string& tmpl, const std::string& wordInEngineEncoding, IsLeadByteFn isLead);

// BuildSearchUrl for a word in UTF-8. With an empty template the word is the
// address, its non-ASCII bytes percent-encoded (EscapeNonAscii) and nothing
// else touched, so that it reaches the browser as the text selected.
std::string BuildUtf8SearchUrl(const std::string& tmpl, const std::string& utf8Word, IsLeadByteFn isLead);

}  // namespace kf
