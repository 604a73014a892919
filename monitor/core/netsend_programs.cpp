#include "monitor/core/netsend_programs.h"

#include "base/errors.h"
#include "base/paths.h"

namespace vx {

std::string VycistiPrePrikaz(const std::string& value) {
    std::string out;
    for (unsigned char c : value) {
        if (c < 0x20 || c == 0x7F) continue;
        switch (c) {
            case '"': case '&': case '|': case '<': case '>': case '^': case '%': continue;
            default: out += static_cast<char>(c);
        }
    }
    return out;
}

std::string VycistiPreUvodzovky(const std::string& value) {
    std::string out = VycistiPrePrikaz(value);
    size_t n = 0;
    while (n < out.size() && out[out.size() - 1 - n] == '\\') ++n;
    out.append(n, '\\');
    return out;
}

void TNotifikacieProgramov::PosliKurierom(const std::string& Cislo) {
    const TVolanie& v = P.Volanie;
    std::string text = Oznacenie + VycistiPrePrikaz(Cislo) + " - " + VycistiPrePrikaz(v.Meno) + ", " +
                       VycistiPrePrikaz(v.Firma);
    const std::string* mena[] = {&P.Config.namemess1, &P.Config.namemess2, &P.Config.namemess3};
    try {
        for (const std::string* m : mena) {
            if (m->empty()) continue;
            starter_.WinExec("Net send " + VycistiPrePrikaz(*m) + " " + text, kSwHide);
            if (log_) log_("Odoslanie správy kuriérom pre používateľa/PC " + *m);
        }
    } catch (const std::exception&) {
        // A failed start ends the routine; the call goes on.
    }
}

bool TNotifikacieProgramov::SpustiProgram(const std::string& Cislo, const std::string& VolaneCislo) {
    const TConfig& c = P.Config;
    struct Program {
        const std::string& subor;
        const std::string& volajuci;
        const std::string& volany;
    } programy[] = {{c.actionprogram1, c.actioncalling1, c.actioncalled1},
                    {c.actionprogram2, c.actioncalling2, c.actioncalled2},
                    {c.actionprogram3, c.actioncalling3, c.actioncalled3}};
    bool vysledok = true;
    for (const Program& p : programy) {
        if (p.subor.empty()) continue;
        // The configured program is a text of vestrix.ini; the file system
        // takes paths.
        if (!files_.Exists(PathFromCp1250(p.subor))) {
            vysledok = false;
            continue;
        }
        if (!p.volajuci.empty() && p.volajuci != Cislo) continue;
        if (!p.volany.empty() && p.volany != VolaneCislo) continue;
        try {
            if (log_) log_("Vykonanie programu " + p.subor);
            starter_.WinExec(p.subor + " " + VycistiPrePrikaz(Cislo) + " " + VycistiPrePrikaz(VolaneCislo) +
                                 " \"" + VycistiPreUvodzovky(P.Volanie.Meno) + "\" \"" +
                                 VycistiPreUvodzovky(P.Volanie.Firma) + "\"",
                             kSwShowNormal);
        } catch (const std::exception&) {
            try {
                if (log_) log_(p.subor + " sa nepodarilo spustiť");
            } catch (const std::exception&) {
            }
        }
    }
    return vysledok;
}

}  // namespace vx
