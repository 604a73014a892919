// The main window and the caller-ID window as a user reads them, measured
// on what they draw: every label, header, panel line and grid cell in the
// font its control uses fits its control (cut only where a long text is
// cut on purpose, with "…"), and the accents of capitals and the
// descenders are on the screen, not cut off by their boxes. Calls come as
// datagrams with Slovak names and long firms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/win32/text.h"
#include "monitor/win32/ids.h"
#include "tests/wine/inspector/meranie.h"
#include "tests/wine/inspector/slovenske_data.h"
#include "tests/wine/monitor/monitor_fixture.h"

namespace vx {
namespace {

const DWORD kCas = 15000;
const char kFirma[] = "Čističky odpadových vôd, Ťahanovská 15, Prešov";

// Ten calls of the history with capitals carrying accents and long firms:
// the grid of the last ten calls shows them at start.
const std::string kHistoria = std::string(kSlovenskaHistoria) +
    "30.11.2026  07:00:00;0915000222;Šimon Ťažký;Dĺžka a Šírka, s.r.o.;0212345678\r\n"
    "30.11.2026  07:30:00;0944111222;Úrsula Čaplovičová-Žemberová;Účtovníctvo;0212345678\r\n"
    "30.11.2026  08:00:00;0033123456789;Ölvedi;Ďaleko;0212345678\r\n"
    "30.11.2026  09:00:00;0905000000;Ľubomír Ďuriš;Ťahanovce;0212345678\r\n"
    "30.11.2026  10:00:00;0911000111;Žofia Ščepková;Čokoládovňa Šťastie;0212345678\r\n";

// Plain capitals and the same capitals with their accents.
struct Akcent {
    const char* bez;
    const char* s;
};
const Akcent kAkcenty[] = {{"ZZZ", "ŽŽŽ"}, {"CCC", "ČČČ"}, {"SSS", "ŠŠŠ"}, {"DDD", "ĎĎĎ"}, {"TTT", "ŤŤŤ"},
                           {"OOO", "ÔÔÔ"}, {"UUU", "ÚÚÚ"}, {"LLL", "ĹĹĹ"}, {"lll", "ĺĺĺ"}};

class Vykreslenie : public Monitor {
protected:
    HWND Spusti() {
        port_ = VolnyPort();
        Ini("isCAPI=0\r\nisnet=-1\r\nisCOM=0\r\nring=0\r\ncid=-1\r\ncidinterval=100\r\nacceptname=-1\r\n"
            "UDPserverport=" +
            std::to_string(port_) + "\r\n");
        EXPECT_TRUE(ZapisSubor(dir_ + L"vestrix.hst", kHistoria));
        return StartVisible();
    }
    // A call from the network with its name and firm; waits until the
    // window's panel shows it.
    void Volaj(HWND okno, const std::string& cislo, const std::string& meno, const std::string& firma) {
        ASSERT_TRUE(PosliDatagram(port_, cislo + ";0212345678;30.11.2026;11:00:00;" + meno + ";" + firma));
        ASSERT_TRUE(CakajNa(
            [&] {
                HWND w = okno ? okno : OknoCID();
                return w && Text(w, ids::kCislo) == cislo && Text(w, ids::kMeno) == meno &&
                       Text(w, ids::kFirma) == firma;
            },
            kCas))
            << "the call " << cislo << " did not show";
    }
    static RECT Klient(HWND w) {
        RECT r{};
        GetClientRect(w, &r);
        return r;
    }
    // The panel's lines: whole or cut with "…", their fonts' lines in their
    // boxes; then the accents and descenders on the screen, call by call.
    void PanelCitatelny(HWND w, HWND okno) {
        Volaj(okno, "0905123456", "Ôndrej Žiak", kFirma);
        EXPECT_EQ(CelyTextSaZmesti(Potomok(w, ids::kCislo), TDruh::Text), "");
        EXPECT_EQ(ZobrazenySaZmesti(Potomok(w, ids::kCislo)), "");
        EXPECT_EQ(ZobrazenySaZmesti(Potomok(w, ids::kMeno)), "");
        EXPECT_EQ(ZobrazenySaZmesti(Potomok(w, ids::kFirma)), "");
        EXPECT_NE(ZobrazenyText(Potomok(w, ids::kFirma)), kFirma) << "the long firm fits? then it tests nothing";

        HWND meno = Potomok(w, ids::kMeno), firma = Potomok(w, ids::kFirma), cislo = Potomok(w, ids::kCislo);
        TPismo fMeno(meno), fFirma(firma), fCislo(cislo);
        // The name and the number are bold on the screen, not only by their
        // fonts' weight: a face may draw its bold at some sizes with the
        // regular's strokes.
        EXPECT_EQ(JeTucny(fMeno.Handle(), OdfotUstalene(meno, Klient(meno)), "Ôndrej Žiak"), "");
        EXPECT_EQ(JeTucny(fCislo.Handle(), OdfotUstalene(cislo, Klient(cislo)), "0905123456"), "");
        // The name's font is large enough to draw the acute of ĺ apart from
        // the l (smaller sizes of the font merge it into the stem).
        EXPECT_GE(PrvyRiadokAtramentu(Predloha(fMeno.Handle(), "lll")) -
                      PrvyRiadokAtramentu(Predloha(fMeno.Handle(), "ĺĺĺ")),
                  2)
            << "Dĺžka would read Dlžka";
        // Each picture is taken once the screen shows the new call.
        TSnimka predMeno = Odfot(meno, Klient(meno)), predFirma = Odfot(firma, Klient(firma));
        for (const Akcent& a : kAkcenty) {
            Volaj(okno, "1", a.bez, "vvv");
            TSnimka bez = OdfotZmenu(meno, Klient(meno), predMeno), v = OdfotZmenu(firma, Klient(firma), predFirma);
            Volaj(okno, "2", a.s, "yyy");
            TSnimka s = OdfotZmenu(meno, Klient(meno), bez), y = OdfotZmenu(firma, Klient(firma), v);
            EXPECT_EQ(AkcentJeCely(fMeno.Handle(), bez, s, a.bez, a.s), "") << "in the name: " << a.bez;
            EXPECT_EQ(DotahJeCely(fFirma.Handle(), v, y), "") << "the firm's y";
            predMeno = s;
            predFirma = y;
        }
        TSnimka pred = Odfot(cislo, Klient(cislo));
        Volaj(okno, "vvv", "", "");
        TSnimka v = OdfotZmenu(cislo, Klient(cislo), pred);
        Volaj(okno, "anonymous", "", "");
        TSnimka y = OdfotZmenu(cislo, Klient(cislo), v);
        EXPECT_EQ(DotahJeCely(fCislo.Handle(), v, y), "") << "the y of \"anonymous\"";
    }
    unsigned short port_ = 0;
};

TEST_F(Vykreslenie, MainWindowLabelsHeadersAndGridFitTheirFont) {
    HWND w = Spusti();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNa([&] { return Text(w, ids::kLSetup) == "Nastavenie"; }, kCas));
    // The button labels keep two pixels on each side clear, so none touches
    // the window's edge or its neighbour: measured, and on the screen; and
    // the blank of "Pridať meno" shows.
    for (int i = 0; i < 8; ++i) {
        HWND l = Potomok(w, ids::kLSetup + i);
        EXPECT_EQ(CelyTextSaZmesti(l, TDruh::Text, 4), "") << "label " << i;
        EXPECT_EQ(ZobrazenySaZmesti(l, 2), "") << "label " << i;
        EXPECT_EQ(MedzeryVidno(OdfotUstalene(l, Klient(l)), ZobrazenyText(l)), "") << "label " << i;
    }
    ASSERT_EQ(Text(w, ids::kLSetup + 6), "Pridať meno");
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(CelyTextSaZmesti(Potomok(w, ids::kStCas + i), TDruh::Text), "") << "header " << i;
        EXPECT_EQ(ZobrazenySaZmesti(Potomok(w, ids::kStCas + i)), "") << "header " << i;
    }
    EXPECT_EQ(CelyTextSaZmesti(Potomok(w, ids::kTxVerzia), TDruh::Text), "");
    EXPECT_EQ(ZobrazenySaZmesti(Potomok(w, ids::kTxVerzia)), "");

    // Every cell in the grid's one font; a call's date and time and its
    // number whole, the names and firms whole or cut with "…"; on the
    // screen every cell's ink whole and clear of the grid's lines.
    HWND g = Potomok(w, ids::kGrid);
    ASSERT_EQ(CelaBunka(g, 2, 0), "Žofia Ščepková");
    EXPECT_EQ(BunkySaZmestia(g, 4, 0, 10, {0, 1}, 0), "");
    EXPECT_EQ(ZobrazenaBunka(g, 0, 9), "28.11.2026  08:15:33");
    const std::string firma = ZobrazenaBunka(g, 3, 9), tri = Narrow(L"\u2026");
    EXPECT_EQ(firma.substr(0, 14), "Čističky odpad") << firma;
    EXPECT_EQ(firma.substr(firma.size() - tri.size()), tri) << "the long firm is cut with an ellipsis";
}

TEST_F(Vykreslenie, MainWindowPanelAndGridDrawTheAccentsOfCapitals) {
    HWND w = Spusti();
    ASSERT_TRUE(w);
    PanelCitatelny(w, w);
    // The grid's newest row holds the same names: its cells keep the accents
    // too, and so do its older rows (accents above "Žofia" at start).
    HWND g = Potomok(w, ids::kGrid);
    TPismo f(g);
    const RECT bunka = ObdlznikBunky(g, 2, 0);
    TSnimka pred = Odfot(g, bunka);
    for (const Akcent& a : {Akcent{"ZZZ", "ŽŽŽ"}, Akcent{"LLL", "ĹĹĹ"}, Akcent{"DDD", "ĎĎĎ"}, Akcent{"OOO", "ÔÔÔ"}}) {
        Volaj(w, "1", a.bez, "");
        TSnimka bez = OdfotZmenu(g, bunka, pred);
        Volaj(w, "2", a.s, "");
        TSnimka s = OdfotZmenu(g, bunka, bez);
        pred = s;
        EXPECT_EQ(AkcentJeCely(f.Handle(), bez, s, a.bez, a.s), "") << "in the grid: " << a.bez;
    }
}

TEST_F(Vykreslenie, CallerIdWindowDrawsTheWholeNameWithItsAccents) {
    HWND w = Spusti();
    ASSERT_TRUE(w);
    Hide(w);
    ASSERT_TRUE(PosliDatagram(port_, "0905123456;0212345678;30.11.2026;11:00:00;Ôndrej Žiak;" + std::string(kFirma)));
    ASSERT_TRUE(CakajNa([] { return OknoCID() && IsWindowVisible(OknoCID()); }, kCas)) << "no caller-ID window";
    HWND cid = OknoCID();
    PanelCitatelny(cid, nullptr);
}

}  // namespace
}  // namespace vx
