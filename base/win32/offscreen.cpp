#include "base/win32/offscreen.h"

#include <cstddef>

namespace vx {

TOffscreen::TOffscreen(int w, int h) : w_(w), h_(h) {
    HDC obrazovka = GetDC(nullptr);
    dc_ = CreateCompatibleDC(obrazovka);
    ReleaseDC(nullptr, obrazovka);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down: row y at y * w
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bmp_ = dc_ && w > 0 && h > 0 ? CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0) : nullptr;
    if (!bmp_) return;
    old_ = SelectObject(dc_, bmp_);
    RECT r{0, 0, w, h};
    FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

TOffscreen::~TOffscreen() {
    if (bmp_) {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
    }
    if (dc_) DeleteDC(dc_);
}

uint32_t TOffscreen::Pixel(int x, int y) const {
    GdiFlush();
    return static_cast<const uint32_t*>(bits_)[static_cast<size_t>(y) * static_cast<size_t>(w_) + x] & 0xFFFFFF;
}

}  // namespace vx
