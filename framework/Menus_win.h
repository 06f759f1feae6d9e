#pragma once
// Menus built from menu item components: pop-up menus (a chosen item's click runs on the window
// thread) and a form's main menu, a tree of items that gives the native menu bar handle.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Handle_win.h"

class TMenuItem : public TComponent {
public:
    TMenuItem(TComponent* owner, const std::wstring& caption) : TComponent(owner), caption_(caption) {}
    const std::wstring& Caption() const { return caption_; }
    // "-" makes a separator.
    bool IsSeparator() const { return caption_ == L"-"; }
    bool Default = false;
    bool Enabled = true;
    bool Checked = false;
    // Shown right-aligned after the caption ("Ctrl+O"); informative only.
    std::wstring ShortCut;
    TNotifyEvent OnClick;
    void Click() {
        if (OnClick) OnClick(this);
    }

    // Sub-items, owned by this item.
    TMenuItem* Add(const std::wstring& caption);
    size_t Count() const { return items_.size(); }
    TMenuItem* Items(size_t i) const { return items_.at(i); }
    TMenuItem* Parent() const { return parent_; }
    // The command identifier the item has in its main menu's native menu (0 until built).
    UINT Command() const { return command_; }
    // The native sub-menu of an item with sub-items, once built.
    HMENU Handle() const { return submenu_; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TMainMenu;
    std::wstring caption_;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    UINT command_ = 0;
    HMENU submenu_ = nullptr;
};

class TPopupMenu : public TComponent {
public:
    using TComponent::TComponent;

    // Items are owned by the menu.
    TMenuItem* AddItem(const std::wstring& caption);
    size_t Count() const { return items_.size(); }
    TMenuItem* Items(size_t i) const { return items_.at(i); }

    bool AutoPopup = true;
    // The component that showed the menu last.
    TComponent* PopupComponent = nullptr;

    // Shows the menu at a screen point, owned by `owner` (the utility window when null), and runs
    // the chosen item's click after the menu has closed. Returns the chosen item or null.
    TMenuItem* Popup(int x, int y, HWND owner = nullptr);
    // The menu handle while it is shown (for code that draws menus), else null.
    HMENU ShownHandle() const { return shown_; }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::vector<TMenuItem*> items_;
    HMENU shown_ = nullptr;
};

// A form's menu bar: top-level items, each with its drop-down of sub-items.
class TMainMenu : public TComponent {
public:
    explicit TMainMenu(TComponent* owner);
    ~TMainMenu() override;

    // The top-level items live under this root.
    TMenuItem& Items() { return *root_; }
    TMenuItem* Add(const std::wstring& caption) { return root_->Add(caption); }

    // The native menu bar, built on first use; items added later need Rebuild(). The menu owns it.
    HMENU Handle();
    // Builds the native menu again from the items (the form must be given the new handle).
    HMENU Rebuild();
    bool HandleAllocated() const { return static_cast<bool>(menu_); }
    // Gives the native menu away: the window it is set on destroys it with itself.
    HMENU ReleaseHandle() { return menu_.release(); }

    // The item with this command identifier, or null.
    TMenuItem* FindItem(UINT command) const;
    // The item whose sub-menu is `submenu`, or null.
    TMenuItem* FindSubmenu(HMENU submenu) const;
    // Runs the click of the item with this command; false when no item has it.
    bool DispatchCommand(UINT command);

private:
    void Build(TMenuItem& parent, HMENU menu, UINT& next);

    TMenuItem* root_;
    unique_hmenu menu_;
};
