// The one place where code page 1250 texts meet the UTF-16 of Win32.
// The code page is named explicitly so Slovak shows right whatever the
// system's ANSI code page is.
#pragma once
#include <string>

namespace vx {

std::wstring Wide(const std::string& cp1250);
std::string Narrow(const std::wstring& utf16);

// Paths are no texts: inside the program they are UTF-8, whatever
// characters they hold (base/paths.h), and UTF-16 only here.
std::wstring WidePath(const std::string& utf8);
std::string PathFromWide(const std::wstring& utf16);

}  // namespace vx
