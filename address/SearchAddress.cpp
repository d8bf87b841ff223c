#include "SearchAddress.h"

#include "AsciiText.h"
#include "EucJp.h"
#include "UrlBuild.h"
#include "Utf8.h"

namespace kf {

namespace {

// What an engine searches for. Cleaning leaves nothing of a selection such
// as ">>"; rather than opening nothing and saying nothing, such a selection
// is searched as it was selected, trimmed. Only blanks stay nothing.
std::string WordOf(const std::string& selection, bool clean, IsLeadByteFn isLead, const AnsiMarks& marks) {
  if (!clean)
    return selection;
  std::string word = CleanMailText(selection, isLead, marks);
  return word.empty() ? std::string(TrimMailBlanks(selection, isLead, marks)) : word;
}

// ANSI text of the engine's own (a template's) in the engine's encoding.
std::string FromAnsi(const std::string& text, Encoding encoding, AnsiToUtf16Fn ansiToUtf16) {
  switch (encoding) {
    case Encoding::ShiftJis:
      return text;
    case Encoding::EucJp:
      return SjisToEuc(text);
    case Encoding::Utf8:
      return Utf16ToUtf8(ansiToUtf16(text));
  }
  return text;
}

// The part of a post template in the engine's encoding, with the word (in
// that encoding already) for every "[WORD]". The ANSI text is split at the
// placeholders before it is converted, so the word is never scanned again.
std::string FillFormText(const std::string& ansi, const std::string& word, Encoding encoding, IsLeadByteFn isLead,
                         AnsiToUtf16Fn ansiToUtf16) {
  const std::string placeholder(kWordPlaceholder);
  std::string result;
  std::size_t rest = 0;
  for (std::size_t p = FindText(ansi, placeholder, rest, isLead); p != std::string::npos;
       p = FindText(ansi, placeholder, rest, isLead)) {
    result += FromAnsi(ansi.substr(rest, p - rest), encoding, ansiToUtf16);
    result += word;
    rest = p + placeholder.size();
  }
  return result + FromAnsi(ansi.substr(rest), encoding, ansiToUtf16);
}

// Why a post engine's action is not used, or None.
AddressRefusal CheckAction(const std::string& action, IsLeadByteFn isLead) {
  const AddressRefusal templateRefusal = CheckTemplate(action, isLead);
  if (templateRefusal != AddressRefusal::None)
    return templateRefusal;
  if (!IsWebAddress(action))
    return AddressRefusal::PostActionNotWeb;
  if (ContainsWordPlaceholder(action, isLead))
    return AddressRefusal::PostActionWithWord;
  return CheckAddress(action, action, isLead);
}

}  // namespace

std::u16string SearchedWord(const std::u16string& selection, bool clean) {
  if (!clean)
    return selection;
  std::u16string word = CleanMailText(selection);
  return word.empty() ? std::u16string(TrimMailBlanks(selection)) : word;
}

const char* CharsetName(Encoding encoding) {
  switch (encoding) {
    case Encoding::ShiftJis:
      return "Shift_JIS";
    case Encoding::EucJp:
      return "EUC-JP";
    case Encoding::Utf8:
      return "UTF-8";
  }
  return "Shift_JIS";
}

PostForm BuildPostForm(const SelectionText& selection, const EngineDefinition& engine, IsLeadByteFn isLead,
                       const AnsiMarks& marks, AnsiToUtf16Fn ansiToUtf16) {
  PostForm form;
  form.action = engine.urlTemplate;
  form.charset = CharsetName(engine.encoding);
  form.refusal = CheckAction(form.action, isLead);
  if (form.refusal != AddressRefusal::None)
    return form;
  if (!ContainsWordPlaceholder(engine.postTemplate, isLead)) {
    form.refusal = AddressRefusal::PostWithoutWord;
    return form;
  }

  std::string word;
  if (engine.encoding == Encoding::Utf8) {
    word = Utf16ToUtf8(SearchedWord(selection.unicode, engine.clean));
  } else {
    word = WordOf(selection.ansi, engine.clean, isLead, marks);
    if (engine.encoding == Encoding::EucJp)
      word = SjisToEuc(word);
  }
  if (word.empty()) {
    form.refusal = AddressRefusal::Empty;
    return form;
  }

  const std::string& body = engine.postTemplate;
  std::size_t start = 0;
  while (start <= body.size()) {
    const std::size_t amp = FindText(body, "&", start, isLead);
    const std::size_t end = amp == std::string::npos ? body.size() : amp;
    const std::string pair = body.substr(start, end - start);
    if (!pair.empty()) {
      const std::size_t eq = FindChar(pair, '=', isLead);
      const std::string name = eq == std::string::npos ? pair : pair.substr(0, eq);
      const std::string value = eq == std::string::npos ? std::string() : pair.substr(eq + 1);
      form.fields.push_back({FillFormText(name, word, engine.encoding, isLead, ansiToUtf16),
                             FillFormText(value, word, engine.encoding, isLead, ansiToUtf16)});
    }
    start = end + 1;
  }
  return form;
}

Encoding EncodingOfValue(const std::string& encodeValue) {
  if (encodeValue == "euc")
    return Encoding::EucJp;
  if (encodeValue == "utf8")
    return Encoding::Utf8;
  return Encoding::ShiftJis;
}

SearchAddress BuildSearchAddress(const SelectionText& selection, const EngineDefinition& engine, IsLeadByteFn isLead,
                                 const AnsiMarks& marks) {
  const std::string& tmpl = engine.urlTemplate;
  const AddressRefusal templateRefusal = CheckTemplate(tmpl, isLead);
  if (templateRefusal != AddressRefusal::None)
    return {tmpl, templateRefusal};

  SearchAddress result;
  if (engine.encoding == Encoding::Utf8) {
    const std::u16string word = SearchedWord(selection.unicode, engine.clean);
    if (word.empty())
      return {std::string(), AddressRefusal::Empty};
    result.address = BuildUtf8SearchUrl(tmpl, Utf16ToUtf8(word), isLead);
  } else {
    const std::string word = WordOf(selection.ansi, engine.clean, isLead, marks);
    if (word.empty())
      return {std::string(), AddressRefusal::Empty};
    result.address = BuildSearchUrl(tmpl, engine.encoding == Encoding::EucJp ? SjisToEuc(word) : word, isLead);
  }
  result.refusal = CheckAddress(tmpl, result.address, isLead);
  return result;
}

}  // namespace kf
