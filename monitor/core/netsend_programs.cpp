#include "monitor/core/netsend_programs.h"

#include "base/errors.h"
#include "base/paths.h"

namespace vx {

namespace {

// What a command interpreter acts on (a batch file runs through one). Its
// quoting is not the C runtime's, so these go from quoted values too.
bool ZnakInterpretera(unsigned char c) {
    if (c < 0x20 || c == 0x7F) return true;
    switch (c) {
        case '&': case '|': case '<': case '>': case '^': case '%': return true;
        default: return false;
    }
}

}  // namespace

std::string VycistiPrePrikaz(const std::string& value) {
    std::string out;
    for (unsigned char c : value)
        if (!ZnakInterpretera(c) && c != '"') out += static_cast<char>(c);
    return out;
}

std::string ArgumentPrikazu(const std::string& value) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (unsigned char c : value) {
        if (ZnakInterpretera(c)) continue;
        switch (c) {
            case '\\': ++backslashes; continue;
            case '"':
                out.append(2 * backslashes + 1, '\\');
                break;
            default:
                out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += static_cast<char>(c);
    }
    out.append(2 * backslashes, '\\');
    return out + "\"";
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
            // The program stays as configured; each value is one argument.
            starter_.WinExec(p.subor + " " + ArgumentPrikazu(Cislo) + " " + ArgumentPrikazu(VolaneCislo) + " " +
                                 ArgumentPrikazu(P.Volanie.Meno) + " " + ArgumentPrikazu(P.Volanie.Firma),
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
