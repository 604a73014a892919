// String helpers with the run-time library's 1-based rules, so listing
// parsers and field splitters behave exactly as the stored formats expect.
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// Copy(s, index, count): index is 1-based; an index below 1 counts as 1,
// beyond the end gives ""; count is cut at the end of s; count < 1 gives "".
std::string Copy(const std::string& s, int index, int count);
// Pos(sub, s): 1-based position of the first occurrence, 0 when absent.
// An empty sub is never found (0).
int Pos(const std::string& sub, const std::string& s);
// Delete(s, index, count): removes count characters from 1-based index;
// an index outside 1..length or count < 1 leaves s unchanged.
void Delete(std::string& s, int index, int count);
// Trim / TrimLeft / TrimRight remove bytes <= ' ' as the run-time library does.
std::string Trim(const std::string& s);
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
// ASCII-only case conversion (UpperCase/LowerCase of the run-time library).
std::string UpperCase(const std::string& s);
std::string LowerCase(const std::string& s);
bool SameText(const std::string& a, const std::string& b);
std::string IntToStr(int64_t v);
// StrToInt: decimal with optional sign and leading blanks, or "$"/"0x" hex;
// throws EConvertError "'<s>' is not a valid integer value".
int32_t StrToInt(const std::string& s);
// TryStrToInt: the same rules, false instead of throwing.
bool TryStrToInt(const std::string& s, int32_t& out);
// StrToBool: a number (0 false, else true) or "True"/"False" in any case;
// throws EConvertError "'<s>' is not a valid boolean value".
bool StrToBool(const std::string& s);
// Replace every CR, LF and NUL by a blank: received fields must never split
// a line of the log or of a stored file.
std::string BlankLineBreaks(const std::string& s);
// Replace every ";" by a blank: a field of a ";"-separated record that is
// not its last must not hold one.
std::string BlankSemicolons(const std::string& s);

}  // namespace vx
