// The link label on a window: a static control that shows the label's
// caption in its current font and colour, shows the hand cursor while it
// acts as a link, and opens its address when clicked.
#pragma once
#include <windows.h>

#include <memory>

#include "capictrl/core/linklabel.h"

namespace vx {

// The registry's classes, the mail library and the shell's open operation.
class TWin32LinkSystem : public ILinkSystem {
public:
    bool ReadClassesDefault(const std::string& key, std::string& value) override;
    bool CanLoadLibrary(const std::string& name) override;
    void ShellOpen(const std::string& address) override;
};

class TURLLabelWindow {
public:
    // Creates the static at a designed place; the label starts as the link
    // label does at creation, with `font` as its own font.
    TURLLabelWindow(ILinkSystem& sys, HWND parent, int id, int left, int top, int width, int height,
                    const TLabelFont& font);
    ~TURLLabelWindow();
    TURLLabelWindow(const TURLLabelWindow&) = delete;
    TURLLabelWindow& operator=(const TURLLabelWindow&) = delete;

    TmdURLLabel& Label() { return label_; }
    HWND Handle() const { return hwnd_; }
    // Shows what the label holds now: caption and font.
    void Update();

    // For the parent window: the colour of WM_CTLCOLORSTATIC, and the
    // click (STN_CLICKED).
    HBRUSH OnCtlColor(HDC dc);
    void OnClicked();

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

    TmdURLLabel label_;
    HWND hwnd_ = nullptr;
    WNDPROC oldProc_ = nullptr;
    HFONT font_ = nullptr;
    TLabelFont shown_;
};

}  // namespace vx
