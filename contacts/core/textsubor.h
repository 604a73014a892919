// Reading and writing the contacts' text files through IFileSystem with the
// run-time library's error behaviour: a file that exists but cannot be read
// or written raises EInOutError.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/files.h"

namespace vx {

// Codes of the raised EInOutError when the file system cannot name the
// system's own (IoErrorCode): a missing file, or one held by another opening.
constexpr int kChybaNenajdeny = 2;
constexpr int kChybaObsadeny = 32;

// The whole file into out; EInOutError with the system's code when it
// cannot be read.
void CitajSubor(IFileSystem& fs, const std::string& cesta, std::string& out);
// The same, read piece by piece with poKuse run after each piece (a pass of
// window messages): a file of any length never holds up the caller's
// messages for its whole reading. out gets what the file held at the start,
// up to its length then (lines appended meanwhile are not read); a file that
// has become shorter meanwhile raises EInOutError too.
void CitajSubor(IFileSystem& fs, const std::string& cesta, std::string& out, const std::function<void()>& poKuse);

// Raises EInOutError for the operation of fs that just failed.
[[noreturn]] void ChybaSuboru(const IFileSystem& fs);

// The lines of a file read "read a line, then test for the end": a file of
// zero bytes is one empty line. CR LF, LF and a lone CR end a line.
void RiadkyAkoCitanie(const std::string& text, std::vector<std::string>& riadky);

// Cuts the next field off the front of rest: the text before the first ";"
// goes with that ";"; without a ";" the field is empty and rest stays.
std::string OdrezPole(std::string& rest);

// CR and LF inside one record would split it into two lines of the file.
std::string BezKoncovRiadkov(const std::string& s);

// The lines of the first `dlzka` bytes of a file, read piece by piece and
// split as SplitLines splits, so that a file of any size is never held whole.
// A piece that cannot be read, or a file that has become shorter, raises
// EInOutError. Keeps a fingerprint of the bytes read, to tell afterwards
// whether they are still what the file holds.
class TCitacRiadkov {
public:
    static constexpr size_t kKus = 1 << 20;
    TCitacRiadkov(IFileSystem& fs, const std::string& cesta, int64_t dlzka, size_t kus = kKus);
    // The next line, without its line end; false after the last one.
    bool Dalsi(std::string& riadok);
    // Reads what is left without splitting it (for the fingerprint);
    // poKuse, when given, runs after each piece, and kam, when given, gets
    // the pieces appended.
    void Docitaj(const std::function<void()>& poKuse = {}, std::string* kam = nullptr);
    uint64_t Odtlacok() const;
    // The bytes read so far end in the middle of a line (no CR or LF last).
    bool BezKoncaRiadku() const { return posledny_ != '\r' && posledny_ != '\n' && precitane_ > 0; }

private:
    static constexpr uint64_t kNasobok = 1099511628211ULL;
    bool Dolej();
    void Bajt(unsigned char b);

    IFileSystem& fs_;
    const std::string cesta_;
    const int64_t dlzka_;
    const size_t kus_;
    int64_t precitane_ = 0;
    std::string buf_;
    size_t poz_ = 0;
    uint64_t odtlacok_;
    uint64_t slovo_ = 0;  // bytes of a word not yet complete
    int bajtov_ = 0;
    char posledny_ = 0;
};

}  // namespace vx
