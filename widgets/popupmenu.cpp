#include "widgets/popupmenu.h"

#include "base/win32/text.h"

namespace vx {

TMenuItem& TPopupMenu::Add(UINT id, const std::string& caption, std::function<void()> onClick) {
    auto item = std::make_unique<TMenuItem>();
    item->Id = id;
    item->Caption = caption;
    item->OnClick = std::move(onClick);
    items_.push_back(std::move(item));
    return *items_.back();
}

TMenuItem& TPopupMenu::AddSeparator(UINT id) {
    TMenuItem& item = Add(id, "-");
    item.Separator = true;
    return item;
}

TMenuItem* TPopupMenu::Find(UINT id) {
    for (auto& i : items_)
        if (i->Id == id) return i.get();
    return nullptr;
}

bool TPopupMenu::HandleCommand(UINT id) {
    TMenuItem* item = Find(id);
    if (!item || item->Separator || !item->Visible) return false;
    if (item->OnClick) item->OnClick();
    return true;
}

std::vector<std::string> TPopupMenu::VisibleCaptions() const {
    std::vector<std::string> out;
    for (auto& i : items_)
        if (i->Visible) out.push_back(i->Separator ? std::string("-") : i->Caption);
    return out;
}

void TPopupMenu::Popup(HWND owner, int x, int y) {
    HMENU m = CreatePopupMenu();
    for (auto& i : items_) {
        if (!i->Visible) continue;
        if (i->Separator)
            AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(m, MF_STRING, i->Id, Wide(i->Caption).c_str());
    }
    // A menu opened from the notification area closes properly only when
    // its owner is the foreground window, and needs a message afterwards.
    SetForegroundWindow(owner);
    TrackPopupMenu(m, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(m);
}

}  // namespace vx
