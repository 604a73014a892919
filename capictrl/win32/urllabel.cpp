#include "capictrl/win32/urllabel.h"

#include <shellapi.h>

#include <vector>

#include "base/win32/text.h"
#include "capictrl/win32/formsupport.h"
#include "capictrl/win32/linkorctrl.h"

namespace vx {

namespace {

const wchar_t kSelf[] = L"VxURLLabel";

}  // namespace

bool TWin32LinkSystem::ReadClassesDefault(const std::string& key, std::string& value) {
    value.clear();
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Wide(key).c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(h, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0) {
        std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        if (RegQueryValueExW(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &got) == ERROR_SUCCESS) {
            buf[got / sizeof(wchar_t)] = L'\0';
            value = Narrow(buf.data());
        }
    }
    RegCloseKey(h);
    return true;
}

bool TWin32LinkSystem::CanLoadLibrary(const std::string& name) {
    // A missing library is an answer, not a message box.
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE m = LoadLibraryW(Wide(name).c_str());
    SetErrorMode(old);
    if (!m) return false;
    FreeLibrary(m);
    return true;
}

void TWin32LinkSystem::ShellOpen(const std::string& address) {
    // What the shell makes of the address is its own business.
    ShellExecuteW(nullptr, L"open", Wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

TURLLabelWindow::TURLLabelWindow(ILinkSystem& sys, HWND parent, int id, int left, int top, int width, int height,
                                 const TLabelFont& font)
    : label_(sys, font) {
    // SS_NOPREFIX: an "&" in an address shows as itself.
    hwnd_ = CreateDesignedChild(parent, L"STATIC", "", SS_LEFT | SS_NOTIFY | SS_NOPREFIX, id, left, top, width,
                                height, nullptr);
    if (hwnd_) {
        SetPropW(hwnd_, kSelf, this);
        oldProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TURLLabelWindow::Proc)));
    }
    Update();
}

TURLLabelWindow::~TURLLabelWindow() {
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
        RemovePropW(hwnd_, kSelf);
        SendMessageW(hwnd_, WM_SETFONT, 0, FALSE);
    }
    if (font_) DeleteObject(font_);
}

void TURLLabelWindow::Update() {
    if (!hwnd_) return;
    SetWindowTextW(hwnd_, Wide(label_.Caption()).c_str());
    if (!font_ || !(shown_ == label_.Font())) {
        HFONT f = CreateDesignedFont(label_.Font());
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
        if (font_) DeleteObject(font_);
        font_ = f;
        shown_ = label_.Font();
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

HBRUSH TURLLabelWindow::OnCtlColor(HDC dc) {
    SetTextColor(dc, ColorOf(label_.Font().Color));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void TURLLabelWindow::OnClicked() { label_.Click(); }

LRESULT CALLBACK TURLLabelWindow::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<TURLLabelWindow*>(GetPropW(h, kSelf));
    if (!self) return DefWindowProcW(h, msg, wp, lp);
    if (msg == WM_SETCURSOR && LOWORD(lp) == HTCLIENT) {
        HCURSOR c = self->label_.Cursor() == kLinkCursor
                        ? LoadCursorW(ServerModule(), MAKEINTRESOURCEW(kLinkCursor))
                        : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        SetCursor(c);
        return TRUE;
    }
    return CallWindowProcW(self->oldProc_, h, msg, wp, lp);
}

}  // namespace vx
