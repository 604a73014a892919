// The configuration window's rules: every key shown in its control and
// written back from it, the spin edits' ranges, the device and speed
// combos, the call-source buttons with the groups they enable, the window's
// language lines, and the save with its Run value and what it applies.
#include "monitor/core/configure_logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "base/stdfiles.h"
#include "base/testing/tempdir.h"

using namespace vx;

namespace {

void Zariadenia(TZariadenie (&z)[10]) {
    const char* const rows[4][2] = {{"TODOS SurfLITE -(INTERVAL)", "TODOS"},
                                    {"TODOS ISDN TA -(INTERVAL)", "TODOSTA"},
                                    {"ZyXEL Omni.net LCD Plus -(INTERVAL)", "ZYXELISDN"},
                                    {"3Com USR ISDN Pro TA -(INTERVAL)", "3COM"}};
    for (int i = 0; i < 10; ++i) z[i] = TZariadenie{};
    for (int i = 0; i < 4; ++i) z[i] = TZariadenie{rows[i][0], rows[i][1]};
}

struct ZariadeniaFixture : ::testing::Test {
    TZariadenie z[10];
    void SetUp() override { Zariadenia(z); }
    TStavOkna Zobraz(const TConfig& c) {
        TStavOkna s = NavrhnutyStav();
        ZobrazConfig(s, c, z);
        return s;
    }
};

// The keys of the file, in the writer's order.
std::vector<std::string> KlucesSuboru(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        std::string line = text.substr(start, end - start);
        out.push_back(line.substr(0, line.find('=')));
        start = end + 2;
    }
    return out;
}

std::map<std::string, std::string> RiadkySuboru(const std::string& text) {
    std::map<std::string, std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        std::string line = text.substr(start, end - start);
        size_t eq = line.find('=');
        out[line.substr(0, eq)] = line.substr(eq + 1);
        start = end + 2;
    }
    return out;
}

// ------------------------------------------------------------ key <-> control

TEST(ConfigureVazby, EveryKeyOfTheFileHasExactlyOneControlOfItsType) {
    std::vector<std::string> kluce = KlucesSuboru(TextConfigu(TConfig()));
    ASSERT_EQ(kluce.size(), 51u);
    std::multiset<std::string> zVazieb;
    for (size_t i = 0; i < Vazby().size(); ++i) {
        const TVazba& v = Vazby()[i];
        SCOPED_TRACE(v.meno);
        EXPECT_EQ(static_cast<size_t>(v.ovladac), i) << "table out of the enumeration's order";
        zVazieb.insert(v.kluc);
        int polia = (v.b != nullptr) + (v.i != nullptr) + (v.t != nullptr);
        EXPECT_EQ(polia, 1);
        switch (v.druh) {
            case TDruhOvladaca::CheckBox:
            case TDruhOvladaca::Radio: EXPECT_TRUE(v.b); break;
            case TDruhOvladaca::SpinEdit:
                EXPECT_TRUE(v.i);
                EXPECT_LT(v.rozsah.min, v.rozsah.max);
                break;
            default: EXPECT_TRUE(v.t); break;
        }
    }
    EXPECT_EQ(zVazieb, std::multiset<std::string>(kluce.begin(), kluce.end()));
}

// A configuration in which every value differs from the built-in default and
// from every other value, within the window's ranges.
TConfig Vsetko() {
    TConfig c;
    int n = 0;
    for (const TVazba& v : Vazby()) {
        ++n;
        if (v.t) c.*v.t = std::string("hodnota ") + v.kluc + " č." + std::to_string(n);
        if (v.b) c.*v.b = n % 2 == 0;
        if (v.i) c.*v.i = (v.rozsah.min + 1) * v.jednotka;
    }
    c.isCAPI = false;
    c.isCOM = true;
    c.isnet = false;
    c.COMdevice = "3COM";
    c.COMbaudrate = "br57600";
    return c;
}

TEST_F(ZariadeniaFixture, EachControlShowsItsKeyAndASaveWritesEveryKeyBackUnchanged) {
    const TConfig c = Vsetko();
    TStavOkna s = Zobraz(c);
    for (const TVazba& v : Vazby()) {
        SCOPED_TRACE(v.meno);
        const THodnota& h = s[v.ovladac];
        if (v.druh == TDruhOvladaca::CheckBox || v.druh == TDruhOvladaca::Radio) {
            EXPECT_EQ(h.zaskrtnute, c.*v.b);
        }
        if (v.druh == TDruhOvladaca::SpinEdit) {
            EXPECT_EQ(h.cislo, v.rozsah.min + 1);
        }
        if (v.druh == TDruhOvladaca::Edit || v.druh == TDruhOvladaca::LabelledEdit) {
            EXPECT_EQ(h.text, c.*v.t);
        }
    }
    EXPECT_EQ(s[TOvladac::ComboCOMdevice].text, "3Com USR ISDN Pro TA -(INTERVAL)");
    EXPECT_EQ(s[TOvladac::ComboDTEspeed].text, "57600");
    EXPECT_EQ(s[TOvladac::ComboCOMport].text, c.COMport);
    EXPECT_EQ(s[TOvladac::ComboDUP].text, c.DUPname);

    TConfig spat = ConfigZOkna(s, z);
    EXPECT_EQ(TextConfigu(spat), TextConfigu(c));
    EXPECT_EQ(RiadkySuboru(TextConfigu(spat)).size(), 51u);
}

TEST_F(ZariadeniaFixture, AChangeInOneControlReachesOnlyTheLineOfItsKey) {
    const TConfig c = Vsetko();
    const std::map<std::string, std::string> povodne = RiadkySuboru(TextConfigu(c));
    for (const TVazba& v : Vazby()) {
        if (v.druh == TDruhOvladaca::Combo || v.druh == TDruhOvladaca::Radio) continue;
        SCOPED_TRACE(v.meno);
        TStavOkna s = Zobraz(c);
        THodnota& h = s[v.ovladac];
        std::string cakane;
        switch (v.druh) {
            case TDruhOvladaca::CheckBox:
                h.zaskrtnute = !h.zaskrtnute;
                cakane = h.zaskrtnute ? "-1" : "0";
                break;
            case TDruhOvladaca::SpinEdit:
                h.cislo = v.rozsah.max;
                cakane = std::to_string(static_cast<int64_t>(v.rozsah.max) * v.jednotka);
                break;
            default:
                h.text = "nové";
                cakane = "nové";
                break;
        }
        std::map<std::string, std::string> nove = RiadkySuboru(TextConfigu(ConfigZOkna(s, z)));
        for (const auto& [kluc, hodnota] : povodne) {
            if (kluc == v.kluc)
                EXPECT_EQ(nove[kluc], cakane);
            else
                EXPECT_EQ(nove[kluc], hodnota) << kluc;
        }
    }
}

// ------------------------------------------------------------ spin edits

struct Ukaz {
    int32_t TConfig::*kluc;
    int32_t hodnota;
    TOvladac ovladac;
    int32_t ukazane;
    int32_t zapisane;
};

TEST_F(ZariadeniaFixture, SpinEditsShowTheirKeyInTheirRangeAndASaveWritesWhatTheyShow) {
    const Ukaz pripady[] = {
        {&TConfig::cidinterval, 10000, TOvladac::seCID, 100, 100},  // the built-in default
        {&TConfig::cidinterval, 500, TOvladac::seCID, 100, 100},
        {&TConfig::cidinterval, 7, TOvladac::seCID, 7, 7},
        {&TConfig::cidinterval, 0, TOvladac::seCID, 1, 1},
        {&TConfig::cidinterval, -3, TOvladac::seCID, 1, 1},
        {&TConfig::repeatafter, 60000, TOvladac::secasmedzi, 60, 60000},
        {&TConfig::repeatafter, 60999, TOvladac::secasmedzi, 60, 60000},
        {&TConfig::repeatafter, 5000, TOvladac::secasmedzi, 10, 10000},
        {&TConfig::repeatafter, 900000, TOvladac::secasmedzi, 300, 300000},
        {&TConfig::COMinterval, 2000, TOvladac::seCOMInterval, 2, 2000},
        {&TConfig::COMinterval, 2500, TOvladac::seCOMInterval, 2, 2000},
        {&TConfig::COMinterval, 999, TOvladac::seCOMInterval, 1, 1000},
        {&TConfig::COMinterval, 120000, TOvladac::seCOMInterval, 60, 60000},
        {&TConfig::maxtries, 3, TOvladac::sePokusy, 3, 3},
        {&TConfig::maxtries, 11, TOvladac::sePokusy, 10, 10},
        {&TConfig::maxrowshistory, 0, TOvladac::seMaxHistory, 100, 100},
        {&TConfig::maxrowshistory, 2000000000, TOvladac::seMaxHistory, 100000000, 100000000},
        {&TConfig::cutrowshistory, 0, TOvladac::seCutHistory, 10, 10},
        {&TConfig::cutrowshistory, 250, TOvladac::seCutHistory, 250, 250},
    };
    for (const Ukaz& u : pripady) {
        SCOPED_TRACE(std::string(Vazba(u.ovladac).meno) + " " + std::to_string(u.hodnota));
        TConfig c;
        c.*u.kluc = u.hodnota;
        TStavOkna s = Zobraz(c);
        EXPECT_EQ(s[u.ovladac].cislo, u.ukazane);
        EXPECT_EQ(ConfigZOkna(s, z).*u.kluc, u.zapisane);
    }
}

TEST(ConfigureRozsah, TypedTextIsHeldInTheRangeAndWhatIsNoNumberIsTheLowerBound) {
    const TRozsah r{10, 300};
    const std::pair<const char*, int32_t> pripady[] = {
        {"60", 60},   {"10", 10},   {"300", 300},     {"9", 10},     {"301", 300},
        {"0", 10},    {"-5", 10},   {"", 10},         {"abc", 10},   {"12a", 10},
        {" 45", 45},  {"-", 10},    {"99999999999", 300}, {"-99999999999", 10}, {"+400", 300},
    };
    for (const auto& [text, cakane] : pripady) EXPECT_EQ(r.ZTextu(text), cakane) << '"' << text << '"';
    const TRozsah h{100, 100000000};
    EXPECT_EQ(h.ZTextu("100000001"), 100000000);
    EXPECT_EQ(h.ZTextu("12345678901234567890"), 100000000);
}

TEST(ConfigureRozsah, TheWindowsRangesAndDigitLimits) {
    struct R {
        TOvladac o;
        int32_t min, max, jednotka;
        int digits;
    };
    const R cakane[] = {
        {TOvladac::seCID, 1, 100, 1, 0},           {TOvladac::seCOMInterval, 1, 60, 1000, 2},
        {TOvladac::sePokusy, 1, 10, 1, 2},         {TOvladac::secasmedzi, 10, 300, 1000, 3},
        {TOvladac::seMaxHistory, 100, 100000000, 1, 0}, {TOvladac::seCutHistory, 10, 1000, 1, 0},
    };
    int spinov = 0;
    for (const TVazba& v : Vazby()) spinov += v.druh == TDruhOvladaca::SpinEdit;
    EXPECT_EQ(spinov, 6);
    for (const R& r : cakane) {
        const TVazba& v = Vazba(r.o);
        SCOPED_TRACE(v.meno);
        EXPECT_EQ(v.druh, TDruhOvladaca::SpinEdit);
        EXPECT_EQ(v.rozsah.min, r.min);
        EXPECT_EQ(v.rozsah.max, r.max);
        EXPECT_EQ(v.jednotka, r.jednotka);
        EXPECT_EQ(v.maxDlzka, r.digits);
    }
    EXPECT_EQ(Vazba(TOvladac::edSMTPaddress).maxDlzka, 15);
    EXPECT_EQ(Vazba(TOvladac::edSMTPport).maxDlzka, 5);
}

// ------------------------------------------------------------ combos

TEST_F(ZariadeniaFixture, TheFixedListsOfTheCombos) {
    EXPECT_EQ(NazvyZariadeni(z), (std::vector<std::string>{"TODOS SurfLITE -(INTERVAL)", "TODOS ISDN TA -(INTERVAL)",
                                                          "ZyXEL Omni.net LCD Plus -(INTERVAL)",
                                                          "3Com USR ISDN Pro TA -(INTERVAL)"}));
    EXPECT_EQ(Porty(), (std::vector<std::string>{"Com1", "Com2", "Com3", "Com4", "Com5", "Com6", "Com7", "Com8"}));
    EXPECT_EQ(Rychlosti(), (std::vector<std::string>{"115200", "57600", "38400"}));
}

TEST_F(ZariadeniaFixture, TheDeviceComboShowsTheNameOfTheCodeAndASaveWritesTheCodeOfTheName) {
    const std::pair<const char*, const char*> pripady[] = {
        {"TODOS", "TODOS SurfLITE -(INTERVAL)"},
        {"TODOSTA", "TODOS ISDN TA -(INTERVAL)"},
        {"ZYXELISDN", "ZyXEL Omni.net LCD Plus -(INTERVAL)"},
        {"3COM", "3Com USR ISDN Pro TA -(INTERVAL)"},
        {"ZYXELISDN2", ""},  // understood by the sources, but no row of the window
        {"todos", ""},
        {"", ""},
    };
    for (const auto& [kod, nazov] : pripady) {
        SCOPED_TRACE(kod);
        TConfig c;
        c.COMdevice = kod;
        TStavOkna s = Zobraz(c);
        EXPECT_EQ(s[TOvladac::ComboCOMdevice].text, nazov);
        std::map<std::string, std::string> r = RiadkySuboru(TextConfigu(ConfigZOkna(s, z)));
        if (*nazov) {
            EXPECT_EQ(r["COMdevice"], kod);
            EXPECT_EQ(r.size(), 51u);
        } else {
            EXPECT_EQ(r.count("COMdevice"), 0u);
            EXPECT_EQ(r.size(), 50u);
        }
    }
    // A name typed by hand that differs from the list in a letter's case
    // is no device.
    TStavOkna s = Zobraz(TConfig());
    s[TOvladac::ComboCOMdevice].text = "todos surflite -(interval)";
    EXPECT_EQ(RiadkySuboru(TextConfigu(ConfigZOkna(s, z))).count("COMdevice"), 0u);
}

TEST_F(ZariadeniaFixture, TheSpeedComboShowsTheSpeedWithoutItsPrefix) {
    const std::pair<const char*, const char*> pripady[] = {
        {"br115200", "115200"}, {"br57600", "57600"}, {"br38400", "38400"},
        {"br9600", ""},         {"115200", ""},       {"BR57600", ""},
    };
    for (const auto& [kluc, ukazane] : pripady) {
        SCOPED_TRACE(kluc);
        TConfig c;
        c.COMbaudrate = kluc;
        TStavOkna s = Zobraz(c);
        EXPECT_EQ(s[TOvladac::ComboDTEspeed].text, ukazane);
        std::map<std::string, std::string> r = RiadkySuboru(TextConfigu(ConfigZOkna(s, z)));
        if (*ukazane)
            EXPECT_EQ(r["COMbaudrate"], kluc);
        else
            EXPECT_EQ(r.count("COMbaudrate"), 0u);
    }
    TStavOkna s = Zobraz(TConfig());
    s[TOvladac::ComboDTEspeed].text = "9600";
    EXPECT_EQ(RiadkySuboru(TextConfigu(ConfigZOkna(s, z))).count("COMbaudrate"), 0u);
}

TEST_F(ZariadeniaFixture, TypedPortAndPhoneBookEntryAreWrittenUnchanged) {
    TStavOkna s = Zobraz(TConfig());
    s[TOvladac::ComboCOMport].text = "Com12";
    s[TOvladac::ComboDUP].text = "Pripojenie, ktoré nie je v zozname";
    std::map<std::string, std::string> r = RiadkySuboru(TextConfigu(ConfigZOkna(s, z)));
    EXPECT_EQ(r["COMport"], "Com12");
    EXPECT_EQ(r["DUPname"], "Pripojenie, ktoré nie je v zozname");
}

// ------------------------------------------------------------ call source

struct Zdroj {
    bool isCAPI, isCOM, isnet;
    bool rbCAPI, rbCOM, rbNet;
    bool seriove, preposielanie;
};

TEST_F(ZariadeniaFixture, TheCallSourceButtonsAndTheGroupsTheyEnableWhenTheWindowOpens) {
    const Zdroj pripady[] = {
        {true, false, false, true, false, false, false, true},
        {false, true, false, false, true, false, true, true},
        {false, false, true, false, false, true, false, false},
        {true, false, true, false, false, true, false, false},
        {true, true, false, false, true, false, true, true},
        {false, true, true, false, false, true, false, false},
        {true, true, true, false, false, true, false, false},
        // None set: no button ticked, both groups as designed.
        {false, false, false, false, false, false, true, true},
    };
    for (const Zdroj& p : pripady) {
        SCOPED_TRACE(testing::Message() << p.isCAPI << p.isCOM << p.isnet);
        TConfig c;
        c.isCAPI = p.isCAPI;
        c.isCOM = p.isCOM;
        c.isnet = p.isnet;
        TStavOkna s = Zobraz(c);
        EXPECT_EQ(s[TOvladac::rbCAPI].zaskrtnute, p.rbCAPI);
        EXPECT_EQ(s[TOvladac::rbCOM].zaskrtnute, p.rbCOM);
        EXPECT_EQ(s[TOvladac::rbNet].zaskrtnute, p.rbNet);
        EXPECT_EQ(s.seriovePovolene, p.seriove);
        EXPECT_EQ(s.preposielaniePovolene, p.preposielanie);
        // A save writes one source, or none when none was ticked.
        std::map<std::string, std::string> r = RiadkySuboru(TextConfigu(ConfigZOkna(s, z)));
        EXPECT_EQ(r["isCAPI"], p.rbCAPI ? "-1" : "0");
        EXPECT_EQ(r["isCOM"], p.rbCOM ? "-1" : "0");
        EXPECT_EQ(r["isnet"], p.rbNet ? "-1" : "0");
    }
}

TEST_F(ZariadeniaFixture, AClickOnASourceTicksItAloneAndSetsTheGroups) {
    struct K {
        TOvladac rb;
        bool seriove, preposielanie;
    };
    const K kliky[] = {{TOvladac::rbCOM, true, true}, {TOvladac::rbNet, false, false},
                       {TOvladac::rbCAPI, false, true}, {TOvladac::rbCOM, true, true}};
    TStavOkna s = Zobraz(TConfig());
    for (const K& k : kliky) {
        SCOPED_TRACE(Vazba(k.rb).meno);
        KlikNaZdroj(s, k.rb);
        for (TOvladac o : {TOvladac::rbCAPI, TOvladac::rbCOM, TOvladac::rbNet})
            EXPECT_EQ(s[o].zaskrtnute, o == k.rb);
        EXPECT_EQ(s.seriovePovolene, k.seriove);
        EXPECT_EQ(s.preposielaniePovolene, k.preposielanie);
    }
}

TEST_F(ZariadeniaFixture, SwitchingToTheNetworkKeepsTheDisabledForwardingValues) {
    TConfig c;
    c.sendUDP = true;
    c.PCIP1 = "127.0.0.1";
    c.PCport1 = "9999";
    TStavOkna s = Zobraz(c);
    KlikNaZdroj(s, TOvladac::rbNet);
    EXPECT_FALSE(s.preposielaniePovolene);
    std::map<std::string, std::string> r = RiadkySuboru(TextConfigu(ConfigZOkna(s, z)));
    EXPECT_EQ(r["isnet"], "-1");
    EXPECT_EQ(r["isCAPI"], "0");
    EXPECT_EQ(r["sendUDP"], "-1");
    EXPECT_EQ(r["PCIP1"], "127.0.0.1");
    EXPECT_EQ(r["PCport1"], "9999");
}

// ------------------------------------------------------------ texts

TEST(ConfigureTexty, TheWindowUsesEachOfItsLanguageLines) {
    std::set<int> pouzite;
    for (const TTextOkna& t : TextyOkna())
        for (int n = t.od; n <= t.po; ++n) pouzite.insert(n);
    std::set<int> cakane;
    for (int n = 15; n <= 61; ++n) cakane.insert(n);
    cakane.insert(122);
    for (int n = 145; n <= 153; ++n) cakane.insert(n);
    EXPECT_EQ(pouzite, cakane);
    // Every element gets one text.
    std::set<std::string> prvky;
    for (const TTextOkna& t : TextyOkna()) EXPECT_TRUE(prvky.insert(t.prvok).second) << t.prvok;
    // Each labelled edit gets its label.
    for (const TVazba& v : Vazby())
        if (v.druh == TDruhOvladaca::LabelledEdit) {
            EXPECT_TRUE(prvky.count(v.meno)) << v.meno;
        }
}

TEST(ConfigureTexty, MemosJoinTheirLinesWithCrLfAndEmptyLinesStayEmpty) {
    TTexty t;
    for (int n = 33; n <= 40; ++n) t.Set(n, "riadok " + std::to_string(n));
    t.Set(36, "");
    auto memo2 = std::find_if(TextyOkna().begin(), TextyOkna().end(),
                              [](const TTextOkna& x) { return std::string(x.prvok) == "Memo2"; });
    ASSERT_NE(memo2, TextyOkna().end());
    EXPECT_EQ(TextPrvku(t, *memo2),
              "riadok 33\r\nriadok 34\r\nriadok 35\r\n\r\nriadok 37\r\nriadok 38\r\nriadok 39\r\nriadok 40");
    EXPECT_EQ(TextPrvku(TTexty(), {"x", 15, 15}), "");
}

TEST(ConfigureTexty, AboutBoxVersionIsLineFourteenABlankAndTheVersion) {
    TTexty t;
    EXPECT_EQ(TextVerzie(t), " 2.70.134");
    t.Set(14, "Verzia");
    EXPECT_EQ(TextVerzie(t), "Verzia 2.70.134");
}

// ------------------------------------------------------------ the save

// Real files; counts the reads of each path and fails writes on request.
class SledovanyFs : public IFileSystem {
public:
    std::map<std::string, int> citania;
    bool zapisZlyha = false;
    bool citanieZlyha = false;
    int kod = 0;  // the system's code of a failure asked for
    bool Exists(const std::string& p) override { return fs_.Exists(p); }
    int64_t Size(const std::string& p) override { return fs_.Size(p); }
    bool ReadAll(const std::string& p, std::string& out) override {
        ++citania[p];
        return !citanieZlyha && fs_.ReadAll(p, out);
    }
    bool WriteAll(const std::string& p, const std::string& d) override { return !zapisZlyha && fs_.WriteAll(p, d); }
    int LastError() const override { return zapisZlyha || citanieZlyha ? kod : fs_.LastError(); }
    int Append(const std::string& p, const std::string& d) override { return fs_.Append(p, d); }
    bool Rename(const std::string& a, const std::string& b) override { return fs_.Rename(a, b); }
    bool Replace(const std::string& a, const std::string& b) override { return fs_.Replace(a, b); }
    bool Remove(const std::string& p) override { return fs_.Remove(p); }

private:
    StdFileSystem fs_;
};

struct RunKey : IRunKey {
    std::vector<std::string> volania;
    Result vysledok = Ok;
    Result SetValue(const std::string& n, const std::string& d) override {
        volania.push_back("set " + n + " " + d);
        return vysledok;
    }
    Result DeleteValue(const std::string& n) override {
        volania.push_back("delete " + n);
        return vysledok;
    }
};

struct UlozenieFixture : ::testing::Test {
    fake::TempDir dir;
    SledovanyFs fs;
    RunKey run;
    TPremenne p;
    std::vector<std::string> kroky;
    TPouzitieConfigu pouzitie;
    const std::string program = "C:\\Program Files\\Vestrix\\Vestrix.exe";

    void SetUp() override {
        p.CestaProgramu = dir.Dir();
        Zariadenia(p.Zariadenia);
        pouzitie.ShowIndicator = [this](TIndikator i, bool on) {
            static const char* const mena[] = {"swNotif", "swNotifErr", "swZvonec", "swDisplay", "swAkcia", "swAkciaErr"};
            kroky.push_back(std::string(mena[static_cast<int>(i)]) + (on ? "+" : "-"));
        };
        pouzitie.SetShowHints = [this](bool on) { kroky.push_back(on ? "hints+" : "hints-"); };
        pouzitie.NastavCOM = [this] {
            // The source is activated with the values already read back.
            kroky.push_back("NastavCOM " + p.Config.COMport);
        };
    }
    std::string Ini() const { return dir / "vestrix.ini"; }
    std::string Subor() {
        std::string s;
        StdFileSystem().ReadAll(Ini(), s);
        return s;
    }
    TStavOkna Otvor() {
        TStavOkna s = NavrhnutyStav();
        ZobrazConfig(s, p.Config, p.Zariadenia);
        return s;
    }
};

TEST_F(UlozenieFixture, SaveWritesTheFileSetsTheRunValueReadsTwiceAndAppliesInOrder) {
    TStavOkna s = Otvor();
    s[TOvladac::cbZvonenie].zaskrtnute = false;
    s[TOvladac::cbNotifikacia].zaskrtnute = true;
    s[TOvladac::cbAction].zaskrtnute = true;
    s[TOvladac::cbHint].zaskrtnute = false;
    s[TOvladac::cbStartUp].zaskrtnute = true;
    s[TOvladac::ComboCOMport].text = "Com5";
    s[TOvladac::edMail1].text = "jano@example.sk";
    // The switches were toggled in the main window since the start.
    p.Prepinace = TPrepinace{false, false, true, false};

    UlozConfig(s, p, fs, run, program, pouzitie);

    TConfig cakane;
    cakane.cidinterval = 100;
    cakane.ring = false;
    cakane.notify = true;
    cakane.action = true;
    cakane.showhint = false;
    cakane.startup = true;
    cakane.COMport = "Com5";
    cakane.email1 = "jano@example.sk";
    cakane.maxrowshistory = 100;
    cakane.cutrowshistory = 10;
    EXPECT_EQ(Subor(), TextConfigu(cakane));
    EXPECT_EQ(run.volania, (std::vector<std::string>{"set Vestrix \"" + program + "\""}));
    EXPECT_EQ(fs.citania[Ini()], 2) << "the file is read back by the writer and once more";
    EXPECT_EQ(p.Config.cidinterval, 100);
    EXPECT_EQ(p.Config.COMport, "Com5");
    EXPECT_TRUE(p.Prepinace.notify);
    EXPECT_TRUE(p.Prepinace.action);
    EXPECT_FALSE(p.Prepinace.ring);
    EXPECT_TRUE(p.Prepinace.cid);
    EXPECT_EQ(kroky, (std::vector<std::string>{"swAkcia+", "swDisplay+", "swZvonec-", "swNotif+", "hints-",
                                               "NastavCOM Com5"}));
}

TEST_F(UlozenieFixture, SaveWithoutStartUpDeletesTheRunValueAndAnUnchangedSaveRewritesAndReactivates) {
    p.Config.startup = true;
    UlozConfig(Otvor(), p, fs, run, program, pouzitie);
    kroky.clear();
    std::string prvy = Subor();
    TStavOkna s = Otvor();
    s[TOvladac::cbStartUp].zaskrtnute = false;
    UlozConfig(s, p, fs, run, program, pouzitie);
    EXPECT_EQ(run.volania.back(), "delete Vestrix");
    // Again without a change: the same file, the source activated again.
    kroky.clear();
    std::string druhy = Subor();
    UlozConfig(Otvor(), p, fs, run, program, pouzitie);
    EXPECT_EQ(Subor(), druhy);
    EXPECT_NE(prvy, druhy);
    EXPECT_EQ(kroky.back(), "NastavCOM Com2");
    EXPECT_EQ(run.volania.back(), "delete Vestrix");
}

TEST_F(UlozenieFixture, ADeviceWithoutARowIsLeftOutOfTheFileButKeptInMemory) {
    StdFileSystem().WriteAll(Ini(), "COMdevice=ZYXELISDN2\r\nCOMbaudrate=br9600\r\n");
    NacitajConfig(p.Config, fs, Ini());
    TStavOkna s = Otvor();
    EXPECT_EQ(s[TOvladac::ComboCOMdevice].text, "");
    EXPECT_EQ(s[TOvladac::ComboDTEspeed].text, "");
    UlozConfig(s, p, fs, run, program, pouzitie);
    std::string f = Subor();
    EXPECT_EQ(f.find("COMdevice="), std::string::npos);
    EXPECT_EQ(f.find("COMbaudrate="), std::string::npos);
    EXPECT_EQ(RiadkySuboru(f).size(), 49u);
    EXPECT_EQ(p.Config.COMdevice, "ZYXELISDN2");
    EXPECT_EQ(p.Config.COMbaudrate, "br9600");
}

TEST_F(UlozenieFixture, AFileThatCannotBeWrittenStopsTheSaveBeforeAnythingChanges) {
    StdFileSystem().WriteAll(Ini(), "ring=0\r\n");
    NacitajConfig(p.Config, fs, Ini());
    TStavOkna s = Otvor();
    s[TOvladac::cbZvonenie].zaskrtnute = true;
    s[TOvladac::cbStartUp].zaskrtnute = true;
    fs.zapisZlyha = true;
    p.Prepinace.ring = false;
    EXPECT_THROW(UlozConfig(s, p, fs, run, program, pouzitie), EInOutError);
    EXPECT_EQ(Subor(), "ring=0\r\n");
    EXPECT_TRUE(run.volania.empty());
    EXPECT_TRUE(kroky.empty());
    EXPECT_FALSE(p.Config.ring);
    EXPECT_FALSE(p.Prepinace.ring);
}

TEST_F(UlozenieFixture, ARunValueThatCannotBeWrittenStopsTheStepsAfterTheFile) {
    TStavOkna s = Otvor();
    s[TOvladac::cbStartUp].zaskrtnute = true;
    s[TOvladac::cbCID].zaskrtnute = false;
    run.vysledok = IRunKey::Failed;
    EXPECT_THROW(UlozConfig(s, p, fs, run, program, pouzitie), ERegistryException);
    EXPECT_NE(Subor().find("cid=0\r\n"), std::string::npos);
    EXPECT_TRUE(kroky.empty());
    // A Run key that cannot be opened is passed over.
    run.vysledok = IRunKey::KeyUnavailable;
    EXPECT_NO_THROW(UlozConfig(s, p, fs, run, program, pouzitie));
    EXPECT_EQ(kroky.back(), "NastavCOM Com2");
}

TEST_F(UlozenieFixture, AFailingSourceActivationComesAfterEverythingElse) {
    pouzitie.NastavCOM = [] { throw EConvertError("'x' is not a valid integer value"); };
    TStavOkna s = Otvor();
    s[TOvladac::cbZvonenie].zaskrtnute = false;
    EXPECT_THROW(UlozConfig(s, p, fs, run, program, pouzitie), EConvertError);
    EXPECT_FALSE(p.Prepinace.ring);
    EXPECT_EQ(kroky.size(), 5u);
}

// The dial-up component as the window asks it for its phone-book entries.
struct DialUp : IDialUp {
    bool chyba = false;  // the library is missing
    int Dial() override { return 0; }
    int GetEntries() override {
        Entries.clear();
        if (chyba) throw Exception("Error opening rasapi.dll");
        Entries = {"Linka", "Druhá linka"};
        return 0;
    }
    int GetConnections() override { return 0; }
    int HangUp() override { return 0; }
};

// What the window shows when it opens, and whether its save may write:
// a missing dial-up library only empties the entry list, while a file that
// cannot be read or converted shows nothing of the file.
TEST_F(UlozenieFixture, OpeningShowsTheFileUnlessItCouldNotBeRead) {
    struct {
        const char* popis;
        std::string ini;
        bool dialUpChyba, citanieZlyha;
        bool zobrazene;
        std::vector<std::string> chyby, polozky;
    } cases[] = {
        {"everything there", "ring=0\r\nDUPname=Ručná\r\n", false, false, true, {}, {"Linka", "Druhá linka"}},
        {"no dial-up library", "ring=0\r\nDUPname=Ručná\r\n", true, false, true, {"Error opening rasapi.dll"}, {}},
        {"a value that does not convert", "ring=0\r\ncid=yes\r\nDUPname=Ručná\r\n", false, false, true,
         {"'yes' is not a valid boolean value\r\nvestrix.ini: cid"}, {"Linka", "Druhá linka"}},
        {"both", "ring=0\r\ncid=yes\r\nDUPname=Ručná\r\n", true, false, true,
         {"Error opening rasapi.dll", "'yes' is not a valid boolean value\r\nvestrix.ini: cid"}, {}},
        {"a file that cannot be read", "ring=0\r\n", false, true, false, {"I/O error 33\r\nvestrix.ini"},
         {"Linka", "Druhá linka"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popis);
        p.Config = TConfig();
        StdFileSystem().WriteAll(Ini(), c.ini);
        DialUp d;
        d.chyba = c.dialUpChyba;
        fs.citanieZlyha = c.citanieZlyha;
        fs.kod = 33;
        TStavOkna s = NavrhnutyStav();
        const TStavOkna navrh = s;
        std::vector<std::string> polozky = {"stará"}, chyby;
        auto chyba = [&] {
            try {
                throw;
            } catch (const std::exception& e) {
                chyby.push_back(e.what());
            }
        };
        EXPECT_EQ(OtvorConfig(s, polozky, p, fs, &d, chyba), c.zobrazene);
        EXPECT_EQ(chyby, c.chyby);
        EXPECT_EQ(polozky, c.polozky);
        if (c.zobrazene) {
            EXPECT_FALSE(s[TOvladac::cbZvonenie].zaskrtnute);
            EXPECT_EQ(s[TOvladac::ComboDUP].text, "Ručná");
            EXPECT_EQ(s[TOvladac::seMaxHistory].cislo, 100);
        } else {
            for (const TVazba& v : Vazby()) {
                EXPECT_EQ(s[v.ovladac].zaskrtnute, navrh[v.ovladac].zaskrtnute) << v.meno;
                EXPECT_EQ(s[v.ovladac].text, navrh[v.ovladac].text) << v.meno;
                EXPECT_EQ(s[v.ovladac].cislo, navrh[v.ovladac].cislo) << v.meno;
            }
        }
        fs.citanieZlyha = false;
    }
}

// A port with letters where the monitor would use it (the UDP port with the
// LAN as the source, the SMTP port with mail on, a forwarding port beside
// its address, as the window is being saved) is refused before the file is
// touched: the save writes nothing, applies nothing, and names the field
// that is wrong, which the window then takes the user to.
TEST_F(UlozenieFixture, APortThatIsNoNumberWhereItIsUsedStopsTheSaveBeforeTheFileAndNamesTheField) {
    TTexty texty;
    texty.Set(17, "Hardvér");
    texty.Set(18, "Notifikácia");
    texty.Set(43, "Port SMTP");
    texty.Set(147, "UDP port");
    texty.Set(148, "Sieť");
    struct {
        TOvladac pole;
        const char* text;
        std::function<void(TStavOkna&)> pouzity;
        std::string sprava, bezTextov;
    } cases[] = {
        {TOvladac::edUDPport, "port", [](TStavOkna& s) { KlikNaZdroj(s, TOvladac::rbNet); },
         "'port' is not a valid integer value\r\nHardvér: UDP port",
         "'port' is not a valid integer value\r\nUDPserverport"},
        {TOvladac::edSMTPport, "25a", [](TStavOkna& s) { s[TOvladac::cbNotifikacia].zaskrtnute = true; },
         "'25a' is not a valid integer value\r\nNotifikácia: Port SMTP",
         "'25a' is not a valid integer value\r\nSMTPport"},
        {TOvladac::ledPCport2, "", [](TStavOkna& s) { s[TOvladac::ledPCIP2].text = "127.0.0.2"; },
         "'' is not a valid integer value\r\nSieť: UDP port 2", "'' is not a valid integer value\r\nPCport2"},
        {TOvladac::ledPCPort3, "88 88", [](TStavOkna& s) { s[TOvladac::ledPCIP3].text = "pc3"; },
         "'88 88' is not a valid integer value\r\nSieť: UDP port 3",
         "'88 88' is not a valid integer value\r\nPCport3"},
    };
    const std::string predtym = "ring=0\r\nUDPserverport=8888\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        for (const TTexty* t : {static_cast<const TTexty*>(&texty), static_cast<const TTexty*>(nullptr)}) {
            StdFileSystem().WriteAll(Ini(), predtym);
            p.Config = TConfig();
            NacitajConfig(p.Config, fs, Ini());
            TStavOkna s = Otvor();
            s[TOvladac::cbZvonenie].zaskrtnute = true;
            s[TOvladac::cbStartUp].zaskrtnute = true;
            s[c.pole].text = c.text;
            c.pouzity(s);
            pouzitie.Texty = t;
            kroky.clear();
            try {
                UlozConfig(s, p, fs, run, program, pouzitie);
                ADD_FAILURE() << "no error";
            } catch (const EZlyPort& e) {
                EXPECT_EQ(e.Message(), t ? c.sprava : c.bezTextov);
                EXPECT_EQ(e.Pole, c.pole);
            }
            EXPECT_EQ(Subor(), predtym);
            EXPECT_TRUE(run.volania.empty());
            EXPECT_TRUE(kroky.empty());
            EXPECT_FALSE(p.Config.ring);
        }
    }
}

// A port that nothing will use after the save is written as typed, as any
// text key is: a forwarding slot without its address, the UDP port while
// another source is chosen, the SMTP port while mail is off. Clearing an
// unused slot's port must not block every other change.
TEST_F(UlozenieFixture, APortThatNothingUsesIsWrittenAsTyped) {
    struct {
        const char* popis;
        std::function<void(TStavOkna&)> zmen;
        std::string riadok;
    } cases[] = {
        {"a forwarding slot without its address",
         [](TStavOkna& s) {
             s[TOvladac::cbSendUDP].zaskrtnute = true;
             s[TOvladac::ledPCIP1].text = "127.0.0.1";
             s[TOvladac::ledPCport2].text = "";
         },
         "\r\nPCIP1=127.0.0.1\r\nPCport1=8888\r\nPCIP2=\r\nPCport2=\r\nPCIP3=\r\n"},
        {"the third slot, also with forwarding on",
         [](TStavOkna& s) {
             s[TOvladac::cbSendUDP].zaskrtnute = true;
             s[TOvladac::ledPCPort3].text = "tretí";
         },
         "\r\nPCport3=tretí\r\n"},
        {"the UDP port while the control is the source",
         [](TStavOkna& s) {
             KlikNaZdroj(s, TOvladac::rbCAPI);
             s[TOvladac::edUDPport].text = "";
         },
         "\r\nUDPserverport=\r\n"},
        {"the UDP port while the serial adapter is the source",
         [](TStavOkna& s) {
             KlikNaZdroj(s, TOvladac::rbCOM);
             s[TOvladac::edUDPport].text = "port";
         },
         "\r\nUDPserverport=port\r\n"},
        {"the SMTP port while mail is off",
         [](TStavOkna& s) {
             s[TOvladac::cbNotifikacia].zaskrtnute = false;
             s[TOvladac::edSMTPport].text = "smtp";
         },
         "\r\nSMTPport=smtp\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.popis);
        // The file had the slot, the LAN and mail in use: what counts is the
        // window being saved.
        StdFileSystem().WriteAll(Ini(), "isnet=-1\r\nisCAPI=0\r\nnotify=-1\r\nPCIP2=127.0.0.2\r\n");
        p.Config = TConfig();
        NacitajConfig(p.Config, fs, Ini());
        TStavOkna s = Otvor();
        s[TOvladac::ledPCIP2].text = "";
        s[TOvladac::cbZvonenie].zaskrtnute = false;
        c.zmen(s);
        kroky.clear();
        EXPECT_NO_THROW(UlozConfig(s, p, fs, run, program, pouzitie));
        const std::string f = Subor();
        EXPECT_NE(f.find(c.riadok), std::string::npos) << f;
        EXPECT_NE(f.find("\r\nring=0\r\n"), std::string::npos) << "the other changes are saved";
        EXPECT_FALSE(p.Prepinace.ring);
        EXPECT_FALSE(kroky.empty()) << "the save is applied";
    }
}

// A file that cannot be written names the system's cause.
TEST_F(UlozenieFixture, AFailedSaveCarriesTheSystemsCode) {
    StdFileSystem().WriteAll(Ini(), "ring=0\r\n");
    fs.zapisZlyha = true;
    fs.kod = 112;
    try {
        UlozConfig(Otvor(), p, fs, run, program, pouzitie);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "I/O error 112");
    }
    EXPECT_EQ(Subor(), "ring=0\r\n");
}

}  // namespace
