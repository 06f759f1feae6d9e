#pragma once
// Pop-up menus built from menu item components; a chosen item's click runs on the window thread.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Events.h"

class TMenuItem : public TComponent {
public:
    TMenuItem(TComponent* owner, const std::wstring& caption) : TComponent(owner), caption_(caption) {}
    const std::wstring& Caption() const { return caption_; }
    bool Default = false;
    TNotifyEvent OnClick;
    void Click() {
        if (OnClick) OnClick(this);
    }

private:
    std::wstring caption_;
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
