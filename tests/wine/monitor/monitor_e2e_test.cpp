// What a user sees of the running monitor: one copy only, the tray menu's
// exit with its log lines, start minimised, calls from the LAN in the panel,
// the grid and the caller-ID window, and the error box of a broken file.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "monitor/core/callroutine.h"
#include "monitor/win32/ids.h"
#include "tests/wine/inspector/inspector.h"
#include "tests/wine/monitor/monitor_fixture.h"

namespace vx {
namespace {


// A set-up that fails before it has made its directory leaves the path
// empty; the clean-up then removes nothing, and above all not the working
// directory the tests run in.
TEST(Fixture, CleaningUpWithoutADirectoryRemovesNothing) {
    wchar_t tmp[MAX_PATH], predtym[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    GetCurrentDirectoryW(MAX_PATH, predtym);
    const std::wstring dir = std::wstring(tmp) + L"vx-cleanup-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
    ASSERT_TRUE(ZapisSubor(dir + L"\\subor.txt", "obsah"));
    ASSERT_TRUE(SetCurrentDirectoryW(dir.c_str()));
    SmazStrom(L"");
    SmazStrom(L"subor.txt");
    SetCurrentDirectoryW(predtym);
    EXPECT_EQ(CitajSubor(dir + L"\\subor.txt"), "obsah");
    SmazStrom(dir + L"\\");
    EXPECT_EQ(GetFileAttributesW(dir.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Monitor, SecondStartEndsAtOnceAndLeavesOneCopy) {
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    b_ = Start();
    ASSERT_TRUE(b_.CakajNaKoniec(20000)) << "the second copy did not end";
    EXPECT_EQ(b_.KodKonca(), 0u);
    EXPECT_TRUE(a_.Bezi());
    EXPECT_EQ(PocetOkien(ids::kMainClass), 1);
    EXPECT_TRUE(IsWindowVisible(w));
    b_.Zatvor();

    // A hidden first copy stays hidden.
    Hide(w);
    b_ = Start();
    ASSERT_TRUE(b_.CakajNaKoniec(20000));
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_EQ(PocetOkien(ids::kMainClass), 1);
}

TEST_F(Monitor, ClosingHidesAndTheTrayMenuExitEndsWithTheClosingLines) {
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    // The captions come from the language file, Slovak letters included.
    EXPECT_EQ(Text(w, ids::kLSetup + 4), "História");
    EXPECT_EQ(Text(w, ids::kStCas), "Dátum a čas");
    EXPECT_EQ(Text(w, ids::kCislo), "");
    // No cell is selected after start.
    EXPECT_EQ(HIWORD(VyberMriezky(w)), 10);

    Hide(w);
    EXPECT_TRUE(a_.Bezi());
    KlikNaIkonu(w, WM_LBUTTONDOWN);
    ASSERT_TRUE(CakajNa([w] { return IsWindowVisible(w) != FALSE; }, 10000)) << "the icon did not show the window";

    Prikaz(w, ids::pumUkoncit);
    ASSERT_TRUE(a_.CakajNaKoniec(20000)) << "the exit entry did not end the program";
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(Sprava(log.front()), "Štart programu VESTRIX 2.70.134");
    EXPECT_EQ(Sprava(log[log.size() - 2]), "Ukončenie programu Vestrix");
    EXPECT_EQ(Sprava(log.back()), std::string(42, '-'));
    EXPECT_EQ(log.back().substr(0, 21).size(), 21u);
}

// A trim that stopped half-way left the log's older lines in
// vestrix.log.bkp: the next start takes them back before its first line,
// with or without a vestrix.log beside them, and leaves no backup.
TEST_F(Monitor, StartTakesBackALeftLogBackupEveryLineOnceInOrder) {
    const std::string starsie = "06.03.2024 10:00:00  Štart programu VESTRIX 2.70.134\r\n"
                                "06.03.2024 10:00:05  Volanie z čísla 0905123456 06.03.2024 10:00:05\r\n";
    const std::string novsie = "06.03.2024 11:00:00  Štart programu VESTRIX 2.70.134\r\n";
    for (bool sLogom : {false, true}) {
        SCOPED_TRACE(sLogom ? "backup beside a log" : "backup alone");
        DeleteFileW((dir_ + L"vestrix.log").c_str());
        ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.log.bkp", starsie));
        if (sLogom) {
            ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.log", novsie));
        }
        HWND w = StartVisible();
        ASSERT_TRUE(w);
        Prikaz(w, ids::pumUkoncit);
        ASSERT_TRUE(a_.CakajNaKoniec(20000)) << "the exit entry did not end the program";
        a_.Zatvor();
        EXPECT_EQ(GetFileAttributesW((dir_ + L"vestrix.log.bkp").c_str()), INVALID_FILE_ATTRIBUTES);
        const std::string log = CitajSubor(dir_ + L"vestrix.log");
        const std::string pred = starsie + (sLogom ? novsie : "");
        ASSERT_EQ(log.substr(0, pred.size()), pred);
        std::vector<std::string> dalej = Riadky(log.substr(pred.size()));
        ASSERT_GE(dalej.size(), 3u) << log;
        EXPECT_EQ(Sprava(dalej.front()), "Štart programu VESTRIX 2.70.134");
        EXPECT_EQ(Sprava(dalej[dalej.size() - 2]), "Ukončenie programu Vestrix");
        EXPECT_EQ(Sprava(dalej.back()), std::string(42, '-'));
    }
}

// The height of the tray menu while it is open, closing it again.
int VyskaOtvorenehoMenu() {
    HWND menu = nullptr;
    CakajNa([&] {
        menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu);
    }, 10000);
    if (!menu || !IsWindowVisible(menu)) return -1;
    RECT r;
    GetWindowRect(menu, &r);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    CakajNa([&] { return !IsWindowVisible(menu); }, 10000);
    return r.bottom - r.top;
}

TEST_F(Monitor, TrayMenuHasTheShowEntryTheMenuButtonLeavesItOut) {
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    KlikNaIkonu(w, WM_RBUTTONDOWN);
    int zIkony = VyskaOtvorenehoMenu();
    ASSERT_GT(zIkony, 0) << "the icon's right button opened no menu";
    PostMessageW(Potomok(w, ids::kImMenu), BM_CLICK, 0, 0);
    int zTlacidla = VyskaOtvorenehoMenu();
    ASSERT_GT(zTlacidla, 0) << "the menu button opened no menu";
    EXPECT_LT(zTlacidla, zIkony);
    // Again from the icon: the entry is back.
    KlikNaIkonu(w, WM_RBUTTONDOWN);
    EXPECT_EQ(VyskaOtvorenehoMenu(), zIkony);
    EXPECT_TRUE(a_.Bezi());
}

TEST_F(Monitor, StartMinimisedHidesAfterFiveSeconds) {
    Ini("startminimized=-1\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    DWORD shown = GetTickCount();
    ASSERT_TRUE(CakajNa([w] { return !IsWindowVisible(w); }, 20000)) << "the window did not hide";
    // Not hidden at once: the window stayed up for a good part of the five seconds.
    EXPECT_GE(GetTickCount() - shown, 2500u);
    EXPECT_TRUE(a_.Bezi());
    KlikNaIkonu(w, WM_LBUTTONDOWN);
    ASSERT_TRUE(CakajNa([w] { return IsWindowVisible(w) != FALSE; }, 10000));
    Sleep(6000);  // the timer acts once only
    EXPECT_TRUE(IsWindowVisible(w));
}

TEST_F(Monitor, CallFromTheLanShowsInPanelGridAndCallerIdWindow) {
    unsigned short port = VolnyPort();
    Ini("isCAPI=0\r\nisnet=-1\r\nacceptname=-1\r\ncidinterval=60\r\nUDPserverport=" + std::to_string(port) + "\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swLAN)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swCAPIOFF)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swCAPION)));
    Hide(w);
    EXPECT_EQ(OknoCID(), nullptr);

    ASSERT_TRUE(PosliDatagram(port, "0905123456;021;07.03.2024;14:05:09;Ján Novák;Účtovníctvo"));
    ASSERT_TRUE(CakajNa([w] { return Text(w, ids::kCislo) == "0905123456"; }, 15000)) << Text(w, ids::kCislo);
    ASSERT_TRUE(CakajNa([w] { return Bunka(w, 1, 0) == "0905123456"; }, 5000));
    EXPECT_EQ(Text(w, ids::kMeno), "Ján Novák");
    EXPECT_EQ(Text(w, ids::kFirma), "Účtovníctvo");
    EXPECT_EQ(Bunka(w, 0, 0), "07.03.2024  14:05:09");
    EXPECT_EQ(Bunka(w, 2, 0), "Ján Novák");
    EXPECT_EQ(Bunka(w, 3, 0), "Účtovníctvo");
    EXPECT_EQ(Bunka(w, 1, 1), "");

    HWND cid = OknoCID();
    ASSERT_TRUE(cid) << "no caller-ID window while the main window is hidden";
    EXPECT_TRUE(IsWindowVisible(cid));
    RECT r;
    GetWindowRect(cid, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 217);
    EXPECT_EQ(r.bottom - r.top, 84);
    EXPECT_TRUE(GetWindowLongW(cid, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(Text(cid, ids::kCislo), "0905123456");
    EXPECT_EQ(Text(cid, ids::kMeno), "Ján Novák");
    EXPECT_EQ(Text(cid, ids::kFirma), "Účtovníctvo");
    EXPECT_TRUE(Viditelny(cid, Ind(TIndikator::swDisplay)));

    // A second call goes on top; the first moves down.
    ASSERT_TRUE(PosliDatagram(port, "0222;021;07.03.2024;14:06:00;Eva;Mesto"));
    ASSERT_TRUE(CakajNa([w] { return Bunka(w, 1, 0) == "0222"; }, 15000));
    EXPECT_EQ(Bunka(w, 1, 1), "0905123456");
    EXPECT_EQ(Text(cid, ids::kCislo), "0222");

    bool logged = false;
    for (const std::string& l : Log())
        if (Sprava(l) == "Prijatie informácie o volajúcom cez LAN z adresy 127.0.0.1") logged = true;
    EXPECT_TRUE(logged);
}

TEST_F(Monitor, DatagramWithoutSemicolonIsACallWhoseFirmIsTheWholeText) {
    unsigned short port = VolnyPort();
    Ini("isCAPI=0\r\nisnet=-1\r\nacceptname=-1\r\nUDPserverport=" + std::to_string(port) + "\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(PosliDatagram(port, "Firma bez bodkočiarky"));
    ASSERT_TRUE(CakajNa([w] { return Bunka(w, 3, 0) == "Firma bez bodkočiarky"; }, 15000)) << Bunka(w, 3, 0);
    EXPECT_EQ(Text(w, ids::kFirma), "Firma bez bodkočiarky");
    EXPECT_EQ(Text(w, ids::kCislo), "");
    EXPECT_EQ(Text(w, ids::kMeno), "");
    EXPECT_EQ(Bunka(w, 1, 0), "");
    EXPECT_EQ(Bunka(w, 2, 0), "");
    EXPECT_EQ(Bunka(w, 0, 0), "  ");
    if (GetForegroundWindow() == w) {
        EXPECT_EQ(OknoCID(), nullptr) << "caller-ID window over the active main window";
    }
}

TEST_F(Monitor, MissingConfiguredProgramShowsTheActionErrorIndicator) {
    unsigned short port = VolnyPort();
    Ini("isCAPI=0\r\nisnet=-1\r\naction=-1\r\nactionprogram1=C:\\nie\\je\\program.exe\r\nUDPserverport=" +
        std::to_string(port) + "\r\n");
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swAkcia)));
    EXPECT_FALSE(Viditelny(w, Ind(TIndikator::swAkciaErr)));
    ASSERT_TRUE(PosliDatagram(port, "0905;021;07.03.2024;14:05:09;A;B"));
    ASSERT_TRUE(CakajNa([w] { return Viditelny(w, Ind(TIndikator::swAkciaErr)); }, 15000));
    EXPECT_EQ(Bunka(w, 1, 0), "0905");
}

struct ZlySubor {
    const wchar_t* subor;
    std::string obsah;  // for vestrix.ini: the lines before the LAN source's
    std::string sprava;
};

// A start that meets a broken file shows its error and goes on: captions,
// the icon, the call source with the values that could be read; calls are
// taken and recorded.
TEST_F(Monitor, MalformedFilesShowTheErrorBoxAndTheStartGoesOn) {
    std::string dlhy;
    for (int i = 0; i < 171; ++i) dlhy += "riadok\r\n";
    const ZlySubor pripady[] = {
        {L"vestrix.ini", "cidinterval=abc\r\n", "'abc' is not a valid integer value\r\nvestrix.ini: cidinterval"},
        {L"vestrix.ini", "ring=\xE1no\r\n", "'\xE1no' is not a valid boolean value\r\nvestrix.ini: ring"},
        {L"vestrix.lng", dlhy, "Range check error"},
    };
    for (const ZlySubor& z : pripady) {
        SCOPED_TRACE(z.sprava);
        const unsigned short port = VolnyPort();
        const std::string siet = "isCAPI=0\r\nisnet=-1\r\nUDPserverport=" + std::to_string(port) + "\r\n";
        Ini(std::wstring(z.subor) == L"vestrix.ini" ? z.obsah + siet : siet);
        if (std::wstring(z.subor) != L"vestrix.ini") {
            ASSERT_TRUE(ZapisSubor(dir_ + z.subor, z.obsah));
        }
        DeleteFileW((dir_ + L"vestrix.hst").c_str());
        a_ = Start();
        HWND box = nullptr;
        ASSERT_TRUE(CakajNa([&] { return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr; }, kStart))
            << "no error box";
        EXPECT_EQ(TextOkna(box), "Vestrix");
        EXPECT_EQ(TextSpravy(box), z.sprava);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        // The box comes once the call source listens, over the main window
        // already shown: it is gone only once it has taken the OK.
        ASSERT_TRUE(CakajNa([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 10000));
        HWND w = CakajNaHlavneOkno(kStart);
        ASSERT_TRUE(w);
        EXPECT_TRUE(a_.Bezi());
        EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
        if (std::wstring(z.subor) == L"vestrix.ini") {
            EXPECT_EQ(Text(w, ids::kLSetup + 4), "História");
            EXPECT_EQ(Text(w, ids::kStCas), "Dátum a čas");
        }
        EXPECT_TRUE(Viditelny(w, Ind(TIndikator::swLAN)));
        EXPECT_TRUE(IkonaVOblasti(w)) << "no icon in the notification area";
        std::vector<std::string> log = Log();
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(Sprava(log.front()), "Štart programu VESTRIX 2.70.134");

        ASSERT_TRUE(PosliDatagram(port, "0905123456;021;07.03.2024;14:05:09;Ján Novák;Účtovníctvo"));
        EXPECT_TRUE(CakajNa([&] { return !CitajSubor(dir_ + L"vestrix.hst").empty(); }, 15000));
        EXPECT_EQ(CitajSubor(dir_ + L"vestrix.hst"), "07.03.2024  14:05:09;0905123456;Ján Novák;Účtovníctvo;021\r\n");

        // Closing only hides: the icon brings the window back.
        Hide(w);
        EXPECT_TRUE(a_.Bezi());
        KlikNaIkonu(w, WM_LBUTTONDOWN);
        ASSERT_TRUE(CakajNa([w] { return IsWindowVisible(w) != FALSE; }, 10000));
        Prikaz(w, ids::pumUkoncit);
        ASSERT_TRUE(a_.CakajNaKoniec(20000));
        a_.Zatvor();
        DeleteFileW((dir_ + L"vestrix.ini").c_str());
        DeleteFileW((dir_ + L"vestrix.log").c_str());
        CopyFileW(CestaWine(VX_LNG_FILE).c_str(), (dir_ + L"vestrix.lng").c_str(), FALSE);
        ASSERT_TRUE(CakajNa([] { return HlavneOkno() == nullptr; }, 15000));
    }
}

// An address book that another program holds open without sharing: the
// call is recorded unnamed and the failure is logged once for it.
TEST_F(Monitor, ACallWhoseBookCannotBeReadIsRecordedUnnamedAndLogged) {
    const unsigned short port = VolnyPort();
    Ini("isCAPI=0\r\nisnet=-1\r\nacceptname=0\r\nUDPserverport=" + std::to_string(port) + "\r\n");
    ASSERT_TRUE(ZapisSubor(dir_ + L"vestrix.adr", "Ján;Novák;0905123456;;Firma a.s.\r\n"));
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    HANDLE zamok = CreateFileW((dir_ + L"vestrix.adr").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(zamok, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(PosliDatagram(port, "0905123456;021;07.03.2024;14:05:09;Iné meno;Iná firma"));
    const bool zapisane = CakajNa([&] { return !CitajSubor(dir_ + L"vestrix.hst").empty(); }, 15000);
    CloseHandle(zamok);
    ASSERT_TRUE(zapisane) << "the call was lost";
    EXPECT_EQ(CitajSubor(dir_ + L"vestrix.hst"), "07.03.2024  14:05:09;0905123456;;;021\r\n");
    EXPECT_EQ(Bunka(w, 1, 0), "0905123456");
    EXPECT_EQ(Bunka(w, 2, 0), "");
    int riadky = 0;
    for (const std::string& l : Log())
        if (Sprava(l).rfind(kRiadokBezMena, 0) == 0) {
            ++riadky;
            EXPECT_NE(l.find("I/O error"), std::string::npos) << l;
        }
    EXPECT_EQ(riadky, 1);

    // Readable again: the next call is named.
    ASSERT_TRUE(PosliDatagram(port, "0905123456;021;07.03.2024;14:06:00;;"));
    ASSERT_TRUE(CakajNa([&] { return Riadky(CitajSubor(dir_ + L"vestrix.hst")).size() == 2; }, 15000));
    EXPECT_EQ(Riadky(CitajSubor(dir_ + L"vestrix.hst"))[1], "07.03.2024  14:06:00;0905123456;Ján Novák;Firma a.s.;021");
}

// A restarted shell announces itself and the icon is added again: the
// window can still hide to it and come back from it.
TEST_F(Monitor, TheIconComesBackWhenTheShellAnnouncesItself) {
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    ASSERT_TRUE(IkonaVOblasti(w));
    ASSERT_TRUE(OdoberIkonu(w)) << "the shell's loss of its icons could not be played";
    ASSERT_FALSE(IkonaVOblasti(w));
    DWORD_PTR r = 0;
    ASSERT_TRUE(SendMessageTimeoutW(w, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 10000, &r));
    EXPECT_TRUE(CakajNa([w] { return IkonaVOblasti(w); }, 10000)) << "no icon after the shell's announcement";
    Hide(w);
    EXPECT_TRUE(a_.Bezi());
    KlikNaIkonu(w, WM_LBUTTONDOWN);
    EXPECT_TRUE(CakajNa([w] { return IsWindowVisible(w) != FALSE; }, 10000));
}

// At log-on the shell may not take icons yet: the refused add is tried
// again, and once the shell takes the icon, closing the window hides it to
// the icon instead of ending the program.
class MonitorPriPrihlaseni : public Monitor {
protected:
    // Starts the monitor while the shell refuses icons, then lets the shell
    // take them once the monitor has asked for its icon; null (with the
    // failure reported) when that could not be played.
    HWND StartSOdmietnutouIkonou() {
        TNahradnaOblast oblast;
        if (!oblast.Zacni()) {
            ADD_FAILURE() << "the shell's notification area could not be stood in for";
            return nullptr;
        }
        HWND w = StartVisible();
        if (w && !CakajNa([&] { return oblast.Pocet(NIM_ADD) >= 1; }, 10000)) {
            ADD_FAILURE() << "the icon was never asked for";
            w = nullptr;
        }
        return w;
    }
};

TEST_F(MonitorPriPrihlaseni, AnIconTheShellRefusedAtTheStartComesOnceTheShellIsReady) {
    HWND w = StartSOdmietnutouIkonou();
    ASSERT_TRUE(w);
    ASSERT_TRUE(CakajNa([w] { return IkonaVOblasti(w); }, 15000)) << "no icon once the shell takes it";
    Hide(w);
    EXPECT_TRUE(a_.Bezi()) << "closing the window ended the program";
    KlikNaIkonu(w, WM_LBUTTONDOWN);
    EXPECT_TRUE(CakajNa([w] { return IsWindowVisible(w) != FALSE; }, 10000)) << "the icon did not bring the window back";
}

// A close that comes as soon as the shell takes icons, before the next try,
// adds the icon itself and hides the window to it.
TEST_F(MonitorPriPrihlaseni, AWindowClosedOnceTheShellIsReadyHidesToTheIcon) {
    HWND w = StartSOdmietnutouIkonou();
    ASSERT_TRUE(w);
    DWORD_PTR r = 0;
    ASSERT_TRUE(SendMessageTimeoutW(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 10000, &r));
    EXPECT_TRUE(IkonaVOblasti(w)) << "no icon after the close";
    EXPECT_FALSE(IsWindowVisible(w));
    // Still running: the icon brings the window back.
    KlikNaIkonu(w, WM_LBUTTONDOWN);
    EXPECT_TRUE(CakajNa([w] { return IsWindowVisible(w) != FALSE; }, 10000)) << "the program ended at the close";
}

// Log-off or shutdown: the session's end does what the tray's exit does.
TEST_F(Monitor, TheEndOfTheSessionWritesTheClosingLinesAndEnds) {
    HWND w = StartVisible();
    ASSERT_TRUE(w);
    DWORD_PTR r = 0;
    ASSERT_TRUE(SendMessageTimeoutW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &r));
    EXPECT_EQ(r, static_cast<DWORD_PTR>(TRUE)) << "the monitor refused the session's end";
    ASSERT_TRUE(SendMessageTimeoutW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &r));
    // The lines are there when the message has returned: Windows may end
    // the process right after it.
    std::vector<std::string> log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(Sprava(log[log.size() - 2]), "Ukončenie programu Vestrix");
    EXPECT_EQ(Sprava(log.back()), std::string(42, '-'));
    EXPECT_FALSE(IkonaVOblasti(w));
    EXPECT_TRUE(a_.CakajNaKoniec(20000));
}

}  // namespace
}  // namespace vx
