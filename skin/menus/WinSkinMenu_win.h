#pragma once
// The skinned frame's menu bar: the native menu bar is taken off the window and its top-level items
// become buttons painted from the skin under the caption. A button opens its drop-down as a
// tracked pop-up menu; while it is open a message-filter hook lets the arrow keys and the pointer
// move to the neighbouring buttons. The drop-downs' items (and those of the skinned system menu)
// are switched to owner drawing while they are shown and painted with the skin's menu item image
// and colours. The layout rules are in SkinMenu.h.
#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "framework/Handle_win.h"
#include "skin/menus/NcObject_win.h"
#include "skin/model/Bitmap.h"
#include "skin/rules/SkinFrame.h"
#include "skin/rules/SkinMenu.h"

class TMainMenu;
class TMenuItem;
class TSkinData;
class TSkinManage;
class TWinSkinMenu;

// What the menu bar asks of the skinned frame it sits in.
class TMenuBarHost : public TNcObjectHost {
public:
    virtual const frame::TBorders& Borders() const = 0;
    virtual int MenuBarHeight() const = 0;
    virtual bool IsActive() const = 0;
    // The frame is set up and paints its skin.
    virtual bool FrameRunning() const = 0;
};

// The message-filter hook installed while a drop-down of the bar is tracked.
LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);

// One top-level item of the bar.
class TMenuBtn : public TNCObject {
public:
    TMenuBtn(TMenuBarHost& frame, TWinSkinMenu& bar, int index) : TNCObject(frame), Bar(bar), Index(index) {}
    void Repaint() override;

    TWinSkinMenu& Bar;
    int Index;
    TMenuItem* Item = nullptr; // the menu component's item, when the form has one
    std::wstring Caption;
    HMENU Submenu = nullptr; // none for an item without sub-items
    UINT Command = 0;
};

class TWinSkinMenu {
public:
    // `manager`: the skin manager that made the frame (it hears of the bar's tracking).
    TWinSkinMenu(TMenuBarHost& frame, HWND window, TSkinData* skin, TSkinManage* manager);
    ~TWinSkinMenu();
    TWinSkinMenu(const TWinSkinMenu&) = delete;
    TWinSkinMenu& operator=(const TWinSkinMenu&) = delete;

    void SetMenuComponent(TMainMenu* menu) { component_ = menu; }
    // The native menu the bar replaced; the frame puts it back when it lets go.
    HMENU NativeMenu() const { return native_; }
    void SetNativeMenu(HMENU menu) { native_ = menu; }

    // Fills the buttons from the window's menu and takes the native menu bar off the window.
    void BuildMenuButtons();
    // The same after the menu changed, then the layout.
    void RebuildMenuButtons();
    // Every button's rectangle for the window's current size, without painting.
    void LayoutMenuBar();
    // Paints the bar at `bar` (window coordinates) into the window's device context.
    void PaintMenuBar(HDC dc, const TRect& bar);
    // The button at a point in window coordinates whose caption is not empty, else null.
    TMenuBtn* MenuButtonAt(POINT windowPoint) const;
    // Opens the button's drop-down and tracks it (modal) until it closes; false when the button
    // has none (its command is then posted on its own).
    bool OpenMenuButton(TMenuBtn& button);
    // Opens another button's drop-down: during tracking the open one closes first.
    void SwitchToMenuButton(TMenuBtn& button);
    // The first enabled, visible button whose caption has this accelerator, else null.
    TMenuBtn* MenuButtonForAccelerator(wchar_t key) const;
    const std::vector<std::unique_ptr<TMenuBtn>>& MenuButtons() const { return buttons_; }
    // The bar's rectangle in window coordinates for the window's current size.
    TRect BarRect() const;
    void PaintButton(TMenuBtn& button);
    // The form's tracking mark: a drop-down of this bar is open.
    bool TrackingMenu() const { return trackingMark_; }

    // The index of the button whose drop-down is open (-1 when none), for the whole thread.
    static int OpenIndex();

private:
    friend LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam);
    void FillButtons(bool rebuild);
    std::vector<skinmenu::TBarButton> BarButtons(HDC measure) const;
    // Acts on one message of the running menu loop; true when it is swallowed.
    bool FilterMessage(const MSG& msg);
    bool TrackOne(TMenuBtn& button);

    TMenuBarHost& frame_;
    HWND window_;
    TSkinData* skin_;
    TSkinManage* manager_;
    TMainMenu* component_ = nullptr;
    HMENU native_ = nullptr;
    std::vector<std::unique_ptr<TMenuBtn>> buttons_;
    TRect bar_;
    TBitmap32 background_;
    bool painting_ = false;
    bool trackingMark_ = false;
};

// ---- Owner-drawn items ----

// Switches every item of a menu (recursively) to owner drawing for the scope's life and gives
// each the record the painters read; the items get their own look back at the end.
class TOwnerDrawScope {
public:
    struct TRecord {
        HMENU Menu = nullptr;
        UINT Position = 0;
        UINT Id = 0;
        UINT Type = 0;
        UINT State = 0;
        ULONG_PTR Data = 0;
        HMENU Submenu = nullptr;
        std::wstring Text;
    };
    explicit TOwnerDrawScope(HMENU menu);
    ~TOwnerDrawScope();
    TOwnerDrawScope(const TOwnerDrawScope&) = delete;
    TOwnerDrawScope& operator=(const TOwnerDrawScope&) = delete;

    // The record behind an owner-drawn item's data when it is one of a live scope's, else null.
    static const TRecord* Find(ULONG_PTR itemData);

private:
    void Mark(HMENU menu, int depth);
    std::deque<TRecord> records_;
};

// The frame's handlers of WM_MEASUREITEM / WM_DRAWITEM for menus: false leaves the item to the
// default handling (it is not one of the skin's). The item's background comes from its skinned
// menu window among `manager`'s.
bool MeasureMenuItem(TSkinData& skin, TMainMenu* component, MEASUREITEMSTRUCT& item);
bool DrawMenuItem(TSkinData& skin, TMainMenu* component, const DRAWITEMSTRUCT& item, bool rightToLeft,
                  const TSkinManage* manager);
