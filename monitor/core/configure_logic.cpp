#include "monitor/core/configure_logic.h"

#include "base/pascal.h"
#include "contacts/core/historia.h"

namespace vx {

namespace {

using D = TDruhOvladaca;
using K = TKarta;

#define VX_CB(o, k, key) {TOvladac::o, #o, D::CheckBox, K::k, #key, {}, 1, 0, &TConfig::key, nullptr, nullptr}
#define VX_RB(o, k, key) {TOvladac::o, #o, D::Radio, K::k, #key, {}, 1, 0, &TConfig::key, nullptr, nullptr}
#define VX_SE(o, k, key, lo, hi, unit, digits) \
    {TOvladac::o, #o, D::SpinEdit, K::k, #key, {lo, hi}, unit, digits, nullptr, &TConfig::key, nullptr}
#define VX_ED(o, k, key, len) {TOvladac::o, #o, D::Edit, K::k, #key, {}, 1, len, nullptr, nullptr, &TConfig::key}
#define VX_LE(o, k, key) {TOvladac::o, #o, D::LabelledEdit, K::k, #key, {}, 1, 0, nullptr, nullptr, &TConfig::key}
#define VX_CO(o, k, key) {TOvladac::o, #o, D::Combo, K::k, #key, {}, 1, 0, nullptr, nullptr, &TConfig::key}

const std::array<TVazba, kPocetOvladacov> kVazby = {{
    VX_CB(cbZvonenie, Vseobecne, ring),
    VX_CB(cbCID, Vseobecne, cid),
    VX_SE(seCID, Vseobecne, cidinterval, 1, 100, 1, 0),
    VX_CB(cbHint, Vseobecne, showhint),
    VX_CB(cbStartminimized, Vseobecne, startminimized),
    VX_CB(cbStartUp, Vseobecne, startup),
    VX_LE(ledPredvolba, Vseobecne, countryprefix),

    VX_RB(rbCAPI, Hardware, isCAPI),
    VX_RB(rbCOM, Hardware, isCOM),
    VX_CO(ComboCOMdevice, Hardware, COMdevice),
    VX_CO(ComboCOMport, Hardware, COMport),
    VX_CO(ComboDTEspeed, Hardware, COMbaudrate),
    VX_SE(seCOMInterval, Hardware, COMinterval, 1, 60, 1000, 2),
    VX_RB(rbNet, Hardware, isnet),
    VX_ED(edUDPport, Hardware, UDPserverport, 0),
    VX_CB(cbPreberatmeno, Hardware, acceptname),

    VX_CB(cbNotifikacia, Notifikacia, notify),
    VX_ED(edSMTPaddress, Notifikacia, SMTPaddress, 15),
    VX_ED(edSMTPport, Notifikacia, SMTPport, 5),
    VX_ED(edMail1, Notifikacia, email1, 0),
    VX_ED(edMail2, Notifikacia, email2, 0),
    VX_ED(edMail3, Notifikacia, email3, 0),
    VX_CB(cbDUP, Notifikacia, DUPconnection),
    VX_CO(ComboDUP, Notifikacia, DUPname),
    VX_SE(sePokusy, Notifikacia, maxtries, 1, 10, 1, 2),
    VX_SE(secasmedzi, Notifikacia, repeatafter, 10, 300, 1000, 3),

    VX_CB(cbMessanger, Kurier, messanger),
    VX_LE(ledMenomess1, Kurier, namemess1),
    VX_LE(ledMenoMess2, Kurier, namemess2),
    VX_LE(ledMenoMess3, Kurier, namemess3),

    VX_CB(cbAction, AkciaNastavenie, action),
    VX_ED(edActionProgram1, AkciaNastavenie, actionprogram1, 0),
    VX_LE(ledActionCalling1, AkciaNastavenie, actioncalling1),
    VX_LE(ledActionCalled1, AkciaNastavenie, actioncalled1),
    VX_ED(edActionProgram2, AkciaNastavenie, actionprogram2, 0),
    VX_LE(ledActionCalling2, AkciaNastavenie, actioncalling2),
    VX_LE(ledActionCalled2, AkciaNastavenie, actioncalled2),
    VX_ED(edActionProgram3, AkciaNastavenie, actionprogram3, 0),
    VX_LE(ledActionCalling3, AkciaNastavenie, actioncalling3),
    VX_LE(ledActionCalled3, AkciaNastavenie, actioncalled3),

    VX_CB(cbSendUDP, Siet, sendUDP),
    VX_LE(ledPCIP1, Siet, PCIP1),
    VX_LE(ledPCport1, Siet, PCport1),
    VX_LE(ledPCIP2, Siet, PCIP2),
    VX_LE(ledPCport2, Siet, PCport2),
    VX_LE(ledPCIP3, Siet, PCIP3),
    VX_LE(ledPCPort3, Siet, PCport3),

    VX_CB(cbHistory, Historia, history),
    VX_CB(cbCutHistory, Historia, cuthistory),
    // The lowest values are the trim's too.
    VX_SE(seMaxHistory, Historia, maxrowshistory, kNajmenejRiadkovHistorie, 100000000, 1, 0),
    VX_SE(seCutHistory, Historia, cutrowshistory, kNajmenejOrezanychRiadkov, 1000, 1, 0),
}};

#undef VX_CB
#undef VX_RB
#undef VX_SE
#undef VX_ED
#undef VX_LE
#undef VX_CO

// Ticking a call-source button from the code acts as a click on it when it
// was clear; clearing it is no click.
void NastavZdroj(TStavOkna& s, TOvladac rb, bool on) {
    if (s[rb].zaskrtnute == on) return;
    if (on)
        KlikNaZdroj(s, rb);
    else
        s[rb].zaskrtnute = false;
}

const char kBr[] = "br";

}  // namespace

int32_t TRozsah::ZTextu(const std::string& text) const {
    int32_t v;
    if (TryStrToInt(text, v)) return Obmedz(v);
    // A plain decimal too long for a number still means "very large" (or
    // "very small"): it goes to the nearest bound, not to the lower one.
    std::string t = Trim(text);
    size_t i = 0;
    bool minus = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) minus = t[i++] == '-';
    if (i == t.size()) return min;
    for (size_t j = i; j < t.size(); ++j)
        if (t[j] < '0' || t[j] > '9') return min;
    return minus ? min : max;
}

const std::array<TVazba, kPocetOvladacov>& Vazby() { return kVazby; }
const TVazba& Vazba(TOvladac o) { return kVazby[static_cast<size_t>(o)]; }

TStavOkna NavrhnutyStav() {
    TStavOkna s;
    for (const TVazba& v : kVazby)
        if (v.druh == D::SpinEdit) s[v.ovladac].cislo = v.rozsah.min;
    s[TOvladac::rbCAPI].zaskrtnute = true;
    return s;
}

std::vector<std::string> NazvyZariadeni(const TZariadenie (&zariadenia)[10]) {
    std::vector<std::string> out;
    for (int i = 0; i < 4; ++i) out.push_back(zariadenia[i].Nazov);
    return out;
}

const std::vector<std::string>& Porty() {
    static const std::vector<std::string> p = {"Com1", "Com2", "Com3", "Com4", "Com5", "Com6", "Com7", "Com8"};
    return p;
}

const std::vector<std::string>& Rychlosti() {
    static const std::vector<std::string> r = {"115200", "57600", "38400"};
    return r;
}

void KlikNaZdroj(TStavOkna& s, TOvladac rb) {
    for (TOvladac o : {TOvladac::rbCAPI, TOvladac::rbCOM, TOvladac::rbNet}) s[o].zaskrtnute = o == rb;
    switch (rb) {
        case TOvladac::rbCOM: s.seriovePovolene = true; s.preposielaniePovolene = true; break;
        case TOvladac::rbCAPI: s.seriovePovolene = false; s.preposielaniePovolene = true; break;
        case TOvladac::rbNet: s.seriovePovolene = false; s.preposielaniePovolene = false; break;
        default: break;
    }
}

void ZobrazConfig(TStavOkna& s, const TConfig& c, const TZariadenie (&zariadenia)[10]) {
    // Ticks, texts and numbers.
    for (const TVazba& v : kVazby) {
        THodnota& h = s[v.ovladac];
        switch (v.druh) {
            case D::CheckBox: h.zaskrtnute = c.*v.b; break;
            case D::Edit:
            case D::LabelledEdit: h.text = c.*v.t; break;
            case D::SpinEdit: h.cislo = v.rozsah.Obmedz(c.*v.i / v.jednotka); break;
            case D::Radio:
            case D::Combo: break;
        }
    }
    // The phone-book entry also when it is none of the list's.
    s[TOvladac::ComboDUP].text = c.DUPname;
    NastavZdroj(s, TOvladac::rbCAPI, c.isCAPI);
    NastavZdroj(s, TOvladac::rbCOM, c.isCOM);
    if (c.isCAPI) s.seriovePovolene = false;
    if (c.isCOM) s.seriovePovolene = true;

    s[TOvladac::ComboCOMport].text = c.COMport;
    std::string zariadenie;
    for (int i = 0; i < 10; ++i)
        if (zariadenia[i].Kod == c.COMdevice) {
            zariadenie = zariadenia[i].Nazov;
            break;
        }
    s[TOvladac::ComboCOMdevice].text = zariadenie;
    std::string rychlost;
    for (const std::string& r : Rychlosti())
        if (c.COMbaudrate == kBr + r) rychlost = r;
    s[TOvladac::ComboDTEspeed].text = rychlost;

    NastavZdroj(s, TOvladac::rbNet, c.isnet);
    if (c.isnet) {
        s.seriovePovolene = false;
        s.preposielaniePovolene = false;
    } else {
        if (c.isCOM) s.seriovePovolene = true;
        s.preposielaniePovolene = true;
    }
}

bool OtvorConfig(TStavOkna& s, std::vector<std::string>& entries, TPremenne& p, IFileSystem& fs, IDialUp* dialUp,
                 const std::function<void()>& chyba) {
    entries.clear();
    if (dialUp) {
        // The entries only fill a list: without them the values are still
        // worth showing, and saving.
        try {
            dialUp->GetEntries();
            entries = dialUp->Entries;
        } catch (...) {
            entries.clear();
            if (chyba) chyba();
        }
    }
    try {
        NacitajConfig(p.Config, fs, p.CestaProgramu + "vestrix.ini");
    } catch (const EConvertError&) {
        // The values that converted, and the current ones for the rest, are
        // shown: the user sees every value a save writes, and can mend the file.
        if (chyba) chyba();
    } catch (...) {
        if (chyba) chyba();
        return false;
    }
    try {
        ZobrazConfig(s, p.Config, p.Zariadenia);
    } catch (...) {
        if (chyba) chyba();
        return false;
    }
    return true;
}

TConfig ConfigZOkna(const TStavOkna& s, const TZariadenie (&zariadenia)[10]) {
    TConfig c;
    for (const TVazba& v : kVazby) {
        const THodnota& h = s[v.ovladac];
        switch (v.druh) {
            case D::CheckBox:
            case D::Radio: c.*v.b = h.zaskrtnute; break;
            case D::SpinEdit: c.*v.i = v.rozsah.Obmedz(h.cislo) * v.jednotka; break;
            case D::Edit:
            case D::LabelledEdit:
            case D::Combo: c.*v.t = h.text; break;
        }
    }
    // The device by its name, the speed with its prefix; anything else is
    // no value the writer puts into the file.
    const std::string& nazov = s[TOvladac::ComboCOMdevice].text;
    c.COMdevice.clear();
    for (int i = 0; i < 4; ++i)
        if (zariadenia[i].Nazov == nazov) {
            c.COMdevice = zariadenia[i].Kod;
            break;
        }
    const std::string& rychlost = s[TOvladac::ComboDTEspeed].text;
    c.COMbaudrate.clear();
    for (const std::string& r : Rychlosti())
        if (rychlost == r) c.COMbaudrate = kBr + r;
    return c;
}

const std::vector<TTextOkna>& TextyOkna() {
    static const std::vector<TTextOkna> t = {
        {"ConfigForm", 15, 15},
        {"Vseobecne", 16, 16},
        {"Hardware", 17, 17},
        {"Notifikacia", 18, 18},
        {"Kurier", 19, 19},
        {"AkciaNastavenie", 20, 20},
        {"Historia", 21, 21},
        {"cbZvonenie", 22, 22},
        {"cbCID", 23, 23},
        {"stCIDtime", 24, 24},
        {"cbHint", 25, 25},
        {"cbStartminimized", 26, 26},
        {"ledPredvolba", 122, 122},
        {"rbCAPI", 27, 27},
        {"rbCOM", 28, 28},
        {"StaticText3", 29, 29},
        {"StaticText4", 30, 30},
        {"StaticText5", 31, 31},
        {"StaticText6", 32, 32},
        {"Memo2", 33, 40},
        {"cbNotifikacia", 41, 41},
        {"stSMTPaddress", 42, 42},
        {"stSMTPport", 43, 43},
        {"cbDUP", 44, 44},
        {"stAdresy", 45, 45},
        {"cbMessanger", 46, 46},
        {"ledMenomess1", 47, 47},
        {"ledMenoMess2", 47, 47},
        {"ledMenoMess3", 47, 47},
        {"Memo1", 48, 50},
        {"cbAction", 51, 51},
        {"stAction1", 52, 52},
        {"stAction2", 52, 52},
        {"stAction3", 52, 52},
        {"ledActionCalling1", 53, 53},
        {"ledActionCalling2", 53, 53},
        {"ledActionCalling3", 53, 53},
        {"ledActionCalled1", 54, 54},
        {"ledActionCalled2", 54, 54},
        {"ledActionCalled3", 54, 54},
        {"cbHistory", 55, 55},
        {"cbCutHistory", 56, 56},
        {"stMaxL1", 57, 57},
        {"stCut1", 58, 58},
        {"stMaxL2", 59, 59},
        {"stCut2", 59, 59},
        {"bbtZapis", 60, 60},
        {"bbtZrus", 61, 61},
        {"rbNet", 145, 145},
        {"cbPreberatmeno", 146, 146},
        {"Label1", 147, 147},
        {"ledPCport1", 147, 147},
        {"ledPCport2", 147, 147},
        {"ledPCPort3", 147, 147},
        {"Siet", 148, 148},
        {"cbSendUDP", 149, 149},
        {"ledPCIP1", 150, 150},
        {"ledPCIP2", 150, 150},
        {"ledPCIP3", 150, 150},
        {"cbStartUp", 151, 151},
        {"Label2", 152, 152},
        {"Label3", 153, 153},
    };
    return t;
}

std::string TextPrvku(const TTexty& texty, const TTextOkna& t) {
    std::string out;
    for (int n = t.od; n <= t.po; ++n) {
        if (n > t.od) out += "\r\n";
        out += texty[n];
    }
    return out;
}

void SkontrolujCisla(const TStavOkna& s, const TTexty* texty) {
    // The texts that the monitor takes as numbers, each checked only where
    // the values saved put it to use: written as they are, a text that is
    // none would leave the monitor deaf or losing calls from the next start.
    // One nothing uses is written as typed, as any text is. Each is named by
    // its tab and label as the window shows them.
    struct Pole {
        TOvladac o;
        bool pouzity;
        const char* karta;
        const char* popis;
        const char* poradie;
    };
    const Pole polia[] = {
        {TOvladac::edUDPport, s[TOvladac::rbNet].zaskrtnute, "Hardware", "Label1", ""},
        {TOvladac::edSMTPport, s[TOvladac::cbNotifikacia].zaskrtnute, "Notifikacia", "stSMTPport", ""},
        // A forwarding slot without its address is passed over by the sender.
        {TOvladac::ledPCport1, !s[TOvladac::ledPCIP1].text.empty(), "Siet", "ledPCport1", " 1"},
        {TOvladac::ledPCport2, !s[TOvladac::ledPCIP2].text.empty(), "Siet", "ledPCport2", " 2"},
        {TOvladac::ledPCPort3, !s[TOvladac::ledPCIP3].text.empty(), "Siet", "ledPCPort3", " 3"},
    };
    auto text = [texty](const char* prvok) {
        for (const TTextOkna& t : TextyOkna())
            if (std::string(t.prvok) == prvok) return TextPrvku(*texty, t);
        return std::string();
    };
    for (const Pole& pole : polia) {
        if (!pole.pouzity) continue;
        try {
            StrToInt(s[pole.o].text);
        } catch (const EConvertError& e) {
            // Without the language table the field goes by its key.
            const std::string pole_ = texty ? text(pole.karta) + ": " + text(pole.popis) + pole.poradie
                                            : Vazba(pole.o).kluc;
            throw EZlyPort(e.Message() + "\r\n" + pole_, pole.o);
        }
    }
}

void UlozConfig(const TStavOkna& s, TPremenne& p, IFileSystem& fs, IRunKey& runKey,
                const std::string& programPath, const TPouzitieConfigu& pouzitie) {
    const std::string path = p.CestaProgramu + "vestrix.ini";
    SkontrolujCisla(s, pouzitie.Texty);
    ZapisConfig(ConfigZOkna(s, p.Zariadenia), p.Config, fs, path, runKey, programPath);
    NacitajConfig(p.Config, fs, path);

    p.Prepinace.notify = p.Config.notify;
    p.Prepinace.action = p.Config.action;
    p.Prepinace.ring = p.Config.ring;
    p.Prepinace.cid = p.Config.cid;
    if (pouzitie.ShowIndicator) {
        pouzitie.ShowIndicator(TIndikator::swAkcia, p.Prepinace.action);
        pouzitie.ShowIndicator(TIndikator::swDisplay, p.Prepinace.cid);
        pouzitie.ShowIndicator(TIndikator::swZvonec, p.Prepinace.ring);
        pouzitie.ShowIndicator(TIndikator::swNotif, p.Prepinace.notify);
    }
    if (pouzitie.SetShowHints) pouzitie.SetShowHints(p.Config.showhint);
    if (pouzitie.NastavCOM) pouzitie.NastavCOM();
}

std::string TextVerzie(const TTexty& texty) { return texty[14] + " " + kVerziaProgramu; }

}  // namespace vx
