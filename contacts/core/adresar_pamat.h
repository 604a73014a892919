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
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/busy.h"
#include "base/files.h"
#include "contacts/core/adresar.h"

namespace vx {

// The steps of a pass over many numbers, see TAdresarVPamati::Priechod.
enum class TKrokPriechodu { Zaciatok, PoSpravach, Koniec };

class TAdresarVPamati {
public:
    explicit TAdresarVPamati(IFileSystem& fs);
    TAdresarVPamati(const TAdresarVPamati&) = delete;
    TAdresarVPamati& operator=(const TAdresarVPamati&) = delete;

    // The caller lookup (see HladajVolajuceho in adresar.h); the same answer
    // for every book, found without scanning the book.
    TMenoFirma HladajVolajuceho(const std::string& CestaProgramu, const std::string& countryprefix,
                                const std::string& cislo);
    // The duplicate check of the import: some address-book line has the
    // number as phone 1 or phone 2. An empty number is never found.
    bool JeVAdresari(const std::string& CestaProgramu, const std::string& cislo);

    // A pass over many numbers (the history's name fill-in): from its start
    // (Zaciatok) the pass's own lookups (those made under TVlastneHladanie)
    // look at the files with the first of them, and after that only again
    // after each time window messages were let through (PoSpravach), when
    // anything else may have changed them; its own lookups in between take
    // the files as they were. Any other lookup meanwhile is made by code
    // that a pass of window messages let run (a call, a window that may just
    // have saved the book): it looks at the files as every lookup outside a
    // pass does. After its end (Koniec) every lookup looks at the files.
    void Priechod(TKrokPriechodu krok);
    // While one lives, the lookups made on this thread are the pass's own.
    class TVlastneHladanie {
    public:
        explicit TVlastneHladanie(TAdresarVPamati& a) : vlastne_(a.vlastne_) {}

    private:
        TBusy vlastne_;
    };
    // Before a pass over many numbers: brings the book up to its file as a
    // lookup would, but reads and indexes it in steps with poKroku run
    // between them (a pass of window messages), so that a long book never
    // holds up the messages for its whole reading. The new book takes the
    // place of the old one only once it is read and indexed: a lookup made
    // meanwhile, from inside poKroku, never finds one half read (it looks at
    // the file as any lookup outside a pass does). Whatever stands in the
    // way (no stamps, a book changed too recently for its stamp to vouch for
    // it, a file that cannot be read) is left to the lookups, which read the
    // file at once and report what they cannot read.
    void Priprav(const std::string& CestaProgramu, const std::function<void()>& poKroku);

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
        // Holds the file at cesta as long as it has this stamp.
        bool Drzi(const std::string& c, const TFileStamp& s) const {
            return platna && overena && cesta == c && stamp.SameVersion(s);
        }
    };
    // Brings s up to the file at cesta: false when the file does not exist;
    // EInOutError when it exists but cannot be read. True in zmenena when
    // the text is not the one held before.
    bool Obnov(TSnimka& s, const std::string& cesta, bool& zmenena);
    // The first line of the address book that has cislo as phone 1 or
    // phone 2; false without one (and without a book).
    bool NajdiRiadok(const std::string& CestaProgramu, const std::string& cislo, std::string_view& riadok);
    // Brings s, and with indexuj what is built from it, up to the file at
    // cesta when the lookup is to look at the file now; false without the file.
    bool Aktualny(TSnimka& s, const std::string& cesta, bool& overeny, void (TAdresarVPamati::*indexuj)());
    // Whether a lookup is to look at a file now (see Priechod); marks it
    // looked at.
    bool Pozriet(bool& overeny);
    void IndexujAdresar();
    void IndexujPredvolby();

    IFileSystem& fs_;
    int citania_ = 0;
    bool priechod_ = false;
    bool vlastne_ = false;     // a lookup of the pass itself runs below on this thread
    bool pripravuje_ = false;  // Priprav runs below on this thread
    bool skontroluj_ = false;  // in a pass: the next lookup looks at the files
    bool adrOvereny_ = false, pfxOvereny_ = false;  // looked at in this round of a pass
    TSnimka adr_, pfx_;
    // Each phone of the book (phone 1 or 2 of a line, not empty) with the
    // first line that has it, in file order: a table of the places in
    // adr_.text where the phones begin (a phone ends at its ";", its line
    // lies around it), found by the phone's hash, the next free place on a
    // collision. Eight bytes a place, at most half of the places taken,
    // built in one pass: a changed book is indexed at little cost.
    struct TMiesto {
        uint32_t od = 0;  // where the phone begins, plus one; 0: free
        uint32_t hash = 0;
    };
    uint32_t Hash(std::string_view cislo) const;
    static std::string_view Pole(std::string_view text, const TMiesto& m);
    // The index of the phones of the book text into telefony (see TMiesto);
    // poKroku, when given, runs every few thousand phones.
    void Indexuj(std::string_view text, std::vector<TMiesto>& telefony, bool& bezIndexu,
                 const std::function<void()>& poKroku) const;
    std::vector<TMiesto> telefony_;
    bool bezIndexu_ = false;  // a book beyond 4 GB is searched line by line
    uint64_t semienko_;       // of the hash: a book cannot be made to collide on purpose
    std::vector<TPredvolba> predvolby_;  // the prefix lines in file order
};

}  // namespace vx
