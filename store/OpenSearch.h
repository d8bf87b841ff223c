// Engines to and from OpenSearch description documents, the XML files sites
// publish so that browsers can add them as search engines. The settings
// dialog imports a
// description into a folder of the store and exports an engine to one.
#pragma once

#include <cstddef>
#include <string>

namespace kf {

// The XML namespaces of a description and of its parameters extension, the
// names the format fixes: a reader compares them byte for byte.
inline constexpr char kOpenSearchNamespace[] = "http://a9.com/-/spec/opensearch/1.1/";
inline constexpr char kOpenSearchParametersNamespace[] = "http://a9.com/-/spec/opensearch/extensions/parameters/1.0/";

// Largest description read; a site's description is a few kilobytes.
constexpr std::size_t kMaxDescriptionBytes = 1024 * 1024;

struct ImportOutcome {
  std::string file;        // the description, as given
  std::string engineName;  // the engine created, when refusal is ""
  std::string refusal;     // why nothing was imported, for the user; "" when imported
};

// Reads the description and creates one engine in folderDir, named after its
// ShortName: characters a file name cannot hold become "_" (control
// characters blanks), dots and blanks at the end go, a device name gets a
// "_" in front, at most kMaxImportedNameBytes bytes are kept; a name the
// folder already has (in any letter case) gets " (2)", " (3)" and so on. The
// search address is its first Url of type text/html for results.
//
// Nothing is written when the description is refused: too large, not XML,
// with a DTD (never read: entities could fetch files or expand without end),
// not an OpenSearch description, no ShortName, no usable Url, only input
// encodings the store has none of, a parameter that cannot be filled, or an
// address the store or the search would refuse. Failures of the folder
// itself (the write) are refusals too, with the system's reason.
ImportOutcome ImportOpenSearchFile(const std::string& descriptionPath, const std::string& folderDir);

// Longest engine name an import gives, in ANSI bytes, before any " (2)".
constexpr std::size_t kMaxImportedNameBytes = 64;

// Writes the engine as a UTF-8 description to descriptionPath, replacing
// what is there (through a temporary file beside it, so a failed write
// leaves the old file). Throws kf::Error with the reason when the engine
// file is missing or has no URL, or the system's reason when the write fails.
void ExportOpenSearchFile(const std::string& enginePath, const std::string& descriptionPath);

// The description's file name the export proposes for an engine:
// "Google" -> "Google.xml".
std::string ExportFileNameFor(const std::string& engineName);

}  // namespace kf
