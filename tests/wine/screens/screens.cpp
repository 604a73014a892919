// The driver of the screenshot tool: starts the real Vestrix.exe in a
// scratch program directory with Slovak contacts and calls, opens its
// windows one after another as a user would, and for each one prints
//   READY <name> <left> <top> <width> <height>
// (the window's rectangle on the screen) once it shows and its picture has
// settled, then waits for a line on stdin before it goes on: the script
// around it (run.sh) takes the picture in between. Without anything on
// stdin it goes on at once. Everything it starts ends with it: the monitor
// through its tray menu's exit command.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "contacts/core/pridaj_cislo.h"
#include "contacts/win32/kontakty_ids.h"
#include "linkor_idl.h"
#include "monitor/win32/configure_ids.h"
#include "monitor/win32/ids.h"
#include "tests/wine/contacts_windows/kontakty_fixture.h"
#include "tests/wine/inspector/meranie.h"
#include "tests/wine/inspector/slovenske_data.h"

namespace vx {
namespace {

const char kFirma[] = "Čističky odpadových vôd, Ťahanovská 15, Prešov";

const char kKniha[] =
    "Ôndrej;Žiak;0905123456;0911222333;Čističky odpadových vôd, Ťahanovská 15, Prešov\r\n"
    "Ľudovít;Štúr;0421555111;;Ústav slovenskej literatúry SAV\r\n"
    "Ďurica;Ďurčo;0907000111;0948777666;Ťažobná spoločnosť Ľubietová\r\n"
    "Ĺudmila;Čierna-Šťastná-Ťažká;02111;;Mesto Senec\r\n"
    "Šimon;Ťažký;0915000222;0902111222;Dĺžka a Šírka, s.r.o.\r\n"
    "Úrsula;Čaplovičová-Žemberová;0944111222;;Účtovníctvo Ďumbier, Štúrova 112, Banská Štiavnica\r\n"
    "Žofia;Ščepková;0911000111;;Čokoládovňa Šťastie\r\n"
    "Ľubomír;Ďuriš;0905000000;0212000111;Ťahanovce\r\n";

const std::string kHistoria = std::string(kSlovenskaHistoria) +
    "30.11.2026  07:00:00;0915000222;Šimon Ťažký;Dĺžka a Šírka, s.r.o.;0212345678\r\n"
    "30.11.2026  07:30:00;0944111222;Úrsula Čaplovičová-Žemberová;Účtovníctvo Ďumbier, Štúrova 112, Banská Štiavnica;"
    "0212345678\r\n"
    "30.11.2026  08:00:00;0033123456789;Ölvedi;Ďaleko;0212345678\r\n"
    "30.11.2026  09:00:00;0905000000;Ľubomír Ďuriš;Ťahanovce;0212345678\r\n";

// The calls that come as datagrams while the main window shows: number,
// name and firm; the last one stays in the call panel.
struct Volanie {
    const char* cislo;
    const char* meno;
    const char* firma;
};
const Volanie kVolania[] = {
    {"0911000111", "Žofia Ščepková", "Čokoládovňa Šťastie"},
    {"anonymous", "", ""},
    {"0907000111", "Ďurica Ďurčo", "Ťažobná spoločnosť Ľubietová"},
    {"0421555111", "Ľudovít Štúr", "Ústav slovenskej literatúry SAV"},
    {"02111", "Ĺudmila Čierna", "Mesto Senec"},
    {"0905123456", "Ôndrej Žiak", kFirma},
};

// A window's rectangle on the screen.
RECT Obdlznik(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

// Waits until what the window shows has settled; then tells the script
// where it is and waits for its answer: "next", or "again" when the X
// server shows the place blank. That happens to a popup menu over a modal
// window: without a window manager the menu's X window may lie below the
// modal one's. The window is then raised to the top and paints itself
// again.
void Snimka(const char* meno, HWND w) {
    if (!w) {
        std::printf("MISSING %s\n", meno);
        std::fflush(stdout);
        return;
    }
    RECT r = Obdlznik(w);
    POINT a{r.left, r.top}, b{r.right, r.bottom};
    ScreenToClient(w, &a);
    ScreenToClient(w, &b);
    const RECT okno{a.x, a.y, b.x, b.y};
    // Settled, and painted (a popup menu shows blank for a moment), in
    // Wine's copy of the screen; the X server shows it a moment later,
    // which run.sh waits for.
    inspector::CakajNa([&] { return inspector::PrvyRiadokAtramentu(OdfotUstalene(w, okno)) >= 0; }, 5000);
    for (;;) {
        std::printf("READY %s %ld %ld %ld %ld\n", meno, r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fflush(stdout);
        char riadok[256];
        if (!std::fgets(riadok, sizeof riadok, stdin) || std::string(riadok).rfind("again", 0) != 0) return;
        SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        OdfotUstalene(w, okno);
    }
}

// A visible popup menu, or null.
HWND Menu() {
    HWND m = FindWindowW(L"#32768", nullptr);
    return m && IsWindowVisible(m) ? m : nullptr;
}

HWND CakajNaMenu() {
    HWND m = nullptr;
    inspector::CakajNa([&] { return (m = Menu()) != nullptr; }, kCas);
    return m;
}

void ZavriMenu(HWND m) {
    PostMessageW(m, WM_KEYDOWN, VK_ESCAPE, 0);
    inspector::CakajNa([] { return Menu() == nullptr; }, kCas);
}

// A visible top-level window of this process whose caption holds `titul`.
HWND CakajNaTitul(const std::wstring& titul) {
    HWND w = nullptr;
    inspector::CakajNa([&] { return (w = inspector::OknoProcesu(GetCurrentProcessId(), nullptr, titul.c_str())); },
                       kCas);
    return w;
}

class Snimky : public KontaktneOkna {
protected:
    // The network as the call source, on a free port.
    HWND SpustiSiet() {
        port_ = VolnyPort();
        Ini("isCAPI=0\r\nisCOM=0\r\nisnet=-1\r\nUDPserverport=" + std::to_string(port_) +
            "\r\ncid=-1\r\nring=0\r\nacceptname=-1\r\n");
        return StartVisible();
    }
    // A call from the network; waits until the newest row of the grid shows it.
    void Volaj(HWND w, const Volanie& v) {
        ASSERT_TRUE(PosliDatagram(port_, std::string(v.cislo) + ";0212345678;30.11.2026;11:00:00;" + v.meno + ";" +
                                             v.firma));
        EXPECT_TRUE(CakajNa(
            [&] { return HlavnaBunka(w, 1, 0) == v.cislo && HlavnaBunka(w, 2, 0) == v.meno; }, kCas))
            << "the call " << v.cislo << " did not show";
    }
    // The modal window of class `trieda` opened by a posted click on
    // button `id` of window `okno`.
    static HWND Otvor(HWND okno, int id, const wchar_t* trieda) {
        Klik(okno, id);
        return CakajNaOkno(trieda);
    }
    // Right click on a cell of the main grid: its popup.
    static HWND MenuMriezky(HWND main, int col, int row) {
        HWND g = Potomok(main, ids::kGrid);
        const RECT r = ObdlznikBunky(g, col, row);
        const LPARAM bod = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(g, WM_RBUTTONDOWN, MK_RBUTTON, bod);
        PostMessageW(g, WM_RBUTTONUP, 0, bod);
        return CakajNaMenu();
    }
    // Right click on a cell of the address book's grid: its popup.
    static HWND MenuAdresara(HWND adresar, int col, int row) {
        HWND g = Potomok(adresar, kids::sgAdresar);
        const LRESULT bod = Posli(g, VXTG_CELLPOINT, static_cast<WPARAM>(col), row);
        if (bod == -1) return nullptr;
        PostMessageW(g, WM_RBUTTONUP, 0, static_cast<LPARAM>(bod));
        return CakajNaMenu();
    }
    // Closes a window by a posted click on its button and waits until it is
    // gone. A question it asks first ("save the changes?") is a picture of
    // its own, `otazka`, and is answered with its cancel button (close
    // without saving).
    bool Zavri(HWND okno, int id, const wchar_t* trieda, const char* otazka = "question") {
        Klik(okno, id);
        if (CakajNa([&] { return Okno(trieda) == nullptr || DialogProcesu(a_.pi.dwProcessId) != nullptr; }, kCas) &&
            Okno(trieda) == nullptr)
            return true;
        if (HWND q = DialogProcesu(a_.pi.dwProcessId)) {
            Snimka(otazka, q);
            PostMessageW(q, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        return CakajNaZatvorenie(trieda);
    }
};

const char* const kKarty[] = {"vseobecne", "hardver", "notifikacia", "kurier", "akcia", "siet", "historia"};

TEST_F(Snimky, WindowsOfTheMonitorWithCallsFromTheNetwork) {
    Zapis(L"vestrix.adr", kKniha);
    Zapis(L"vestrix.hst", kHistoria);
    HWND w = SpustiSiet();
    ASSERT_TRUE(w);
    for (const Volanie& v : kVolania) Volaj(w, v);
    ASSERT_TRUE(CakajNa([&] { return Text(w, ids::kMeno) == "Ôndrej Žiak"; }, kCas));
    // A caller-ID window the calls may have opened is no part of this picture.
    if (HWND cid = OknoCID()) {
        if (IsWindowVisible(cid)) PostMessageW(cid, WM_CLOSE, 0, 0);
        CakajNa([cid] { return !IsWindowVisible(cid); }, kCas);
    }
    Snimka("01-main", w);

    // The caller-ID window: it comes when the main window is hidden.
    Hide(w);
    ASSERT_TRUE(PosliDatagram(port_, "0905123456;0212345678;30.11.2026;11:05:00;Ôndrej Žiak;" + std::string(kFirma)));
    ASSERT_TRUE(CakajNa([] { return OknoCID() && IsWindowVisible(OknoCID()); }, kCas)) << "no caller-ID window";
    CakajNa([] { return Text(OknoCID(), ids::kMeno) == "Ôndrej Žiak"; }, kCas);
    Snimka("02-cid", OknoCID());
    PostMessageW(OknoCID(), WM_CLOSE, 0, 0);
    CakajNa([] { return !IsWindowVisible(OknoCID()); }, kCas);

    // The tray icon's menu.
    KlikNaIkonu(w, WM_RBUTTONDOWN);
    if (HWND m = CakajNaMenu()) {
        Snimka("03-tray-menu", m);
        ZavriMenu(m);
    }
    Prikaz(w, ids::pumZobrazit);
    ASSERT_TRUE(CakajNa([w] { return IsWindowVisible(w) != FALSE; }, kCas));

    // The address book, its search box, its sort dialog, its add window.
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a) << "no address book";
    Snimka("04-address-book", a);
    if (HWND box = Otvor(a, kids::btHladaj, kids::kInputBoxClass)) {
        Napis(box, kids::InputEdit, "Ďurčo");
        Snimka("05-search", box);
        Zavri(box, IDCANCEL, kids::kInputBoxClass);
    }
    if (HWND d = Otvor(a, kids::btUsporiadaj, kids::kAdresarUspClass)) {
        Snimka("06-sort", d);
        PostMessageW(d, WM_CLOSE, 0, 0);
        CakajNaZatvorenie(kids::kAdresarUspClass);
    }
    if (HWND c = Otvor(a, kids::btPridaj, kids::kCisloClass)) {
        Snimka("07-add-number-empty", c);
        Zavri(c, IDCANCEL, kids::kCisloClass);
    }
    Zavri(a, kids::bbtZrus, kids::kAdresarClass, "08-address-book-question");

    // The add-number window from the main grid's popup, for the newest call,
    // with the rest of the fields typed in.
    if (HWND m = MenuMriezky(w, 1, 0)) {
        Snimka("09-grid-menu", m);
        PostMessageW(m, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(m, WM_KEYDOWN, VK_RETURN, 0);
        if (HWND c = CakajNaOkno(kids::kCisloClass)) {
            using P = TPolePridania;
            Napis(c, kids::elCislo + static_cast<int>(P::elCislo2), "0948777666");
            Napis(c, kids::elCislo + static_cast<int>(P::elPriezvisko), "Žiak");
            Napis(c, kids::elCislo + static_cast<int>(P::elKrstne), "Ôndrej");
            Napis(c, kids::elCislo + static_cast<int>(P::elFirma), kFirma);
            Snimka("10-add-number", c);
            Zavri(c, IDCANCEL, kids::kCisloClass);
        }
    }

    // The history window and its filter.
    Klik(w, ids::kImHistoria);
    if (HWND h = CakajNaOkno(kids::kHistoriaClass)) {
        CakajNa([&] { return Text(h, kids::HistoriaStatus + 3).size() > 0; }, kCas);
        Snimka("11-history", h);
        if (HWND f = Otvor(h, kids::cbFilter, kids::kFilterClass)) {
            Snimka("12-history-filter", f);
            Zavri(f, IDCANCEL, kids::kFilterClass);
        }
        Zavri(h, kids::bbtZavriet, kids::kHistoriaClass);
    }

    // The configuration window, tab by tab.
    Klik(w, ids::kImConfigure);
    if (HWND k = CakajNaOkno(ids::kConfigClass)) {
        HWND tab = Potomok(k, ids::config::kNastavenie);
        const int n = static_cast<int>(Posli(tab, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            Posli(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(i), 0);
            CakajNa([&] { return Posli(tab, TCM_GETCURSEL, 0, 0) == i; }, kCas);
            const std::string meno = "13-config-" + std::to_string(i + 1) + "-" +
                                     (i < 7 ? kKarty[i] : std::string("tab"));
            Snimka(meno.c_str(), k);
        }
        Zavri(k, ids::config::bbtZrus, ids::kConfigClass);
    }

    // The about box.
    Prikaz(w, ids::pumOprograme);
    if (HWND o = CakajNaOkno(ids::kAboutClass)) {
        Snimka("14-about", o);
        Zavri(o, ids::about::OKButton, ids::kAboutClass);
    }
}

TEST_F(Snimky, DiallingWindowWithTheSerialSource) {
    Zapis(L"vestrix.adr", kKniha);
    Zapis(L"vestrix.hst", kHistoria);
    // The TODOS adapter on a port that is not there: the dial entry shows all the same.
    Ini("isCAPI=0\r\nisnet=0\r\nisCOM=-1\r\nCOMdevice=TODOS\r\nCOMport=COM9\r\ncid=-1\r\nring=0\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    // A message box about the missing port, if any, is a picture too.
    if (HWND box = DialogProcesu(a_.pi.dwProcessId)) {
        Snimka("15-main-serial-message", box);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    Snimka("15-main-serial", w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    if (HWND m = MenuAdresara(a, 4, 1)) {
        Snimka("16-address-book-dial-menu", m);
        PostMessageW(m, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(m, WM_KEYDOWN, VK_RETURN, 0);
        if (HWND v = CakajNaOkno(ids::kVytocenieClass)) {
            CakajNa([&] { return Text(v, ids::kStOznam).size() > 0; }, kCas);
            Snimka("17-dialling", v);
            PostMessageW(v, WM_CLOSE, 0, 0);
            CakajNaZatvorenie(ids::kVytocenieClass);
        }
    }
    Zavri(a, kids::bbtZrus, kids::kAdresarClass);
}

CLSID Clsid(const wchar_t* text) {
    CLSID c{};
    CLSIDFromString(const_cast<LPOLESTR>(text), &c);
    return c;
}

// The Linkor control's about box and its property pages, in this process
// as a host shows them; the pictures are taken from a second thread while
// the modal windows run on this one.
TEST(SnimkyLinkor, AboutBoxAndPropertyPages) {
    ASSERT_TRUE(RegistrujLinkor());
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ILinkor* c = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_Linkor, nullptr, CLSCTX_INPROC_SERVER, IID_ILinkor, reinterpret_cast<void**>(&c)),
              S_OK);

    std::thread about([] {
        HWND box = CakajNaTitul(L"About");
        Snimka("18-linkor-about", box);
        if (box) PostMessageW(box, WM_CLOSE, 0, 0);
    });
    c->AboutBox();
    about.join();

    // The pages Operation, System and Formats.
    const CLSID pages[] = {Clsid(L"{4B2A64A0-C2C3-482C-8D2F-930AFF829E9C}"),
                           Clsid(L"{D366E837-3BB7-4760-9574-B808A3B9518F}"),
                           Clsid(L"{2EFBF31F-B611-4CA9-BFFA-291CB0FB909E}")};
    std::thread frame([] {
        HWND sheet = CakajNaTitul(L"Linkor");
        if (!sheet) {
            Snimka("19-linkor-pages", nullptr);
            return;
        }
        for (int i = 0; i < 3; ++i) {
            SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(i), 0);
            Sleep(200);
            Snimka(("19-linkor-page-" + std::to_string(i + 1)).c_str(), sheet);
        }
        PostMessageW(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
    IUnknown* u = c;
    OleCreatePropertyFrame(nullptr, 40, 40, L"Linkor", 1, &u, 3, const_cast<CLSID*>(pages), LOCALE_USER_DEFAULT, 0,
                           nullptr);
    frame.join();
    c->Release();
    CoUninitialize();
}

}  // namespace
}  // namespace vx
