// The control's form as a container shows it: a child window of the
// container with the raised border, the green panel and the panel's icon.
// The same painter serves the window and the control's rendering for a
// container that draws it without activating it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "widgets/window.h"

namespace vx {

// The panel's 24 x 24 icon among the file's resources.
constexpr int kPanelIconId = 2;

// The form's look, painted into `r` of `dc`: the raised border, the form's
// green, the raised panel at the top left of the form's inside and the
// 24 x 24 icon at (4, 4) of the panel.
void PaintLinkorForm(HDC dc, const RECT& r);

// The form of `size` pixels painted as above and stretched onto `bounds`,
// which are in the logical units of `dc`: a container's picture, print or
// zoomed view of the form.
void DrawLinkorForm(HDC dc, const RECT& bounds, SIZE size);

class TLinkorFormWindow : public TWindow {
public:
    // `onUserActivate` runs when the user clicks the form or moves the
    // focus into it.
    explicit TLinkorFormWindow(std::function<void()> onUserActivate) : onUserActivate_(std::move(onUserActivate)) {}

    // A child of `parent` at `pos` (in the parent's client coordinates);
    // false when the window cannot be made.
    bool Create(HWND parent, const RECT& pos, const std::string& caption, bool visible, bool enabled);
    void Destroy() { DestroyWnd(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::function<void()> onUserActivate_;
};

}  // namespace vx
