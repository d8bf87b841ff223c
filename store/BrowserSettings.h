// Where an engine's searches open, as its file and the settings for every
// engine say together.
#pragma once

#include <string>
#include <string_view>

#include "BrowserCommand.h"

namespace kf {

// The values of an engine file's "private" and "browser" over the settings
// for every engine in the plug-in's INI file. Environment variables in a
// browser's path (%LOCALAPPDATA%) are expanded.
BrowserChoice ReadBrowserChoice(std::string_view enginePrivate, const std::string& engineBrowser,
                                const std::string& pluginIniPath);

}  // namespace kf
