// The settings dialog: one modeless window for the life of the library.
#pragma once

#include <string>

namespace kf {

// Window class of the dialog: how tests and tools find it, whatever its
// caption's language.
constexpr char kSettingFormClass[] = "KestrelfindSettingForm";

// Creates the dialog on the first call (with the plug-in INI path and the
// engine store's root) and shows it, modeless, in front, on every call.
void ShowSettingForm(const std::string& iniPath, const std::string& engineDir);

// Destroys the dialog and its keyboard hook and unregisters its window
// classes, when the host is ending: windows and hooks must not outlive the
// code that serves them. The dialog keeps the library loaded until then.
void ReleaseSettingForm() noexcept;

}  // namespace kf
