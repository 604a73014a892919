// What the user does in a modal contacts window while other things happen:
// the program's error message shown over it is owned by the window the user
// works in, so that after OK that window is in front again and every window
// below it is still disabled; a close asked for while the window's work lets
// messages through is carried out once that work is over.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "contacts/win32/kontakty_ids.h"
#include "monitor/win32/ids.h"
#include "tests/wine/contacts_windows/kontakty_fixture.h"

namespace vx {
namespace {

class ChybaVModalnomOkne : public KontaktneOkna {};

// No Outlook here: the import window's connection fails as it opens, and
// it opens all the same.
TEST_F(ChybaVModalnomOkne, AnErrorInTheImportWindowLeavesItInFrontWithTheWindowsBelowDisabled) {
    Zapis(L"vestrix.adr", "Ján;Novák;0905111222;;Účtovníctvo Novák\r\n");
    HWND w = Spusti();
    ASSERT_TRUE(w);
    HWND a = OtvorAdresar(w);
    ASSERT_TRUE(a) << "the address book did not open";
    Klik(a, kids::btOutlook);
    HWND sprava = CakajNaSpravu();
    ASSERT_TRUE(sprava) << "no error message";
    EXPECT_EQ(TextSpravy(sprava), "Outlook registration failed");
    HWND o = Okno(kids::kImportClass);
    ASSERT_TRUE(o) << "the import window did not open";
    EXPECT_EQ(GetWindow(sprava, GW_OWNER), o) << "the message belongs to another window";
    Odpovedz(sprava, IDOK);

    ASSERT_TRUE(CakajNa([&] { return GetForegroundWindow() == o; }, kCas)) << "the import window is not in front";
    EXPECT_TRUE(IsWindowEnabled(o));
    EXPECT_FALSE(IsWindowEnabled(a)) << "the address book takes input under the import window";
    EXPECT_FALSE(IsWindowEnabled(w)) << "the main window takes input under the modal windows";

    PostMessageW(o, WM_CLOSE, 0, 0);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kImportClass));
    ASSERT_TRUE(CakajNa([&] { return GetForegroundWindow() == a; }, kCas)) << "the address book is not in front";
    EXPECT_TRUE(IsWindowEnabled(a));
    EXPECT_FALSE(IsWindowEnabled(w)) << "the main window takes input under the address book";

    // The import marked the book changed: the close asks, Cancel leaves the file.
    Klik(a, kids::bbtZrus);
    HWND otazka = CakajNaSpravu();
    ASSERT_TRUE(otazka) << "no question of the close";
    Odpovedz(otazka, IDCANCEL);
    ASSERT_TRUE(CakajNaZatvorenie(kids::kAdresarClass));
    EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(w) != FALSE; }, kCas));
    EXPECT_EQ(Subor(L"vestrix.adr"), "Ján;Novák;0905111222;;Účtovníctvo Novák\r\n");
}

// The title bar's close while the name fill-in of a long history runs (its
// gauge shows): the fill-in goes on to its end, and then the window closes,
// with every line filled in.
TEST_F(ChybaVModalnomOkne, ACloseDuringTheFillInClosesTheHistoryWindowOnceItIsOver) {
    Zapis(L"vestrix.adr", "Ján;Novák;0905111222;;Účtovníctvo Novák\r\n");
    const int n = 300000;
    std::string hst;
    hst.reserve(static_cast<size_t>(n) * 48);
    for (int i = 0; i < n; ++i) hst += "07.03.2024  14:05:09;0905111222;;;Port 1\r\n";
    Zapis(L"vestrix.hst", hst);
    HWND w = Spusti("history=-1\r\ncuthistory=0\r\n");
    ASSERT_TRUE(w);
    HWND h = OtvorHistoriu(w, n);
    ASSERT_TRUE(h) << "the history window did not open";
    Klik(h, kids::btDopl);
    ASSERT_TRUE(CakajNa([&] { return Viditelny(h, kids::HistoriaGauge); }, kCas)) << "the fill-in did not start";
    PostMessageW(h, WM_CLOSE, 0, 0);
    ASSERT_TRUE(CakajNa([&] { return Okno(kids::kHistoriaClass) == nullptr; }, 60000))
        << "the close was lost: the window stays open after the fill-in";
    const std::string po = Subor(L"vestrix.hst");
    const std::string riadok = "07.03.2024  14:05:09;0905111222;Ján Novák;Účtovníctvo Novák;Port 1\r\n";
    EXPECT_EQ(po.size(), static_cast<size_t>(n) * riadok.size()) << "not every line was filled in";
    EXPECT_EQ(po.rfind(riadok, 0), 0u);
    EXPECT_EQ(po.compare(po.size() - riadok.size(), riadok.size(), riadok), 0);
    EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(w) != FALSE; }, kCas));
}

}  // namespace
}  // namespace vx
