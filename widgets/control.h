// Child windows of our own: image buttons and indicator images, static
// texts and panels. Texts are code page 1250 strings; they become UTF-16
// only here, when they are handed to Win32.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/guard.h"
#include "base/win32/offscreen.h"
#include "widgets/window.h"

namespace vx {

// The module whose resources the widgets load (set once by the program).
void SetResourceModule(HINSTANCE module);
HINSTANCE ResourceModule();

// Application-wide hint switch (the configuration's showhint).
void SetShowHints(bool on);
bool ShowHints();

// Every widget's window procedure and timer catches errors and hands them
// to the program's exception handler (base/guard.h), so none crosses a
// Win32 callback.

// A text as it is drawn in `room` pixels with the font selected into dc:
// whole when it fits, else its longest beginning that fits followed by "…".
// Letters are never made narrower: a cut text says so with its ellipsis.
// Widths are those of the glyphs as the system draws them (a face with
// bitmaps for small sizes draws wider or narrower than GetTextExtentPoint32
// says), and a letter whose ink reaches past its advance (the caron of ť)
// moves a following blank out of its way.
std::wstring TextNaSirku(HDC dc, const std::wstring& text, int room);
// One line of text in r, centred vertically, cut as TextNaSirku does; align
// is DT_LEFT, DT_CENTER or DT_RIGHT. Each character stands where it was
// measured, so the text ends where its width said.
void KresliRiadok(HDC dc, const std::wstring& text, const RECT& r, UINT align);

// A font by face, pixel height and weight; owned by the caller. Sizes below
// 12 pixels are drawn crisp, not smoothed, unless `smooth`.
HFONT MakeFont(const wchar_t* face, int pixelHeight, bool bold, bool smooth = false);
// The dialogs' font, MS Sans Serif at 8 points: the font in whose metrics
// the dialogs' sizes are given, drawn from its bitmaps for code page 1250
// where the system has them. Owned by the caller.
HFONT MakeDialogFont(bool bold = false);
// The largest pixel height from `from` down to `to` at which every text fits
// `room` pixels in that face; `to` when none does.
int LargestFittingHeight(const wchar_t* face, bool bold, bool smooth, int from, int to, const std::wstring* texts,
                         int count, int room);
// Whether the face at that pixel height reads as meant where it is drawn:
// bold with heavier strokes than its regular weight (a face may draw its
// bold at some sizes with the regular's strokes), and the acute of ĺ two
// rows clear above the l (small sizes of some faces merge them: Dĺžka reads
// Dlžka). Seen in the glyphs as the system draws them.
bool DrawsReadably(const wchar_t* face, int pixelHeight, bool bold, bool smooth = false);
// The height of a line of the font (ascent with the accents of capitals,
// and descent): a box lower than this cuts letters off.
int LineHeight(HFONT font);
// The width of a text in a font, as KresliRiadok draws it.
int TextWidth(HFONT font, const std::wstring& text);

// Queries of the texts as drawn, for another process (tests): after
// VXM_SHOWNTEXT with wParam TRUE, WM_GETTEXTLENGTH and WM_GETTEXT of a static
// text give the text as it is drawn (cut with "…" where it does not fit);
// wParam FALSE gives the whole text again. The widgets answer WM_GETFONT.
constexpr UINT VXM_SHOWNTEXT = WM_USER + 0x220;
// The answer to WM_GETTEXT (wp, lp) with the text t.
LRESULT CopyTextReply(const std::wstring& t, WPARAM wp, LPARAM lp);

// Base of every child widget: owns its window and routes its messages to
// WndProc. Destroying the object destroys the window.
class TControl : public TWindow {
public:
    // The widget's own visibility (its WS_VISIBLE style), whatever its
    // parent's state.
    void SetVisible(bool on);
    bool Visible() const;
    void Invalidate();

protected:
    TControl() = default;
    // Registers the window class once and creates the child window.
    bool Create(const wchar_t* className, HWND parent, int id, int x, int y, int w, int h,
                DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, DWORD exStyle = 0);
};

// A picture from a bitmap resource; with OnClick it is an image button.
// A click is a left button released over it, or BM_CLICK (so a test can
// press it from outside).
class TImage : public TControl {
public:
    TImage(HWND parent, int id, int x, int y, int w, int h, const wchar_t* bitmapResource);
    ~TImage() override;
    void SetPicture(const wchar_t* bitmapResource);
    std::function<void()> OnClick;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HBITMAP bmp_ = nullptr;
    bool pressed_ = false;
};

// One line (or several, with wordWrap) of text on a flat background.
class TStaticText : public TControl {
public:
    enum Align { Left, Center, Right };
    TStaticText(HWND parent, int id, int x, int y, int w, int h, HFONT font, COLORREF textColor,
                COLORREF background, Align align = Left);
    void SetText(const std::string& cp1250);
    std::string Text() const;
    void SetFont(HFONT font);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::wstring WholeText() const;
    std::wstring ShownText() const;
    bool queryShown_ = false;
    HFONT font_;
    COLORREF fg_, bg_;
    Align align_;
};

// A flat coloured panel with a sunken edge; a parent for other widgets.
class TPanel : public TControl {
public:
    TPanel(HWND parent, int id, int x, int y, int w, int h, COLORREF background);

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    COLORREF bg_;
};

}  // namespace vx
