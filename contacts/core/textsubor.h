// Reading and writing the contacts' text files through IFileSystem with the
// run-time library's error behaviour: a file that exists but cannot be read
// or written raises EInOutError.
#pragma once
#include <string>
#include <vector>

#include "base/files.h"

namespace vx {

// Error codes of the raised EInOutError. The file interface reports only
// success or failure, so a failed open is given the code of a file held by
// another opening, the case these files meet in practice.
constexpr int kChybaNenajdeny = 2;
constexpr int kChybaObsadeny = 32;

// The whole file into out; EInOutError when it cannot be read.
void CitajSubor(IFileSystem& fs, const std::string& cesta, std::string& out);

// The lines of a file read "read a line, then test for the end": a file of
// zero bytes is one empty line. CR LF, LF and a lone CR end a line.
void RiadkyAkoCitanie(const std::string& text, std::vector<std::string>& riadky);

// Cuts the next field off the front of rest: the text before the first ";"
// goes with that ";"; without a ";" the field is empty and rest stays.
std::string OdrezPole(std::string& rest);

// CR and LF inside one record would split it into two lines of the file.
std::string BezKoncovRiadkov(const std::string& s);

}  // namespace vx
