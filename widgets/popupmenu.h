// A popup menu whose items can be hidden: the Win32 menu is built from the
// visible items each time it opens. A chosen item arrives at the owner
// window as WM_COMMAND with the item's id; the owner hands it to
// HandleCommand.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "widgets/control.h"

namespace vx {

struct TMenuItem {
    UINT Id = 0;
    std::string Caption;  // code page 1250
    bool Separator = false;
    bool Visible = true;
    std::function<void()> OnClick;
};

class TPopupMenu {
public:
    TMenuItem& Add(UINT id, const std::string& caption, std::function<void()> onClick = nullptr);
    TMenuItem& AddSeparator(UINT id);
    TMenuItem* Find(UINT id);
    // Runs the item's handler; false when no visible item has this id.
    bool HandleCommand(UINT id);
    // Opens the menu at a screen point and returns when it closes; the
    // chosen item's WM_COMMAND is posted to owner.
    void Popup(HWND owner, int x, int y);
    // The captions of the visible items in order ("-" for a separator), as
    // the menu would show them now.
    std::vector<std::string> VisibleCaptions() const;

private:
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

}  // namespace vx
