// Upper-casing by the ANSI rules of code page 1250 as the system applies
// them to the address-book search and sort keys and to the history filter:
// every lower-case letter, accented ones included, becomes its capital
// (accents stay); letters without a capital in the code page stay as they are.
#pragma once
#include <string>

namespace vx {

char AnsiUpperCase1250(char c);
std::string AnsiUpperCase1250(const std::string& s);

}  // namespace vx
