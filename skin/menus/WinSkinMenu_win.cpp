#include "skin/menus/WinSkinMenu_win.h"

#include <algorithm>

#include "framework/DebugSink_win.h"
#include "framework/Menus_win.h"
#include "skin/menus/WinSkinPopMenu_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData.h"
#include "skin/rules/SkinManage.h"

namespace {

COLORREF Rgb(TColor colour) {
    return COLORREF(ColourToRGB(colour) & 0xFFFFFF);
}

COLORREF SkinColour(const TSkinData& skin, TSkinColourSlot slot) {
    return Rgb(skin.SkinColours[slot]);
}

// The system menu font, made for each use (bold for a default item).
HFONT CreateMenuFont(bool bold) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
    if (bold) metrics.lfMenuFont.lfWeight = FW_BOLD;
    return ::CreateFontIndirectW(&metrics.lfMenuFont);
}

SIZE TextSize(HDC dc, const std::wstring& text, UINT extra = 0) {
    RECT r{0, 0, 0, 0};
    if (!text.empty())
        ::DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | extra);
    return {r.right - r.left, r.bottom - r.top};
}

int FontHeight(HDC dc) {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight;
}

// The older consumer line of the platform (the top bit of the version is set there).
bool OldConsumerSystem() {
    return (::GetVersion() & 0x80000000u) != 0;
}

// Version 4 of the NT line, whose menus do not take owner drawing from the bar.
bool NtFour() {
    const DWORD version = ::GetVersion();
    return !(version & 0x80000000u) && (version & 0xFF) == 4;
}

// ---- The drop-down being tracked: one at a time for the thread ----
struct TTracking {
    TWinSkinMenu* Bar = nullptr;
    int Open = -1;
    HMENU DropDown = nullptr;
    POINT LastMouse{-1, -1};
    bool Switching = false;
    bool FirstKeySent = false;
    int PendingSwitch = -1;
};
TTracking g_tracking;

// What is selected in the open drop-down, found from the items' highlight.
skinmenu::TSelection CurrentSelection(HMENU dropDown) {
    skinmenu::TSelection selection;
    HMENU menu = dropDown;
    for (int depth = 0; menu && depth < 16; ++depth) {
        const int count = ::GetMenuItemCount(menu);
        int hilite = -1;
        for (int i = 0; i < count && hilite < 0; ++i)
            if (::GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_HILITE) hilite = i;
        if (hilite < 0) break;
        HMENU sub = ::GetSubMenu(menu, hilite);
        selection.None = false;
        selection.TopLevel = menu == dropDown;
        selection.HasSubmenu = sub != nullptr;
        menu = sub;
    }
    return selection;
}

HWND OpenMenuWindow() {
    HWND wnd = ::FindWindowW(L"#32768", nullptr);
    return wnd && ::IsWindowVisible(wnd) ? wnd : nullptr;
}

std::vector<const TOwnerDrawScope*>& LiveScopes() {
    static std::vector<const TOwnerDrawScope*> scopes;
    return scopes;
}

} // namespace

LRESULT CALLBACK MenuFilterHook(int code, WPARAM wParam, LPARAM lParam) {
    const LRESULT next = ::CallNextHookEx(nullptr, code, wParam, lParam);
    if (code != MSGF_MENU || next || !g_tracking.Bar || !lParam) return next;
    try {
        return g_tracking.Bar->FilterMessage(*reinterpret_cast<const MSG*>(lParam)) ? 1 : 0;
    } catch (...) {
        DebugReportCurrentException("menu bar tracking");
        return 0;
    }
}

// ---- Buttons ----

void TMenuBtn::Repaint() {
    Bar.PaintButton(*this);
}

TWinSkinMenu::TWinSkinMenu(TMenuBarHost& frame, HWND window, TSkinData* skin, TSkinManage* manager)
    : frame_(frame), window_(window), skin_(skin), manager_(manager) {}

TWinSkinMenu::~TWinSkinMenu() {
    if (g_tracking.Bar == this) g_tracking = TTracking();
    if (std::any_of(buttons_.begin(), buttons_.end(),
                    [this](const auto& b) { return frame_.CurrentNcObject() == b.get(); }))
        frame_.SetCurrentNcObject(nullptr);
}

int TWinSkinMenu::OpenIndex() {
    return g_tracking.Open;
}

void TWinSkinMenu::BuildMenuButtons() {
    FillButtons(false);
}

void TWinSkinMenu::RebuildMenuButtons() {
    FillButtons(true);
    LayoutMenuBar();
}

void TWinSkinMenu::FillButtons(bool rebuild) {
    if (HMENU menu = ::GetMenu(window_)) native_ = menu;
    if (!native_) return;
    if (frame_.CurrentNcObject() && dynamic_cast<TMenuBtn*>(frame_.CurrentNcObject()))
        frame_.SetCurrentNcObject(nullptr);
    buttons_.clear();
    const int count = ::GetMenuItemCount(native_);
    for (int i = 0; i < count; ++i) {
        auto button = std::make_unique<TMenuBtn>(frame_, *this, i);
        wchar_t text[81] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 80;
        if (!::GetMenuItemInfoW(native_, UINT(i), TRUE, &info)) info = MENUITEMINFOW{};
        button->Visible = true;
        button->Enabled = !(info.fState & (MFS_DISABLED | MFS_GRAYED));
        button->Caption = (info.fType & MFT_SEPARATOR) ? L"" : text;
        button->Submenu = info.hSubMenu;
        button->Command = info.wID;
        TMenuItem* item = component_ ? component_->FindItem(info.wID) : nullptr;
        if (item && (!rebuild || button->Caption.empty())) {
            button->Item = item;
            button->Caption = item->Caption();
            button->Enabled = item->Enabled;
            button->Submenu = item->Count() > 0 ? item->Handle() : nullptr;
        }
        buttons_.push_back(std::move(button));
    }
    ::SetMenu(window_, nullptr);
}

TRect TWinSkinMenu::BarRect() const {
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    const frame::TBorders& b = frame_.Borders();
    return {b.Left, b.Top, (outer.right - outer.left) - b.Right, b.Top + frame_.MenuBarHeight()};
}

std::vector<skinmenu::TBarButton> TWinSkinMenu::BarButtons(HDC measure) const {
    std::vector<skinmenu::TBarButton> out;
    out.reserve(buttons_.size());
    for (const auto& b : buttons_)
        out.push_back({b->Caption, TextSize(measure, b->Caption, DT_EXPANDTABS).cx, b->Visible, b->Enabled});
    return out;
}

void TWinSkinMenu::LayoutMenuBar() {
    const TRect bar = BarRect();
    unique_hdc measure(::CreateCompatibleDC(nullptr));
    unique_hfont font(CreateMenuFont(false));
    ScopedSelectObject selected(measure.get(), font.get());
    const TDataSkinObject* element = skin_->MenuBar.get();
    const bool hasElement = element && !element->Bitmap.Empty();
    const bool rtl = (::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0 ||
                     (::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
    const int offset = skinmenu::StartOffset(hasElement, hasElement ? element->LeftWidth : 0,
                                             hasElement ? element->RightWidth : 0, rtl, bar.Width());
    // Child-window buttons in the bar belong to multi-document frames, which this program has not.
    const std::vector<TRect> rects = skinmenu::LayoutButtons(BarButtons(measure.get()), bar, offset, rtl);
    for (size_t i = 0; i < buttons_.size(); ++i)
        buttons_[i]->Rect = rects[i];
}

TMenuBtn* TWinSkinMenu::MenuButtonAt(POINT p) const {
    std::vector<skinmenu::TBarButton> captions;
    std::vector<TRect> rects;
    for (const auto& b : buttons_) {
        captions.push_back({b->Caption, 0, b->Visible, b->Enabled});
        rects.push_back(b->Rect);
    }
    const int index = skinmenu::ButtonAt(captions, rects, p.x, p.y);
    return index < 0 ? nullptr : buttons_[size_t(index)].get();
}

TMenuBtn* TWinSkinMenu::MenuButtonForAccelerator(wchar_t key) const {
    std::vector<skinmenu::TBarButton> captions;
    for (const auto& b : buttons_)
        captions.push_back({b->Caption, 0, b->Visible, b->Enabled});
    const int index = skinmenu::ButtonForAccelerator(captions, key);
    return index < 0 ? nullptr : buttons_[size_t(index)].get();
}

// ---- Painting ----

void TWinSkinMenu::PaintMenuBar(HDC dc, const TRect& bar) {
    if (bar.IsEmpty()) return;
    painting_ = true;
    bar_ = bar;
    TBitmap32 buffer(bar.Width(), bar.Height(), ColourToRGB(skin_->SkinColours[scMenubar]));
    const TDataSkinObject* element = skin_->MenuBar.get();
    if (element && !element->Bitmap.Empty()) {
        TBitmapCanvas canvas(buffer);
        const int frame = frame_.IsActive() ? 1 : 2;
        if (element->Tile == 1)
            DrawElement(canvas, buffer.BoundsRect(), element->Bitmap, true, false, false, 2, frame,
                        element->Margins());
        else
            DrawElementStrip(canvas, buffer.BoundsRect(), element->Bitmap, true, false, 2, frame,
                             element->Margins());
    }
    background_ = buffer;
    LayoutMenuBar();
    TDibSection dib(buffer);
    if (dib.Valid()) {
        unique_hfont font(CreateMenuFont(false));
        {
            ScopedSelectObject selected(dib.DC(), font.get());
            ::SetBkMode(dib.DC(), TRANSPARENT);
            for (const auto& b : buttons_) {
                if (!b->Visible || b->Rect.IsEmpty()) continue;
                ::SetTextColor(dib.DC(), SkinColour(*skin_, b->Enabled ? scMenuBarText : scButtonShadow));
                RECT r = ToRECT(b->Rect.Offset(-bar.Left, -bar.Top));
                ::DrawTextW(dib.DC(), b->Caption.c_str(), int(b->Caption.size()), &r,
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
            }
        }
        ::GdiFlush();
        ::BitBlt(dc, bar.Left, bar.Top, bar.Width(), bar.Height(), dib.DC(), 0, 0, SRCCOPY);
    }
    painting_ = false;
}

void TWinSkinMenu::PaintButton(TMenuBtn& button) {
    if (!button.Visible || button.Rect.IsEmpty() || background_.Empty() || painting_ ||
        !frame_.FrameRunning())
        return;
    const TRect local = button.Rect.Offset(-bar_.Left, -bar_.Top);
    TBitmap32 piece = background_.Copy(local);
    if (piece.Empty()) return;
    TDibSection dib(piece);
    if (!dib.Valid()) return;
    {
        if (button.State != frame::TNcState::Normal) {
            unique_hbrush frameBrush(::CreateSolidBrush(SkinColour(*skin_, scButtonHilight)));
            RECT edge{0, 0, piece.Width(), piece.Height()};
            ::FrameRect(dib.DC(), &edge, frameBrush.get());
        }
        unique_hfont font(CreateMenuFont(false));
        ScopedSelectObject selected(dib.DC(), font.get());
        ::SetBkMode(dib.DC(), TRANSPARENT);
        ::SetTextColor(dib.DC(), SkinColour(*skin_, button.Enabled ? scMenuBarText : scButtonShadow));
        RECT r{0, 0, piece.Width(), piece.Height()};
        ::DrawTextW(dib.DC(), button.Caption.c_str(), int(button.Caption.size()), &r,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS);
    }
    ::GdiFlush();
    ScopedGetWindowDC dc(window_);
    ::BitBlt(dc.get(), button.Rect.Left, button.Rect.Top, piece.Width(), piece.Height(), dib.DC(), 0, 0,
             SRCCOPY);
}

// ---- Opening and tracking ----

bool TWinSkinMenu::OpenMenuButton(TMenuBtn& button) {
    if (button.Command) ::PostMessageW(window_, WM_COMMAND, button.Command, 0);
    if (!button.Submenu) return false;
    // A switch to another button closes the open drop-down and opens the next one here, so that
    // one menu loop ends before the next begins.
    TMenuBtn* current = &button;
    while (current) {
        TrackOne(*current);
        const int next = g_tracking.PendingSwitch;
        g_tracking.PendingSwitch = -1;
        if (next < 0 || size_t(next) >= buttons_.size()) break;
        current = buttons_[size_t(next)].get();
        if (!current->Submenu) {
            // Passing over an item without sub-items shows it hot; its command needs a click.
            current->Hover();
            break;
        }
        if (current->Command) ::PostMessageW(window_, WM_COMMAND, current->Command, 0);
        current->Press();
    }
    return true;
}

bool TWinSkinMenu::TrackOne(TMenuBtn& button) {
    g_tracking.Bar = this;
    g_tracking.Open = button.Index;
    g_tracking.DropDown = button.Submenu;
    g_tracking.Switching = false;
    g_tracking.FirstKeySent = false;
    g_tracking.PendingSwitch = -1;
    ::GetCursorPos(&g_tracking.LastMouse);
    trackingMark_ = true;
    if (manager_) {
        manager_->SetMenuOpenKind(mkMenuBar);
        manager_->SetMenuBarTracking(true);
    }
    std::unique_ptr<TOwnerDrawScope> ownerDrawn;
    if (!NtFour()) ownerDrawn = std::make_unique<TOwnerDrawScope>(button.Submenu);
    unique_hhook hook(::SetWindowsHookExW(WH_MSGFILTER, MenuFilterHook, nullptr, ::GetCurrentThreadId()));
    if (button.Enabled) {
        RECT outer{};
        ::GetWindowRect(window_, &outer);
        const bool rtl = (::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
        const int x = outer.left + (rtl ? button.Rect.Right : button.Rect.Left);
        const int y = outer.top + button.Rect.Bottom;
        const UINT flags = TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_RETURNCMD | (rtl ? TPM_RIGHTALIGN : 0u);
        // The chosen command reaches the form as the menu's own would.
        const UINT chosen = UINT(::TrackPopupMenu(button.Submenu, flags, x, y, 0, window_, nullptr));
        if (chosen) ::PostMessageW(window_, WM_COMMAND, chosen, 0);
    }
    hook.reset();
    ownerDrawn.reset();
    const int pending = g_tracking.PendingSwitch;
    g_tracking = TTracking();
    g_tracking.PendingSwitch = pending;
    trackingMark_ = false;
    if (pending < 0 && frame_.CurrentNcObject() == &button) button.Leave();
    return true;
}

void TWinSkinMenu::SwitchToMenuButton(TMenuBtn& button) {
    if (g_tracking.Bar == this) {
        g_tracking.PendingSwitch = button.Index;
        ::EndMenu();
        return;
    }
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    const int x = outer.left + button.Rect.Left + 1, y = outer.top + button.Rect.Top + 1;
    ::PostMessageW(window_, WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(x, y));
}

bool TWinSkinMenu::FilterMessage(const MSG& msg) {
    if (!g_tracking.FirstKeySent) {
        // Select the drop-down's first item, as a keyboard-opened menu does.
        g_tracking.FirstKeySent = true;
        HWND menuWindow = OpenMenuWindow();
        ::PostMessageW(menuWindow ? menuWindow : msg.hwnd, WM_KEYDOWN, VK_DOWN, 0);
    }
    const bool rtl = (::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    int chosen = -1;
    switch (msg.message) {
    case WM_KEYDOWN:
        if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) {
            g_tracking.Switching = false;
        } else if (msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT) {
            const skinmenu::TArrow key =
                msg.wParam == VK_LEFT ? skinmenu::TArrow::Left : skinmenu::TArrow::Right;
            chosen = skinmenu::ArrowSwitch(key, rtl, g_tracking.Open, int(buttons_.size()),
                                           CurrentSelection(g_tracking.DropDown));
        }
        break;
    case WM_SYSKEYDOWN:
        if (msg.wParam == VK_MENU) trackingMark_ = false;
        break;
    case WM_MOUSEMOVE: {
        POINT cursor = msg.pt;
        if (cursor.x == g_tracking.LastMouse.x && cursor.y == g_tracking.LastMouse.y) break;
        g_tracking.LastMouse = cursor;
        RECT outer{};
        ::GetWindowRect(window_, &outer);
        if (TMenuBtn* under = MenuButtonAt({cursor.x - outer.left, cursor.y - outer.top}))
            chosen = under->Index;
        break;
    }
    default:
        break;
    }
    if (chosen < 0 || chosen == g_tracking.Open) return false;
    g_tracking.Switching = true;
    SwitchToMenuButton(*buttons_[size_t(chosen)]);
    return true;
}

// ---- Owner-drawn items ----

TOwnerDrawScope::TOwnerDrawScope(HMENU menu) {
    LiveScopes().push_back(this);
    Mark(menu, 0);
}

TOwnerDrawScope::~TOwnerDrawScope() {
    for (const TRecord& r : records_) {
        if (!::IsMenu(r.Menu)) continue;
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        info.fType = r.Type;
        info.dwItemData = r.Data;
        std::wstring text = r.Text;
        if (!(r.Type & MFT_SEPARATOR)) {
            info.fMask |= MIIM_STRING;
            info.dwTypeData = text.data();
        }
        ::SetMenuItemInfoW(r.Menu, r.Position, TRUE, &info);
    }
    auto& scopes = LiveScopes();
    scopes.erase(std::remove(scopes.begin(), scopes.end(), this), scopes.end());
}

void TOwnerDrawScope::Mark(HMENU menu, int depth) {
    if (!menu || depth > 16) return;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_DATA;
        info.dwTypeData = text;
        info.cch = 255;
        if (!::GetMenuItemInfoW(menu, UINT(i), TRUE, &info)) continue;
        if (info.fType & MFT_OWNERDRAW) continue; // drawn by its owner already
        TRecord& r = records_.emplace_back();
        r.Menu = menu;
        r.Position = UINT(i);
        r.Id = info.wID;
        r.Type = info.fType;
        r.State = info.fState;
        r.Data = info.dwItemData;
        r.Submenu = info.hSubMenu;
        r.Text = (info.fType & MFT_SEPARATOR) ? L"" : text;
        MENUITEMINFOW mark{};
        mark.cbSize = sizeof(mark);
        mark.fMask = MIIM_FTYPE | MIIM_DATA;
        mark.fType = info.fType | MFT_OWNERDRAW;
        mark.dwItemData = reinterpret_cast<ULONG_PTR>(&r);
        ::SetMenuItemInfoW(menu, UINT(i), TRUE, &mark);
        if (info.hSubMenu) Mark(info.hSubMenu, depth + 1);
    }
}

const TOwnerDrawScope::TRecord* TOwnerDrawScope::Find(ULONG_PTR itemData) {
    for (const TOwnerDrawScope* scope : LiveScopes())
        for (const TRecord& r : scope->records_)
            if (reinterpret_cast<ULONG_PTR>(&r) == itemData) return &r;
    return nullptr;
}

namespace {

// What one item shows.
struct TItemLook {
    std::wstring Caption;
    std::wstring ShortCut;
    bool Enabled = true;
    bool Checked = false;
    bool Default = false;
    bool Separator = false;
    bool FromComponent = false;
};

// From the menu component's item, or a temporary one from the native item. An item switched to
// owner drawing is always given a look: the system no longer draws it.
TItemLook LookOf(TMainMenu* component, const TOwnerDrawScope::TRecord& record, UINT id, UINT drawState) {
    TItemLook look;
    if (TMenuItem* item = component ? component->FindItem(id) : nullptr) {
        look.Caption = item->Caption();
        look.ShortCut = item->ShortCut;
        look.Enabled = item->Enabled;
        look.Checked = item->Checked;
        look.Default = item->Default;
        look.Separator = item->IsSeparator();
        look.FromComponent = true;
        return look;
    }
    const size_t tab = record.Text.find(L'\t');
    look.Caption = record.Text.substr(0, tab);
    if (tab != std::wstring::npos) look.ShortCut = record.Text.substr(tab + 1);
    if (look.Caption.empty()) look.Caption = L"-";
    look.Separator = look.Caption == L"-";
    look.Enabled =
        !(drawState & (ODS_GRAYED | ODS_DISABLED)) && !(record.State & (MFS_GRAYED | MFS_DISABLED));
    look.Checked = (drawState & ODS_CHECKED) || (record.State & MFS_CHECKED);
    look.Default = (record.State & MFS_DEFAULT) != 0;
    return look;
}

// The skinned window showing `menu`: the one it was attached to, else the newest without one.
TWinSkinPopMenu* MenuWindowOf(HMENU menu, const TSkinManage* manager) {
    if (!manager) return nullptr;
    TWinSkinPopMenu* newestWithout = nullptr;
    for (const auto& skinned : manager->SkinnedMenus()) {
        auto* pop = dynamic_cast<TWinSkinPopMenu*>(skinned.get());
        if (!pop) continue;
        if (pop->Menu() == menu) return pop;
        if (!pop->Menu()) newestWithout = pop;
    }
    if (newestWithout) newestWithout->SetMenu(menu);
    return newestWithout;
}

void DrawCheckMark(HDC dc, const TRect& box, int itemHeight) {
    const int cx = (box.Left + box.Right) / 2 + 1, cy = itemHeight / 2 + 1;
    unique_hpen pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT)));
    ScopedSelectObject selected(dc, pen.get());
    for (int row = 0; row < 3; ++row) {
        const POINT tick[3] = {{cx - 3, cy - 1 + row}, {cx - 1, cy + 1 + row}, {cx + 4, cy - 4 + row}};
        ::Polyline(dc, tick, 3);
    }
}

} // namespace

bool MeasureMenuItem(TSkinData& skin, TMainMenu* component, MEASUREITEMSTRUCT& item) {
    const TOwnerDrawScope::TRecord* record = TOwnerDrawScope::Find(item.itemData);
    if (!record) return false;
    const TItemLook look = LookOf(component, *record, item.itemID, 0);
    const TDataSkinObject* element = skin.MenuItem.get();
    const bool hasElement = element && !element->Bitmap.Empty();
    const int leftMargin = hasElement ? element->LeftWidth : 0;
    unique_hdc measure(::CreateCompatibleDC(nullptr));
    unique_hfont font(CreateMenuFont(look.Default));
    ScopedSelectObject selected(measure.get(), font.get());
    const int textHeight = FontHeight(measure.get());
    if (look.FromComponent) {
        // The item measures itself: its caption and shortcut, tall enough for the glyph box.
        skinmenu::TItemSize own;
        if (look.Separator) {
            own = {0, 8};
        } else {
            own.Width = TextSize(measure.get(), look.Caption).cx;
            if (!look.ShortCut.empty())
                own.Width += 16 + TextSize(measure.get(), look.ShortCut, DT_NOPREFIX).cx;
            own.Height = std::max(textHeight + 4, 18);
        }
        const skinmenu::TItemSize size = skinmenu::WidenComponentItem(own, hasElement, leftMargin, false);
        item.itemWidth = UINT(size.Width);
        item.itemHeight = UINT(size.Height);
        return true;
    }
    std::wstring text = look.Separator ? L"" : look.Caption;
    if (!look.ShortCut.empty()) text += L"    " + look.ShortCut;
    const skinmenu::TItemSize size = skinmenu::MeasureTextItem(
        TextSize(measure.get(), text).cx, textHeight, look.Separator, leftMargin, OldConsumerSystem());
    item.itemWidth = UINT(size.Width);
    item.itemHeight = UINT(size.Height);
    return true;
}

bool DrawMenuItem(TSkinData& skin, TMainMenu* component, const DRAWITEMSTRUCT& item, bool rightToLeft,
                  const TSkinManage* manager) {
    const TOwnerDrawScope::TRecord* record = TOwnerDrawScope::Find(item.itemData);
    if (!record) return false;
    const TItemLook look = LookOf(component, *record, item.itemID, item.itemState);
    const TRect rect = ToTRect(item.rcItem);
    if (rect.IsEmpty()) return true;
    const bool selected = (item.itemState & ODS_SELECTED) != 0 && !look.Separator;
    const TDataSkinObject* element = skin.MenuItem.get();
    const bool hasElement = element && !element->Bitmap.Empty();
    TBitmap32 buffer(rect.Width(), rect.Height(),
                     ColourToRGB(skin.SkinColours[selected && !hasElement ? scHilight : scMenu]));
    TBitmapCanvas canvas(buffer);
    bool etched = look.Separator;
    if (hasElement) {
        TWinSkinPopMenu* window = MenuWindowOf(reinterpret_cast<HMENU>(item.hwndItem), manager);
        if (window && window->EnsureBackground()) {
            // The item's part of the window's background; the item sits inside the border.
            const POINT origin = window->ClientOrigin();
            canvas.Draw(-(rect.Left + origin.x), -(rect.Top + origin.y), window->Background());
        }
        if (look.Separator && look.FromComponent) {
            // Frame 2 cut from its bottom, as high as the item: margins kept, middle stretched.
            const TRect frame2 = ElementFrameRect(element->Bitmap, false, 5, 2);
            const int h = std::min(rect.Height(), frame2.Height());
            const TBitmap32 part =
                element->Bitmap.Copy({frame2.Left, frame2.Bottom - h, frame2.Right, frame2.Bottom});
            DrawElement(canvas, {0, 0, rect.Width(), h}, part, false, false, true, 1, 1,
                        {element->LeftWidth, 0, element->RightWidth, 0});
            etched = false;
        } else {
            DrawElement(canvas, buffer.BoundsRect(), element->Bitmap, false, element->Tile != 0,
                        element->Trans != 0, 5, selected ? 4 : 1, element->Margins());
        }
    }
    TDibSection dib(buffer);
    if (!dib.Valid()) return true;
    HDC dc = dib.DC();
    if (etched) {
        RECT line{0, 4, rect.Width(), rect.Height()};
        ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    } else if (!look.Separator) {
        unique_hfont font(CreateMenuFont(look.Default));
        ScopedSelectObject selectedFont(dc, font.get());
        ::SetBkMode(dc, TRANSPARENT);
        COLORREF colour = SkinColour(skin, selected ? scHilightText : scMenuText);
        if (!look.Enabled) {
            colour = SkinColour(skin, scButtonShadow);
            if (colour == SkinColour(skin, scMenuText)) colour = ::GetSysColor(COLOR_BTNSHADOW);
        }
        const int leftMargin = hasElement ? element->LeftWidth : 0;
        const int captionWidth = TextSize(dc, look.Caption).cx;
        const skinmenu::TItemLayout layout =
            skinmenu::LayoutItem({0, 0, rect.Width(), rect.Height()}, leftMargin, 16, captionWidth,
                                 !look.ShortCut.empty(), rightToLeft);
        if (look.Checked) DrawCheckMark(dc, layout.GlyphBox, rect.Height());
        ::SetTextColor(dc, colour);
        RECT caption = ToRECT(layout.Caption);
        UINT format = DT_SINGLELINE | DT_VCENTER | (rightToLeft ? DT_RIGHT | DT_RTLREADING : DT_LEFT);
        ::DrawTextW(dc, look.Caption.c_str(), int(look.Caption.size()), &caption, format);
        if (!look.ShortCut.empty()) {
            RECT shortcut = ToRECT(layout.ShortCut);
            ::DrawTextW(dc, look.ShortCut.c_str(), int(look.ShortCut.size()), &shortcut,
                        DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (rightToLeft ? DT_LEFT : DT_RIGHT));
        }
    }
    ::GdiFlush();
    ::BitBlt(item.hDC, rect.Left, rect.Top, rect.Width(), rect.Height(), dc, 0, 0, SRCCOPY);
    return true;
}
