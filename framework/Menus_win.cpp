#include "framework/Menus_win.h"

#include <algorithm>

#include "framework/Application_win.h"
#include "framework/Handle_win.h"

TMenuItem* TPopupMenu::AddItem(const std::wstring& caption) {
    auto* item = new TMenuItem(this, caption);
    items_.push_back(item);
    return item;
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove)
        items_.erase(std::remove(items_.begin(), items_.end(), component), items_.end());
}

TMenuItem* TPopupMenu::Popup(int x, int y, HWND owner) {
    unique_hmenu menu(::CreatePopupMenu());
    if (!menu) return nullptr;
    for (size_t i = 0; i < items_.size(); ++i) {
        ::AppendMenuW(menu.get(), MF_STRING, i + 1, items_[i]->Caption().c_str());
        if (items_[i]->Default) ::SetMenuDefaultItem(menu.get(), static_cast<UINT>(i + 1), FALSE);
    }
    if (!owner && Application) owner = Application->UtilityWindow();
    shown_ = menu.get();
    UINT chosen = static_cast<UINT>(::TrackPopupMenu(
        menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, x, y, 0, owner, nullptr));
    shown_ = nullptr;
    if (chosen == 0 || chosen > items_.size()) return nullptr;
    TMenuItem* item = items_[chosen - 1];
    item->Click();
    return item;
}
