// The pages that send post engines' forms: each written to a new file of its
// own in the user's temporary folder for the browser to open, and taken away
// when the plug-in is unloaded, or by a later start when it never was.
#pragma once

#include <windows.h>

#include <string>

namespace kf {

// How old a page left behind by an earlier session must be before a start
// removes it: a browser may still be reading a younger one.
constexpr ULONGLONG kOldPostPageAge = 24ULL * 60 * 60 * 10000000;  // a day in FILETIME units

// The user's temporary folder with a trailing backslash. Throws kf::Error.
std::string TemporaryFolder();

// Writes bytes to a new file named as IsPostPageName says in folder (which
// ends in a backslash), never over an existing one, and returns its path.
// RemoveSessionPostPages removes it. Throws kf::Error with the user's text.
std::string WritePostPage(const std::string& folder, const std::string& bytes);

// True for the names WritePostPage gives: "Kestrelfind-post-", eight hex
// digits, ".html".
bool IsPostPageName(const std::string& name);

// Removes every page this session wrote that is still there.
void RemoveSessionPostPages() noexcept;

// Removes the pages in folder last written longer than maxAge ago; nothing
// else, and no folder.
void RemoveOldPostPages(const std::string& folder, ULONGLONG maxAge = kOldPostPageAge) noexcept;

}  // namespace kf
