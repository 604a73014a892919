// The configuration window, the about box and the main window's own
// commands, as a user sees them in the running monitor: what the window
// shows of vestrix.ini, what a save writes byte for byte with the Run value
// and what it changes in the main window, what a cancel leaves, and the
// switches and the view toggle of the main window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "base/pascal.h"
#include "base/win32/text.h"
#include "monitor/core/config.h"
#include "monitor/win32/configure_ids.h"
#include "tests/wine/inspector/meranie.h"
#include "tests/wine/monitor/monitor_fixture.h"

namespace vx {
namespace {

namespace cfg = ids::config;
using O = TOvladac;

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The start-with-Windows value, or "<none>".
std::string RunValue() {
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return "<none>";
    wchar_t buf[1024];
    DWORD type = 0, size = sizeof(buf);
    LONG r = RegQueryValueExW(k, L"Vestrix", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) return "<none>";
    if (type != REG_SZ) return "<not a text>";
    return Narrow(std::wstring(buf, size / sizeof(wchar_t) - (size >= 2 && buf[size / 2 - 1] == 0 ? 1 : 0)));
}

void DeleteRunValue() {
    HKEY k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegDeleteValueW(k, L"Vestrix");
    RegCloseKey(k);
}

bool Zaskrtnute(HWND w) { return SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::vector<std::string> Polozky(HWND combo) {
    std::vector<std::string> out;
    LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring buf(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&buf[0]));
        buf.resize(static_cast<size_t>(len > 0 ? len : 0));
        out.push_back(Narrow(buf));
    }
    return out;
}

// A tab's caption, read through the other process's memory.
std::string TextKarty(HWND tab, int i) {
    DWORD pid = 0;
    GetWindowThreadProcessId(tab, &pid);
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!p) return "<no process>";
    char* mem = static_cast<char*>(VirtualAllocEx(p, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    std::string out = "<no item>";
    if (mem) {
        TCITEMW t{};
        t.mask = TCIF_TEXT;
        t.pszText = reinterpret_cast<wchar_t*>(mem + 512);
        t.cchTextMax = 256;
        WriteProcessMemory(p, mem, &t, sizeof(t), nullptr);
        if (SendMessageW(tab, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(mem))) {
            wchar_t buf[257] = {};
            ReadProcessMemory(p, mem + 512, buf, 256 * sizeof(wchar_t), nullptr);
            out = Narrow(buf);
        }
        VirtualFreeEx(p, mem, 0, MEM_RELEASE);
    }
    CloseHandle(p);
    return out;
}

int VyskaKlienta(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return r.bottom;
}

class Konfiguracia : public Monitor {
protected:
    void SetUp() override {
        Monitor::SetUp();
        DeleteRunValue();
        // The dial-up library's stand-in with two phone-book entries.
        ASSERT_TRUE(CopyFileW(CestaWine(VX_RASAPI32_DLL).c_str(), (dir_ + L"rasapi32.dll").c_str(), FALSE));
        ASSERT_TRUE(ZapisSubor(dir_ + L"rasapi32.ini", "[ras]\r\nEntries=Linka,Druhá linka\r\n"));
        port_ = VolnyPort();
    }
    void TearDown() override {
        Monitor::TearDown();
        DeleteRunValue();
    }

    // LAN as the call source, so that no CAPI library is needed.
    std::string Siet() { return "isCAPI=0\r\nisnet=-1\r\nUDPserverport=" + std::to_string(port_) + "\r\n"; }

    static HWND C(HWND w, O o) { return Potomok(w, cfg::Id(o)); }
    static std::string T(HWND w, O o) { return TextOkna(C(w, o)); }
    static void Nastav(HWND w, O o, const std::string& text) {
        SendMessageW(C(w, o), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
    }
    static bool Zatvorene(HWND w) {
        return CakajNa([w] { return !IsWindow(w) || !IsWindowVisible(w); }, 15000);
    }
    std::string Subor() { return CitajSubor(dir_ + L"vestrix.ini"); }
    std::vector<std::string> Jazyk() { return Riadky(CitajSubor(CestaWine(VX_LNG_FILE))); }

    unsigned short port_ = 0;
};

TEST_F(Konfiguracia, ShowsTheFileSavesEveryKeyWithTheRunValueAndAppliesTheSwitches) {
    Ini(Siet() + "repeatafter=45500\r\nDUPname=Ručne zadané\r\nSMTPaddress=10.0.0.1\r\n");
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swDisplay)));
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w) << "the configuration window did not open";
    EXPECT_FALSE(IsWindowEnabled(main)) << "the main window stays usable under a modal window";

    // Texts from the language file.
    EXPECT_EQ(TextOkna(w), "Nastavenie programu Vestrix");
    HWND tab = Potomok(w, cfg::kNastavenie);
    ASSERT_TRUE(tab);
    EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 7);
    const char* const karty[] = {"Všeobecné", "Hardvér", "Notifikácia", "Kuriér", "Akcia", "Sieť", "História"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(TextKarty(tab, i), karty[i]);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0) << "opens on the general tab";
    EXPECT_EQ(T(w, O::cbZvonenie), "Zvoniť pri prichádzajúcom hovore");
    EXPECT_EQ(Text(w, cfg::IdPrvku("stCIDtime")), "sekúnd zobrazovať okno s volajúcim");
    EXPECT_EQ(Text(w, cfg::IdPopisu(O::ledPredvolba)), "Predvoľba štátu");
    EXPECT_EQ(Text(w, cfg::IdPopisu(O::ledPCport2)), "UDP port");
    EXPECT_EQ(Text(w, cfg::IdPrvku("Label1")), "UDP port");
    EXPECT_EQ(Text(w, cfg::IdPrvku("btAction2")), "...");
    EXPECT_EQ(Text(w, cfg::bbtZapis), "Uložiť");
    EXPECT_EQ(Text(w, cfg::bbtZrus), "Zrušiť");
    std::vector<std::string> lng = Jazyk();
    std::string memo2;
    for (int n = 33; n <= 40; ++n) memo2 += (n > 33 ? "\r\n" : "") + lng[static_cast<size_t>(n - 1)];
    EXPECT_EQ(Text(w, cfg::IdPrvku("Memo2")), memo2);

    // The values of the file, built-in defaults for the keys it lacks.
    EXPECT_TRUE(Zaskrtnute(C(w, O::cbZvonenie)));
    EXPECT_TRUE(Zaskrtnute(C(w, O::cbCID)));
    EXPECT_EQ(T(w, O::seCID), "100") << "the built-in 10000 is shown as the range's top";
    EXPECT_EQ(T(w, O::ledPredvolba), "00421");
    EXPECT_EQ(T(w, O::secasmedzi), "45");
    EXPECT_EQ(T(w, O::seCOMInterval), "2");
    EXPECT_EQ(T(w, O::edSMTPaddress), "10.0.0.1");
    EXPECT_EQ(T(w, O::edUDPport), std::to_string(port_));
    EXPECT_EQ(T(w, O::ComboCOMdevice), "TODOS SurfLITE -(INTERVAL)");
    EXPECT_EQ(Polozky(C(w, O::ComboCOMdevice)),
              (std::vector<std::string>{"TODOS SurfLITE -(INTERVAL)", "TODOS ISDN TA -(INTERVAL)",
                                        "ZyXEL Omni.net LCD Plus -(INTERVAL)", "3Com USR ISDN Pro TA -(INTERVAL)"}));
    EXPECT_EQ(T(w, O::ComboCOMport), "Com2");
    EXPECT_EQ(Polozky(C(w, O::ComboCOMport)).size(), 8u);
    EXPECT_EQ(Polozky(C(w, O::ComboCOMport)).back(), "Com8");
    EXPECT_EQ(T(w, O::ComboDTEspeed), "115200");
    EXPECT_EQ(Polozky(C(w, O::ComboDTEspeed)), (std::vector<std::string>{"115200", "57600", "38400"}));
    EXPECT_EQ(Polozky(C(w, O::ComboDUP)), (std::vector<std::string>{"Linka", "Druhá linka"}));
    EXPECT_EQ(T(w, O::ComboDUP), "Ručne zadané");
    // The network source: serial and forwarding controls disabled.
    EXPECT_TRUE(Zaskrtnute(C(w, O::rbNet)));
    EXPECT_FALSE(Zaskrtnute(C(w, O::rbCAPI)));
    EXPECT_FALSE(Zaskrtnute(C(w, O::rbCOM)));
    for (O o : {O::ComboCOMport, O::ComboCOMdevice, O::ComboDTEspeed, O::seCOMInterval, O::cbSendUDP, O::ledPCIP1,
                O::ledPCPort3})
        EXPECT_FALSE(IsWindowEnabled(C(w, o))) << Vazba(o).meno;
    EXPECT_TRUE(IsWindowEnabled(C(w, O::edUDPport)));
    EXPECT_TRUE(IsWindowEnabled(C(w, O::cbPreberatmeno)));
    EXPECT_EQ(SendMessageW(C(w, O::edSMTPaddress), EM_GETLIMITTEXT, 0, 0), 15);
    EXPECT_EQ(SendMessageW(C(w, O::edSMTPport), EM_GETLIMITTEXT, 0, 0), 5);
    EXPECT_EQ(SendMessageW(C(w, O::sePokusy), EM_GETLIMITTEXT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(C(w, O::secasmedzi), EM_GETLIMITTEXT, 0, 0), 3);

    // Only the general tab's controls show; another tab shows its own.
    EXPECT_TRUE(IsWindowVisible(C(w, O::cbZvonenie)));
    EXPECT_FALSE(IsWindowVisible(C(w, O::rbCAPI)));
    SendMessageW(tab, TCM_SETCURFOCUS, 1, 0);
    EXPECT_TRUE(CakajNa([&] { return IsWindowVisible(C(w, O::rbCAPI)) != FALSE; }, 5000));
    EXPECT_FALSE(IsWindowVisible(C(w, O::cbZvonenie)));

    // Edits.
    SendMessageW(C(w, O::cbCID), BM_CLICK, 0, 0);
    SendMessageW(C(w, O::cbStartUp), BM_CLICK, 0, 0);
    Nastav(w, O::edMail1, "jano@example.sk");
    Nastav(w, O::seCID, "7");
    Nastav(w, O::ComboDUP, "Ručne zadané");
    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w)) << "the save did not close the window";

    const std::string cakane =
        "showhint=-1\r\nring=-1\r\ncid=0\r\ncidinterval=7\r\nstartminimized=0\r\n"
        "countryprefix=00421\r\nnotify=0\r\nSMTPaddress=10.0.0.1\r\nSMTPport=25\r\n"
        "email1=jano@example.sk\r\nemail2=\r\nemail3=\r\nDUPconnection=0\r\nDUPname=Ručne zadané\r\nmaxtries=3\r\n"
        "repeatafter=45000\r\nmessanger=0\r\nnamemess1=\r\nnamemess2=\r\nnamemess3=\r\n"
        "PCIP1=\r\nPCport1=8888\r\nPCIP2=\r\nPCport2=8888\r\nPCIP3=\r\nPCport3=8888\r\n"
        "UDPserverport=" + std::to_string(port_) + "\r\nacceptname=-1\r\nsendUDP=0\r\naction=0\r\n"
        "actionprogram1=\r\nactioncalling1=\r\nactioncalled1=\r\n"
        "actionprogram2=\r\nactioncalling2=\r\nactioncalled2=\r\n"
        "actionprogram3=\r\nactioncalling3=\r\nactioncalled3=\r\n"
        "history=-1\r\ncuthistory=-1\r\nmaxrowshistory=100\r\ncutrowshistory=10\r\n"
        "isnet=-1\r\nisCAPI=0\r\nisCOM=0\r\nCOMdevice=TODOS\r\nCOMport=Com2\r\n"
        "COMbaudrate=br115200\r\nCOMinterval=2000\r\nstartup=-1\r\n";
    EXPECT_EQ(Subor(), cakane);
    const std::string program = "\"" + Narrow(dir_) + "Vestrix.exe\"";
    EXPECT_EQ(LowerCase(RunValue()), LowerCase(program));

    // Applied at once: the caller-ID switch is off, the source listens again.
    EXPECT_TRUE(CakajNa([&] { return !Viditelny(main, Ind(TIndikator::swDisplay)); }, 5000));
    EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swZvonec)));
    EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swLAN)));
    EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
    EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
    // The source still takes calls on its port.
    ASSERT_TRUE(PosliDatagram(port_, "0905111222;021;07.03.2024;14:05:09;Ján;Firma"));
    EXPECT_TRUE(CakajNa([&] { return Bunka(main, 1, 0) == "0905111222"; }, 15000));

    // Saving again with the start-up box cleared removes the value.
    w = OtvorKonfiguraciu(main, true);
    ASSERT_TRUE(w);
    EXPECT_TRUE(Zaskrtnute(C(w, O::cbStartUp)));
    EXPECT_FALSE(Zaskrtnute(C(w, O::cbCID)));
    EXPECT_EQ(T(w, O::seCID), "7");
    SendMessageW(C(w, O::cbStartUp), BM_CLICK, 0, 0);
    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_EQ(RunValue(), "<none>");
    EXPECT_NE(Subor().find("\r\nstartup=0\r\n"), std::string::npos);
}

TEST_F(Konfiguracia, CancelAndTheCloseBoxLeaveFileAndMonitorAsTheyWere) {
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swZvonec)));
    // Edited by hand while the monitor runs: the window shows it when it opens.
    const std::string rucne = Siet() + "ring=0\r\nemail2=x@y.sk\r\n";
    Ini(rucne);
    HWND w = OtvorKonfiguraciu(main, true);
    ASSERT_TRUE(w);
    EXPECT_FALSE(Zaskrtnute(C(w, O::cbZvonenie)));
    EXPECT_EQ(T(w, O::edMail2), "x@y.sk");
    SendMessageW(C(w, O::cbStartUp), BM_CLICK, 0, 0);
    Nastav(w, O::edMail2, "iny@y.sk");
    PostMessageW(Potomok(w, cfg::bbtZrus), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_EQ(Subor(), rucne);
    EXPECT_EQ(RunValue(), "<none>");
    // The switches follow only at the next save.
    EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swZvonec)));
    EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(main) != FALSE; }, 5000));

    // The next opening shows the file, not the discarded edits; the close
    // box discards too.
    w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    EXPECT_EQ(T(w, O::edMail2), "x@y.sk");
    EXPECT_FALSE(Zaskrtnute(C(w, O::cbStartUp)));
    Nastav(w, O::edMail2, "tretí@y.sk");
    PostMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_EQ(Subor(), rucne);
    EXPECT_TRUE(a_.Bezi());
}

TEST_F(Konfiguracia, SourceButtonsSetTheirGroupsAndTheSerialChoiceIsSavedAsCodes) {
    Ini(Siet() + "sendUDP=-1\r\nPCIP1=127.0.0.1\r\n");
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    struct Klik {
        O rb;
        bool seriove, preposielanie;
    };
    const Klik kliky[] = {{O::rbCOM, true, true}, {O::rbCAPI, false, true}, {O::rbNet, false, false},
                          {O::rbCOM, true, true}};
    for (const Klik& k : kliky) {
        SCOPED_TRACE(Vazba(k.rb).meno);
        SendMessageW(C(w, k.rb), BM_CLICK, 0, 0);
        for (O o : {O::rbCAPI, O::rbCOM, O::rbNet}) EXPECT_EQ(Zaskrtnute(C(w, o)), o == k.rb);
        for (O o : {O::ComboCOMport, O::ComboCOMdevice, O::ComboDTEspeed, O::seCOMInterval})
            EXPECT_EQ(IsWindowEnabled(C(w, o)) != FALSE, k.seriove) << Vazba(o).meno;
        for (O o : {O::cbSendUDP, O::ledPCIP2, O::ledPCport1})
            EXPECT_EQ(IsWindowEnabled(C(w, o)) != FALSE, k.preposielanie) << Vazba(o).meno;
        EXPECT_TRUE(IsWindowEnabled(C(w, O::edUDPport)));
    }
    // The device picked from its list, a port typed by hand.
    SendMessageW(C(w, O::ComboCOMdevice), CB_SETCURSEL, 2, 0);
    EXPECT_EQ(T(w, O::ComboCOMdevice), "ZyXEL Omni.net LCD Plus -(INTERVAL)");
    SendMessageW(C(w, O::ComboDTEspeed), CB_SETCURSEL, 2, 0);
    Nastav(w, O::ComboCOMport, "Com12");
    Nastav(w, O::seCOMInterval, "60");
    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    const std::string f = Subor();
    for (const char* riadok : {"\r\nisnet=0\r\nisCAPI=0\r\nisCOM=-1\r\nCOMdevice=ZYXELISDN\r\nCOMport=Com12\r\n"
                               "COMbaudrate=br38400\r\nCOMinterval=60000\r\n",
                               "\r\nsendUDP=-1\r\n", "\r\nPCIP1=127.0.0.1\r\n"})
        EXPECT_NE(f.find(riadok), std::string::npos) << riadok << "\n" << f;
    // The serial source is active now.
    EXPECT_TRUE(CakajNa([&] { return Viditelny(main, Ind(TIndikator::swCOMON)); }, 5000));
    EXPECT_FALSE(Viditelny(main, Ind(TIndikator::swLAN)));
}

TEST_F(Konfiguracia, SpinEditsHoldTheirRangesAndAnUnknownDeviceIsLeftOut) {
    Ini(Siet() + "COMdevice=ZYXELISDN2\r\nCOMbaudrate=br9600\r\ncutrowshistory=20\r\n");
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    EXPECT_EQ(T(w, O::ComboCOMdevice), "");
    EXPECT_EQ(T(w, O::ComboDTEspeed), "");
    EXPECT_EQ(T(w, O::seMaxHistory), "100");
    EXPECT_EQ(T(w, O::seCutHistory), "20");
    // A typed number outside the range goes to the bound when the field
    // loses the focus; a text that is no number counts as the lower bound.
    Nastav(w, O::seCutHistory, "5000");
    SendMessageW(C(w, O::seCutHistory), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(T(w, O::seCutHistory), "1000");
    Nastav(w, O::sePokusy, "0");
    SendMessageW(C(w, O::sePokusy), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(T(w, O::sePokusy), "1");
    Nastav(w, O::seMaxHistory, "veľa");
    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    const std::string f = Subor();
    EXPECT_EQ(f.find("COMdevice="), std::string::npos) << f;
    EXPECT_EQ(f.find("COMbaudrate="), std::string::npos) << f;
    EXPECT_NE(f.find("\r\nmaxtries=1\r\n"), std::string::npos);
    EXPECT_NE(f.find("\r\nmaxrowshistory=100\r\ncutrowshistory=1000\r\n"), std::string::npos);
    EXPECT_EQ(Riadky(f).size(), 49u);
}

// A save that fails (vestrix.ini held open by another program without
// sharing it) shows the error and keeps the window open with what the user
// typed: nothing is applied, the file stays as it was and the main window
// stays disabled under the window. Once the file can be written, the same
// window saves those values and closes.
TEST_F(Konfiguracia, ASaveThatCannotWriteTheFileShowsTheErrorAndKeepsTheWindowOpen) {
    const std::string povodny = Siet();
    Ini(povodny);
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    SendMessageW(C(w, O::cbCID), BM_CLICK, 0, 0);
    Nastav(w, O::edMail1, "jano@example.sk");
    HANDLE zamok = CreateFileW((dir_ + L"vestrix.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(zamok, INVALID_HANDLE_VALUE);
    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    HWND box = nullptr;
    const bool chyba = CakajNa([&] { return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr; }, 15000);
    if (chyba) {
        EXPECT_EQ(TextSpravy(box), "I/O error 5");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(CakajNa([&] { return DialogProcesu(a_.pi.dwProcessId) == nullptr; }, 15000));
    }
    CloseHandle(zamok);
    ASSERT_TRUE(chyba) << "no error box";
    // Still open, with the user's values.
    EXPECT_TRUE(CakajNa([&] { return Fokus(w) != nullptr && IsChild(w, Fokus(w)); }, 5000))
        << "the window did not take the focus back";
    ASSERT_TRUE(IsWindow(w) && IsWindowVisible(w)) << "the window closed after a failed save";
    EXPECT_FALSE(Zaskrtnute(C(w, O::cbCID)));
    EXPECT_EQ(T(w, O::edMail1), "jano@example.sk");
    EXPECT_EQ(Subor(), povodny);
    EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swDisplay))) << "nothing was applied";
    EXPECT_FALSE(IsWindowEnabled(main));

    // Saved once the file can be written.
    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
    EXPECT_NE(Subor().find("\r\ncid=0\r\n"), std::string::npos) << Subor();
    EXPECT_NE(Subor().find("\r\nemail1=jano@example.sk\r\n"), std::string::npos) << Subor();
    EXPECT_TRUE(CakajNa([&] { return !Viditelny(main, Ind(TIndikator::swDisplay)); }, 5000));
    EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
    EXPECT_TRUE(a_.Bezi());
}

// After an error while the window opens, its save writes nothing that the
// user did not see: a missing dial-up library only empties the phone-book
// list, and the file's values are shown and saved as they are; a value that
// does not convert is named with its file and key, every other value is
// shown, and the save writes the mended file.
TEST_F(Konfiguracia, AfterAnErrorAtOpeningTheSaveWritesNothingTheUserDidNotSee) {
    struct {
        const char* popis;
        bool bezDialUp;
        std::string zla;  // a line that does not convert
        std::string chyba;
    } pripady[] = {
        {"no dial-up library", true, "", "Error opening rasapi.dll"},
        {"a value that does not convert", false, "ring=yes\r\n", "'yes' is not a valid boolean value\r\nvestrix.ini: ring"},
    };
    for (const auto& p : pripady) {
        SCOPED_TRACE(p.popis);
        // The file as the window writes the values it shows.
        TConfig c;
        c.isCAPI = false;
        c.isnet = true;
        c.UDPserverport = std::to_string(port_);
        c.cidinterval = 100;
        c.maxrowshistory = 100;
        c.cutrowshistory = 10;
        c.ring = false;
        c.email1 = "jano@example.sk";
        c.DUPname = "Ručne zadané";
        const std::string opraveny = TextConfigu(c);
        std::string ini = opraveny;
        ini.insert(ini.find("notify="), p.zla);
        Ini(ini);
        if (p.bezDialUp) {
            ASSERT_TRUE(DeleteFileW((dir_ + L"rasapi32.dll").c_str()));
        }
        a_ = Start();
        HWND box = nullptr;
        if (!p.zla.empty()) {
            // The start-up meets the value first; the main window shows once
            // its error is answered.
            ASSERT_TRUE(CakajNa([&] { return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr; }, kStart));
            EXPECT_EQ(TextSpravy(box), p.chyba);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(CakajNa([&] { return DialogProcesu(a_.pi.dwProcessId) == nullptr; }, 15000));
        }
        HWND main = CakajNaHlavneOkno(kStart);
        ASSERT_TRUE(main);
        PostMessageW(Potomok(main, ids::kImConfigure), BM_CLICK, 0, 0);
        ASSERT_TRUE(CakajNa([&] { return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr; }, 15000))
            << "no error at opening";
        EXPECT_EQ(TextSpravy(box), p.chyba);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        HWND w = nullptr;
        ASSERT_TRUE(CakajNa([&] {
            w = FindWindowW(ids::kConfigClass, nullptr);
            return w && IsWindowVisible(w) && DialogProcesu(a_.pi.dwProcessId) == nullptr;
        }, 15000));
        EXPECT_EQ(T(w, O::edMail1), "jano@example.sk");
        EXPECT_FALSE(Zaskrtnute(C(w, O::cbZvonenie)));
        EXPECT_TRUE(IsWindowEnabled(Potomok(w, cfg::bbtZapis)));
        PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
        ASSERT_TRUE(Zatvorene(w));
        EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
        EXPECT_EQ(Subor(), opraveny);
        EXPECT_EQ(RunValue(), "<none>");
        EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
        Prikaz(main, ids::pumUkoncit);
        ASSERT_TRUE(a_.CakajNaKoniec(15000));
        a_.Zatvor();
        if (p.bezDialUp) {
            ASSERT_TRUE(CopyFileW(CestaWine(VX_RASAPI32_DLL).c_str(), (dir_ + L"rasapi32.dll").c_str(), FALSE));
        }
    }
}

// Letters in a port that the values being saved put to use (the UDP port
// with the LAN as the source, the SMTP port with mail on, a forwarding port
// beside its address): the save shows the conversion error naming the
// field and writes and applies nothing. The window stays open with what the
// user typed, on the field's tab with the focus in it; mended, the same
// window saves, so the next start still listens where it did.
TEST_F(Konfiguracia, ASaveWithLettersInAUsedPortIsRefusedAndTheWindowStaysAtThatField) {
    struct {
        O pole;
        const char* text;
        std::function<void(HWND)> pouzi;  // what puts the port to use
        int karta;
        std::string chyba;
        std::string opravene;  // the port mended
    } pripady[] = {
        {O::edUDPport, "port", [](HWND) {}, 1, "'port' is not a valid integer value\r\nHardvér: UDP port",
         std::to_string(port_)},
        {O::edSMTPport, "smtp", [](HWND w) { SendMessageW(C(w, O::cbNotifikacia), BM_CLICK, 0, 0); }, 2,
         "'smtp' is not a valid integer value\r\nNotifikácia: Port SMTP", "25"},
        {O::ledPCport2, "dva",
         [](HWND w) {
             SendMessageW(C(w, O::rbCAPI), BM_CLICK, 0, 0);
             Nastav(w, O::ledPCIP2, "127.0.0.2");
         },
         5, "'dva' is not a valid integer value\r\nSieť: UDP port 2", "9002"},
    };
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    for (const auto& p : pripady) {
        SCOPED_TRACE(p.text);
        const std::string povodny = Subor();
        const bool displej = Viditelny(main, Ind(TIndikator::swDisplay));
        HWND w = OtvorKonfiguraciu(main);
        ASSERT_TRUE(w);
        SendMessageW(C(w, O::cbCID), BM_CLICK, 0, 0);
        const std::string mail = std::string(p.text) + "@example.sk";
        Nastav(w, O::edMail1, mail);
        p.pouzi(w);
        Nastav(w, p.pole, p.text);
        PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
        HWND box = nullptr;
        ASSERT_TRUE(CakajNa([&] { return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr; }, 15000))
            << "no error box";
        EXPECT_EQ(TextSpravy(box), p.chyba);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(CakajNa([&] { return DialogProcesu(a_.pi.dwProcessId) == nullptr; }, 15000));

        // Still open, at the field, with the user's values; the main window
        // stays disabled under it.
        EXPECT_TRUE(CakajNa([&] { return Fokus(w) == C(w, p.pole); }, 5000)) << "the focus is not in the port";
        ASSERT_TRUE(IsWindow(w) && IsWindowVisible(w)) << "the window closed after a refused save";
        EXPECT_FALSE(IsWindowEnabled(main));
        EXPECT_EQ(SendMessageW(Potomok(w, cfg::kNastavenie), TCM_GETCURSEL, 0, 0), p.karta);
        EXPECT_TRUE(IsWindowVisible(C(w, p.pole)));
        EXPECT_EQ(T(w, p.pole), p.text);
        EXPECT_EQ(Zaskrtnute(C(w, O::cbCID)), !displej);
        EXPECT_EQ(T(w, O::edMail1), mail);
        EXPECT_EQ(Subor(), povodny);
        EXPECT_EQ(Viditelny(main, Ind(TIndikator::swDisplay)), displej) << "nothing was applied";
        EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swLAN)));

        // Mended, the same window saves what the user typed.
        Nastav(w, p.pole, p.opravene);
        PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
        ASSERT_TRUE(Zatvorene(w));
        EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
        const std::string f = Subor();
        EXPECT_NE(f.find("\r\n" + std::string(Vazba(p.pole).kluc) + "=" + p.opravene + "\r\n"),
                  std::string::npos) << f;
        EXPECT_NE(f.find("\r\nemail1=" + mail + "\r\n"), std::string::npos) << f;
        EXPECT_NE(f.find("\r\ncid=" + std::string(displej ? "0" : "-1") + "\r\n"), std::string::npos) << f;
        ASSERT_TRUE(CakajNa([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
        if (p.pole == O::edUDPport) {
            // The monitor still listens on its port.
            ASSERT_TRUE(PosliDatagram(port_, "0905111222;021;07.03.2024;14:05:09;Ján;Firma"));
            EXPECT_TRUE(CakajNa([&] { return Bunka(main, 1, 0) == "0905111222"; }, 15000));
        }
    }
}

// A port that nothing uses after the save is written as typed, as any text
// is: clearing the port of a forwarding slot without an address, or of the
// mail server while mail is off, blocks no other change.
TEST_F(Konfiguracia, APortThatNothingUsesIsSavedAsTyped) {
    struct {
        O pole;
        const char* text;
    } pripady[] = {
        {O::ledPCport2, ""},
        {O::edSMTPport, ""},
        {O::ledPCPort3, "tretí"},
    };
    Ini(Siet() + "sendUDP=-1\r\nPCIP1=127.0.0.1\r\nPCport1=9001\r\n");
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    for (const auto& p : pripady) {
        SCOPED_TRACE(Vazba(p.pole).meno);
        HWND w = OtvorKonfiguraciu(main);
        ASSERT_TRUE(w);
        // Forwarding from the control's calls, to the first slot only.
        SendMessageW(C(w, O::rbCAPI), BM_CLICK, 0, 0);
        EXPECT_FALSE(Zaskrtnute(C(w, O::cbNotifikacia)));
        const std::string mail = std::string(Vazba(p.pole).meno) + "@example.sk";
        Nastav(w, O::edMail1, mail);
        Nastav(w, p.pole, p.text);
        PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
        ASSERT_TRUE(Zatvorene(w)) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
        EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
        const std::string f = Subor();
        EXPECT_NE(f.find("\r\n" + std::string(Vazba(p.pole).kluc) + "=" + p.text + "\r\n"), std::string::npos) << f;
        EXPECT_NE(f.find("\r\nemail1=" + mail + "\r\n"), std::string::npos) << f;
        EXPECT_NE(f.find("\r\nPCIP1=127.0.0.1\r\nPCport1=9001\r\nPCIP2=\r\n"), std::string::npos) << f;
        EXPECT_NE(f.find("\r\nisnet=0\r\nisCAPI=-1\r\n"), std::string::npos) << f;
        ASSERT_TRUE(CakajNa([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
    }
}

// The program lives in a folder whose name holds characters outside code
// page 1250: the window shows and saves that folder's vestrix.ini, and the
// Run value holds the program's real full path.
TEST_F(Konfiguracia, TheRunValueHoldsTheRealPathOfAProgramInAFolderOutsideCodePage1250) {
    PresunProgram(L"S\x00F8ren\\Vestrix \x6E2C\x8A66");
    Ini(Siet() + "email1=jano@example.sk\r\n");
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    EXPECT_EQ(T(w, O::edMail1), "jano@example.sk");
    EXPECT_EQ(T(w, O::cbZvonenie), "Zvoniť pri prichádzajúcom hovore") << "the language file was read";
    SendMessageW(C(w, O::cbStartUp), BM_CLICK, 0, 0);
    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_EQ(DialogProcesu(a_.pi.dwProcessId), nullptr) << TextSpravy(DialogProcesu(a_.pi.dwProcessId));
    EXPECT_NE(Subor().find("\r\nemail1=jano@example.sk\r\n"), std::string::npos);
    EXPECT_NE(Subor().find("\r\nstartup=-1\r\n"), std::string::npos);

    HKEY k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &k), ERROR_SUCCESS);
    wchar_t buf[1024] = {};
    DWORD type = 0, size = sizeof(buf) - sizeof(wchar_t);
    LONG r = RegQueryValueExW(k, L"Vestrix", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    ASSERT_EQ(r, ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    const std::wstring cakane = L"\"" + dir_ + L"Vestrix.exe\"";
    EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, buf, -1, cakane.c_str(), -1), CSTR_EQUAL)
        << "the Run value is not the program's path";
    EXPECT_NE(std::wstring(buf).find(L"S\x00F8ren\\Vestrix \x6E2C\x8A66\\"), std::wstring::npos);
}

// The edit of the file box's name field: an edit of its own or the edit
// inside its combo box.
HWND PoleMenaSuboru(HWND box) {
    for (int id : {0x47c, 0x480}) {
        HWND c = GetDlgItem(box, id);
        if (!c) continue;
        HWND e = FindWindowExW(c, nullptr, L"Edit", nullptr);
        return e ? e : c;
    }
    return nullptr;
}

TEST_F(Konfiguracia, AProgramChosenInAFolderOutsideCodePage1250IsSavedAsAPathThatFindsIt) {
    // vestrix.ini holds the program as a code page 1250 text: the long name
    // would be saved as "S?ren" and the program never found.
    PresunProgram(L"S\x00F8ren\\Vestrix");
    const std::wstring program = dir_ + L"Zvonenie.exe";
    ASSERT_TRUE(ZapisSubor(program, "MZ"));
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    PostMessageW(Potomok(w, cfg::IdPrvku("btAction1")), BM_CLICK, 0, 0);
    HWND box = nullptr;
    ASSERT_TRUE(CakajNa([&] {
        box = DialogProcesu(a_.pi.dwProcessId);
        return box && IsWindowVisible(box) && PoleMenaSuboru(box);
    }, 15000)) << "the file box did not open";
    SendMessageW(PoleMenaSuboru(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(program.c_str()));
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(CakajNa([&] { return !IsWindow(box); }, 15000)) << "the file box did not close";

    HWND edit = C(w, O::edActionProgram1);
    std::wstring cesta(1024, L'\0');
    cesta.resize(static_cast<size_t>(SendMessageW(edit, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(&cesta[0]))));
    ASSERT_FALSE(cesta.empty());
    EXPECT_EQ(Wide(Narrow(cesta)), cesta) << "the path holds a letter outside code page 1250";
    std::wstring dlha(1024, L'\0');
    dlha.resize(GetLongPathNameW(cesta.c_str(), &dlha[0], 1024));
    EXPECT_EQ(CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, dlha.c_str(), -1, program.c_str(), -1), CSTR_EQUAL)
        << "the path does not name the chosen program";

    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_NE(Subor().find("\r\nactionprogram1=" + Narrow(cesta) + "\r\n"), std::string::npos) << Subor();
}

TEST_F(Konfiguracia, CallsGoOnWhileTheWindowIsOpen) {
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    ASSERT_TRUE(PosliDatagram(port_, "0902333444;021;07.03.2024;10:00:00;Eva;Mesto"));
    EXPECT_TRUE(CakajNa([&] { return Bunka(main, 1, 0) == "0902333444"; }, 15000));
    EXPECT_TRUE(IsWindowVisible(w));
    PostMessageW(Potomok(w, cfg::bbtZrus), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
}

// ------------------------------------------------------------ about box

HWND OtvorOProgrameP(HWND main) {
    Prikaz(main, ids::pumOprograme);
    HWND w = nullptr;
    CakajNa([&] {
        w = FindWindowW(ids::kAboutClass, nullptr);
        return w && IsWindowVisible(w);
    }, 15000);
    return w && IsWindowVisible(w) ? w : nullptr;
}

TEST_F(Konfiguracia, TheAboutBoxShowsCaptionProductAndVersionAndClosesWithOk) {
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorOProgrameP(main);
    ASSERT_TRUE(w) << "the about box did not open";
    EXPECT_FALSE(IsWindowEnabled(main));
    EXPECT_EQ(TextOkna(w), "O programe");
    EXPECT_EQ(Text(w, ids::about::ProductName), "Vestrix");
    EXPECT_EQ(Text(w, ids::about::Version), "Verzia 2.70.134");
    EXPECT_EQ(Text(w, ids::about::OKButton), "OK");
    RECT r;
    GetClientRect(w, &r);
    EXPECT_EQ(r.right, 261);
    EXPECT_EQ(r.bottom, 240);
    PostMessageW(Potomok(w, ids::about::OKButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_TRUE(CakajNa([&] { return IsWindowEnabled(main) != FALSE; }, 5000));
    // A new box each time.
    w = OtvorOProgrameP(main);
    ASSERT_TRUE(w);
    PostMessageW(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_TRUE(a_.Bezi());
}

TEST_F(Konfiguracia, WithoutALanguageFileTheAboutBoxShowsOnlyTheVersion) {
    DeleteFileW((dir_ + L"vestrix.lng").c_str());
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorOProgrameP(main);
    ASSERT_TRUE(w);
    EXPECT_EQ(TextOkna(w), "");
    EXPECT_EQ(Text(w, ids::about::ProductName), "");
    EXPECT_EQ(Text(w, ids::about::Version), " 2.70.134");
    PostMessageW(Potomok(w, ids::about::OKButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    // The configuration window's texts are empty too.
    w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    EXPECT_EQ(TextOkna(w), "");
    EXPECT_EQ(T(w, O::cbZvonenie), "");
    EXPECT_EQ(Text(w, cfg::IdPrvku("Memo2")), "\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    PostMessageW(Potomok(w, cfg::bbtZrus), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
}

// ------------------------------------------------------------ main window commands

TEST_F(Konfiguracia, SwitchesToggleTheirIndicatorsOnlyAndASaveCopiesTheFileBack) {
    Ini(Siet() + "notify=0\r\nring=-1\r\ncid=-1\r\n");
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    const std::string pred = Subor();
    struct Prepinac {
        int tlacidlo;
        TIndikator ind;
        bool zaciatok;
    };
    const Prepinac p[] = {{ids::kImNotifikacia, TIndikator::swNotif, false},
                          {ids::kImAkcia, TIndikator::swZvonec, true},
                          {ids::kImDisplay, TIndikator::swDisplay, true}};
    for (const Prepinac& x : p) {
        EXPECT_EQ(Viditelny(main, Ind(x.ind)), x.zaciatok);
        SendMessageW(Potomok(main, x.tlacidlo), BM_CLICK, 0, 0);
        EXPECT_EQ(Viditelny(main, Ind(x.ind)), !x.zaciatok);
    }
    SendMessageW(Potomok(main, ids::kImNotifikacia), BM_CLICK, 0, 0);
    EXPECT_FALSE(Viditelny(main, Ind(TIndikator::swNotif)));
    EXPECT_FALSE(Viditelny(main, Ind(TIndikator::swNotifErr)));
    EXPECT_EQ(Subor(), pred) << "a switch never reaches the file";

    // A save without a change takes the switches from the file again.
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    PostMessageW(Potomok(w, cfg::bbtZapis), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
    EXPECT_TRUE(CakajNa([&] { return Viditelny(main, Ind(TIndikator::swZvonec)); }, 5000));
    EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swDisplay)));
    EXPECT_FALSE(Viditelny(main, Ind(TIndikator::swNotif)));
}

TEST_F(Konfiguracia, SwitchingTheMailOffHidesAFailedMailsIndicatorToo) {
    // Mail to a port where nothing listens: the call's mail fails.
    unsigned short mrtvy = VolnyPort();
    Ini(Siet() + "notify=-1\r\nemail1=a@b.sk\r\nSMTPaddress=127.0.0.1\r\nSMTPport=" + std::to_string(mrtvy) +
        "\r\nmaxtries=1\r\n");
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    ASSERT_TRUE(PosliDatagram(port_, "0905;021;07.03.2024;14:05:09;A;B"));
    ASSERT_TRUE(CakajNa([&] { return Viditelny(main, Ind(TIndikator::swNotifErr)); }, 30000))
        << "the mail did not fail";
    EXPECT_FALSE(Viditelny(main, Ind(TIndikator::swNotif)));
    SendMessageW(Potomok(main, ids::kImNotifikacia), BM_CLICK, 0, 0);
    EXPECT_FALSE(Viditelny(main, Ind(TIndikator::swNotif)));
    EXPECT_FALSE(Viditelny(main, Ind(TIndikator::swNotifErr)));
    SendMessageW(Potomok(main, ids::kImNotifikacia), BM_CLICK, 0, 0);
    EXPECT_TRUE(Viditelny(main, Ind(TIndikator::swNotif)));
    EXPECT_FALSE(Viditelny(main, Ind(TIndikator::swNotifErr)));
}

TEST_F(Konfiguracia, TheViewButtonSwitchesBetweenThePanelAndTheList) {
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    EXPECT_EQ(VyskaKlienta(main), 324);
    const int vysky[] = {84, 323, 84};
    for (int v : vysky) {
        SendMessageW(Potomok(main, ids::kImZobrazenie), BM_CLICK, 0, 0);
        EXPECT_EQ(VyskaKlienta(main), v);
    }
    RECT r;
    GetClientRect(main, &r);
    EXPECT_EQ(r.right, 400);
}

// ------------------------------------------------------------ drawn whole

TEST_F(Konfiguracia, EveryCaptionOfTheConfigurationWindowFitsItsControlOnEveryTab) {
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorKonfiguraciu(main);
    ASSERT_TRUE(w);
    ASSERT_EQ(T(w, O::cbZvonenie), "Zvoniť pri prichádzajúcom hovore");
    // Labels, check boxes, radio buttons and buttons of all seven pages, in
    // the font each one draws with.
    EXPECT_EQ(VsetkyTextySaZmestia(w), "");
    PostMessageW(Potomok(w, cfg::bbtZrus), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
}

TEST_F(Konfiguracia, TheAboutBoxDrawsItsPictureWholeAtItsOwnSizeBesideTheTexts) {
    Ini(Siet());
    HWND main = StartVisible();
    ASSERT_TRUE(main);
    HWND w = OtvorOProgrameP(main);
    ASSERT_TRUE(w);
    EXPECT_EQ(VsetkyTextySaZmestia(w), "");
    // The picture has a place of its own: no label lies over it.
    HWND obrazok = Potomok(w, ids::about::ProgramIcon);
    ASSERT_TRUE(obrazok) << "no picture";
    RECT o{}, p{}, x{};
    GetWindowRect(obrazok, &o);
    for (int id : {ids::about::ProductName, ids::about::Version, ids::about::OKButton}) {
        GetWindowRect(Potomok(w, id), &p);
        EXPECT_FALSE(IntersectRect(&x, &o, &p)) << "control " << id << " lies over the picture";
    }
    // Drawn at a size it was made for, not stretched: the round picture is
    // as wide as it is high, and large in its place.
    RECT c{};
    GetClientRect(obrazok, &c);
    const TSnimka s = Odfot(obrazok, c);
    int l = s.w, t = s.h, r = -1, b = -1;
    const COLORREF pozadie = s.At(0, 0);
    for (int y = 0; y < s.h; ++y)
        for (int xx = 0; xx < s.w; ++xx)
            if (s.At(xx, y) != pozadie) l = std::min(l, xx), r = std::max(r, xx), t = std::min(t, y), b = std::max(b, y);
    ASSERT_GE(r, 0) << "nothing drawn";
    EXPECT_EQ(r - l, b - t) << "the picture is stretched: " << r - l + 1 << " x " << b - t + 1;
    EXPECT_GE(r - l + 1, 40) << "a small picture in a large place";
    EXPECT_LE(r - l + 1, 48);
    PostMessageW(Potomok(w, ids::about::OKButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(Zatvorene(w));
}

}  // namespace
}  // namespace vx
