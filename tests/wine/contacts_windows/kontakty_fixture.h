// The running monitor with its contacts windows, driven from another
// process as a user works them: finding the windows, clicking, typing,
// reading the grids' cells.
#pragma once
#include <windows.h>

#include <string>

#include "base/win32/text.h"
#include "contacts/win32/kontakty_ids.h"
#include "monitor/win32/ids.h"
#include "tests/wine/monitor/monitor_fixture.h"
#include "widgets/grid.h"

namespace vx {
namespace {

inline const DWORD kCas = 15000;

// A visible top-level window of the class, or null.
inline HWND Okno(const wchar_t* trieda) {
    HWND w = FindWindowW(trieda, nullptr);
    return w && IsWindowVisible(w) ? w : nullptr;
}

inline HWND CakajNaOkno(const wchar_t* trieda) {
    HWND w = nullptr;
    CakajNa([&] { return (w = Okno(trieda)) != nullptr; }, kCas);
    return w;
}

inline bool CakajNaZatvorenie(const wchar_t* trieda) {
    return CakajNa([&] { return Okno(trieda) == nullptr; }, kCas);
}

// A click as the button gets it from the mouse (posted: it may open a
// modal window).
inline void Klik(HWND okno, int id) { PostMessageW(Potomok(okno, id), BM_CLICK, 0, 0); }

inline LRESULT Posli(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(w, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &r);
    return static_cast<LRESULT>(r);
}

// Types a text into an edit (the whole text at once).
inline void Napis(HWND okno, int id, const std::string& text) {
    Posli(Potomok(okno, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

inline std::string HlavnaBunka(HWND w, int col, int row) { return inspector::Bunka(w, col, row); }

inline std::string Bunka(HWND mriezka, int col, int row) {
    if (!Posli(mriezka, VXGM_QUERYCELL, static_cast<WPARAM>(col), row)) return "<no cell>";
    return TextOkna(mriezka);
}

inline void UpravBunku(HWND mriezka, int col, int row, const std::string& text) {
    ASSERT_TRUE(Posli(mriezka, VXGM_QUERYCELL, static_cast<WPARAM>(col), row));
    Posli(mriezka, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

inline int PocetRiadkov(HWND mriezka) { return static_cast<int>(Posli(mriezka, VXTG_GETROWCOUNT, 0, 0)); }
inline int HornyRiadok(HWND mriezka) { return static_cast<int>(Posli(mriezka, VXTG_GETTOPROW, 0, 0)); }

// Columns 0..n-1 of a grid row joined with "|".
inline std::string Riadok(HWND mriezka, int row, int stlpce) {
    std::string s;
    for (int c = 0; c < stlpce; ++c) s += (c ? "|" : "") + Bunka(mriezka, c, row);
    return s;
}

class KontaktneOkna : public Monitor {
protected:
    HWND Spusti(const std::string& ini = "") {
        port_ = VolnyPort();
        Ini("isCAPI=0\r\nisnet=-1\r\nUDPserverport=" + std::to_string(port_) + "\r\n" + ini);
        return StartVisible();
    }
    // The message box of the program, with its text.
    HWND CakajNaSpravu() {
        HWND box = nullptr;
        CakajNa([&] { return (box = DialogProcesu(a_.pi.dwProcessId)) != nullptr; }, kCas);
        return box;
    }
    void Odpovedz(HWND box, int tlacidlo) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(tlacidlo, BN_CLICKED), 0);
        ASSERT_TRUE(CakajNa([&] { return !IsWindow(box) || !IsWindowVisible(box); }, kCas));
    }
    // The address book's question whether to save a changed book, the same
    // for its close button and for the title bar's close, answered with
    // tlacidlo (IDOK saves).
    void OdpovedzNaOtazkuUlozenia(int tlacidlo) {
        HWND q = CakajNaSpravu();
        ASSERT_TRUE(q) << "no save question";
        EXPECT_EQ(TextOkna(q), "Adresár ");
        EXPECT_EQ(TextSpravy(q), "Adresár bol zmenený. Uložiť zmeny? ");
        Odpovedz(q, tlacidlo);
    }
    std::string Subor(const wchar_t* meno) { return CitajSubor(dir_ + meno); }
    void Zapis(const wchar_t* meno, const std::string& obsah) { ASSERT_TRUE(ZapisSubor(dir_ + meno, obsah)); }
    HWND OtvorAdresar(HWND w) {
        PostMessageW(Potomok(w, ids::kImAdresar), BM_CLICK, 0, 0);
        HWND a = CakajNaOkno(kids::kAdresarClass);
        // Shown and loaded: the status bar names the file only after the texts are set.
        CakajNa([&] { return Text(a, kids::StatusBar1 + 1).size() > 0 && PocetRiadkov(Potomok(a, kids::sgAdresar)) >= 2; },
                kCas);
        return a;
    }
    // The history window from its image button, loaded with that many rows.
    HWND OtvorHistoriu(HWND w, int riadky) {
        PostMessageW(Potomok(w, ids::kImHistoria), BM_CLICK, 0, 0);
        HWND h = CakajNaOkno(kids::kHistoriaClass);
        if (h) CakajNa([&] { return Text(h, kids::HistoriaStatus + 3) == std::to_string(riadky); }, kCas);
        return h;
    }
    // A right click on a phone cell of the address book and the popup's
    // dial entry: the dialling window (null when none opens).
    static HWND OtvorVytacanie(HWND adresar, int col, int row) {
        HWND g = Potomok(adresar, kids::sgAdresar);
        const LRESULT bod = Posli(g, VXTG_CELLPOINT, static_cast<WPARAM>(col), row);
        if (bod == -1) return nullptr;
        PostMessageW(g, WM_RBUTTONUP, 0, static_cast<LPARAM>(bod));
        HWND menu = nullptr;
        if (!CakajNa([&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); }, kCas))
            return nullptr;
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        return CakajNaOkno(ids::kVytocenieClass);
    }
    unsigned short port_ = 0;
};

}  // namespace
}  // namespace vx
