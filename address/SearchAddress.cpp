#include "SearchAddress.h"

#include "EucJp.h"
#include "UrlBuild.h"
#include "Utf8.h"

namespace kf {

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
    const std::u16string word = engine.clean ? CleanMailText(selection.unicode) : selection.unicode;
    if (word.empty())
      return {std::string(), AddressRefusal::Empty};
    result.address = BuildUtf8SearchUrl(tmpl, Utf16ToUtf8(word), isLead);
  } else {
    const std::string word = engine.clean ? CleanMailText(selection.ansi, isLead, marks) : selection.ansi;
    if (word.empty())
      return {std::string(), AddressRefusal::Empty};
    result.address = BuildSearchUrl(tmpl, engine.encoding == Encoding::EucJp ? SjisToEuc(word) : word, isLead);
  }
  result.refusal = CheckAddress(tmpl, result.address, isLead);
  return result;
}

}  // namespace kf
