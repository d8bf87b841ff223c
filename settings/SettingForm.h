// The settings dialog: one modeless window for the life of the library.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

namespace kf {

struct EngineDefinition;

// Searches with an engine as the dialog's fields define it, before it is
// saved: the plug-in's own search, handed in so that the dialog need not
// know how a search is made. owner is the dialog, for its error boxes.
using EngineTester = std::function<void(HWND owner, const EngineDefinition& engine)>;

// Window class of the dialog: how tests and tools find it, whatever its
// caption's language.
constexpr char kSettingFormClass[] = "KestrelfindSettingForm";

// Creates the dialog on the first call (with the plug-in INI path and the
// engine store's root) and shows it, modeless, in front, on every call.
void ShowSettingForm(const std::string& iniPath, const std::string& engineDir, EngineTester tester = nullptr);

// Destroys the dialog and its keyboard hook and unregisters its window
// classes, when the host is ending: windows and hooks must not outlive the
// code that serves them. The dialog keeps the library loaded until then.
void ReleaseSettingForm() noexcept;

}  // namespace kf
