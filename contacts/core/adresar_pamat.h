// The address book and the prefix table as the caller lookup and the
// import's duplicate check see them, kept in memory from one lookup to the
// next. The files stay the authority: every lookup asks the file system for
// the files' stamps first and reads a file again whenever its stamp differs
// from the one it was read with, or when that stamp was taken so soon after
// the file's last change that a rewrite of the same size could still leave
// it unchanged. A change made by anyone, in any way, is thus seen by the
// next lookup; an unchanged book costs one stamp per lookup, not a reading.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/files.h"
#include "contacts/core/adresar.h"

namespace vx {

class TAdresarVPamati {
public:
    explicit TAdresarVPamati(IFileSystem& fs);
    TAdresarVPamati(const TAdresarVPamati&) = delete;
    TAdresarVPamati& operator=(const TAdresarVPamati&) = delete;

    // The caller lookup (see HladajVolajuceho in adresar.h); the same answer
    // for every book, found without scanning the book.
    TMenoFirma HladajVolajuceho(const std::string& CestaProgramu, const std::string& countryprefix,
                                const std::string& cislo);
    // The import's duplicate check (see JeVAdresari in adresar.h).
    bool JeVAdresari(const std::string& CestaProgramu, const std::string& cislo);

    // How many times a file was read so far.
    int Citania() const { return citania_; }

private:
    // One file as it was last read.
    struct TSnimka {
        std::string cesta;
        bool platna = false;     // text holds the file as read with stamp
        bool overena = false;    // stamp can vouch for the text until it changes
        TFileStamp stamp;
        std::string text;
    };
    // Brings s up to the file at cesta: false when the file does not exist;
    // EInOutError when it exists but cannot be read. True in zmenena when
    // the text is not the one held before.
    bool Obnov(TSnimka& s, const std::string& cesta, bool& zmenena);
    // The first line of the address book that has cislo as phone 1 or
    // phone 2; false without one (and without a book).
    bool NajdiRiadok(const std::string& CestaProgramu, const std::string& cislo, std::string_view& riadok);
    void IndexujAdresar();
    void IndexujPredvolby();

    IFileSystem& fs_;
    int citania_ = 0;
    TSnimka adr_, pfx_;
    // Each phone of the book (phone 1 or 2 of a line, not empty) with the
    // first line that has it, in file order; views into adr_.text.
    std::unordered_map<std::string_view, std::string_view> telefony_;
    std::vector<TPredvolba> predvolby_;  // the prefix lines in file order
};

}  // namespace vx
