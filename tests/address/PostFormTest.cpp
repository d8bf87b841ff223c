// The form a post engine sends, and the page that sends it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Bytes.h"
#include "FormPage.h"
#include "SearchAddress.h"
#include "ShiftJisText.h"

namespace {

using kf::AddressRefusal;
using kf::Encoding;
using kftest::Bytes;

// Code page 932 to UTF-16 for the few characters of the Shift-JIS test table.
std::u16string FromShiftJis(const std::string& ansi) {
  static const std::u16string kKnown = u"検索エンジン引用表ポー";
  std::u16string out;
  for (std::size_t i = 0; i < ansi.size();) {
    if (static_cast<unsigned char>(ansi[i]) < 0x80) {
      out += static_cast<char16_t>(ansi[i++]);
      continue;
    }
    char16_t found = u'?';
    for (const char16_t c : kKnown) {
      if (ansi.compare(i, 2, kft::ToShiftJis(std::u16string(1, c))) == 0)
        found = c;
    }
    out += found;
    i += 2;
  }
  return out;
}

kf::PostForm Build(const std::u16string& selection, const std::string& action, const std::u16string& post,
                   Encoding encoding, bool clean = true) {
  return kf::BuildPostForm({kft::ToShiftJis(selection), selection},
                           {action, encoding, clean, true, kft::ToShiftJis(post)}, kf::IsShiftJisLeadByte,
                           kft::kMarks932, FromShiftJis);
}

using Fields = std::vector<std::pair<std::string, std::string>>;

Fields FieldsOf(const kf::PostForm& form) {
  Fields fields;
  for (const kf::FormField& f : form.fields)
    fields.emplace_back(f.name, f.value);
  return fields;
}

TEST(PostForm, TheWordAndTheTemplateAreInTheEnginesEncodingNotPercentEncoded) {
  const struct {
    Encoding encoding;
    const char* charset;
    std::string word;    // 検索
    std::string engine;  // エンジン
  } cases[] = {
      {Encoding::ShiftJis, "Shift_JIS", Bytes("8C 9F 8D F5"), Bytes("83 47 83 93 83 57 83 93")},
      {Encoding::EucJp, "EUC-JP", Bytes("B8 A1 BA F7"), Bytes("A5 A8 A5 F3 A5 B8 A5 F3")},
      {Encoding::Utf8, "UTF-8", Bytes("E6 A4 9C E7 B4 A2"), Bytes("E3 82 A8 E3 83 B3 E3 82 B8 E3 83 B3")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.charset);
    // Quoted and wrapped in the mail: cleaned as for a GET search.
    const kf::PostForm form = Build(u"> 検索\r\n", "https://example.com/find", u"q=[WORD]&hl=エンジン", c.encoding);
    EXPECT_EQ(AddressRefusal::None, form.refusal);
    EXPECT_EQ("https://example.com/find", form.action);
    EXPECT_EQ(c.charset, form.charset);
    EXPECT_EQ(Fields({{"q", c.word}, {"hl", c.engine}}), FieldsOf(form));
  }
}

TEST(PostForm, PairsSplitOnTheTemplatesOwnAmpersandsOnly) {
  const struct {
    const char* what;
    std::u16string word;
    std::u16string post;
    Fields fields;
  } cases[] = {
      {"word with & and =", u"a&b=c d", u"q=[WORD]&x=1", {{"q", "a&b=c d"}, {"x", "1"}}},
      {"pair without =", u"w", u"flag&q=[WORD]", {{"flag", ""}, {"q", "w"}}},
      {"empty pairs", u"w", u"&&q=[WORD]&&", {{"q", "w"}}},
      {"word in name and twice", u"w", u"[WORD]=1&q=[WORD]+[WORD]", {{"w", "1"}, {"q", "w+w"}}},
      {"second = is the value's", u"w", u"q=a=[WORD]", {{"q", "a=w"}}},
      {"placeholder in the word stays", u"[WORD]", u"q=[WORD]", {{"q", "[WORD]"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const kf::PostForm form = Build(c.word, "http://example.com/", c.post, Encoding::ShiftJis);
    EXPECT_EQ(AddressRefusal::None, form.refusal);
    EXPECT_EQ(c.fields, FieldsOf(form));
  }
}

TEST(PostForm, RefusesActionsThatAreNoWebAddressAndFormsWithoutTheWord) {
  const struct {
    const char* action;
    std::u16string post;
    std::u16string word;
    AddressRefusal refusal;
  } cases[] = {
      {"HTTPS://example.com/", u"q=[WORD]", u"w", AddressRefusal::None},
      {"kftest://example.com/", u"q=[WORD]", u"w", AddressRefusal::PostActionNotWeb},
      {"", u"q=[WORD]", u"w", AddressRefusal::PostActionNotWeb},
      {"example.com/", u"q=[WORD]", u"w", AddressRefusal::PostActionNotWeb},
      {"file:///C:/[WORD]", u"q=[WORD]", u"w", AddressRefusal::PathSchemeWithWord},
      {"https://example.com/?q=[WORD]", u"q=[WORD]", u"w", AddressRefusal::PostActionWithWord},
      {"https://example.com/", u"q=fixed", u"w", AddressRefusal::PostWithoutWord},
      {"https://example.com/", u"", u"w", AddressRefusal::PostWithoutWord},
      {"https://example.com/", u"q=[WORD]", u" \r\n ", AddressRefusal::Empty},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    const kf::PostForm form = Build(c.word, c.action, c.post, Encoding::Utf8);
    EXPECT_EQ(static_cast<int>(c.refusal), static_cast<int>(form.refusal));
    EXPECT_EQ(c.action, form.action) << "the word never goes into the action";
    if (c.refusal != AddressRefusal::None) {
      EXPECT_TRUE(form.fields.empty());
    }
  }
}

TEST(FormPage, EscapesEveryFieldAndSubmitsTheFormOnLoad) {
  kf::PostForm form;
  form.action = "https://example.com/s?a=1&b=\"2\"";
  form.charset = "EUC-JP";
  form.fields = {{"q", std::string("\"><script>alert('x')</script>&amp;\x01") + '\0' + "z"},
                 {"</script>", Bytes("B8 A1")}};
  const std::string page = kf::FormPageHtml(form, {u"T", u"検索 <b>", u"Go"});
  const char* expected[] = {
      "<meta charset=\"EUC-JP\">",
      "<form action=\"https://example.com/s?a=1&amp;b=&quot;2&quot;\" method=\"post\" accept-charset=\"EUC-JP\">",
      "<input type=\"hidden\" name=\"q\" "
      "value=\"&quot;&gt;&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;amp;&#1;&#xFFFD;z\">",
      "<input type=\"hidden\" name=\"&lt;/script&gt;\" value=\"\xB8\xA1\">",
      "<p>&#26908;&#32034; &lt;b&gt;</p>",
      "<input type=\"submit\" value=\"Go\">",
      "<script>HTMLFormElement.prototype.submit.call(document.forms[0]);</script>",
  };
  for (const char* part : expected)
    EXPECT_NE(std::string::npos, page.find(part)) << part << "\nnot in\n" << page;
  EXPECT_EQ(std::string::npos, page.find("alert('"));
  EXPECT_EQ(std::string::npos, page.find('\0'));
  EXPECT_EQ(std::string::npos, page.find('\x01'));
}

}  // namespace
