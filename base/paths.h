// File paths inside the program are UTF-8, so that a folder name with any
// character the system allows survives; only the platform layer turns them
// into the system's form. Texts (file contents, captions, configuration
// values) stay code page 1250.
#pragma once
#include <string>

namespace vx {

// A path that reached the program as a code page 1250 text (a program file
// chosen in the configuration window and stored in vestrix.ini).
std::string PathFromCp1250(const std::string& text);

}  // namespace vx
