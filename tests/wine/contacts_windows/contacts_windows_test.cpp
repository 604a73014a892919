// The contacts windows of the running monitor, as a user sees and works
// them: the address book over vestrix.adr (sort, search, add, delete, save,
// the close question), the add-number window from the main grid, the
// history window over vestrix.hst with its filter and the trim at closing,
// and the Outlook import from our Outlook double.
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/win32/text.h"
#include "contacts/win32/kontakty_ids.h"
#include "monitor/win32/ids.h"
#include "tests/wine/contacts_windows/kontakty_fixture.h"

namespace vx {
namespace {

const char kKniha[] =
    "Ján;Novák;0905111222;;Účtovníctvo Novák\r\n"
    "Eva;Čapek;0244556677;0911000111;Bratislava\r\n"
    "Peter;Bielik;0322111000;;Zeta s.r.o.\r\n";

// The contact the tests add over the add-number window whose number is
// 0907333444, and the line it appends to the book.
const char kMarek[] = "Marek;Šťastný;0907333444;;Žilina\r\n";
void PridajMarka(HWND c) {
    Napis(c, kids::elCislo + 2, "Šťastný");
    Napis(c, kids::elCislo + 3, "Marek");
    Napis(c, kids::elCislo + 4, "Žilina");
    Klik(c, IDOK);
}

TEST_F(KontaktneOkna, AddressBookShowsTheBookSortsBySurnameAndSavesItByteForByte) {
    Zapis(L"vestrix.adr", kKniha);
    HWND w = Spusti();
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a) << "the address book did not open";
    EXPECT_FALSE(IsWindowEnabled(w)) << "the main window takes input under the modal address book";
    EXPECT_EQ(TextOkna(a), "Adresár");
    EXPECT_EQ(Text(a, kids::btHDalsi), "Hľadať další");
    EXPECT_EQ(Text(a, kids::StatusBar1), " Súbor s telefónnymi číslami");
    EXPECT_EQ(Text(a, kids::StatusBar1 + 1), Narrow(dir_) + "vestrix.adr");
    EXPECT_FALSE(IsWindowEnabled(Potomok(a, kids::btHDalsi)));
    HWND g = Potomok(a, kids::sgAdresar);
    EXPECT_EQ(PocetRiadkov(g), 4);
    EXPECT_EQ(Riadok(g, 0, 6), "Č.|Krstné meno|Priezvisko|Firma, Mesto|Telefónne číslo 1|Telefónne číslo 2");
    EXPECT_EQ(Riadok(g, 1, 6), "1|Ján|Novák|Účtovníctvo Novák|0905111222|");
    EXPECT_EQ(Riadok(g, 2, 6), "2|Eva|Čapek|Bratislava|0244556677|0911000111");
    EXPECT_EQ(Riadok(g, 3, 6), "3|Peter|Bielik|Zeta s.r.o.|0322111000|");

    // Sort by surname: Č counts as C for the first letter.
    Klik(a, kids::btUsporiadaj);
    HWND d = CakajNaOkno(kids::kAdresarUspClass);
    ASSERT_TRUE(d) << "no sort dialog";
    EXPECT_EQ(TextOkna(d), "Parametre");
    EXPECT_EQ(Text(d, kids::rbPriezvisko), "Podľa priezviska");
    EXPECT_EQ(Posli(Potomok(d, kids::rbPriezvisko), BM_GETCHECK, 0, 0), BST_CHECKED);
    Klik(d, IDOK);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarUspClass));
    ASSERT_TRUE(CakajNa([&] { return Bunka(g, 2, 1) == "Bielik"; }, kCas)) << Bunka(g, 2, 1);
    EXPECT_EQ(Riadok(g, 1, 6), "1|Peter|Bielik|Zeta s.r.o.|0322111000|");
    EXPECT_EQ(Riadok(g, 2, 6), "2|Eva|Čapek|Bratislava|0244556677|0911000111");
    EXPECT_EQ(Riadok(g, 3, 6), "3|Ján|Novák|Účtovníctvo Novák|0905111222|");
    // The file changes only with the save.
    EXPECT_EQ(Subor(L"vestrix.adr"), kKniha);

    Klik(a, kids::bbtZapis);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_EQ(Subor(L"vestrix.adr"),
              "Peter;Bielik;0322111000;;Zeta s.r.o.\r\n"
              "Eva;Čapek;0244556677;0911000111;Bratislava\r\n"
              "Ján;Novák;0905111222;;Účtovníctvo Novák\r\n");
    EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(w) != FALSE; }, kCas));
}

TEST_F(KontaktneOkna, SearchSelectsTheHitAndSearchOnEndsWithTheMessage) {
    Zapis(L"vestrix.adr", kKniha);
    HWND w = Spusti();
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    HWND g = Potomok(a, kids::sgAdresar);

    Klik(a, kids::btHladaj);
    HWND box = CakajNaOkno(kids::kInputBoxClass);
    ASSERT_TRUE(box) << "no input box";
    EXPECT_EQ(TextOkna(box), "Hľadanie");
    EXPECT_EQ(Text(box, kids::InputPrompt), "Hľadaný text:");
    // Any letter case, inside one cell: "NOV" is in Novák (row 1) and in its firm.
    Napis(box, kids::InputEdit, "nov");
    Klik(box, IDOK);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kInputBoxClass));
    ASSERT_TRUE(CakajNa([&] { return IsWindowEnabled(Potomok(a, kids::btHDalsi)) != FALSE; }, kCas));
    EXPECT_EQ(Posli(g, VXTG_GETRANGE, 0, 0), MAKELRESULT(1, 1));
    EXPECT_EQ(Posli(g, VXTG_GETRANGE, 1, 0), MAKELRESULT(5, 1));

    // Searching on finds nothing more: the message, and the button goes off.
    Klik(a, kids::btHDalsi);
    HWND sprava = CakajNaSpravu();
    ASSERT_TRUE(sprava) << "no message after the last hit";
    EXPECT_EQ(TextSpravy(sprava), "Ďalší výskyt textu nov sa v adresári nenašiel.");
    Odpovedz(sprava, IDOK);
    EXPECT_FALSE(IsWindowEnabled(Potomok(a, kids::btHDalsi)));

    // A text found nowhere, with the button off: the other message.
    Klik(a, kids::btHladaj);
    box = CakajNaOkno(kids::kInputBoxClass);
    ASSERT_TRUE(box);
    Napis(box, kids::InputEdit, "xyz");
    Klik(box, IDOK);
    sprava = CakajNaSpravu();
    ASSERT_TRUE(sprava);
    EXPECT_EQ(TextSpravy(sprava), "Text xyz sa v adresári nenašiel.");
    Odpovedz(sprava, IDOK);

    // Nothing was changed: closing asks nothing and the file stays.
    Klik(a, kids::bbtZrus);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr);
    EXPECT_EQ(Subor(L"vestrix.adr"), kKniha);
}

TEST_F(KontaktneOkna, AddEditDeleteAndTheCloseQuestionReachTheFileAsTheUserChose) {
    Zapis(L"vestrix.adr", kKniha);
    HWND w = Spusti();
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    HWND g = Potomok(a, kids::sgAdresar);

    // Add: the add-number window opens empty and appends its line at once.
    Klik(a, kids::btPridaj);
    HWND c = CakajNaOkno(kids::kCisloClass);
    ASSERT_TRUE(c) << "no add-number window";
    EXPECT_EQ(TextOkna(c), "Pridanie mena do adresára");
    EXPECT_EQ(Text(c, kids::elCisloLabel + 2), "Priezvisko");
    EXPECT_EQ(Text(c, kids::elCislo), "");
    // Without a surname: the message, and the window stays.
    Napis(c, kids::elCislo, "0907333444");
    Klik(c, IDOK);
    HWND sprava = CakajNaSpravu();
    ASSERT_TRUE(sprava);
    EXPECT_EQ(TextSpravy(sprava), "Zadajte telefónne číslo 1 a priezvisko.");
    Odpovedz(sprava, IDOK);
    EXPECT_TRUE(Okno(kids::kCisloClass));
    PridajMarka(c);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kCisloClass));
    const std::string sPridanym = std::string(kKniha) + kMarek;
    EXPECT_EQ(Subor(L"vestrix.adr"), sPridanym);
    ASSERT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 5; }, kCas));
    EXPECT_EQ(Riadok(g, 4, 6), "4|Marek|Šťastný|Žilina|0907333444|");

    // An edit in place and a deleted row change only the grid...
    UpravBunku(g, 3, 1, "Nová firma");
    EXPECT_EQ(Bunka(g, 3, 1), "Nová firma");
    Posli(g, VXTG_SETRANGE, MAKEWPARAM(1, 2), MAKELPARAM(5, 3));
    Klik(a, kids::btVymazat);
    sprava = CakajNaSpravu();
    ASSERT_TRUE(sprava);
    EXPECT_EQ(TextOkna(sprava), "Vymazanie ");
    EXPECT_EQ(TextSpravy(sprava), "Naozaj vymazať riadky od  2  do  3 ?");
    Odpovedz(sprava, IDOK);
    ASSERT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 3; }, kCas));
    EXPECT_EQ(Riadok(g, 2, 6), "2|Marek|Šťastný|Žilina|0907333444|");
    EXPECT_EQ(Subor(L"vestrix.adr"), sPridanym);

    // ...until the close question is answered with OK.
    Klik(a, kids::bbtZrus);
    OdpovedzNaOtazkuUlozenia(IDOK);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    const std::string ulozena =
        "Ján;Novák;0905111222;;Nová firma\r\n"
        "Marek;Šťastný;0907333444;;Žilina\r\n";
    EXPECT_EQ(Subor(L"vestrix.adr"), ulozena);

    // A new window each time: an edit given up with Cancel to the question
    // of the close button or of the title bar's close, which asks the same.
    for (int pokus = 0; pokus < 2; ++pokus) {
        SCOPED_TRACE(pokus == 0 ? "Cancel to the question" : "title bar, Cancel to the question");
        a = OtvorAdresar(w);
        ASSERT_TRUE(a);
        g = Potomok(a, kids::sgAdresar);
        UpravBunku(g, 2, 1, "Iný");
        if (pokus == 0)
            Klik(a, kids::bbtZrus);
        else
            PostMessageW(a, WM_CLOSE, 0, 0);
        OdpovedzNaOtazkuUlozenia(IDCANCEL);
        ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
        EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr);
        EXPECT_EQ(Subor(L"vestrix.adr"), ulozena);
    }

    // The title bar's close of a book left as it was asks nothing.
    a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    PostMessageW(a, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr);
    EXPECT_EQ(Subor(L"vestrix.adr"), ulozena);

    // A surname still being typed in its cell when the title bar's close
    // comes: the question, and OK saves what was typed.
    a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    g = Potomok(a, kids::sgAdresar);
    Posli(g, VXTG_SETRANGE, MAKEWPARAM(2, 2), MAKELPARAM(2, 2));
    PostMessageW(g, WM_KEYDOWN, VK_F2, 0);
    HWND bunka = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (bunka = FindWindowExW(g, nullptr, L"EDIT", nullptr)) && IsWindowVisible(bunka); },
                        kCas))
        << "no edit in the cell";
    Posli(bunka, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide("Šťastná").c_str()));
    PostMessageW(a, WM_SYSCOMMAND, SC_CLOSE, 0);
    OdpovedzNaOtazkuUlozenia(IDOK);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_EQ(Subor(L"vestrix.adr"),
              "Ján;Novák;0905111222;;Nová firma\r\n"
              "Marek;Šťastná;0907333444;;Žilina\r\n");
}

// The main grid's popup: a right click on a row, the entry chosen from the keyboard.
void VyberZPopupu(HWND w, int row) {
    HWND grid = Potomok(w, ids::kGrid);
    PostMessageW(grid, WM_RBUTTONUP, 0, MAKELPARAM(150, row * 19 + 9));
    HWND menu = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, kCas))
        << "no popup";
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(KontaktneOkna, AddNumberFromTheGridWritesTheLineAndNamesTheCallsInGridAndHistory) {
    const std::string historia =
        "07.03.2024  10:00:00;0905111222;;;021\r\n"
        "07.03.2024  11:00:00;0244556677;Iný;Iná;021\r\n"
        "08.03.2024  09:30:00;0905111222;;;021\r\n";
    Zapis(L"vestrix.hst", historia);
    HWND w = Spusti();
    ASSERT_TRUE(w);
    ASSERT_EQ(HlavnaBunka(w, 1, 0), "0905111222");
    ASSERT_EQ(HlavnaBunka(w, 1, 1), "0244556677");

    VyberZPopupu(w, 0);
    HWND c = CakajNaOkno(kids::kCisloClass);
    ASSERT_TRUE(c) << "pridat opened no add-number window";
    EXPECT_EQ(Text(c, kids::elCislo), "0905111222");
    Napis(c, kids::elCislo + 2, "Novák");
    Napis(c, kids::elCislo + 3, "Ján");
    Napis(c, kids::elCislo + 4, "Firma a.s.");
    Klik(c, IDOK);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kCisloClass));

    EXPECT_EQ(Subor(L"vestrix.adr"), "Ján;Novák;0905111222;;Firma a.s.\r\n");
    ASSERT_TRUE(CakajNa([&] { return HlavnaBunka(w, 2, 0) == "Ján Novák"; }, kCas)) << HlavnaBunka(w, 2, 0);
    EXPECT_EQ(HlavnaBunka(w, 3, 0), "Firma a.s.");
    EXPECT_EQ(HlavnaBunka(w, 2, 2), "Ján Novák");
    EXPECT_EQ(HlavnaBunka(w, 2, 1), "Iný");
    EXPECT_EQ(Subor(L"vestrix.hst"),
              "07.03.2024  10:00:00;0905111222;Ján Novák;Firma a.s.;021\r\n"
              "07.03.2024  11:00:00;0244556677;Iný;Iná;021\r\n"
              "08.03.2024  09:30:00;0905111222;Ján Novák;Firma a.s.;021\r\n");
    EXPECT_EQ(Subor(L"vestrix.hbk"), historia);

    // imPridaj opens it with the latest call's number (none yet: empty);
    // leaving with Zruš writes nothing.
    PostMessageW(Potomok(w, ids::kImPridaj), BM_CLICK, 0, 0);
    c = CakajNaOkno(kids::kCisloClass);
    ASSERT_TRUE(c);
    EXPECT_EQ(Text(c, kids::elCislo), "");
    Klik(c, IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kCisloClass));
    EXPECT_EQ(Subor(L"vestrix.adr"), "Ján;Novák;0905111222;;Firma a.s.\r\n");
}

TEST_F(KontaktneOkna, DialPopupOfTheAddressBookDialsTheClickedPhoneWithTheTodosAdapterOnly) {
    Zapis(L"vestrix.adr", kKniha);
    // The serial source with the TODOS adapter (the port itself is not there).
    HWND w = Spusti("isnet=0\r\nCOMdevice=TODOS\r\nCOMport=COM9\r\n");
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    // A right click on phone 2 of Eva Čapek.
    HWND v = OtvorVytacanie(a, 5, 2);
    ASSERT_TRUE(v) << "no dialling window";
    EXPECT_EQ(Text(v, ids::kStOznam), "Zavolať 0911000111  Eva Čapek");
    PostMessageW(v, WM_CLOSE, 0, 0);
    ASSERT_TRUE(CakajNaZatvorenie(L"TFormVytocenie"));
    EXPECT_TRUE(Okno(kids::kAdresarClass));
    Klik(a, kids::bbtZrus);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
}

TEST_F(KontaktneOkna, DialPopupDoesNotOpenWithTheLanSource) {
    Zapis(L"vestrix.adr", kKniha);
    HWND w = Spusti();
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    HWND g = Potomok(a, kids::sgAdresar);
    PostMessageW(g, WM_RBUTTONUP, 0, static_cast<LPARAM>(Posli(g, VXTG_CELLPOINT, 4, 1)));
    Sleep(500);
    HWND menu = FindWindowW(L"#32768", nullptr);
    EXPECT_FALSE(menu && IsWindowVisible(menu));
    Klik(a, kids::bbtZrus);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
}

// n history lines, the name "Novák" on every fifth.
std::string Historia(int n) {
    std::string s;
    for (int i = 1; i <= n; ++i) {
        char riadok[128];
        snprintf(riadok, sizeof riadok, "%02d.03.2024  12:00:%02d;09%08d;%s;Firma %d;021\r\n", 1 + i % 28, i % 60, i,
                 i % 5 == 0 ? "Ján Novák" : "Eva", i);
        s += riadok;
    }
    return s;
}

TEST_F(KontaktneOkna, HistoryShowsTheFileTheFilterNarrowsItAndClosingTrimsIt) {
    const std::string subor = Historia(125);
    Zapis(L"vestrix.hst", subor);
    HWND w = Spusti("cuthistory=-1\r\nmaxrowshistory=120\r\ncutrowshistory=10\r\n");
    ASSERT_TRUE(w);
    PostMessageW(Potomok(w, ids::kImHistoria), BM_CLICK, 0, 0);
    HWND h = CakajNaOkno(kids::kHistoriaClass);
    ASSERT_TRUE(h) << "no history window";
    HWND g = Potomok(h, kids::sgHistoria);
    ASSERT_TRUE(CakajNa([&] { return Text(h, kids::HistoriaStatus + 3) == "125"; }, kCas))
        << Text(h, kids::HistoriaStatus + 3);
    EXPECT_EQ(TextOkna(h), "História hovorov");
    EXPECT_EQ(Text(h, kids::HistoriaStatus), " Súbor histórie");
    EXPECT_EQ(Text(h, kids::HistoriaStatus + 1), Narrow(dir_) + "vestrix.hst");
    EXPECT_EQ(Text(h, kids::HistoriaStatus + 2), " Počet hovorov");
    EXPECT_EQ(PocetRiadkov(g), 126);
    EXPECT_EQ(Riadok(g, 0, 5), "Dátum a čas|Volajúce číslo|Meno|Firma|Volané číslo");
    EXPECT_EQ(Riadok(g, 1, 5), "02.03.2024  12:00:01|0900000001|Eva|Firma 1|021");
    EXPECT_EQ(Riadok(g, 125, 5), "14.03.2024  12:00:05|0900000125|Ján Novák|Firma 125|021");
    EXPECT_EQ(HornyRiadok(g), 107) << "the newest calls are not in view";
    EXPECT_FALSE(IsWindowEnabled(w));

    // The filter: the name criterion, any letter case, anywhere in the name.
    Klik(h, kids::cbFilter);
    HWND f = CakajNaOkno(kids::kFilterClass);
    ASSERT_TRUE(f) << "no filter dialog";
    EXPECT_EQ(TextOkna(f), "Filter histórie");
    EXPECT_EQ(Text(f, kids::ledMenoLabel), "Meno");
    Napis(f, kids::ledMeno, "NOV");
    Posli(Potomok(f, kids::cbMeno), BM_SETCHECK, BST_CHECKED, 0);
    Klik(f, IDOK);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kFilterClass));
    ASSERT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 26; }, kCas)) << PocetRiadkov(g);
    for (int r = 1; r <= 5; ++r) {
        char cislo[16];
        snprintf(cislo, sizeof cislo, "09%08d", r * 5);
        EXPECT_EQ(Bunka(g, 1, r), cislo);
        EXPECT_EQ(Bunka(g, 2, r), "Ján Novák");
    }
    EXPECT_EQ(Posli(Potomok(h, kids::cbFilter), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Text(h, kids::HistoriaStatus + 3), "125");

    // The back button leaves the box unticked and every row shown.
    Klik(h, kids::cbFilter);  // off: all rows
    ASSERT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 126; }, kCas));
    Klik(h, kids::cbFilter);  // on again: the dialog keeps the last text and tick
    f = CakajNaOkno(kids::kFilterClass);
    ASSERT_TRUE(f);
    EXPECT_EQ(Text(f, kids::ledMeno), "NOV");
    EXPECT_EQ(Posli(Potomok(f, kids::cbMeno), BM_GETCHECK, 0, 0), BST_CHECKED);
    Klik(f, IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kFilterClass));
    ASSERT_TRUE(CakajNa([&] { return Posli(Potomok(h, kids::cbFilter), BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, kCas));
    EXPECT_EQ(PocetRiadkov(g), 126);

    // 125 rows shown, more than 120: closing drops the oldest 10 lines. A
    // click while the reload still lets messages through is passed over; the
    // user clicks again.
    ASSERT_TRUE(CakajNa([&] {
        if (Okno(kids::kHistoriaClass)) Klik(h, kids::bbtZavriet);
        return CakajNa([] { return Okno(kids::kHistoriaClass) == nullptr; }, 300);
    }, kCas));
    ASSERT_TRUE(CakajNa([&] { return Subor(L"vestrix.hbk") == subor; }, kCas));
    std::string zostatok = subor;
    for (int i = 0; i < 10; ++i) zostatok.erase(0, zostatok.find("\r\n") + 2);
    EXPECT_EQ(Subor(L"vestrix.hst"), zostatok);
    EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(w) != FALSE; }, kCas));
}

TEST_F(KontaktneOkna, PopupOverTheHistoryTakesTheNumberOfTheHistoryRow) {
    Zapis(L"vestrix.hst",
          "07.03.2024  10:00:00;0911999888;;;021\r\n"
          "08.03.2024  09:30:00;0905111222;;;021\r\n");
    HWND w = Spusti("cuthistory=0\r\n");
    ASSERT_TRUE(w);
    PostMessageW(Potomok(w, ids::kImHistoria), BM_CLICK, 0, 0);
    HWND h = CakajNaOkno(kids::kHistoriaClass);
    ASSERT_TRUE(h);
    HWND g = Potomok(h, kids::sgHistoria);
    ASSERT_TRUE(CakajNa([&] { return Bunka(g, 1, 1) == "0911999888"; }, kCas));
    // Any mouse button opens the main window's number popup.
    PostMessageW(g, WM_LBUTTONUP, 0, static_cast<LPARAM>(Posli(g, VXTG_CELLPOINT, 2, 2)));
    HWND menu = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, kCas))
        << "no number popup over the history";
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND c = CakajNaOkno(kids::kCisloClass);
    ASSERT_TRUE(c);
    // The history's row 2; the main grid's row 2 is empty (its newest call is row 0).
    EXPECT_EQ(Text(c, kids::elCislo), "0905111222");
    Klik(c, IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kCisloClass));
    EXPECT_TRUE(Okno(kids::kHistoriaClass));
    Klik(h, kids::bbtZavriet);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kHistoriaClass));
    EXPECT_EQ(Subor(L"vestrix.adr"), "");
}

TEST_F(KontaktneOkna, HistoryFilteredDownToTheLimitIsNotTrimmed) {
    const std::string subor = Historia(125);
    Zapis(L"vestrix.hst", subor);
    HWND w = Spusti("cuthistory=-1\r\nmaxrowshistory=120\r\ncutrowshistory=10\r\n");
    ASSERT_TRUE(w);
    // From the tray menu this time.
    Prikaz(w, ids::pumHistoria);
    HWND h = CakajNaOkno(kids::kHistoriaClass);
    ASSERT_TRUE(h);
    HWND g = Potomok(h, kids::sgHistoria);
    ASSERT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 126; }, kCas));
    Klik(h, kids::cbFilter);
    HWND f = CakajNaOkno(kids::kFilterClass);
    ASSERT_TRUE(f);
    // The number criterion is exact.
    Napis(f, kids::ledCalling, "0900000007");
    Posli(Potomok(f, kids::cbCislo), BM_SETCHECK, BST_CHECKED, 0);
    Klik(f, IDOK);
    ASSERT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 2 && Bunka(g, 1, 1) == "0900000007"; }, kCas));
    PostMessageW(h, WM_CLOSE, 0, 0);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kHistoriaClass));
    Sleep(300);
    EXPECT_EQ(Subor(L"vestrix.hst"), subor);
    EXPECT_EQ(Subor(L"vestrix.hbk"), "");
}

// ------------------------------------------------------------ faults of stored data

// Another program holds the file open without sharing it, until Pusti.
class Zamok {
public:
    explicit Zamok(const std::wstring& cesta)
        : h_(CreateFileW(cesta.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~Zamok() { Pusti(); }
    bool Drzi() const { return h_ != INVALID_HANDLE_VALUE; }
    void Pusti() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

// The book could not be read when the window opened (another program held
// it); the user edits the empty grid and leaves with the save button or
// with OK to the close question, after the other program let the file go.
TEST_F(KontaktneOkna, AnAddressBookThatCouldNotBeReadIsNeverSavedOver) {
    Zapis(L"vestrix.adr", kKniha);
    HWND w = Spusti();
    ASSERT_TRUE(w);
    for (int tlacidlo : {kids::bbtZapis, kids::bbtZrus}) {
        SCOPED_TRACE(tlacidlo == kids::bbtZapis ? "save" : "close, OK to the question");
        Zamok zamok(dir_ + L"vestrix.adr");
        ASSERT_TRUE(zamok.Drzi());
        PostMessageW(Potomok(w, ids::kImAdresar), BM_CLICK, 0, 0);
        HWND sprava = CakajNaSpravu();
        ASSERT_TRUE(sprava) << "no error at opening";
        EXPECT_EQ(TextSpravy(sprava), "I/O error 32");
        Odpovedz(sprava, IDOK);
        HWND a = CakajNaOkno(kids::kAdresarClass);
        ASSERT_TRUE(a);
        HWND g = Potomok(a, kids::sgAdresar);
        EXPECT_EQ(PocetRiadkov(g), 2);
        zamok.Pusti();
        UpravBunku(g, 2, 1, "Nový");
        Klik(a, tlacidlo);
        // A question, if one comes, answered with OK.
        CakajNa([&] {
            if (HWND q = DialogProcesu(a_.pi.dwProcessId)) PostMessageW(q, WM_COMMAND, IDOK, 0);
            return Okno(kids::kAdresarClass) == nullptr;
        }, kCas);
        ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
        EXPECT_EQ(Subor(L"vestrix.adr"), kKniha);
    }
    // The book is whole and opens as before.
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    EXPECT_EQ(PocetRiadkov(Potomok(a, kids::sgAdresar)), 4);
    Klik(a, kids::bbtZrus);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
}

// The tray menu still works under an open address-book or history window:
// asking for the same window again brings the open one to the front, and
// the open one keeps its own rows.
TEST_F(KontaktneOkna, ASecondWindowOfTheSameKindBringsTheOpenOneToTheFront) {
    Zapis(L"vestrix.adr", kKniha);
    Zapis(L"vestrix.hst", Historia(3));
    HWND w = Spusti("cuthistory=0\r\n");
    ASSERT_TRUE(w);
    struct {
        const wchar_t* trieda;
        UINT obrazok, polozka;
    } okna[] = {{kids::kAdresarClass, ids::kImAdresar, ids::pumAdresar},
                {kids::kHistoriaClass, ids::kImHistoria, ids::pumHistoria}};
    for (const auto& o : okna) {
        PostMessageW(Potomok(w, static_cast<int>(o.obrazok)), BM_CLICK, 0, 0);
        HWND prve = CakajNaOkno(o.trieda);
        ASSERT_TRUE(prve);
        HWND g = Potomok(prve, o.trieda == kids::kAdresarClass ? kids::sgAdresar : kids::sgHistoria);
        ASSERT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 4; }, kCas));
        if (o.trieda == kids::kAdresarClass) Posli(g, VXTG_SETRANGE, MAKEWPARAM(1, 3), MAKELPARAM(5, 3));
        SetForegroundWindow(w);
        Prikaz(w, o.polozka);
        EXPECT_TRUE(CakajNa([&] { return GetForegroundWindow() == prve; }, 5000));
        Sleep(500);
        EXPECT_EQ(PocetOkien(o.trieda), 1) << "a second window opened";
        EXPECT_EQ(PocetRiadkov(g), 4);
        if (o.trieda == kids::kAdresarClass) {
            // A deleted row reaches the file, and every other row with it.
            Klik(prve, kids::btVymazat);
            HWND sprava = CakajNaSpravu();
            ASSERT_TRUE(sprava);
            Odpovedz(sprava, IDOK);
            Klik(prve, kids::bbtZapis);
        } else {
            Klik(prve, kids::bbtZavriet);
        }
        ASSERT_TRUE(CakajNaZatvorenie(o.trieda));
        // Hidden first, destroyed a moment later.
        EXPECT_TRUE(CakajNa([&] { return PocetOkien(o.trieda) == 0; }, kCas));
    }
    EXPECT_EQ(Subor(L"vestrix.adr"),
              "Ján;Novák;0905111222;;Účtovníctvo Novák\r\n"
              "Eva;Čapek;0244556677;0911000111;Bratislava\r\n");
    EXPECT_EQ(Subor(L"vestrix.hst"), Historia(3));
}

// A contact added from the history's number popup while the address book
// is open beneath it (the tray opened the history over the book) is in the
// book's grid as well: the book's save afterwards keeps it in the file.
TEST_F(KontaktneOkna, AContactAddedFromTheHistoryOverAnOpenBookSurvivesTheBooksSave) {
    Zapis(L"vestrix.adr", kKniha);
    Zapis(L"vestrix.hst", "08.03.2024  09:30:00;0907333444;;;021\r\n");
    HWND w = Spusti("cuthistory=0\r\n");
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    HWND g = Potomok(a, kids::sgAdresar);
    ASSERT_EQ(PocetRiadkov(g), 4);
    Prikaz(w, ids::pumHistoria);
    HWND h = CakajNaOkno(kids::kHistoriaClass);
    ASSERT_TRUE(h);
    HWND hg = Potomok(h, kids::sgHistoria);
    ASSERT_TRUE(CakajNa([&] { return Bunka(hg, 1, 1) == "0907333444"; }, kCas));
    PostMessageW(hg, WM_RBUTTONUP, 0, static_cast<LPARAM>(Posli(hg, VXTG_CELLPOINT, 2, 1)));
    HWND menu = nullptr;
    ASSERT_TRUE(CakajNa([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, kCas));
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND c = CakajNaOkno(kids::kCisloClass);
    ASSERT_TRUE(c);
    EXPECT_EQ(Text(c, kids::elCislo), "0907333444");
    PridajMarka(c);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kCisloClass));
    const std::string sPridanym = std::string(kKniha) + kMarek;
    EXPECT_EQ(Subor(L"vestrix.adr"), sPridanym);
    Klik(h, kids::bbtZavriet);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kHistoriaClass));
    EXPECT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 5; }, kCas)) << "the book's grid lacks the new contact";
    Klik(a, kids::bbtZapis);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_EQ(Subor(L"vestrix.adr"), sPridanym);
}

// Without the history keys in vestrix.ini the window's lowest limits hold:
// 100 rows stay as they are, and a trim above them drops 10 lines.
TEST_F(KontaktneOkna, WithTheBuiltInLimitsClosingTheHistoryKeepsUpToAHundredRows) {
    HWND w = Spusti();
    ASSERT_TRUE(w);
    struct {
        int riadky;
        int zostane;
    } pripady[] = {{1, 1}, {30, 30}, {100, 100}, {101, 91}};
    for (const auto& p : pripady) {
        SCOPED_TRACE(p.riadky);
        const std::string subor = Historia(p.riadky);
        Zapis(L"vestrix.hst", subor);
        DeleteFileW((dir_ + L"vestrix.hbk").c_str());
        HWND h = OtvorHistoriu(w, p.riadky);
        ASSERT_TRUE(h);
        ASSERT_EQ(Text(h, kids::HistoriaStatus + 3), std::to_string(p.riadky));
        // Enter: the close button is the default one.
        PostMessageW(Potomok(h, kids::sgHistoria), WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(CakajNaZatvorenie(kids::kHistoriaClass));
        EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(w) != FALSE; }, kCas));
        std::string zostatok = subor;
        for (int i = p.zostane; i < p.riadky; ++i) zostatok.erase(0, zostatok.find("\r\n") + 2);
        // The trim runs once the window is gone.
        if (p.zostane < p.riadky)
            CakajNa([&] { return Subor(L"vestrix.hst") == zostatok; }, kCas);
        else
            Sleep(300);
        EXPECT_EQ(Subor(L"vestrix.hst"), zostatok);
        EXPECT_EQ(GetFileAttributesW((dir_ + L"vestrix.hbk").c_str()) != INVALID_FILE_ATTRIBUTES,
                  p.zostane < p.riadky);
    }
}

// A file error names the system's cause: a folder stands where the save
// writes its new file, which the system refuses as access denied (5), not as
// a file in use (32).
TEST_F(KontaktneOkna, FileErrorsShowTheSystemsCode) {
    Zapis(L"vestrix.adr", kKniha);
    const std::string historia = Historia(130);
    Zapis(L"vestrix.hst", historia);
    ASSERT_TRUE(CreateDirectoryW((dir_ + L"vestrix.adr.tmp").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((dir_ + L"vestrix.hst.tmp").c_str(), nullptr));
    HWND w = Spusti();
    ASSERT_TRUE(w);

    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    UpravBunku(Potomok(a, kids::sgAdresar), 2, 1, "Nový");
    Klik(a, kids::bbtZapis);
    HWND sprava = CakajNaSpravu();
    ASSERT_TRUE(sprava) << "no error on saving";
    EXPECT_EQ(TextSpravy(sprava), "I/O error 5");
    Odpovedz(sprava, IDOK);
    EXPECT_TRUE(Okno(kids::kAdresarClass)) << "the window with its edits stays";
    PostMessageW(a, WM_CLOSE, 0, 0);
    OdpovedzNaOtazkuUlozenia(IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_EQ(Subor(L"vestrix.adr"), kKniha);

    // 130 rows, more than the lowest limit of 100: the trim writes its new file.
    HWND h = OtvorHistoriu(w, 130);
    ASSERT_TRUE(h);
    ASSERT_EQ(Text(h, kids::HistoriaStatus + 3), "130");
    Klik(h, kids::bbtZavriet);
    sprava = CakajNaSpravu();
    ASSERT_TRUE(sprava) << "no error on trimming";
    EXPECT_EQ(TextSpravy(sprava), "I/O error 5");
    Odpovedz(sprava, IDOK);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kHistoriaClass));
    EXPECT_EQ(Subor(L"vestrix.hst"), historia);
}

// ------------------------------------------------------------ a program folder outside code page 1250

class KontaktyVPriecinku : public KontaktneOkna {
protected:
    void SetUp() override {
        KontaktneOkna::SetUp();
        PresunProgram(L"S\x00F8ren\\Vestrix \x6E2C\x8A66");
    }
};

// Every file of the monitor lies in the program's folder, whose name holds
// characters outside code page 1250: the settings and the language are
// read, a call lands in the history and the log, and the address book and
// the history show and name their files.
TEST_F(KontaktyVPriecinku, ACallLandsInTheHistoryAndTheLogAndTheWindowsNameTheirFiles) {
    Zapis(L"vestrix.adr", kKniha);
    // The names come from the address book, not from the datagram.
    HWND w = Spusti("acceptname=0\r\n");
    ASSERT_TRUE(w);
    // vestrix.lng: the captions; vestrix.ini: the LAN source on our port.
    EXPECT_EQ(Text(w, ids::kLSetup), "Nastavenie");
    ASSERT_TRUE(PosliDatagram(port_, "0905111222;021;07.03.2024;10:00:00;;"));
    ASSERT_TRUE(CakajNa([&] { return HlavnaBunka(w, 1, 0) == "0905111222"; }, kCas));
    EXPECT_EQ(HlavnaBunka(w, 2, 0), "Ján Novák") << "the address book named the caller";
    ASSERT_TRUE(CakajNa([&] { return !Subor(L"vestrix.hst").empty(); }, kCas));
    EXPECT_EQ(Subor(L"vestrix.hst"), "07.03.2024  10:00:00;0905111222;Ján Novák;Účtovníctvo Novák;021\r\n");
    const std::vector<std::string> log = Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(Sprava(log.front()), "Štart programu VESTRIX 2.70.134");
    bool volanie = false;
    for (const std::string& l : log) volanie = volanie || Sprava(l) == "Volanie z čísla 0905111222 07.03.2024 10:00:00";
    EXPECT_TRUE(volanie);

    auto Cesta = [](HWND okno, int id) {
        HWND p = Potomok(okno, id);
        wchar_t buf[1024] = {};
        GetWindowTextW(p, buf, 1024);
        return std::wstring(buf);
    };
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    EXPECT_EQ(Cesta(a, kids::StatusBar1 + 1), dir_ + L"vestrix.adr");
    EXPECT_EQ(PocetRiadkov(Potomok(a, kids::sgAdresar)), 4);
    Klik(a, kids::bbtZapis);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_EQ(Subor(L"vestrix.adr"), kKniha);
    HWND h = OtvorHistoriu(w, 1);
    ASSERT_TRUE(h);
    ASSERT_EQ(Text(h, kids::HistoriaStatus + 3), "1");
    EXPECT_EQ(Cesta(h, kids::HistoriaStatus + 1), dir_ + L"vestrix.hst");
    Klik(h, kids::bbtZavriet);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kHistoriaClass));
}

// ------------------------------------------------------------ Outlook

class OutlookKontakty : public KontaktneOkna {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        dvojnik_ = LoadLibraryW(CestaWine(VX_OUTLOOK_DOUBLE).c_str());
        ASSERT_NE(dvojnik_, nullptr);
        ASSERT_EQ(Export("DllRegisterServer"), S_OK);
    }
    static void TearDownTestSuite() {
        if (dvojnik_) {
            Export("DllUnregisterServer");
            FreeLibrary(dvojnik_);
            dvojnik_ = nullptr;
        }
        CoUninitialize();
    }
    static HRESULT Export(const char* meno) {
        using Fn = HRESULT(WINAPI*)();
        auto f = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dvojnik_, meno)));
        return f ? f() : E_NOTIMPL;
    }
    void SetUp() override {
        KontaktneOkna::SetUp();
        // The program inherits where the double finds its contacts.
        SetEnvironmentVariableW(L"VX_OUTLOOK_CONTACTS", (dir_ + L"outlook.txt").c_str());
    }
    void TearDown() override {
        KontaktneOkna::TearDown();
        SetEnvironmentVariableW(L"VX_OUTLOOK_CONTACTS", nullptr);
    }
    static HMODULE dvojnik_;
};
HMODULE OutlookKontakty::dvojnik_ = nullptr;

TEST_F(OutlookKontakty, ImportAddsTheNewContactsToTheGridAndTheSaveToTheFile) {
    Zapis(L"vestrix.adr", "Ján;Novák;0905111222;;Firma\r\n");
    // FirstName, LastName, CompanyName, Mobile, Business, Street, City.
    Zapis(L"outlook.txt",
          "Mária\tKováčová\tŠkola\t+421 905 111 222\t+421 2 1234 5678\t\t\r\n"  // business number new
          "Ján\tNovák\tFirma\t\t0905111222\t\t\r\n"                             // already in the book
          "Zuzana\t\t\t+421 911 222 333\t\tHlavná 1\tKošice\r\n"                  // only a mobile, no surname
          "Chyba\tČítania\t<fail>\t\t\t\t\r\n");                                // a failed read, no number
    HWND w = Spusti();
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a);
    HWND g = Potomok(a, kids::sgAdresar);
    Klik(a, kids::btOutlook);
    HWND o = CakajNaOkno(kids::kImportClass);
    ASSERT_TRUE(o) << "no import window";
    ASSERT_TRUE(CakajNa([&] { return Text(o, kids::ledPredvolba) == "00421"; }, kCas));
    EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
    EXPECT_EQ(TextOkna(o), "Import kontaktov z Microsoft Outlook");
    EXPECT_EQ(Text(o, kids::ledPredvolbaLabel), "Predvoľba štátu");
    EXPECT_EQ(Text(o, kids::btImportuj), "Importuj");

    Klik(o, kids::btImportuj);
    HWND sprava = CakajNaSpravu();
    ASSERT_TRUE(sprava) << "no closing message";
    EXPECT_EQ(TextSpravy(sprava), "Import kontaktov je ukončený.");
    Odpovedz(sprava, IDOK);
    EXPECT_EQ(Text(o, kids::Memo1), "Chyba Čítania");
    EXPECT_EQ(Posli(Potomok(o, kids::ImportGauge), PBM_GETPOS, 0, 0), 100);
    PostMessageW(o, WM_CLOSE, 0, 0);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kImportClass));

    ASSERT_TRUE(CakajNa([&] { return PocetRiadkov(g) == 4; }, kCas)) << PocetRiadkov(g);
    EXPECT_EQ(Riadok(g, 2, 6), "2|Mária|Kováčová|Škola|0212345678|0905111222");
    EXPECT_EQ(Riadok(g, 3, 6), "3||Zuzana|Hlavná 1, Košice||0911222333");
    EXPECT_EQ(Subor(L"vestrix.adr"), "Ján;Novák;0905111222;;Firma\r\n");

    Klik(a, kids::bbtZapis);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_EQ(Subor(L"vestrix.adr"),
              "Ján;Novák;0905111222;;Firma\r\n"
              "Mária;Kováčová;0212345678;0905111222;Škola\r\n"
              ";Zuzana;;0911222333;Hlavná 1, Košice\r\n");
}

}  // namespace
}  // namespace vx
