#include "capictrl/win32/abox.h"

#include <memory>
#include <string>
#include <vector>

#include "base/win32/text.h"
#include "capictrl/win32/comerror.h"
#include "capictrl/win32/formsupport.h"
#include "capictrl/win32/help.h"
#include "capictrl/win32/linkorctrl.h"
#include "capictrl/win32/urllabel.h"
#include "widgets/window.h"

namespace vx {

namespace {

const char kCaption[] = "About";
const char kProductName[] = "Linkor";
const char kVersion[] = "Version 1.0";
const char kCopyright[] = "Copyright © Vestrix";
const char kComments[] = "Free for use with the Vestrix caller-ID monitor. Provided as is, without warranty of any kind.";
const char kWebCaption[] = "http://www.vestrix.sk";
const char kWebAddress[] = "www.vestrix.sk";
const char kMailAddress[] = "linkor@vestrix.sk";
const uint16_t kHelpContext = 5;

TLabelFont FormFont(bool bold = false, uint32_t color = clWindowText) {
    TLabelFont f;
    f.Name = "MS Sans Serif";
    f.Height = -14;
    f.Bold = bold;
    f.Color = color;
    return f;
}

TLabelFont LinkLabelFont(bool link) {
    TLabelFont f;
    f.Name = "MS Sans Serif";
    f.Height = -13;
    f.Color = link ? clBlue : clWindowText;
    f.Underline = link;
    return f;
}

// Everything the box owns while it is shown.
struct TAboutBox {
    TWin32LinkSystem sys;
    HFONT font = nullptr;
    HFONT bold = nullptr;
    HICON icon = nullptr;
    std::unique_ptr<TURLLabelWindow> web;
    std::unique_ptr<TURLLabelWindow> mail;
    bool failed = false;
    std::string failure;

    ~TAboutBox() { Free(); }
    void Free() {
        web.reset();
        mail.reset();
        if (font) DeleteObject(font);
        if (bold) DeleteObject(bold);
        if (icon) DestroyIcon(icon);
        font = bold = nullptr;
        icon = nullptr;
    }

    // A link label with the values the box gives it.
    std::unique_ptr<TURLLabelWindow> Link(HWND h, int id, int top, TmdLinkType type, const char* url,
                                          const char* caption) {
        auto w = std::make_unique<TURLLabelWindow>(sys, h, id, 20, top, 266, 20, FormFont());
        TmdURLLabel& l = w->Label();
        l.SetLinkType(type);
        l.SetLabelType(TmdLabelType::Auto);
        l.SetURLAsHint(true);
        l.SetShowPrefix(false);
        l.SetURL(url);
        if (caption) l.SetCaption(caption);
        l.SetLinkFont(LinkLabelFont(true));
        l.SetPassiveFont(LinkLabelFont(false));
        l.Loaded();
        w->Update();
        return w;
    }

    INT_PTR DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

    void Build(HWND h) {
        SetWindowTextW(h, Wide(kCaption).c_str());
        font = CreateDesignedFont(FormFont());
        bold = CreateDesignedFont(FormFont(true));

        // Client area 306 x 272, centred on the screen.
        RECT r{0, 0, ScaleDesigned(306), ScaleDesigned(272)};
        AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE)));
        int w = r.right - r.left, ht = r.bottom - r.top;
        SetWindowPos(h, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - ht) / 2,
                     w, ht, SWP_NOZORDER | SWP_NOACTIVATE);

        // Panel1: raised inside, lowered outside.
        CreateDesignedChild(h, L"STATIC", "", SS_ETCHEDFRAME, kIdAboxPanel, 8, 8, 290, 212, nullptr);
        HWND ic = CreateDesignedChild(h, L"STATIC", "", SS_ICON | SS_REALSIZECONTROL, kIdProgramIcon, 20, 20, 48, 48,
                                      nullptr);
        icon = static_cast<HICON>(LoadImageW(ServerModule(), MAKEINTRESOURCEW(kLinkorIconId), IMAGE_ICON,
                                             ScaleDesigned(48), ScaleDesigned(48), 0));
        if (ic && icon) SendMessageW(ic, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        CreateDesignedChild(h, L"STATIC", kProductName, SS_CENTER | SS_NOPREFIX, kIdProductName, 80, 20, 206, 22,
                            bold);
        CreateDesignedChild(h, L"STATIC", kVersion, SS_LEFT | SS_NOPREFIX, kIdVersion, 80, 52, 206, 20, font);
        CreateDesignedChild(h, L"STATIC", kCopyright, SS_LEFT | SS_NOPREFIX, kIdCopyright, 80, 76, 206, 20, font);
        CreateDesignedChild(h, L"STATIC", kComments, SS_LEFT | SS_NOPREFIX, kIdComments, 20, 104, 266, 56, bold);
        web = Link(h, kIdURLLabel1, 168, TmdLinkType::http, kWebAddress, kWebCaption);
        mail = Link(h, kIdURLLabel2, 192, TmdLinkType::mailto, kMailAddress, nullptr);
        HWND ok = CreateDesignedChild(h, L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK, 64, 230,
                                      80, 30, font);
        CreateDesignedChild(h, L"BUTTON", "Help", BS_PUSHBUTTON | WS_TABSTOP, kIdAboxHelp, 162, 230, 80, 30, font);
        if (ok) SetFocus(ok);
    }
};

INT_PTR TAboutBox::DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            // A box that cannot be built is not shown, and its failure is the
            // caller's.
            try {
                Build(h);
            } catch (const std::exception& e) {
                failed = true;
                failure = e.what();
                EndDialog(h, -1);
            } catch (...) {
                failed = true;
                EndDialog(h, -1);
            }
            return FALSE;  // the focus is on OK already
        case WM_COMMAND: {
            int id = LOWORD(wp);
            int code = HIWORD(wp);
            if (id == IDOK && code == BN_CLICKED) {
                EndDialog(h, IDOK);
            } else if (id == kIdAboxHelp && code == BN_CLICKED) {
                ShowHelpContext(kHelpContext);
            } else if (code == STN_CLICKED && id == kIdURLLabel1 && web) {
                web->OnClicked();
            } else if (code == STN_CLICKED && id == kIdURLLabel2 && mail) {
                mail->OnClicked();
            }
            // The box has no Cancel button: Escape leaves it open.
            return TRUE;
        }
        case WM_CLOSE:
            EndDialog(h, IDCANCEL);
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            HWND c = reinterpret_cast<HWND>(lp);
            HDC dc = reinterpret_cast<HDC>(wp);
            if (web && c == web->Handle()) return reinterpret_cast<INT_PTR>(web->OnCtlColor(dc));
            if (mail && c == mail->Handle()) return reinterpret_cast<INT_PTR>(mail->OnCtlColor(dc));
            if (GetDlgCtrlID(c) == kIdComments) {
                SetTextColor(dc, ColorOf(clGreen));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
            }
            return FALSE;
        }
        case WM_DESTROY:
            // The labels let go of their windows while these still exist.
            web.reset();
            mail.reset();
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void ShowAboutBox() {
    TAboutBox box;
    std::vector<WORD> t = DialogTemplate(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME);
    SetLastError(0);
    INT_PTR r = DialogBoxIndirectParamW(ServerModule(), reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr,
                                        DialogThunk<TAboutBox>, reinterpret_cast<LPARAM>(&box));
    if (box.failed) throw EOleSysError(box.failure.empty() ? "The about box cannot be shown" : box.failure, E_FAIL);
    if (r == -1) {
        DWORD e = GetLastError();
        throw EOleSysError("The about box cannot be shown", e ? HRESULT_FROM_WIN32(e) : E_FAIL);
    }
}

}  // namespace vx
