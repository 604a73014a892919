#include "widgets/modal.h"

#include <vector>

#include "base/win32/msgloop.h"
#include "widgets/control.h"

namespace vx {

namespace {

struct Zakazanie {
    HWND okno;
    std::vector<HWND> zakazane;
};

BOOL CALLBACK ZakazOkno(HWND w, LPARAM lp) {
    auto* z = reinterpret_cast<Zakazanie*>(lp);
    if (w != z->okno && IsWindowVisible(w) && IsWindowEnabled(w)) {
        EnableWindow(w, FALSE);
        z->zakazane.push_back(w);
    }
    return TRUE;
}

// The windows RunModal runs, innermost last (the user-interface thread only).
std::vector<HWND>& Modalne() {
    static std::vector<HWND> okna;
    return okna;
}

// w is the innermost modal window for its own lifetime.
class TModalneOkno {
public:
    explicit TModalneOkno(HWND w) { Modalne().push_back(w); }
    ~TModalneOkno() { Modalne().pop_back(); }
    TModalneOkno(const TModalneOkno&) = delete;
    TModalneOkno& operator=(const TModalneOkno&) = delete;
};

}  // namespace

HWND ModalneOkno() {
    const std::vector<HWND>& okna = Modalne();
    for (auto it = okna.rbegin(); it != okna.rend(); ++it)
        if (IsWindow(*it) && IsWindowVisible(*it)) return *it;
    return nullptr;
}

void RunModal(HWND w, const bool& done, HWND owner, const std::function<void()>& onShow) {
    if (!w) return;
    const TModalneOkno modalne(w);
    Zakazanie z{w, {}};
    EnumThreadWindows(GetCurrentThreadId(), ZakazOkno, reinterpret_cast<LPARAM>(&z));
    ShowWindow(w, SW_SHOW);
    SetForegroundWindow(w);
    if (onShow) Chranene(onShow);

    // The thread's one message loop; a modal window ends with the program.
    TMessageLoop loop;
    loop.dialog = w;
    loop.done = [&] { return done || !IsWindow(w); };
    loop.endOnQuit = true;
    RunMessageLoop(loop);

    // Enabled again before the window goes, so that activation returns to
    // the window below it.
    for (auto it = z.zakazane.rbegin(); it != z.zakazane.rend(); ++it)
        if (IsWindow(*it)) EnableWindow(*it, TRUE);
    if (IsWindow(w)) {
        ShowWindow(w, SW_HIDE);
        if (owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
    }
}

POINT CenterOnScreen(int width, int height) {
    RECT wa;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0)) {
        wa = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    POINT p{wa.left + (wa.right - wa.left - width) / 2, wa.top + (wa.bottom - wa.top - height) / 2};
    if (p.x < wa.left) p.x = wa.left;
    if (p.y < wa.top) p.y = wa.top;
    return p;
}

void CenterOver(HWND w, HWND over) {
    RECT o{}, r{};
    if (over && IsWindowVisible(over))
        GetWindowRect(over, &o);
    else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &o, 0))
        o = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    GetWindowRect(w, &r);
    const int sirka = r.right - r.left, vyska = r.bottom - r.top;
    const int x = o.left + (o.right - o.left - sirka) / 2, y = o.top + (o.bottom - o.top - vyska) / 2;
    SetWindowPos(w, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ------------------------------------------------------------ TModalForm

TWindowClass FormClass(const wchar_t* name, const wchar_t* icon) {
    TWindowClass cls;
    cls.name = name;
    cls.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.icon = icon;
    return cls;
}

bool TModalForm::CreateForm(const TWindowClass& cls, DWORD exStyle, DWORD style, const std::wstring& title,
                            int clientW, int clientH, HWND owner, TMiesto miesto) {
    RECT r{0, 0, clientW, clientH};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int w = r.right - r.left, h = r.bottom - r.top;
    POINT p{CW_USEDEFAULT, CW_USEDEFAULT};
    if (miesto == TMiesto::CenterOnScreen) p = CenterOnScreen(w, h);
    return CreateWnd(cls, exStyle, title.c_str(), style, p.x, p.y, w, h, owner);
}

HWND TModalForm::Child(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int x, int y, int w, int h,
                       HFONT font, DWORD exStyle) {
    HWND c = CreateWindowExW(exStyle, cls, text, WS_CHILD | style, x, y, w, h, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ResourceModule(), nullptr);
    if (c && font) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return c;
}

void TModalForm::ShowOver(HWND owner, HWND over, const std::function<void()>& onShow) {
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    CenterOver(hwnd_, over);
    RunForm(owner, onShow);
}

void TModalForm::RunForm(HWND owner, const std::function<void()>& onShow) {
    if (!hwnd_) return;
    RunModal(hwnd_, done_, owner, onShow);
}

}  // namespace vx
