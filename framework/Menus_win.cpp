#include "framework/Menus_win.h"

#include <algorithm>

#include "framework/Application_win.h"

namespace {
template <typename F> TMenuItem* FindIn(TMenuItem& parent, F match) {
    for (size_t i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (match(*item)) return item;
        if (TMenuItem* found = FindIn(*item, match)) return found;
    }
    return nullptr;
}
} // namespace

TMenuItem* TMenuItem::Add(const std::wstring& caption) {
    auto* item = new TMenuItem(this, caption);
    item->parent_ = this;
    items_.push_back(item);
    return item;
}

void TMenuItem::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove)
        items_.erase(std::remove(items_.begin(), items_.end(), component), items_.end());
}

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

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), root_(new TMenuItem(this, L"")) {}

TMainMenu::~TMainMenu() {
    // The items go with the components; the native menu with its owner below.
    menu_.reset();
}

HMENU TMainMenu::Handle() {
    if (!menu_) return Rebuild();
    return menu_.get();
}

HMENU TMainMenu::Rebuild() {
    menu_.reset(::CreateMenu());
    if (!menu_) return nullptr;
    // Command identifiers stay below 4096: the system's own commands start at 0xF000, and the
    // skinned menus tell the two apart that way.
    UINT next = 1;
    Build(*root_, menu_.get(), next);
    return menu_.get();
}

void TMainMenu::Build(TMenuItem& parent, HMENU menu, UINT& next) {
    for (size_t i = 0; i < parent.Count(); ++i) {
        TMenuItem& item = *parent.Items(i);
        item.command_ = next < 4096 ? next++ : 0;
        item.submenu_ = nullptr;
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
        info.wID = item.command_;
        if (item.IsSeparator()) {
            info.fType = MFT_SEPARATOR;
            ::InsertMenuItemW(menu, UINT(i), TRUE, &info);
        } else {
            info.fMask |= MIIM_STRING;
            info.fType = MFT_STRING;
            std::wstring text = item.Caption();
            if (!item.ShortCut.empty()) text += L"\t" + item.ShortCut;
            info.dwTypeData = text.data();
            info.fState = (item.Enabled ? 0u : MFS_GRAYED) | (item.Checked ? MFS_CHECKED : 0u) |
                          (item.Default ? MFS_DEFAULT : 0u);
            if (item.Count() > 0) {
                HMENU sub = ::CreatePopupMenu();
                if (sub) {
                    Build(item, sub, next);
                    item.submenu_ = sub;
                    info.fMask |= MIIM_SUBMENU;
                    info.hSubMenu = sub; // destroyed with the menu that holds it
                }
            }
            ::InsertMenuItemW(menu, UINT(i), TRUE, &info);
        }
    }
}

TMenuItem* TMainMenu::FindItem(UINT command) const {
    if (command == 0) return nullptr;
    return FindIn(*root_, [command](const TMenuItem& item) { return item.Command() == command; });
}

TMenuItem* TMainMenu::FindSubmenu(HMENU submenu) const {
    if (!submenu) return nullptr;
    return FindIn(*root_, [submenu](const TMenuItem& item) { return item.Handle() == submenu; });
}

bool TMainMenu::DispatchCommand(UINT command) {
    TMenuItem* item = FindItem(command);
    if (!item || !item->Enabled) return false;
    item->Click();
    return true;
}
