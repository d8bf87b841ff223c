// Text of the process's ANSI code page to UTF-16 and back.
#pragma once

#include <string>

namespace kf {

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);

}  // namespace kf
