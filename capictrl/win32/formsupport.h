// What the control's property pages and about box share: forms designed at
// 120 pixels per inch shown at the screen's resolution, their fonts and
// colours, and dialog windows made from a template in memory.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "capictrl/core/linklabel.h"

namespace vx {

// The screen's pixels per inch.
int ScreenPixelsPerInch();

// Pixels of the design (120 per inch) in pixels of the screen.
int ScaleDesigned(int px);

// The font at the screen's resolution; the caller deletes it.
HFONT CreateDesignedFont(const TLabelFont& f);
COLORREF ColorOf(uint32_t color);

// A dialog without controls, its size given later in pixels.
std::vector<WORD> DialogTemplate(DWORD style, DWORD exStyle);

// A child window at a designed place, with the given font.
HWND CreateDesignedChild(HWND parent, const wchar_t* cls, const std::string& text, DWORD style, int id, int left,
                         int top, int width, int height, HFONT font);

}  // namespace vx
