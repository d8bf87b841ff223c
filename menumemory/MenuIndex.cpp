#include "MenuIndex.h"

#include <cstdio>

#include "AsciiText.h"

namespace kf {

namespace {

const char kHeader[] = "Kestrelfind menu index 1";
const char kStore[] = "store\t";
const char kEnd[] = "end\t";

std::string Hex(unsigned long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%llX", value);
  return text;
}

// A hex number of 1 to 16 digits, the whole of field.
bool ParseHex(std::string_view field, unsigned long long& value) {
  if (field.empty() || field.size() > 16)
    return false;
  value = 0;
  for (const char c : field) {
    const int digit = HexDigitValue(static_cast<unsigned char>(c));
    if (digit < 0)
      return false;
    value = value << 4 | static_cast<unsigned>(digit);
  }
  return true;
}

bool ParseKey(std::string_view field, char& key) {
  if (field == "-") {
    key = 0;
    return true;
  }
  if (field.size() != 1)
    return false;
  const char c = field[0];
  key = c;
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

// written, size, pin, key and path, separated by tabs.
bool ParseEngineLine(std::string_view line, IndexedEngine& engine) {
  std::string_view fields[5];
  for (int i = 0; i < 4; ++i) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos)
      return false;
    fields[i] = line.substr(0, tab);
    line.remove_prefix(tab + 1);
  }
  fields[4] = line;
  if (fields[4].empty() || (fields[2] != "0" && fields[2] != "1"))
    return false;
  engine.favourite = fields[2] == "1";
  engine.relativePath = std::string(fields[4]);
  return ParseHex(fields[0], engine.written) && ParseHex(fields[1], engine.size) && ParseKey(fields[3], engine.accessKey);
}

}  // namespace

std::string FormatMenuIndex(const std::string& storeDir, const std::vector<IndexedEngine>& engines) {
  std::string text = std::string(kHeader) + "\r\n" + kStore + storeDir + "\r\n";
  text.reserve(text.size() + engines.size() * 64);
  for (const IndexedEngine& e : engines) {
    text += Hex(e.written) + '\t' + Hex(e.size) + '\t' + (e.favourite ? '1' : '0') + '\t';
    text += e.accessKey ? e.accessKey : '-';
    text += '\t' + e.relativePath + "\r\n";
  }
  return text + kEnd + Hex(engines.size()) + "\r\n";
}

bool ParseMenuIndex(const std::string& text, const std::string& storeDir, std::vector<IndexedEngine>& engines) {
  std::vector<IndexedEngine> parsed;
  std::size_t pos = 0;
  int lineNumber = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find("\r\n", pos);
    if (end == std::string::npos)
      return false;
    const std::string_view line(text.data() + pos, end - pos);
    pos = end + 2;
    ++lineNumber;
    if (lineNumber == 1) {
      if (line != kHeader)
        return false;
    } else if (lineNumber == 2) {
      if (line.substr(0, sizeof kStore - 1) != kStore || line.substr(sizeof kStore - 1) != storeDir)
        return false;
    } else if (line.substr(0, sizeof kEnd - 1) == kEnd) {
      unsigned long long count = 0;
      if (pos != text.size() || !ParseHex(line.substr(sizeof kEnd - 1), count) || count != parsed.size())
        return false;
      engines = std::move(parsed);
      return true;
    } else {
      IndexedEngine engine;
      if (!ParseEngineLine(line, engine))
        return false;
      parsed.push_back(std::move(engine));
    }
  }
  return false;
}

}  // namespace kf
