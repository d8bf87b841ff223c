// The settings dialog: one modeless window for the life of the library.
#pragma once

#include <string>

namespace kf {

// Creates the dialog on the first call (with the plug-in INI path and the
// engine store's root) and shows it, modeless, in front, on every call.
void ShowSettingForm(const std::string& iniPath, const std::string& engineDir);

}  // namespace kf
