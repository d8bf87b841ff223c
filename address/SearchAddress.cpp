#include "SearchAddress.h"

#include "EucJp.h"
#include "UrlBuild.h"
#include "Utf8.h"

namespace kf {

namespace {

// What an engine searches for. Cleaning leaves nothing of a selection such
// as ">>"; rather than opening nothing and saying nothing, such a selection
// is searched as it was selected, trimmed. Only blanks stay nothing.
std::u16string WordOf(const std::u16string& selection, bool clean) {
  if (!clean)
    return selection;
  std::u16string word = CleanMailText(selection);
  return word.empty() ? std::u16string(TrimMailBlanks(selection)) : word;
}

std::string WordOf(const std::string& selection, bool clean, IsLeadByteFn isLead, const AnsiMarks& marks) {
  if (!clean)
    return selection;
  std::string word = CleanMailText(selection, isLead, marks);
  return word.empty() ? std::string(TrimMailBlanks(selection, isLead, marks)) : word;
}

}  // namespace

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
    const std::u16string word = WordOf(selection.unicode, engine.clean);
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
