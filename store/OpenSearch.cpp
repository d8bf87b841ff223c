#include "OpenSearch.h"

#include <windows.h>

#include <objbase.h>
#include <xmllite.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "AsciiText.h"
#include "EngineStore.h"
#include "Error.h"
#include "FileSystem.h"
#include "Handles.h"
#include "OpenPolicy.h"
#include "Path.h"
#include "Profile.h"
#include "SearchAddress.h"
#include "TextIds.h"
#include "UiText.h"
#include "Utf8.h"
#include "WideText.h"

namespace kf {
namespace {

// An ASCII namespace name as the reader reports names.
std::wstring Widened(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

bool IsNamespace(std::wstring_view ns, const char* name) { return ns == Widened(name); }
constexpr char kWordMark[] = "[WORD]";

// XmlLite's WC_E_DTDPROHIBITED, which not every SDK's header names.
constexpr HRESULT kDtdProhibited = static_cast<HRESULT>(0xC00CEE4FUL);

// How deep the reader follows elements: a description is three levels deep,
// and a deeper document is no description but could exhaust the stack.
constexpr LONG_PTR kMaxElementDepth = 32;

// Results asked for where a template requires {count}: a page's worth, as
// the sites' own search forms show.
constexpr char kDefaultCount[] = "20";

// Engines a name may number up to, "Name (999)", before the import gives up.
constexpr int kMaxNameNumber = 999;

// A reference to a COM object, released when it goes.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_)
      p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T** Receive() { return &p_; }
  void** ReceiveVoid() { return reinterpret_cast<void**>(&p_); }

 private:
  T* p_ = nullptr;
};

// Why an import stops: the text the user reads.
struct Refusal {
  std::string reason;
};

[[noreturn]] void Refuse(UINT textId, std::vector<std::string> args) { throw Refusal{UiText(textId, args)}; }

// Text from the description for a message: one readable line of the ANSI
// code page, not too long.
std::string Shown(const std::wstring& text) { return AbbreviateForMessage(WideToAnsi(text), 200, IsAnsiLeadByte); }
std::string Shown(const std::string& ascii) { return AbbreviateForMessage(ascii, 200, IsAnsiLeadByte); }

std::wstring Trimmed(const std::wstring& text) {
  const wchar_t* blanks = L" \t\r\n";
  const std::size_t first = text.find_first_not_of(blanks);
  if (first == std::wstring::npos)
    return std::wstring();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// ---- Reading the description ----

struct FormPair {
  std::wstring name;
  std::wstring value;
};

struct UrlElement {
  std::wstring type;
  std::wstring rel;
  std::wstring method;
  std::wstring tmpl;
  std::wstring indexOffset;
  std::wstring pageOffset;
  bool parametersPost = false;   // parameters:method="post"
  std::vector<FormPair> params;  // the browsers' <Param>, and parameters:Parameter
};

struct Description {
  std::wstring shortName;
  std::vector<std::wstring> inputEncodings;
  std::vector<UrlElement> urls;
};

std::string ReadDescriptionBytes(const std::string& path) {
  FileHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    Refuse(IDS_OPENSEARCH_READ_FAILED, {path, SystemMessage(GetLastError())});
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size))
    Refuse(IDS_OPENSEARCH_READ_FAILED, {path, SystemMessage(GetLastError())});
  if (size.QuadPart > static_cast<LONGLONG>(kMaxDescriptionBytes))
    Refuse(IDS_OPENSEARCH_TOO_LARGE, {path});
  // One byte more than the limit tells a file that grew since.
  std::string bytes(kMaxDescriptionBytes + 1, '\0');
  DWORD read = 0;
  if (!ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
    Refuse(IDS_OPENSEARCH_READ_FAILED, {path, SystemMessage(GetLastError())});
  if (read > kMaxDescriptionBytes)
    Refuse(IDS_OPENSEARCH_TOO_LARGE, {path});
  bytes.resize(read);
  return bytes;
}

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// MinGW has no import library for XmlLite, and every Windows since Vista has
// the DLL; taken from the system folder by full path, never from the host's
// current directory.
CreateXmlReaderFn LoadXmlReader(Library& library, const std::string& file) {
  char system[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryA(system, ARRAYSIZE(system));
  if (n == 0 || n >= ARRAYSIZE(system))
    Refuse(IDS_OPENSEARCH_NO_XML_READER, {file, SystemMessage(GetLastError())});
  library.Attach(LoadLibraryA(JoinPath(system, "xmllite.dll").c_str()));
  if (!library)
    Refuse(IDS_OPENSEARCH_NO_XML_READER, {file, SystemMessage(GetLastError())});
  const auto create = reinterpret_cast<CreateXmlReaderFn>(GetProcAddress(library.Get(), "CreateXmlReader"));
  if (!create)
    Refuse(IDS_OPENSEARCH_NO_XML_READER, {file, SystemMessage(GetLastError())});
  return create;
}

// The reader's view of one node: local name, namespace and value.
struct NodeText {
  std::wstring_view local;
  std::wstring_view ns;
  std::wstring_view value;
};

bool ReadNode(IXmlReader* reader, NodeText& node) {
  const WCHAR* text = nullptr;
  UINT length = 0;
  if (FAILED(reader->GetLocalName(&text, &length)))
    return false;
  node.local = std::wstring_view(text, length);
  if (FAILED(reader->GetNamespaceUri(&text, &length)))
    return false;
  node.ns = std::wstring_view(text, length);
  if (FAILED(reader->GetValue(&text, &length)))
    return false;
  node.value = std::wstring_view(text, length);
  return true;
}

// Calls take(node) for each attribute of the element the reader is on, and
// leaves the reader on the element again.
template <typename Take>
bool ForEachAttribute(IXmlReader* reader, Take take) {
  HRESULT hr = reader->MoveToFirstAttribute();
  while (hr == S_OK) {
    NodeText node;
    if (!ReadNode(reader, node))
      return false;
    take(node);
    hr = reader->MoveToNextAttribute();
  }
  return SUCCEEDED(hr) && SUCCEEDED(reader->MoveToElement());
}

UrlElement ReadUrl(IXmlReader* reader, bool& ok) {
  UrlElement url;
  ok = ForEachAttribute(reader, [&url](const NodeText& a) {
    if (a.ns.empty()) {
      if (a.local == L"type")
        url.type = a.value;
      else if (a.local == L"rel")
        url.rel = a.value;
      else if (a.local == L"method")
        url.method = a.value;
      else if (a.local == L"template")
        url.tmpl = a.value;
      else if (a.local == L"indexOffset")
        url.indexOffset = a.value;
      else if (a.local == L"pageOffset")
        url.pageOffset = a.value;
    } else if (IsNamespace(a.ns, kOpenSearchParametersNamespace) && a.local == L"method") {
      url.parametersPost = EqualsIgnoringAsciiCase(std::wstring(a.value), "post");
    }
  });
  return url;
}

FormPair ReadPair(IXmlReader* reader, bool& ok) {
  FormPair pair;
  ok = ForEachAttribute(reader, [&pair](const NodeText& a) {
    if (a.ns.empty() && a.local == L"name")
      pair.name = a.value;
    else if (a.ns.empty() && a.local == L"value")
      pair.value = a.value;
  });
  return pair;
}

enum class Open { Other, ShortName, InputEncoding, Url };

Description ParseDescription(const std::string& bytes, const std::string& file) {
  Library library;
  const CreateXmlReaderFn create = LoadXmlReader(library, file);

  ComRef<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive())))
    throw std::bad_alloc();
  ULONG written = 0;
  if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) || written != bytes.size())
    throw std::bad_alloc();
  const LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);

  ComRef<IXmlReader> reader;
  HRESULT hr = create(__uuidof(IXmlReader), reader.ReceiveVoid(), nullptr);
  if (FAILED(hr))
    Refuse(IDS_OPENSEARCH_NO_XML_READER, {file, SystemMessage(static_cast<DWORD>(hr))});
  // A DTD is refused, not skipped: its entities could read local files or
  // network addresses, or expand without end ("billion laughs"). No resolver
  // either, so nothing outside the file is ever fetched.
  reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  reader->SetProperty(XmlReaderProperty_XmlResolver, 0);
  reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxElementDepth);
  if (FAILED(reader->SetInput(stream.Get())))
    throw std::bad_alloc();

  Description description;
  std::vector<Open> open;  // the elements the reader is in, outermost first
  bool sawRoot = false;
  const auto malformed = [&]() {
    UINT line = 0;
    reader->GetLineNumber(&line);
    Refuse(IDS_OPENSEARCH_NOT_XML, {file, std::to_string(line)});
  };
  XmlNodeType type = XmlNodeType_None;
  while ((hr = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_DocumentType)
      Refuse(IDS_OPENSEARCH_DTD, {file});
    if (type == XmlNodeType_EndElement) {
      open.pop_back();
      continue;
    }
    NodeText node;
    if (!ReadNode(reader.Get(), node))
      malformed();
    if (type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace) {
      // Only the element's own text: a name is never built from markup nested in it.
      if (open.size() == 2 && open.back() == Open::ShortName)
        description.shortName += node.value;
      else if (open.size() == 2 && open.back() == Open::InputEncoding)
        description.inputEncodings.back() += node.value;
      continue;
    }
    if (type != XmlNodeType_Element)
      continue;
    // Asked on the element itself: the attributes move the reader.
    const bool empty = reader->IsEmptyElement() != FALSE;
    Open kind = Open::Other;
    bool ok = true;
    if (open.empty()) {
      if (!IsNamespace(node.ns, kOpenSearchNamespace) || node.local != L"OpenSearchDescription")
        Refuse(IDS_OPENSEARCH_NOT_DESCRIPTION, {file});
      sawRoot = true;
    } else if (open.size() == 1 && IsNamespace(node.ns, kOpenSearchNamespace)) {
      if (node.local == L"ShortName") {
        kind = Open::ShortName;
        description.shortName.clear();
      } else if (node.local == L"InputEncoding") {
        kind = Open::InputEncoding;
        description.inputEncodings.emplace_back();
      } else if (node.local == L"Url") {
        kind = Open::Url;
        description.urls.push_back(ReadUrl(reader.Get(), ok));
      }
    } else if (open.size() == 2 && open.back() == Open::Url) {
      const bool param = node.local == L"Param" && (IsNamespace(node.ns, kOpenSearchNamespace) || node.ns.empty());
      const bool parameter = node.local == L"Parameter" && IsNamespace(node.ns, kOpenSearchParametersNamespace);
      if (param || parameter)
        description.urls.back().params.push_back(ReadPair(reader.Get(), ok));
    }
    if (!ok)
      malformed();
    if (!empty)
      open.push_back(kind);
  }
  if (hr == kDtdProhibited)
    Refuse(IDS_OPENSEARCH_DTD, {file});
  if (FAILED(hr))
    malformed();
  // A document needs a root element to be XML at all.
  if (!sawRoot)
    malformed();
  return description;
}

// ---- From the description to an engine ----

struct Charset {
  const char* encodeValue;  // the engine file's "encode"
  const char* name;         // what {inputEncoding} becomes
};
constexpr Charset kUtf8 = {"utf8", "UTF-8"};
constexpr Charset kShiftJis = {"sjis", "Shift_JIS"};
constexpr Charset kEucJp = {"euc", "EUC-JP"};

const Charset* CharsetNamed(const std::wstring& name) {
  static const struct {
    const char* name;
    const Charset* charset;
  } kNames[] = {
      {"UTF-8", &kUtf8},      {"Shift_JIS", &kShiftJis}, {"shift-jis", &kShiftJis}, {"windows-31j", &kShiftJis},
      {"x-sjis", &kShiftJis}, {"cp932", &kShiftJis},     {"EUC-JP", &kEucJp},       {"x-euc-jp", &kEucJp},
  };
  for (const auto& entry : kNames) {
    if (EqualsIgnoringAsciiCase(name, entry.name))
      return entry.charset;
  }
  return nullptr;
}

// The first input encoding the store has; UTF-8 when the description names
// none, as the format says.
const Charset& ChooseCharset(const Description& description, const std::string& file) {
  std::string unsupported;
  for (const std::wstring& value : description.inputEncodings) {
    const std::wstring name = Trimmed(value);
    if (const Charset* charset = CharsetNamed(name))
      return *charset;
    unsupported += (unsupported.empty() ? "" : ", ") + Shown(name);
  }
  if (!unsupported.empty())
    Refuse(IDS_OPENSEARCH_UNSUPPORTED_ENCODING, {file, unsupported});
  return kUtf8;
}

bool HasToken(const std::wstring& list, std::string_view token) {
  std::size_t pos = 0;
  while (pos < list.size()) {
    const std::size_t end = std::min(list.find(L' ', pos), list.size());
    if (EqualsIgnoringAsciiCase(std::wstring_view(list).substr(pos, end - pos), token))
      return true;
    pos = end + 1;
  }
  return false;
}

// The search for web pages: type text/html, for results (the default rel);
// suggestions, feeds and the rest are for other readers.
const UrlElement* ChooseUrl(const Description& description) {
  for (const UrlElement& url : description.urls) {
    const std::wstring rel = Trimmed(url.rel);
    if (EqualsIgnoringAsciiCase(Trimmed(url.type), "text/html") && (rel.empty() || HasToken(rel, "results")))
      return &url;
  }
  return nullptr;
}

bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }

bool IsUnreserved(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' ||
         c == L'_' || c == L'~';
}

void AppendPercent(std::string& out, unsigned byte) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[(byte >> 4) & 0xF];
  out += kHex[byte & 0xF];
}

// The code point at text[i], moving i past it; a lone surrogate is U+FFFD.
char32_t NextCodePoint(const std::wstring& text, std::size_t& i) {
  const char32_t c = text[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
    return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  if (c >= 0xD800 && c <= 0xDFFF)
    return 0xFFFD;
  return c;
}

void AppendUtf8Percent(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    AppendPercent(out, cp);
  } else if (cp < 0x800) {
    AppendPercent(out, 0xC0 | (cp >> 6));
    AppendPercent(out, 0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    AppendPercent(out, 0xE0 | (cp >> 12));
    AppendPercent(out, 0x80 | ((cp >> 6) & 0x3F));
    AppendPercent(out, 0x80 | (cp & 0x3F));
  } else {
    AppendPercent(out, 0xF0 | (cp >> 18));
    AppendPercent(out, 0x80 | ((cp >> 12) & 0x3F));
    AppendPercent(out, 0x80 | ((cp >> 6) & 0x3F));
    AppendPercent(out, 0x80 | (cp & 0x3F));
  }
}

// Characters RFC 3986 allows nowhere in an address; a quote would also end
// the address on the browser's command line.
bool IsNeverInAddress(wchar_t c) { return c != 0 && std::wcschr(L" \"<>\\^`{|}", c) != nullptr; }

// A literal "[WORD]" of the site's text would take the word.
bool StartsWord(const std::wstring& text, std::size_t i) { return text.compare(i, 6, L"[WORD]") == 0; }

std::string DigitsOr1(const std::wstring& value) {
  const std::wstring digits = Trimmed(value);
  if (digits.empty() || digits.size() > 9 || digits.find_first_not_of(L"0123456789") != std::wstring::npos)
    return "1";
  return std::string(digits.begin(), digits.end());
}

// Fills a description's templates ("{searchTerms}" and the rest) for the
// engine file.
class TemplateFiller {
 public:
  TemplateFiller(const std::string& file, const Charset& charset, const UrlElement& url)
      : file_(file),
        charset_(charset),
        indexOffset_(DigitsOr1(url.indexOffset)),
        pageOffset_(DigitsOr1(url.pageOffset)) {}

  // In an address, characters outside ASCII are percent-encoded as UTF-8:
  // the engine file then reads the same under every ANSI code page, and
  // UTF-8 is what browsers send for the literal text of an address whatever
  // the page's encoding (only the word takes the engine's). Characters no
  // address may hold are encoded too; a literal "[WORD]" is made harmless.
  std::string Address(const std::wstring& text) { return Fill(text, false); }

  // A form's name or value: everything but the unreserved characters and an
  // existing "%XX" is encoded, so that "&", "=" and "+" of the text never
  // split or change the body's pairs.
  std::string FormPart(const std::wstring& text) { return Fill(text, true); }

  bool TookWord() const { return tookWord_; }

 private:
  std::string Fill(const std::wstring& text, bool form) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
      const wchar_t c = text[i];
      const std::size_t close = c == L'{' ? text.find_first_of(L"{}", i + 1) : std::wstring::npos;
      if (close != std::wstring::npos && text[close] == L'}') {
        out += Parameter(text.substr(i + 1, close - i - 1));
        i = close + 1;
        continue;
      }
      const bool escape = i + 2 < text.size() && c == L'%' && IsHexDigit(text[i + 1]) && IsHexDigit(text[i + 2]);
      const bool kept = form ? IsUnreserved(c) || escape : c < 0x80 && !IsNeverInAddress(c) && !StartsWord(text, i);
      if (kept) {
        // In an address, control characters stay for the store's URL rule to refuse.
        out += static_cast<char>(c);
        ++i;
      } else {
        AppendUtf8Percent(out, NextCodePoint(text, i));
      }
    }
    return out;
  }

  std::string Parameter(const std::wstring& name) {
    // An optional parameter is left out: the site does without it.
    if (!name.empty() && name.back() == L'?')
      return std::string();
    if (name == L"searchTerms") {
      tookWord_ = true;
      return kWordMark;
    }
    if (name == L"inputEncoding")
      return charset_.name;
    if (name == L"outputEncoding")
      return "UTF-8";
    if (name == L"language")
      return "*";
    if (name == L"count")
      return kDefaultCount;
    if (name == L"startIndex")
      return indexOffset_;
    if (name == L"startPage")
      return pageOffset_;
    Refuse(IDS_OPENSEARCH_UNKNOWN_PARAMETER, {file_, Shown(name)});
  }

  const std::string& file_;
  const Charset& charset_;
  std::string indexOffset_;
  std::string pageOffset_;
  bool tookWord_ = false;
};

// The address rules an engine's template meets before it is stored: the
// store's, the search's, and that the word stays out of the host, whose
// change would send it (and the address) to another site. Only web
// addresses come from a description: it is a file from anywhere, and any
// other scheme may start a program.
void CheckImportedAddress(const std::string& url, const std::string& file) {
  switch (CheckEngineUrl(url)) {
    case UrlProblem::TooLong:
      Refuse(IDS_URL_TOO_LONG, {std::to_string(url.size()), std::to_string(kMaxProfileValue)});
    case UrlProblem::ControlCharacter:
      Refuse(IDS_URL_CONTROL_CHARACTER, {});
    case UrlProblem::None:
      break;
  }
  if (CheckTemplate(url, IsAnsiLeadByte) == AddressRefusal::PathSchemeWithWord)
    Refuse(IDS_TEMPLATE_PATH_SCHEME, {url.substr(0, url.find(':'))});
  const std::size_t schemeEnd = url.find("://");
  const std::string scheme = url.substr(0, schemeEnd);
  const std::size_t hostStart = schemeEnd + 3;
  if (schemeEnd == std::string::npos ||
      !(EqualsIgnoringAsciiCase(scheme, "http") || EqualsIgnoringAsciiCase(scheme, "https")) ||
      hostStart >= url.size() || url.find_first_of("/?#", hostStart) == hostStart)
    Refuse(IDS_OPENSEARCH_NOT_WEB, {file, Shown(url)});
  const std::size_t hostEnd = std::min(url.find_first_of("/?#", hostStart), url.size());
  if (url.find(kWordMark) < hostEnd)
    Refuse(IDS_OPENSEARCH_WORD_IN_HOST, {file, Shown(url)});
}

std::string JoinPairs(TemplateFiller& filler, const std::vector<FormPair>& pairs) {
  std::string body;
  for (const FormPair& pair : pairs) {
    if (!body.empty())
      body += '&';
    body += filler.FormPart(pair.name) + '=' + filler.FormPart(pair.value);
  }
  return body;
}

EngineFields EngineFrom(const Description& description, const std::string& file) {
  const Charset& charset = ChooseCharset(description, file);
  const UrlElement* url = ChooseUrl(description);
  if (!url || Trimmed(url->tmpl).empty())
    Refuse(IDS_OPENSEARCH_NO_URL, {file});
  TemplateFiller filler(file, charset, *url);
  EngineFields fields;
  fields.encode = charset.encodeValue;
  fields.url = filler.Address(Trimmed(url->tmpl));
  fields.post = url->parametersPost || EqualsIgnoringAsciiCase(Trimmed(url->method), "post");
  const std::string pairs = JoinPairs(filler, url->params);
  if (fields.post) {
    fields.postBody = pairs;
  } else if (!pairs.empty()) {
    const std::size_t query = fields.url.find('?');
    if (query == std::string::npos)
      fields.url += '?';
    else if (fields.url.back() != '?' && fields.url.back() != '&')
      fields.url += '&';
    fields.url += pairs;
  }
  if (!filler.TookWord())
    Refuse(IDS_OPENSEARCH_NO_SEARCH_TERMS, {file});
  CheckImportedAddress(fields.url, file);
  if (fields.post && CheckEngineUrl(fields.postBody) == UrlProblem::TooLong)
    Refuse(IDS_URL_TOO_LONG, {std::to_string(fields.postBody.size()), std::to_string(kMaxProfileValue)});
  return fields;
}

// ShortName as the name of a file of the store (see ImportOpenSearchFile).
std::string EngineNameFrom(const std::wstring& shortName) {
  std::string name;
  const std::wstring text = Trimmed(shortName);
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    const char32_t cp = NextCodePoint(text, i);
    if (cp < 0x20 || cp == 0x7F) {
      name += ' ';
    } else if (cp < 0x80 && std::strchr("\\/:*?\"<>|", static_cast<char>(cp))) {
      name += '_';
    } else {
      char bytes[8] = {};
      BOOL lost = FALSE;
      const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data() + start, static_cast<int>(i - start),
                                        bytes, sizeof(bytes), nullptr, &lost);
      if (n <= 0 || lost)
        name += '_';
      else
        name.append(bytes, static_cast<std::size_t>(n));
    }
  }
  name = TruncateText(name, kMaxImportedNameBytes, IsAnsiLeadByte);
  while (!name.empty() && (EndsWithChar(name, '.', IsAnsiLeadByte) || EndsWithChar(name, ' ', IsAnsiLeadByte)))
    name.pop_back();
  while (!name.empty() && name.front() == ' ')
    name.erase(0, 1);
  if (CheckEntryName(name) == NameProblem::Reserved)
    name.insert(0, "_");
  return name;
}

std::string CreateNumberedEngine(const std::string& folderDir, const std::string& name, const EngineFields& fields,
                                 const std::string& file) {
  for (int n = 1; n <= kMaxNameNumber; ++n) {
    const std::string candidate = n == 1 ? name : name + " (" + std::to_string(n) + ")";
    if (CreateEngine(folderDir, candidate, fields))
      return candidate;
  }
  Refuse(IDS_OPENSEARCH_NO_FREE_NAME, {file, name, std::to_string(kMaxNameNumber)});
}

// ---- From an engine to a description ----

// The format's limit on ShortName, in characters.
constexpr std::size_t kMaxShortName = 16;

// At most max characters of text, never half a surrogate pair.
std::wstring CutCharacters(const std::wstring& text, std::size_t max) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < max && i < text.size(); ++n)
    NextCodePoint(text, i);
  return text.substr(0, i);
}

// An engine's text in a template: "[WORD]" becomes {searchTerms}, and a
// literal brace is encoded so that no reader takes it for a parameter.
std::wstring TemplateText(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (StartsWord(text, i)) {
      out += L"{searchTerms}";
      i += 5;
    } else if (text[i] == L'{') {
      out += L"%7B";
    } else if (text[i] == L'}') {
      out += L"%7D";
    } else {
      out += text[i];
    }
  }
  return out;
}

// text as XML character data or attribute value. XML 1.0 cannot hold other
// control characters at all, not even as references.
std::wstring XmlEscaped(const std::wstring& text) {
  std::wstring out;
  for (const wchar_t c : text) {
    switch (c) {
      case L'&':
        out += L"&amp;";
        break;
      case L'<':
        out += L"&lt;";
        break;
      case L'>':
        out += L"&gt;";
        break;
      case L'"':
        out += L"&quot;";
        break;
      case L'\'':
        out += L"&apos;";
        break;
      case L'\t':
        out += L"&#x9;";
        break;
      case L'\n':
        out += L"&#xA;";
        break;
      case L'\r':
        out += L"&#xD;";
        break;
      default:
        out += c < 0x20 ? L'\xFFFD' : c;
        break;
    }
  }
  return out;
}

std::wstring DescriptionOf(const std::string& enginePath) {
  const std::wstring name = AnsiToWide(ExtractEngineName(ExtractFileName(enginePath)));
  const std::string url = ReadEngineValue(enginePath, kUrlKey, std::string());
  if (url.empty())
    throw Error(UiText(IDS_OPENSEARCH_EXPORT_NO_URL, {WideToAnsi(name)}));
  const Encoding encoding = EncodingOfValue(ReadEngineValue(enginePath, kEncodeKey, std::string()));
  const bool post = EqualsIgnoringAsciiCase(ReadEngineValue(enginePath, kMethodKey, std::string()), kPostMethod);

  std::wstring xml = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  xml += L"<OpenSearchDescription xmlns=\"" + Widened(kOpenSearchNamespace) + L"\">\n";
  const std::wstring shortName = CutCharacters(name, kMaxShortName);
  xml += L"  <ShortName>" + XmlEscaped(shortName) + L"</ShortName>\n";
  if (shortName != name)
    xml += L"  <LongName>" + XmlEscaped(name) + L"</LongName>\n";
  xml += L"  <Description>Search " + XmlEscaped(name) + L"</Description>\n";
  xml += L"  <InputEncoding>" + AnsiToWide(CharsetName(encoding)) + L"</InputEncoding>\n";
  const std::wstring tmpl = XmlEscaped(TemplateText(AnsiToWide(url)));
  if (!post) {
    xml += L"  <Url type=\"text/html\" template=\"" + tmpl + L"\"/>\n";
  } else {
    xml += L"  <Url type=\"text/html\" method=\"post\" template=\"" + tmpl + L"\">\n";
    const std::wstring body = AnsiToWide(ReadEngineValue(enginePath, kPostKey, std::string()));
    std::size_t pos = 0;
    while (pos <= body.size()) {
      const std::size_t end = std::min(body.find(L'&', pos), body.size());
      const std::wstring pair = body.substr(pos, end - pos);
      pos = end + 1;
      if (pair.empty())
        continue;
      const std::size_t equals = pair.find(L'=');
      const std::wstring paramName = pair.substr(0, equals);
      const std::wstring value = equals == std::wstring::npos ? std::wstring() : pair.substr(equals + 1);
      xml += L"    <Param name=\"" + XmlEscaped(TemplateText(paramName)) + L"\" value=\"" +
             XmlEscaped(TemplateText(value)) + L"\"/>\n";
    }
    xml += L"  </Url>\n";
  }
  xml += L"</OpenSearchDescription>\n";
  return xml;
}

[[noreturn]] void WriteFailed(const std::string& path, DWORD code) {
  throw Error(UiText(IDS_WRITE_FAILED, {path, SystemMessage(code)}));
}

// The whole file goes to a temporary name beside it first: a failed write
// never leaves half a description where a whole one was.
void WriteWholeFile(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".kf-tmp";
  {
    FileHandle file(
        CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
      WriteFailed(path, GetLastError());
    const DWORD error = WriteAllBytes(file.Get(), bytes);
    if (error != ERROR_SUCCESS) {
      file.Close();
      DeleteFileA(temporary.c_str());
      WriteFailed(path, error);
    }
  }
  if (!MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(temporary.c_str());
    WriteFailed(path, error);
  }
}

}  // namespace

ImportOutcome ImportOpenSearchFile(const std::string& descriptionPath, const std::string& folderDir) {
  ImportOutcome outcome;
  outcome.file = descriptionPath;
  try {
    const Description description = ParseDescription(ReadDescriptionBytes(descriptionPath), descriptionPath);
    const std::string name = EngineNameFrom(description.shortName);
    if (name.empty())
      Refuse(IDS_OPENSEARCH_NO_NAME, {descriptionPath});
    // Everything is checked before the one write: a refused description
    // leaves no file behind.
    const EngineFields fields = EngineFrom(description, descriptionPath);
    outcome.engineName = CreateNumberedEngine(folderDir, name, fields, descriptionPath);
  } catch (const Refusal& refusal) {
    outcome.refusal = refusal.reason;
  } catch (const Error& e) {
    outcome.refusal = e.what();
  } catch (const std::bad_alloc&) {
    outcome.refusal = UiText(IDS_OUT_OF_MEMORY);
  } catch (const std::exception&) {
    outcome.refusal = UiText(IDS_UNEXPECTED_FAILURE);
  }
  return outcome;
}

void ExportOpenSearchFile(const std::string& enginePath, const std::string& descriptionPath) {
  const DWORD attr = GetFileAttributesA(enginePath.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY))
    throw Error(UiText(IDS_ENGINE_FILE_GONE, {enginePath}));
  const std::wstring description = DescriptionOf(enginePath);
  WriteWholeFile(descriptionPath, Utf16ToUtf8(std::u16string(description.begin(), description.end())));
}

std::string ExportFileNameFor(const std::string& engineName) { return engineName + ".xml"; }

}  // namespace kf
