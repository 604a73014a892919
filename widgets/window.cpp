#include "widgets/window.h"

#include <mutex>
#include <set>
#include <string>

#include "base/win32/module.h"
#include "base/win32/text.h"
#include "widgets/control.h"

namespace vx {

namespace {

std::mutex g_mutex;
std::set<std::wstring>& Registered() {
    static std::set<std::wstring> names;
    return names;
}

bool InDll() { return CodeModule() != GetModuleHandleW(nullptr); }

bool Register(const TWindowClass& cls, WNDPROC proc) {
    std::lock_guard<std::mutex> lock(g_mutex);
    HINSTANCE module = CodeModule();
    WNDCLASSEXW have{};
    have.cbSize = sizeof(have);
    if (GetClassInfoExW(module, cls.name, &have)) {
        if (have.lpfnWndProc == proc) return true;
        // Left by an earlier load of this DLL: its procedure is gone.
        UnregisterClassW(cls.name, module);
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = cls.style;
    wc.lpfnWndProc = proc;
    wc.hInstance = module;
    wc.hbrBackground = cls.background;
    if (cls.icon) wc.hIcon = LoadIconW(ResourceModule(), cls.icon);
    if (cls.cursor) wc.hCursor = LoadCursorW(nullptr, cls.cursor);
    wc.lpszClassName = cls.name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    Registered().insert(cls.name);
    return true;
}

// In a DLL, the class goes with its last window, so that nothing of the
// DLL's is left registered once it may be unloaded. Refused while another
// window of the class lives.
void GiveBack(const wchar_t* name) {
    if (!name || !InDll()) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (UnregisterClassW(name, CodeModule())) Registered().erase(name);
}

}  // namespace

TWindow::~TWindow() {
    if (HWND h = hwnd_) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        DestroyWindow(h);
        GiveBack(className_);
    }
}

bool TWindow::CreateWnd(const TWindowClass& cls, DWORD exStyle, const wchar_t* title, DWORD style, int x, int y,
                        int w, int h, HWND parent, HMENU menuOrId) {
    if (!Register(cls, Thunk)) return false;
    className_ = cls.name;
    HWND made = CreateWindowExW(exStyle, cls.name, title, style, x, y, w, h, parent, menuOrId, CodeModule(), this);
    return made != nullptr;
}

void TWindow::DestroyWnd() {
    if (HWND h = hwnd_) {
        DestroyWindow(h);
        GiveBack(className_);
    }
}

LRESULT TWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

LRESULT CALLBACK TWindow::Thunk(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self) self->hwnd_ = h;
    }
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    LRESULT r = 0;
    if (msg == WM_NCDESTROY) {
        Chranene([&] { r = self->WndProc(msg, wp, lp); });
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        Chranene([&] { self->WindowGone(); });
        return r;
    }
    Chranene([&] { r = self->WndProc(msg, wp, lp); });
    return r;
}

void PaintWindow(HWND w, bool doubleBuffered, const std::function<void(HDC, const RECT&)>& paint) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    if (doubleBuffered && r.right > 0 && r.bottom > 0) {
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, r.right, r.bottom);
        HGDIOBJ old = SelectObject(mem, bmp);
        Chranene([&] { paint(mem, r); });
        BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
    } else {
        Chranene([&] { paint(dc, r); });
    }
    EndPaint(w, &ps);
}

void PaintWindow(HWND w, const std::function<void(HDC, const RECT&)>& paint) { PaintWindow(w, false, paint); }

void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
    HBRUSH b = CreateSolidBrush(colour);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

std::wstring WindowTextWide(HWND w) {
    if (!w) return std::wstring();
    int n = GetWindowTextLengthW(w);
    std::wstring t(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(w, &t[0], n + 1);
    t.resize(static_cast<size_t>(n > 0 ? n : 0));
    return t;
}

std::string WindowText(HWND w) { return Narrow(WindowTextWide(w)); }

void UnregisterWindowClasses() {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& names = Registered();
    for (auto it = names.begin(); it != names.end();)
        it = UnregisterClassW(it->c_str(), CodeModule()) ? names.erase(it) : std::next(it);
}

}  // namespace vx
