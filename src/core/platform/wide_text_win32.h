#pragma once

#include <string>

namespace vel {

// UTF-8, as the program keeps its texts, to and from the UTF-16 of the
// Windows calls.
std::wstring Widen(const std::string& text);
std::string Narrow(const wchar_t* text, int length);

}  // namespace vel
