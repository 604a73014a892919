// Measuring what another process's windows draw, as a user sees it: the
// font a control draws with (made again here from its description), the
// width of its text as the system draws it in that font, its text as drawn
// (cut with "…"), and the screen's pixels of a part of a window.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace vx::inspector {

// The font window w draws its text with: its WM_GETFONT, described inside
// its own process and made again here. Null when it cannot be read.
class TPismo {
public:
    explicit TPismo(HWND w);
    ~TPismo();
    TPismo(const TPismo&) = delete;
    TPismo& operator=(const TPismo&) = delete;
    HFONT Handle() const { return font_; }
    const LOGFONTW& Popis() const { return lf_; }
    // The text's width as the system draws it in the font: from its leftmost
    // to its rightmost ink. Not GetTextExtentPoint32: a face with bitmaps for
    // small sizes (Wine's Tahoma) draws wider or narrower than that says.
    int Sirka(const std::string& cp1250) const;
    // The font's line: ascent (with the accents of capitals) and descent.
    int Vyska() const;

private:
    HWND w_;
    HFONT font_ = nullptr;
    LOGFONTW lf_{};
};

// A static text's text as it is drawn (our widgets: VXM_SHOWNTEXT).
std::string ZobrazenyText(HWND w);
// A grid cell's text as drawn (VXGM_SHOWN), and the grid's geometry.
std::string ZobrazenaBunka(HWND grid, int col, int row);
std::string CelaBunka(HWND grid, int col, int row);
int SirkaStlpca(HWND grid, int col);
int VyskaRiadku(HWND grid);
// The client rectangle of a cell of a grid without scrolling rows (or of the
// fixed rows and the first rows of one that scrolls).
RECT ObdlznikBunky(HWND grid, int col, int row);

// The screen's pixels of rectangle r of w's client area.
struct TSnimka {
    int w = 0, h = 0;
    std::vector<COLORREF> px;
    COLORREF At(int x, int y) const { return px[static_cast<size_t>(y) * static_cast<size_t>(w) + x]; }
};
TSnimka Odfot(HWND w, const RECT& r);
// The same once the screen shows something other than `predtym` and has
// settled (what a window paints reaches the screen a moment later); the
// last picture after a few seconds.
TSnimka OdfotZmenu(HWND w, const RECT& r, const TSnimka& predtym);
// Ink: pixels that differ from the background (the colour found most in
// the picture). The first and last rows holding ink (-1 without any), and
// the strongest difference from the background in a row, 0 to 255.
int PrvyRiadokAtramentu(const TSnimka& s);
int PoslednyRiadokAtramentu(const TSnimka& s);
// The first and last columns holding ink (-1 without any).
int PrvyStlpecAtramentu(const TSnimka& s);
int PoslednyStlpecAtramentu(const TSnimka& s);
// The picture once the window has painted it again and the screen settled.
TSnimka OdfotUstalene(HWND w, const RECT& r);
int SilaRiadku(const TSnimka& s, int y);

// What a control's text needs around it: a button's edges and focus
// rectangle, a check box's box.
enum class TDruh { Text, Tlacidlo, Zaskrtavacie };
// "" when the whole text of control w fits its client area in its font
// (its extent with the margins of its kind, and the font's line height);
// otherwise what does not fit, for the test's message.
// `okraj` is room the caller wants kept free besides (as a label's distance
// from its neighbours).
std::string CelyTextSaZmesti(HWND w, TDruh druh, int okraj = 0);
// Every button, check box, radio button and text label among the children
// of `okno`, shown or on a hidden page: CelyTextSaZmesti for each; "" when
// all fit.
std::string VsetkyTextySaZmestia(HWND okno);
// A static text as drawn: its line height fits the box, and the text is
// whole or its beginning ended with "…", within the box's width; on the
// screen its ink whole (see AtramentCely) and `okraj` columns off the box's
// sides.
std::string ZobrazenySaZmesti(HWND w, int okraj = 0);

// The ink of picture s, which shows `text` drawn in font f: `okraj` columns
// clear of the picture's left and right edges, and as wide as the text drawn
// unclipped in f (a text cut by its box shows narrower). "" when both hold.
std::string AtramentCely(HFONT f, const TSnimka& s, const std::string& text, int okraj);
// Picture s shows `text` drawn bold: with clearly more ink than the same
// text in the regular weight of font f (a face may draw its bold at some
// sizes with the regular's strokes). "" when it does.
std::string JeTucny(HFONT f, const TSnimka& s, const std::string& text);
// Every blank of `text` shows in picture s as a gap of at least two columns
// without ink (a letter's accent reaching into a blank makes two words one:
// "Pridaťmeno"). "" when they do.
std::string MedzeryVidno(const TSnimka& s, const std::string& text);

}  // namespace vx::inspector

namespace vx::inspector {

// The cells of rows [odRiadku, poRiadok) of a grid, as drawn: each one's
// text fits its column in the grid's font, and is the whole text or its
// beginning ended with "…"; the columns in `cele` (and every cell of the
// first `hlavicky` rows) must show whole. On the screen each cell's ink is
// whole and a column clear of the grid's lines (the current cell, framed by
// its focus rectangle, only measured). "" when all hold, else the faults.
std::string BunkySaZmestia(HWND grid, int stlpce, int odRiadku, int poRiadok, const std::vector<int>& cele,
                           int hlavicky);

// The same texts drawn black on white in font f, off screen: how a letter
// looks when nothing cuts it.
TSnimka Predloha(HFONT f, const std::string& cp1250);
// A capital's accent as drawn, from two pictures of the same box, one with
// plain capitals (as "ZZZ"), one with accented ones (as "ŽŽŽ"), drawn in
// font f. "" when the accent stands as many rows above the plain capital as
// the font draws it off screen (nothing of it cut), and as dark as the
// letter itself (not one faint row).
std::string AkcentJeCely(HFONT f, const TSnimka& bez, const TSnimka& s, const std::string& textBez,
                         const std::string& text);
// A descender as drawn: the same box with "vvv" and with "yyy"; "" when y
// reaches below v as far as the font draws it off screen.
std::string DotahJeCely(HFONT f, const TSnimka& v, const TSnimka& y);

}  // namespace vx::inspector
