#pragma once
// A popup-menu window (class "#32768") whose border and background come from the skin: the
// manager attaches one when such a window is created while skinning is on, and drops it when the
// window is destroyed. The items themselves keep the system's drawing unless their owner draws
// them (the skinned menu bar's drop-downs).
#include <windows.h>

#include "framework/Subclass_win.h"
#include "skin/model/Bitmap.h"
#include "skin/rules/SkinManage.h"

class TSkinData;

class TWinSkinPopMenu : public TSkinnedMenu {
public:
    // Attaches to the window at once. The menu is skinned while `manager` skins.
    TWinSkinPopMenu(HWND window, TSkinData* skin, const TSkinManage& manager);
    ~TWinSkinPopMenu() override { Detach(); }

    TSkinWindow Window() const override { return window_; }
    void Restore() override { Detach(); }
    void MarkFromMenuBar() override { fromMenuBar_ = true; }
    bool FromMenuBar() const { return fromMenuBar_; }
    // The menu shown in the window, once known (0 until then).
    HMENU Menu() const { return menu_; }
    void SetMenu(HMENU menu) { menu_ = menu; }
    // The skin's menu background fitted to the window at the last frame paint.
    const TBitmap32& Background() const { return background_; }
    void Detach();
    // Builds the background for the window's size; false when the skin has none.
    bool EnsureBackground() { return BuildBackground(); }
    // Where the window's client area (the items' coordinates) starts within the window.
    POINT ClientOrigin() const;

private:
    bool Handle(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool BuildBackground();

    HWND window_;
    TSkinData* skin_;
    const TSkinManage& manager_;
    HMENU menu_ = nullptr;
    TBitmap32 background_;
    bool fromMenuBar_ = false;
    TWindowSubclass subclass_;
};
