// TabulkaDiakritiky: accented letters of code page 1250 and their plain
// letters at the same positions.
#pragma once
#include <string>

namespace vx {

extern const char* const kDiakritikaAccented;  // 62 characters
extern const char* const kDiakritikaPlain;     // 62 characters

// Every character found in the accented string becomes its plain letter.
std::string BezDiakritiky(const std::string& s);
// One character through the table (unchanged when not accented).
char BezDiakritiky(char c);

}  // namespace vx
