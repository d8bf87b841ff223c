// From the selection in a mail and an engine's definition to the address the
// shell is asked to open: one pure function, so that the plug-in's command
// only reads the clipboard and the engine file before it and shows a message
// or opens the address after it.
#pragma once

#include <string>
#include <vector>

#include "BrowserCommand.h"
#include "Dbcs.h"
#include "MailText.h"
#include "OpenPolicy.h"

namespace kf {

enum class Encoding { ShiftJis, EucJp, Utf8 };

// Which encoding a value of "encode" means: exactly "euc" -> EucJp, exactly
// "utf8" -> Utf8, anything else (missing, "sjis", "Sjis", "EUC", "UTF-8") ->
// ShiftJis. The one rule for both the search and the settings dialog.
Encoding EncodingOfValue(const std::string& encodeValue);

struct EngineDefinition {
  std::string urlTemplate;  // as read; "" opens the selection itself
  Encoding encoding = Encoding::ShiftJis;
  bool clean = true;  // false: the engine's file says clean=0
  // method=post: urlTemplate is the action of a form whose body is
  // postTemplate ("name=value" pairs joined by "&", [WORD] for the word).
  bool post = false;
  std::string postTemplate;
  // Where its searches open; the default browser unless its file or the
  // settings for all engines say otherwise.
  BrowserChoice browser{};
};

struct SelectionText {
  std::string ansi;        // the selection in the process's ANSI code page
  std::u16string unicode;  // the same selection as UTF-16
};

struct SearchAddress {
  // What to open. Also set when refused, for the message: the address as
  // built, or for PathSchemeWithWord the template, which is refused whatever
  // the word.
  std::string address;
  AddressRefusal refusal = AddressRefusal::None;
};

// UTF-8 engines take the Unicode selection, Shift-JIS and EUC-JP engines the
// ANSI one; it is cleaned (CleanMailText) unless the engine says clean=0,
// converted to the engine's encoding, built into the template (BuildSearchUrl,
// BuildUtf8SearchUrl) and checked (CheckAddress). Cleaning never throws a
// selection away: when it leaves nothing of one that holds more than blanks
// (">>"), the selection is searched as selected, trimmed (TrimMailBlanks). A
// selection of nothing or only blanks is Empty. A template CheckTemplate
// refuses is refused before anything else, even for an empty selection.
// isLead and marks describe the ANSI code page of selection.ansi and of the
// template.
SearchAddress BuildSearchAddress(const SelectionText& selection, const EngineDefinition& engine, IsLeadByteFn isLead,
                                 const AnsiMarks& marks);

// The word an engine searches for in a Unicode selection, before it is
// encoded: the selection cleaned (CleanMailText), or where cleaning leaves
// nothing of one that holds more than blanks, trimmed (TrimMailBlanks); as
// it is when clean is false.
std::u16string SearchedWord(const std::u16string& selection, bool clean);

// Text of the ANSI code page as UTF-16, for the text of a post template that
// a UTF-8 engine sends.
using AnsiToUtf16Fn = std::u16string (*)(const std::string&);

struct FormField {
  std::string name;  // in the engine's encoding, not percent-encoded
  std::string value;
};

struct PostForm {
  // The form's action; also set when refused, for the message.
  std::string action;
  std::string charset;  // "Shift_JIS", "EUC-JP" or "UTF-8"
  std::vector<FormField> fields;
  AddressRefusal refusal = AddressRefusal::None;
};

// The charset name browsers know the encoding by.
const char* CharsetName(Encoding encoding);

// The form a post engine sends for selection. The word is the one
// BuildSearchAddress would search for, in the engine's encoding; every
// "[WORD]" of a field's name or value becomes it. The template is split on
// "&" into pairs before that, so a word holding "&" or "=" stays in its
// field; a pair without "=" is a name with an empty value, an empty pair is
// passed over. The template's own text is converted from the ANSI code page
// (ansiToUtf16 for UTF-8 engines). The action must be an http or https
// address that passes CheckAddress, and take no word: the word goes only
// into the form, never into the address the browser requests.
PostForm BuildPostForm(const SelectionText& selection, const EngineDefinition& engine, IsLeadByteFn isLead,
                       const AnsiMarks& marks, AnsiToUtf16Fn ansiToUtf16);

}  // namespace kf
