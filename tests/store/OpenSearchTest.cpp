// Engines to and from OpenSearch descriptions, on real files: sites'
// descriptions in both form dialects, hostile and unusable ones, the names
// the store gives, and the round trip from the starter engines.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "EngineStore.h"
#include "Error.h"
#include "Files.h"
#include "OpenSearch.h"
#include "Profile.h"
#include "Text.h"
#include "TextIds.h"
#include "UiText.h"

namespace {

bool IsCodePage932() { return GetACP() == 932; }

// An engine as its file holds it.
struct Engine {
  std::string url;
  std::string encode;
  std::string method;
  std::string post;
  bool operator==(const Engine& o) const {
    return url == o.url && encode == o.encode && method == o.method && post == o.post;
  }
};
std::ostream& operator<<(std::ostream& os, const Engine& e) {
  return os << "{url=" << e.url << " encode=" << e.encode << " method=" << e.method << " post=" << e.post << "}";
}

Engine ReadEngine(const std::string& path) {
  return {kf::ReadEngineValue(path, kf::kUrlKey, ""), kf::ReadEngineValue(path, kf::kEncodeKey, ""),
          kf::ReadEngineValue(path, kf::kMethodKey, ""), kf::ReadEngineValue(path, kf::kPostKey, "")};
}

// The description's start tag, in the format's namespace alone.
std::string RootTag() { return std::string("<OpenSearchDescription xmlns=\"") + kf::kOpenSearchNamespace + "\">"; }

// A description around body, in UTF-8 as sites publish them; Root without
// the XML declaration.
std::string Root(const std::string& shortName, const std::string& body) {
  return std::string("<OpenSearchDescription xmlns=\"") + kf::kOpenSearchNamespace + "\"\n" +
         "    xmlns:parameters=\"" + kf::kOpenSearchParametersNamespace + "\">\n"
         "  <ShortName>" +
         shortName + "</ShortName>\n" + body + "</OpenSearchDescription>\n";
}
std::string Description(const std::string& shortName, const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + Root(shortName, body);
}
const char kAnyUrl[] = "<Url type=\"text/html\" template=\"https://a.example/?q={searchTerms}\"/>\n";

std::string GetSite(const std::string& tmpl) {
  return Description("Site", "  <Url type=\"text/html\" template=\"" + tmpl + "\"/>\n");
}

class OpenSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = kft::MakeTempFolder("kf-os-engines");
    files = kft::MakeTempFolder("kf-os-files");
  }
  void TearDown() override {
    kft::RemoveTree(folder);
    kft::RemoveTree(files);
  }

  std::string Write(const std::string& bytes, const std::string& name = "site.xml") {
    const std::string path = files + name;
    EXPECT_TRUE(kft::WriteBytes(path, bytes));
    return path;
  }
  kf::ImportOutcome Import(const std::string& bytes) { return kf::ImportOpenSearchFile(Write(bytes), folder); }

  // The engine files the folder holds.
  std::vector<std::string> EnginesInFolder() {
    std::vector<std::string> names;
    for (const kf::StoreEntry& e : kf::ListStoreFolder(folder, true).engines)
      names.push_back(e.name);
    return names;
  }

  std::string folder;  // where imports go
  std::string files;   // descriptions
};

TEST_F(OpenSearch, ImportsSitesDescriptions) {
  const struct {
    const char* site;
    std::string description;
    Engine engine;
  } cases[] = {
      {"UTF-8 site, suggestions first, optional parameters left empty",
       Description(
           "Example Wiki",
           "  <InputEncoding>UTF-8</InputEncoding>\n"
           "  <Url type=\"application/x-suggestions+json\" template=\"https://wiki.example.org/s?q={searchTerms}\"/>\n"
           "  <Url type=\"text/html\" rel=\"results\" method=\"get\"\n"
           "       template=\"https://wiki.example.org/w/index.php?search={searchTerms}&amp;uselang={language}"
           "&amp;offset={startIndex?}&amp;ie={inputEncoding}&amp;t={time:start?}\"/>\n"),
       {"https://wiki.example.org/w/index.php?search=[WORD]&uselang=*&offset=&ie=UTF-8&t=", "utf8", "", ""}},
      {"Shift_JIS site, first supported encoding wins, paging from 0",
       Description("Kensaku",
                   "  <InputEncoding>ISO-2022-JP</InputEncoding>\n  <InputEncoding> windows-31j </InputEncoding>\n"
                   "  <InputEncoding>UTF-8</InputEncoding>\n"
                   "  <Url type=\"text/html\" pageOffset=\"0\" template=\"http://search.example.co.jp/find?kw="
                   "{searchTerms}&amp;cs={inputEncoding}&amp;n={count}&amp;p={startPage}&amp;o={outputEncoding}\"/>\n"),
       {"http://search.example.co.jp/find?kw=[WORD]&cs=Shift_JIS&n=20&p=0&o=UTF-8", "sjis", "", ""}},
      {"EUC-JP site, a text/html Url for suggestions skipped, literal Japanese encoded as UTF-8",
       Description(
           "Jisho",
           "  <InputEncoding>x-EUC-jp</InputEncoding>\n"
           "  <Url type=\"text/html\" rel=\"suggestions\" template=\"https://dic.example.jp/s?{searchTerms}\"/>\n"
           "  <Url type=\"TEXT/HTML\" rel=\"self results\" indexOffset=\"0\" "
           "template=\" https://dic.example.jp/\xE6\xA4\x9C\xE7\xB4\xA2?q={searchTerms}&#38;from={startIndex} \"/>\n"),
       {"https://dic.example.jp/%E6%A4%9C%E7%B4%A2?q=[WORD]&from=0", "euc", "", ""}},
      {"browsers' posted form",
       Description("Form Site",
                   "  <Url type=\"text/html\" method=\"POST\" template=\"https://www.example.com/search\">\n"
                   "    <Param name=\"q\" value=\"{searchTerms}\"/>\n    <Param name=\"lang\" value=\"ja\"/>\n"
                   "    <Param name=\"sort\" value=\"a b&amp;c=d\"/>\n  </Url>\n"),
       {"https://www.example.com/search", "utf8", "post", "q=[WORD]&lang=ja&sort=a%20b%26c%3Dd"}},
      {"posted form of the parameters extension",
       Description(
           "Finder",
           "  <InputEncoding>Shift_JIS</InputEncoding>\n"
           "  <Url type=\"text/html\" parameters:method=\"post\" template=\"https://find.example.net/results\">\n"
           "    <parameters:Parameter name=\"query\" value=\"{searchTerms}\"/>\n"
           "    <parameters:Parameter name=\"n\" value=\"{count}\" minimum=\"0\"/>\n"
           "    <parameters:Parameter name=\"from\" value=\"{time:start?}\" minimum=\"0\"/>\n  </Url>\n"),
       {"https://find.example.net/results", "sjis", "post", "query=[WORD]&n=20&from="}},
      {"GET Url whose parameters extend its query",
       Description("News",
                   "  <Url type=\"text/html\" template=\"https://news.example.com/find?src=kf\">\n"
                   "    <parameters:Parameter name=\"q\" value=\"{searchTerms}\"/>\n  </Url>\n"),
       {"https://news.example.com/find?src=kf&q=[WORD]", "utf8", "", ""}},
      {"characters no address holds, and a literal [WORD] that must not take the word",
       GetSite("https://x.example.com/a b?tag=[WORD]&amp;q=&quot;{searchTerms}&quot;"),
       {"https://x.example.com/a%20b?tag=%5BWORD]&q=%22[WORD]%22", "utf8", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.site);
    const kf::ImportOutcome outcome = Import(c.description);
    ASSERT_EQ("", outcome.refusal);
    EXPECT_EQ(ReadEngine(kft::Join(folder, outcome.engineName + ".ini")), c.engine);
    kft::RemoveTree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
  }
}

TEST_F(OpenSearch, RefusesHostileAndUnusableDescriptionsWritingNothing) {
  const std::string billionLaughs =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n <!ENTITY lol \"lol\">\n"
      " <!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
      " <!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">\n"
      " <!ENTITY lol4 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">\n]>\n" +
      Root("&lol4;", kAnyUrl);
  const std::string externalEntity =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE x [ <!ENTITY secret SYSTEM \"file:///C:/windows/win.ini\"> ]>\n" +
      Root("&secret;", kAnyUrl);
  const std::string huge =
      GetSite("https://a.example/?q={searchTerms}") + "<!--" + std::string(5 * 1024 * 1024, 'x') + "-->";
  const std::string longUrl = "https://a.example/?q={searchTerms}&amp;pad=" + std::string(kf::kMaxProfileValue, 'p');
  const std::size_t longUrlBytes = std::string("https://a.example/?q=[WORD]&pad=").size() + kf::kMaxProfileValue;
  const struct {
    const char* what;
    std::string bytes;
    UINT reason;
    std::vector<std::string> args;  // after the file's path, where the reason names it
  } cases[] = {
      {"a DTD with an external entity", externalEntity, IDS_OPENSEARCH_DTD, {}},
      {"entities expanding without end", billionLaughs, IDS_OPENSEARCH_DTD, {}},
      {"5 MB", huge, IDS_OPENSEARCH_TOO_LARGE, {}},
      {"broken XML",
       "<?xml version=\"1.0\"?>\n" + RootTag() + "\n<ShortName>a</Short>",
       IDS_OPENSEARCH_NOT_XML,
       {"3"}},
      {"no XML at all", "Google\thttps://www.google.com/search?q=%s", IDS_OPENSEARCH_NOT_XML, {"1"}},
      {"an empty file", "", IDS_OPENSEARCH_NOT_XML, {"0"}},
      {"a feed", "<rss version=\"2.0\"><channel/></rss>", IDS_OPENSEARCH_NOT_DESCRIPTION, {}},
      {"the root in no namespace",
       "<OpenSearchDescription><ShortName>a</ShortName></OpenSearchDescription>",
       IDS_OPENSEARCH_NOT_DESCRIPTION,
       {}},
      {"no ShortName",
       RootTag() + std::string(kAnyUrl) +
           "</OpenSearchDescription>",
       IDS_OPENSEARCH_NO_NAME,
       {}},
      {"a ShortName of dots", Description(" ... ", kAnyUrl), IDS_OPENSEARCH_NO_NAME, {}},
      {"only a feed's Url",
       Description("a", "<Url type=\"application/rss+xml\" template=\"https://a.example/{searchTerms}\"/>"),
       IDS_OPENSEARCH_NO_URL,
       {}},
      {"no place for the word", GetSite("https://a.example/popular"), IDS_OPENSEARCH_NO_SEARCH_TERMS, {}},
      {"a parameter nobody can fill",
       GetSite("https://a.example/?q={searchTerms}&amp;geo={geo:box}"),
       IDS_OPENSEARCH_UNKNOWN_PARAMETER,
       {"geo:box"}},
      {"only encodings the store lacks",
       Description("a",
                   "<InputEncoding>ISO-2022-JP</InputEncoding><InputEncoding>GB2312</InputEncoding>"
                   "<Url type=\"text/html\" template=\"https://a.example/{searchTerms}\"/>"),
       IDS_OPENSEARCH_UNSUPPORTED_ENCODING,
       {"ISO-2022-JP, GB2312"}},
      {"a script address",
       GetSite("javascript:alert({searchTerms})"),
       IDS_OPENSEARCH_NOT_WEB,
       {"javascript:alert([WORD])"}},
      {"a protocol handler", GetSite("ms-msdt:/id?{searchTerms}"), IDS_OPENSEARCH_NOT_WEB, {"ms-msdt:/id?[WORD]"}},
      {"no host", GetSite("https:///?q={searchTerms}"), IDS_OPENSEARCH_NOT_WEB, {"https:///?q=[WORD]"}},
      {"the word as host",
       GetSite("https://{searchTerms}.example.com/"),
       IDS_OPENSEARCH_WORD_IN_HOST,
       {"https://[WORD].example.com/"}},
      {"the word after the host",
       GetSite("https://example.com{searchTerms}"),
       IDS_OPENSEARCH_WORD_IN_HOST,
       {"https://example.com[WORD]"}},
      {"the word as user",
       GetSite("http://{searchTerms}@example.com/"),
       IDS_OPENSEARCH_WORD_IN_HOST,
       {"http://[WORD]@example.com/"}},
      {"a control character", GetSite("https://a.example/?q={searchTerms}&#127;x"), IDS_URL_CONTROL_CHARACTER, {}},
      {"longer than an engine file holds",
       GetSite(longUrl),
       IDS_URL_TOO_LONG,
       {std::to_string(longUrlBytes), std::to_string(kf::kMaxProfileValue)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = Write(c.bytes);
    const kf::ImportOutcome outcome = kf::ImportOpenSearchFile(path, folder);
    std::vector<std::string> args = c.args;
    // The store's own URL texts speak of the URL, not of the file.
    if (c.reason < IDS_URL_TOO_LONG || c.reason > IDS_TEMPLATE_PATH_SCHEME)
      args.insert(args.begin(), path);
    EXPECT_EQ(kf::UiText(c.reason, args), outcome.refusal);
    EXPECT_EQ("", outcome.engineName);
    EXPECT_TRUE(EnginesInFolder().empty());
  }
  const kf::ImportOutcome missing = kf::ImportOpenSearchFile(files + "missing.xml", folder);
  EXPECT_EQ(0u, missing.refusal.find(kf::UiText(IDS_OPENSEARCH_READ_FAILED, {files + "missing.xml", ""})))
      << missing.refusal;
}

TEST_F(OpenSearch, NamesEnginesByTheFileNameRule) {
  const bool cp932 = IsCodePage932();
  const struct {
    std::string shortName;  // as the description writes it
    std::string name;       // UTF-8
  } cases[] = {
      {"  Example: Search?  ", "Example_ Search_"},
      {"a/b\\c*d|e&lt;f&gt;&quot;g", "a_b_c_d_e_f__g"},
      {"Tab&#9;Name ..", "Tab Name"},
      {"CON", "_CON"},
      {"nul.txt", "_nul.txt"},
      {"\xE6\xA4\x9C\xE7\xB4\xA2 Search", cp932 ? "\xE6\xA4\x9C\xE7\xB4\xA2 Search" : "__ Search"},
      {"Caf\xC3\xA9", cp932 ? "Caf_" : "Caf\xC3\xA9"},
      {"\xF0\x9F\x98\x80 Smile", "_ Smile"},
      {std::string(100, 'x'), std::string(kf::kMaxImportedNameBytes, 'x')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shortName);
    const kf::ImportOutcome outcome = Import(Description(c.shortName, kAnyUrl));
    ASSERT_EQ("", outcome.refusal);
    EXPECT_EQ(kft::Utf8ToAnsi(c.name), outcome.engineName);
    EXPECT_TRUE(kft::FileExists(kft::Join(folder, outcome.engineName + ".ini")));
  }
}

TEST_F(OpenSearch, NumbersANameTheFolderHasInAnyCase) {
  kf::EngineFields mine;
  mine.url = "https://mine.example/[WORD]";
  ASSERT_TRUE(kf::CreateEngine(folder, "example search", mine));
  const std::string site = Description("Example Search", kAnyUrl);
  EXPECT_EQ("Example Search (2)", Import(site).engineName);
  EXPECT_EQ("Example Search (3)", Import(site).engineName);
  EXPECT_EQ(mine.url, kf::ReadEngineValue(kft::Join(folder, "example search.ini"), kf::kUrlKey, ""))
      << "the engine already there stays as it was";
}

// Every engine file below dir.
void CollectEngines(const std::string& dir, std::vector<std::string>& paths) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(kft::Join(dir, "*").c_str(), &data);
  ASSERT_NE(INVALID_HANDLE_VALUE, find) << dir;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..")
      continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectEngines(kft::Join(dir, name), paths);
    else if (kf::ExtractEngineName(name) != "")
      paths.push_back(kft::Join(dir, name));
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

TEST_F(OpenSearch, ExportThenImportGivesBackTheEngine) {
  std::vector<std::string> engines;
  CollectEngines(KF_STARTER_ENGINES, engines);
  ASSERT_GE(engines.size(), 10u);
  const struct {
    const char* name;
    const char* url;
    const char* encode;
    const char* postBody;  // null for a GET engine
  } own[] = {
      {"Form search", "https://www.example.com/search", "sjis", "q=[WORD]&lang=ja&empty=&flag"},
      {"EUC form", "http://dic.example.jp/cgi/find.cgi?mode=1", "euc", "kw=[WORD]&enc=euc-jp"},
      {"Tom & Jerry's", "https://a.example/?a=1&b={x}&q=[WORD]", "utf8", nullptr},
  };
  for (const auto& e : own) {
    kf::EngineFields fields;
    fields.url = e.url;
    fields.encode = e.encode;
    fields.post = e.postBody != nullptr;
    fields.postBody = e.postBody ? e.postBody : "";
    ASSERT_TRUE(kf::CreateEngine(files, e.name, fields));
    engines.push_back(files + e.name + ".ini");
  }
  for (const std::string& engine : engines) {
    SCOPED_TRACE(engine);
    const std::string name = kf::ExtractEngineName(engine.substr(engine.rfind('\\') + 1));
    const std::string description = files + kf::ExportFileNameFor(name);
    Engine expected = ReadEngine(engine);
    if (expected.url.empty()) {
      EXPECT_THROW(kf::ExportOpenSearchFile(engine, description), kf::Error) << "nothing to search with";
      continue;
    }
    kf::ExportOpenSearchFile(engine, description);
    // Each into a folder of its own: names cut to the same 16 characters would be numbered.
    const std::string into = kft::Join(folder, std::to_string(&engine - &engines[0]));
    ASSERT_TRUE(CreateDirectoryA(into.c_str(), nullptr));
    const kf::ImportOutcome outcome = kf::ImportOpenSearchFile(description, into);
    ASSERT_EQ("", outcome.refusal);
    EXPECT_EQ(kft::WideToAnsi(kft::AnsiToWide(name).substr(0, 16)), outcome.engineName);
    if (name == "Tom & Jerry's")
      expected.url = "https://a.example/?a=1&b=%7Bx%7D&q=[WORD]";  // the brace, encoded once, means the same
    if (name == "Form search")
      expected.post = "q=[WORD]&lang=ja&empty=&flag=";
    EXPECT_EQ(expected, ReadEngine(kft::Join(into, outcome.engineName + ".ini")));
  }
}

TEST_F(OpenSearch, ExportsAnEscapedUtf8DescriptionWithTheLongNameWhole) {
  const std::string utf8Name =
      std::string(IsCodePage932() ? "\xE6\xA4\x9C\xE7\xB4\xA2" : "Caf\xC3\xA9") + " & Jerry's search engine";
  const std::string name = kft::Utf8ToAnsi(utf8Name);
  kf::EngineFields fields;
  fields.url = "https://a.example/?q=[WORD]&x=\"1\"";
  fields.encode = "sjis";
  ASSERT_TRUE(kf::CreateEngine(files, name, fields));
  const std::string description = files + kf::ExportFileNameFor(name);
  ASSERT_TRUE(kft::WriteBytes(description, "an older description, replaced"));
  kf::ExportOpenSearchFile(files + name + ".ini", description);

  const auto escaped = [](const std::string& text) {
    std::string out;
    for (const char c : text)
      out += c == '&' ? "&amp;" : c == '\'' ? "&apos;" : std::string(1, c);
    return out;
  };
  const std::string shortName = kft::WideToUtf8(kft::Utf8ToWide(utf8Name).substr(0, 16));
  const std::string xml = kft::ReadBytes(description);
  EXPECT_EQ(0u, xml.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + RootTag()));
  EXPECT_NE(std::string::npos, xml.find("<ShortName>" + escaped(shortName) + "</ShortName>")) << xml;
  EXPECT_NE(std::string::npos, xml.find("<LongName>" + escaped(utf8Name) + "</LongName>")) << xml;
  EXPECT_NE(std::string::npos, xml.find("<InputEncoding>Shift_JIS</InputEncoding>"));
  EXPECT_NE(std::string::npos, xml.find("template=\"https://a.example/?q={searchTerms}&amp;x=&quot;1&quot;\""));
  EXPECT_FALSE(kft::FileExists(description + ".kf-tmp"));
  EXPECT_EQ(kft::Utf8ToAnsi(shortName), kf::ImportOpenSearchFile(description, folder).engineName);
}

TEST_F(OpenSearch, ExportSaysWhyItWroteNothing) {
  kf::EngineFields fields;
  fields.url = "";
  ASSERT_TRUE(kf::CreateEngine(files, "Open as address", fields));
  fields.url = "https://a.example/[WORD]";
  ASSERT_TRUE(kf::CreateEngine(files, "Good", fields));
  const struct {
    std::string engine;
    std::string description;
    std::string reason;  // the start of the failure's text
  } cases[] = {
      {files + "Open as address.ini", files + "a.xml", kf::UiText(IDS_OPENSEARCH_EXPORT_NO_URL, {"Open as address"})},
      {files + "Gone.ini", files + "b.xml", kf::UiText(IDS_ENGINE_FILE_GONE, {files + "Gone.ini"})},
      {files + "Good.ini", files + "no folder\\c.xml", kf::UiText(IDS_WRITE_FAILED, {files + "no folder\\c.xml", ""})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.engine);
    try {
      kf::ExportOpenSearchFile(c.engine, c.description);
      ADD_FAILURE() << "exported";
    } catch (const kf::Error& e) {
      EXPECT_EQ(0u, std::string(e.what()).find(c.reason)) << e.what();
    }
    EXPECT_FALSE(kft::FileExists(c.description));
  }
}

}  // namespace
