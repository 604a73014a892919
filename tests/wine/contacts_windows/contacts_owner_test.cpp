// The program's error message shown while a modal window is open: it is
// owned by the window the user works in, so that after OK that window is in
// front again and every window below it is still disabled.
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

}  // namespace
}  // namespace vx
