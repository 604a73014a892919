#include "capictrl/win32/formsupport.h"

#include "base/win32/text.h"
#include "capictrl/win32/linkorctrl.h"

namespace vx {

int ScreenPixelsPerInch() {
    HDC dc = GetDC(nullptr);
    int ppi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return ppi > 0 ? ppi : 96;
}

int ScaleDesigned(int px) { return MulDiv(px, ScreenPixelsPerInch(), 120); }

HFONT CreateDesignedFont(const TLabelFont& f) {
    LOGFONTW lf{};
    lf.lfHeight = ScaleDesigned(f.Height);
    lf.lfWeight = f.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = f.Underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::wstring name = Wide(f.Name);
    lstrcpynW(lf.lfFaceName, name.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

COLORREF ColorOf(uint32_t color) {
    // System colours carry their index in the low byte.
    if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0x00FFFFFF);
}

std::vector<WORD> DialogTemplate(DWORD style, DWORD exStyle) {
    // DLGTEMPLATE, then no menu, the default class and an empty title.
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    DLGTEMPLATE* d = reinterpret_cast<DLGTEMPLATE*>(t.data());
    d->style = style;
    d->dwExtendedStyle = exStyle;
    d->cdit = 0;
    return t;
}

HWND CreateDesignedChild(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int id, int left,
                         int top, int width, int height, HFONT font) {
    DWORD ex = lstrcmpiW(cls, L"EDIT") == 0 || lstrcmpiW(cls, L"LISTBOX") == 0 ? WS_EX_CLIENTEDGE : 0;
    HWND h = CreateWindowExW(ex, cls, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, ScaleDesigned(left),
                             ScaleDesigned(top), ScaleDesigned(width), ScaleDesigned(height), parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ServerModule(), nullptr);
    if (h && font) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

}  // namespace vx
