// Program-wide values of the address-book and add-number windows. One
// instance lives as long as the program, so a search text and its last hit
// carry over from one address-book window to the next.
#pragma once
#include <functional>
#include <string>

namespace vx {

// Language line N (1-based) of the program's language table.
using TTextFn = std::function<std::string(int line)>;

struct TStavAdresara {
    int PocetKontaktov = 0;        // contact rows 1..PocetKontaktov of the grid, never negative
    bool AdresarZmeneny = false;   // the grid may differ from vestrix.adr
    std::string HladanyText;       // text of the last search
    int PoslednyNajdeny = 0;       // row of its last hit, 0 before a search
    std::string CisloNaPridanie;   // number the add-number window opens with
    std::string NovyKontakt;       // line it wrote to vestrix.adr, empty when left without
};

}  // namespace vx
