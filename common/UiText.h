// The texts the user sees, from the library's string tables in the language
// chosen at start-up (TextIds.h names them; one resource file per language).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kf {

enum class UiLanguage { English, Japanese };

// The language the texts are shown in: Japanese or English as setting
// (the value of "Language": "ja" or "en", any letter case) says, else
// Japanese when the user's interface language is Japanese. Japanese only
// under the Japanese ANSI code page (932): the plug-in's windows are ANSI
// windows, which cannot show Japanese under any other.
UiLanguage ChooseUiLanguage(const std::string& setting, UINT ansiCodePage, LANGID userUiLanguage);

// The language of every text shown from now on. English until set.
void SetUiLanguage(UiLanguage language);
UiLanguage CurrentUiLanguage();
// The language of the library's resources in language.
LANGID LanguageId(UiLanguage language);

// The text of id in the current language (in English where the current
// language lacks it), in the process's ANSI code page; "" when no language
// has it.
std::string UiText(UINT id);
// The same with %1 ... %9 replaced by args, in order; "%%" is a "%".
std::string UiText(UINT id, const std::vector<std::string>& args);

// The text of id as UTF-16, exactly as the string table holds it: for
// captions, which show it whatever the ANSI code page.
std::wstring UiTextWide(UINT id);

// Replaces %1 ... %9 of pattern by args; "%%" is a "%". Pure.
std::string FillPlaceholders(const std::string& pattern, const std::vector<std::string>& args);

}  // namespace kf
