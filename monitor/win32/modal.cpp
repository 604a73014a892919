#include "monitor/win32/modal.h"

namespace vx {

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

}  // namespace vx
