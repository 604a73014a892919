#pragma once
#include <windows.h>

#include <cstdint>

namespace vx {

// A 32-bit picture off screen, white at first, whose pixels can be read:
// where text is drawn to see how the system draws a font, and where the
// control's form is painted in pixels before it is scaled for a container.
class TOffscreen {
public:
    TOffscreen(int w, int h);
    ~TOffscreen();
    TOffscreen(const TOffscreen&) = delete;
    TOffscreen& operator=(const TOffscreen&) = delete;
    bool Ok() const { return bmp_ != nullptr; }
    HDC Dc() const { return dc_; }
    int Width() const { return w_; }
    int Height() const { return h_; }
    // A pixel as 0x00RRGGBB; what was drawn is flushed first.
    uint32_t Pixel(int x, int y) const;

private:
    int w_, h_;
    HDC dc_ = nullptr;
    HBITMAP bmp_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

}  // namespace vx
