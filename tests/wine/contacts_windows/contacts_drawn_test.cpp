// The contacts windows as a user reads them, measured on what they draw:
// every button, label, status panel, header and cell in the font its
// control uses fits it (a long name or firm cut on purpose, with "…"), the
// two phone columns read whole, a call's time is not hidden, and capitals
// keep their accents in the grids' rows. Slovak data with accented
// capitals and long firms; the captions of the shipped vestrix.lng.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/contacts_windows/kontakty_fixture.h"
#include "tests/wine/inspector/meranie.h"
#include "tests/wine/inspector/slovenske_data.h"

namespace vx {
namespace {

const char kKniha[] =
    "Ôndrej;Žiak;0905123456;0911222333;Čističky odpadových vôd, Ťahanovská 15, Prešov\r\n"
    "Ľudovít;Štúr;0421555111;;Ústav slovenskej literatúry SAV\r\n"
    "Ďurica;Ďurčo;0907000111;0948777666;Ťažobná spoločnosť Ľubietová\r\n"
    "Ĺudmila;Čierna-Šťastná-Ťažká;02111;;Mesto Senec\r\n"
    "ZZZ;ZZZ;0900000001;;CCC\r\n"
    "ŽŽŽ;ŽŽŽ;0900000002;;ČČČ\r\n"
    "OOO;DDD;0900000003;;TTT\r\n"
    "ÔÔÔ;ĎĎĎ;0900000004;;ŤŤŤ\r\n";

const std::string kHistoria = std::string(kSlovenskaHistoria) +
    "30.11.2026  23:59:59;0900000001;ZZZ;UUU;0212345678\r\n"
    "30.11.2026  23:59:59;0900000002;ŽŽŽ;ÚÚÚ;0212345678\r\n";

// A control of a window and the kind of its text.
struct Prvok {
    int id;
    TDruh druh;
};

std::string CeleTexty(HWND okno, const std::vector<Prvok>& prvky) {
    std::string chyby;
    for (const Prvok& p : prvky) {
        const std::string c = CelyTextSaZmesti(Potomok(okno, p.id), p.druh);
        if (!c.empty()) chyby += "[" + std::to_string(p.id) + "] " + c;
    }
    return chyby;
}

class VykreslenieKontaktov : public KontaktneOkna {
protected:
    HWND OtvorHistoriu(HWND w) {
        PostMessageW(Potomok(w, ids::kImHistoria), BM_CLICK, 0, 0);
        HWND h = CakajNaOkno(kids::kHistoriaClass);
        CakajNa([&] { return h && Text(h, kids::HistoriaStatus + 3).size() > 0; }, kCas);
        return h;
    }
    // The accent of a capital in two cells of one column, one with plain
    // capitals and one with the accented ones.
    static std::string AkcentVBunkach(HWND g, int col, int rowBez, int rowS) {
        TPismo f(g);
        const TSnimka bez = Odfot(g, ObdlznikBunky(g, col, rowBez)), s = Odfot(g, ObdlznikBunky(g, col, rowS));
        return AkcentJeCely(f.Handle(), bez, s, CelaBunka(g, col, rowBez), CelaBunka(g, col, rowS));
    }
};

TEST_F(VykreslenieKontaktov, AddressBookShowsEveryCaptionWholeAndItsCellsInItsFont) {
    Zapis(L"vestrix.adr", kKniha);
    HWND w = Spusti();
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    EXPECT_EQ(CeleTexty(a, {{kids::btPridaj, TDruh::Tlacidlo},
                            {kids::btVymazat, TDruh::Tlacidlo},
                            {kids::btHladaj, TDruh::Tlacidlo},
                            {kids::btHDalsi, TDruh::Tlacidlo},
                            {kids::btUsporiadaj, TDruh::Tlacidlo},
                            {kids::btOutlook, TDruh::Tlacidlo},
                            {kids::bbtZapis, TDruh::Tlacidlo},
                            {kids::bbtZrus, TDruh::Tlacidlo},
                            {kids::StatusBar1, TDruh::Text}}),
              "");
    // The headers whole (phone 1 and phone 2 tell apart), the row numbers
    // and phones whole, names and firms whole or cut with "…".
    HWND g = Potomok(a, kids::sgAdresar);
    EXPECT_EQ(CelaBunka(g, 4, 0), "Telefónne číslo 1");
    EXPECT_EQ(BunkySaZmestia(g, 6, 0, 9, {0, 4, 5}, 1), "");
    EXPECT_EQ(ZobrazenaBunka(g, 4, 0), "Telefónne číslo 1");
    EXPECT_EQ(ZobrazenaBunka(g, 5, 0), "Telefónne číslo 2");
    EXPECT_EQ(ZobrazenaBunka(g, 1, 0), "Krstné meno");
    EXPECT_NE(ZobrazenaBunka(g, 3, 1), CelaBunka(g, 3, 1)) << "the long firm fits? then it tests nothing";

    // Rows of 16 pixels keep the accents of capitals.
    EXPECT_EQ(AkcentVBunkach(g, 2, 5, 6), "") << "Ž in the surname";
    EXPECT_EQ(AkcentVBunkach(g, 3, 5, 6), "") << "Č in the firm";
    EXPECT_EQ(AkcentVBunkach(g, 1, 7, 8), "") << "Ô in the first name";
    EXPECT_EQ(AkcentVBunkach(g, 2, 7, 8), "") << "Ď in the surname";
    EXPECT_EQ(AkcentVBunkach(g, 3, 7, 8), "") << "Ť in the firm";

    EXPECT_EQ(VsetkyTextySaZmestia(a), "");

    // The search box and the sort dialog.
    Klik(a, kids::btHladaj);
    HWND box = CakajNaOkno(kids::kInputBoxClass);
    ASSERT_TRUE(box);
    EXPECT_EQ(Text(box, IDCANCEL), "Zrušiť");
    EXPECT_EQ(CeleTexty(box, {{kids::InputPrompt, TDruh::Text}, {IDOK, TDruh::Tlacidlo}, {IDCANCEL, TDruh::Tlacidlo}}),
              "");
    Klik(box, IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kInputBoxClass));
    Klik(a, kids::btUsporiadaj);
    HWND d = CakajNaOkno(kids::kAdresarUspClass);
    ASSERT_TRUE(d);
    EXPECT_EQ(CeleTexty(d, {{kids::rbPriezvisko, TDruh::Zaskrtavacie},
                            {kids::rbFirma, TDruh::Zaskrtavacie},
                            {IDOK, TDruh::Tlacidlo}}),
              "");
    PostMessageW(d, WM_CLOSE, 0, 0);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarUspClass));

    // The add-number window.
    Klik(a, kids::btPridaj);
    HWND c = CakajNaOkno(kids::kCisloClass);
    ASSERT_TRUE(c);
    std::vector<Prvok> prvky{{IDOK, TDruh::Tlacidlo}, {IDCANCEL, TDruh::Tlacidlo}};
    for (int i = 0; i < 5; ++i) prvky.push_back({kids::elCisloLabel + i, TDruh::Text});
    EXPECT_EQ(CeleTexty(c, prvky), "");
    Klik(c, IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kCisloClass));

    // The Outlook import window (no Outlook here: its error comes first).
    Klik(a, kids::btOutlook);
    HWND imp = CakajNaOkno(kids::kImportClass);
    ASSERT_TRUE(imp);
    if (HWND chyba = CakajNaSpravu()) Odpovedz(chyba, IDOK);
    EXPECT_EQ(VsetkyTextySaZmestia(imp), "");
    PostMessageW(imp, WM_CLOSE, 0, 0);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kImportClass));
    Klik(a, kids::bbtZrus);
    HWND q = CakajNaSpravu();
    if (q) Odpovedz(q, IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
}

TEST_F(VykreslenieKontaktov, HistoryShowsTheTimeOfEveryCallAndItsFilterWhole) {
    Zapis(L"vestrix.hst", kHistoria);
    HWND w = Spusti();
    ASSERT_TRUE(w);
    HWND h = OtvorHistoriu(w);
    ASSERT_TRUE(h);
    EXPECT_EQ(CeleTexty(h, {{kids::cbFilter, TDruh::Zaskrtavacie},
                            {kids::btDopl, TDruh::Tlacidlo},
                            {kids::bbtZavriet, TDruh::Tlacidlo},
                            {kids::HistoriaStatus, TDruh::Text},
                            {kids::HistoriaStatus + 1, TDruh::Text},
                            {kids::HistoriaStatus + 2, TDruh::Text},
                            {kids::HistoriaStatus + 3, TDruh::Text}}),
              "");
    HWND g = Potomok(h, kids::sgHistoria);
    // Date and time whole in every row, the numbers whole; the headers whole.
    EXPECT_EQ(BunkySaZmestia(g, 5, 0, 8, {0, 1}, 1), "");
    EXPECT_EQ(ZobrazenaBunka(g, 0, 1), "28.11.2026  08:15:33");
    EXPECT_EQ(AkcentVBunkach(g, 2, 6, 7), "") << "Ž in the name";
    EXPECT_EQ(AkcentVBunkach(g, 3, 6, 7), "") << "Ú in the firm";

    Klik(h, kids::cbFilter);
    HWND f = CakajNaOkno(kids::kFilterClass);
    ASSERT_TRUE(f);
    EXPECT_EQ(CeleTexty(f, {{kids::FilterStaticText1, TDruh::Text},
                            {kids::ledCallingLabel, TDruh::Text},
                            {kids::ledMenoLabel, TDruh::Text},
                            {kids::ledFirmaLabel, TDruh::Text},
                            {kids::FilterStaticText2, TDruh::Text},
                            {kids::FilterStaticText3, TDruh::Text},
                            {IDOK, TDruh::Tlacidlo},
                            {IDCANCEL, TDruh::Tlacidlo}}),
              "");
    Klik(f, IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kFilterClass));
    Klik(h, kids::bbtZavriet);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kHistoriaClass));
}

TEST_F(VykreslenieKontaktov, DiallingWindowShowsTheNumberAndTheNameWhole) {
    Zapis(L"vestrix.adr", kKniha);
    // The serial source with the TODOS adapter (the port itself is not there).
    HWND w = Spusti("isnet=0\r\nCOMdevice=TODOS\r\nCOMport=COM9\r\n");
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    HWND v = OtvorVytacanie(a, 4, 1);
    ASSERT_TRUE(v) << "no dialling window";
    ASSERT_EQ(Text(v, ids::kStOznam), "Zavolať 0905123456  Ôndrej Žiak");
    EXPECT_EQ(CelyTextSaZmesti(Potomok(v, ids::kStOznam), TDruh::Text), "");
    EXPECT_EQ(CeleTexty(v, {{ids::kBtVytocit, TDruh::Tlacidlo}, {ids::kBtZrusit, TDruh::Tlacidlo}}), "");
    PostMessageW(v, WM_CLOSE, 0, 0);
    ASSERT_TRUE(CakajNaZatvorenie(ids::kVytocenieClass));
    Klik(a, kids::bbtZrus);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
}

}  // namespace
}  // namespace vx
