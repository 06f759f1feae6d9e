#include "skin/controls/SkinTab_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cwchar>

#include "framework/ComCtrls_win.h"
#include "skin/controls/SkinControlPaint_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"

namespace {

COLORREF PlainColour(TColor colour) {
    return COLORREF(ColourToRGB(colour) & 0xFFFFFF);
}

bool IsLabelWindow(HWND wnd) {
    wchar_t name[16] = {};
    return wnd && ::GetClassNameW(wnd, name, 16) > 0 && _wcsicmp(name, L"static") == 0;
}

// The tab rectangle `r` (client coordinates) in the strip composed as if the tabs were on top.
RECT ToComposed(const RECT& r, const RECT& strip, skinctl::TTabSide side, int composedWidth,
                int composedHeight) {
    const RECT s{r.left - strip.left, r.top - strip.top, r.right - strip.left, r.bottom - strip.top};
    switch (side) {
    case skinctl::tsLeft:
        return {composedWidth - s.bottom, s.left, composedWidth - s.top, s.right};
    case skinctl::tsRight:
        return {s.top, composedHeight - s.right, s.bottom, composedHeight - s.left};
    default:
        return s;
    }
}

void DrawCloseMark(HDC dc, const TRect& mark, COLORREF colour) {
    if (mark.IsEmpty()) return;
    unique_hpen pen(::CreatePen(PS_SOLID, 1, colour));
    ScopedSelectObject selected(dc, pen.get());
    ::MoveToEx(dc, mark.Left, mark.Top, nullptr);
    ::LineTo(dc, mark.Right, mark.Bottom);
    ::MoveToEx(dc, mark.Right - 1, mark.Top, nullptr);
    ::LineTo(dc, mark.Left - 1, mark.Bottom);
}

} // namespace

// ---- Labels on the face ----

void TLabelFace::Refresh(const TSkinData& skin) {
    face_ = SkinColourRef(skin, scButtonFace);
    brush_.reset(::CreateSolidBrush(face_));
}

void TLabelFace::AfterCtlColor(WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    if (!brush_ || !IsLabelWindow(reinterpret_cast<HWND>(lParam))) return;
    ::SetBkColor(reinterpret_cast<HDC>(wParam), face_);
    result = reinterpret_cast<LRESULT>(brush_.get());
}

bool TLabelFace::DrawItem(TSkinControl& container, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (!item || item->CtlType != ODT_STATIC || !IsLabelWindow(item->hwndItem)) return false;
    const int w = item->rcItem.right - item->rcItem.left, h = item->rcItem.bottom - item->rcItem.top;
    TDibSection canvas(w, h);
    if (!canvas.Valid()) return false;
    DRAWITEMSTRUCT offscreen = *item;
    offscreen.hDC = canvas.DC();
    offscreen.rcItem = RECT{0, 0, w, h};
    result = container.CallPrevious(WM_DRAWITEM, wParam, reinterpret_cast<LPARAM>(&offscreen));
    ::GdiFlush();
    // The label painted the system's face under its text; the text goes onto the skin's face.
    skinctl::RebaseBackground(
        canvas.Bits(), std::size_t(w) * std::size_t(h), SwapRedBlue(::GetSysColor(COLOR_BTNFACE) & 0xFFFFFF),
        SwapRedBlue(face_ & 0xFFFFFF), SwapRedBlue(::GetTextColor(canvas.DC()) & 0xFFFFFF));
    ::BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, w, h, canvas.DC(), 0, 0, SRCCOPY);
    return true;
}

// ---- Tab controls ----

void TSkinTab::AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                             bool changeColour) {
    if (Attached()) return;
    TSkinControl::AttachControl(control, form, skin, changeColour);
    Prepare();
    SkinUpDown();
}

void TSkinTab::AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form) {
    if (Attached()) return;
    TSkinControl::AttachWindow(window, skin, form);
    Prepare();
    SkinUpDown();
}

void TSkinTab::Prepare() {
    side_ = skinctl::TabSideFromStyle(std::uint32_t(::GetWindowLongW(window_, GWL_STYLE)));
    tabImage_.Clear();
    pageImage_.Clear();
    const TDataSkinBorder* tabs = skin_ ? skin_->Tabs.get() : nullptr;
    if (!tabs) return;
    tabImage_ = tabs->Bitmap;
    if (tabs->Style == 0)
        pageImage_ = tabs->Bitmap2;
    else if (tabs->Style == 1 && skin_->TabPane)
        pageImage_ = skin_->TabPane->Bitmap;
    switch (side_) {
    case skinctl::tsBottom:
        FlipBitmap(tabImage_);
        FlipBitmap(pageImage_);
        break;
    case skinctl::tsLeft:
        RotateLeft(pageImage_);
        break;
    case skinctl::tsRight:
        RotateRight(pageImage_);
        break;
    case skinctl::tsTop:
        break;
    }
}

void TSkinTab::RefreshColours() {
    Prepare();
    TSkinControl::RefreshColours();
}

void TSkinTab::SkinUpDown() {
    if (upDown_ || !form_) return;
    HWND arrows = ::FindWindowExW(window_, nullptr, UPDOWN_CLASSW, nullptr);
    if (!arrows || ::SendMessageW(arrows, SkinQueryMessage, 0, 0) == 1) return;
    upDown_ = form_->MakeSubSkin(TSkinWrapperKind::UpDown, this);
    if (upDown_) upDown_->AttachWindow(arrows, skin_, form_);
}

bool TSkinTab::CloseMarks() const {
    // Close marks on top or bottom tabs only: turned tabs have no room at their ends.
    return control_ && control_->Tag == 7777 && (side_ == skinctl::tsTop || side_ == skinctl::tsBottom);
}

int TSkinTab::TabAt(POINT client) const {
    TCHITTESTINFO hit{};
    hit.pt = client;
    return int(::SendMessageW(window_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

bool TSkinTab::CloseClick(POINT client) {
    const int index = TabAt(client);
    RECT tab{};
    if (index < 0 || !::SendMessageW(window_, TCM_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&tab)))
        return false;
    if (!skinctl::TabCloseMarkRect(ToTRect(tab)).Contains(client.x, client.y)) return false;
    HWND formWindow = form_ ? form_->HostWindow() : ::GetAncestor(window_, GA_ROOT);
    const LRESULT answer =
        ::SendMessageW(formWindow, TabCloseMessage, reinterpret_cast<WPARAM>(window_), LPARAM(index));
    if (answer != 0 || !::IsWindow(window_)) return true;
    if (auto* pages = dynamic_cast<TPageControl*>(control_))
        pages->RemovePage(std::size_t(index));
    else
        ::SendMessageW(window_, TCM_DELETEITEM, WPARAM(index), 0);
    return true;
}

bool TSkinTab::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const bool canPaint = skin_ && skin_->Tabs && !skin_->Tabs->Bitmap.Empty();
    switch (msg) {
    case WM_ERASEBKGND:
        if (!canPaint) break;
        result = 1;
        return false;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (!canPaint) break;
        PaintClientWith(window_, wParam, [this](HDC dc, const RECT& rect) { PaintTo(dc, rect); });
        result = 0;
        return false;
    case WM_LBUTTONDOWN:
        if (CloseMarks() && CloseClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
            result = 0;
            return false;
        }
        break;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinTab::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_PAINT:
        return;
    case WM_MOUSEMOVE:
        if (TracksHot()) {
            const int hot = TabAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            if (hot != hot_) {
                hot_ = hot;
                ::InvalidateRect(window_, nullptr, FALSE);
            }
            TLateBoundUser32::RequestLeaveNotice(window_);
        }
        return;
    case WM_MOUSELEAVE:
        if (hot_ != -1) {
            hot_ = -1;
            ::InvalidateRect(window_, nullptr, FALSE);
        }
        return;
    case TCM_SETCURSEL:
    case TCM_INSERTITEMW:
    case TCM_DELETEITEM:
    case TCM_DELETEALLITEMS:
    case WM_SIZE:
        ::InvalidateRect(window_, nullptr, FALSE);
        return;
    default:
        TSkinControl::AfterMessage(msg, wParam, lParam, result);
    }
}

void TSkinTab::DrawTab(HDC dc, const RECT& tab, bool selected, bool hot) {
    const TDataSkinBorder& tabs = *skin_->Tabs;
    const int frame = hot && !selected ? 3 : skinctl::TabFrame(selected);
    DrawElement(dc, tab, tabImage_, false, tabs.Tile == 1, tabs.Trans == 1, 5, frame, tabs.Margins());
}

void TSkinTab::PaintTo(HDC dc, const RECT& rect) {
    if (!skin_ || !skin_->Tabs || tabImage_.Empty()) return;
    SkinUpDown();
    const TDataSkinBorder& tabs = *skin_->Tabs;
    RECT display = rect;
    ::SendMessageW(window_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const TRect page = skinctl::TabPageRect(ToTRect(display), side_);
    const TRect strip = skinctl::TabStripRect(ToTRect(rect), page, side_);
    const bool turned = side_ == skinctl::tsLeft || side_ == skinctl::tsRight;

    // The page side first, so that the strip drawn afterwards is never covered.
    {
        const int saved = ::SaveDC(dc);
        ::ExcludeClipRect(dc, strip.Left, strip.Top, strip.Right, strip.Bottom);
        FillFace(dc, rect);
        if (PaintsPage() && !pageImage_.Empty())
            DrawElement(dc, ToRECT(page), pageImage_, false, false, false, 1, 1,
                        skinctl::TabPageMargins(*skin_));
        if (saved) ::RestoreDC(dc, saved);
    }
    if (strip.IsEmpty()) return;
    const int cw = turned ? strip.Height() : strip.Width();
    const int ch = turned ? strip.Width() : strip.Height();
    TDibSection canvas(cw, ch);
    if (!canvas.Valid()) return;
    HDC cdc = canvas.DC();
    FillFace(cdc, RECT{0, 0, cw, ch});
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
    ScopedSelectObject selectedFont(cdc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(cdc, TRANSPARENT);
    const int count = int(::SendMessageW(window_, TCM_GETITEMCOUNT, 0, 0));
    const int current = int(::SendMessageW(window_, TCM_GETCURSEL, 0, 0));
    const RECT stripRect = ToRECT(strip);
    for (int i = 0; i < count; ++i) {
        RECT tab{};
        if (!::SendMessageW(window_, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&tab))) continue;
        const bool selected = i == current;
        RECT composed = ToComposed(tab, stripRect, side_, cw, ch);
        DrawTab(cdc, composed, selected, i == hot_);
        wchar_t text[81] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 81;
        ::SendMessageW(window_, TCM_GETITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
        const COLORREF colour = PlainColour(selected ? tabs.MouseOverColour2 : tabs.NormalColour2);
        RECT textRect = composed;
        if (CloseMarks()) {
            const TRect mark = skinctl::TabCloseMarkRect(ToTRect(composed));
            DrawCloseMark(cdc, mark, colour);
            if (!mark.IsEmpty()) textRect.right = mark.Left;
        }
        // Centred in the part of the tab that the strip shows.
        const RECT visible{0, 0, cw, ch};
        ::IntersectRect(&textRect, &textRect, &visible);
        DrawWholeText(cdc, std::wstring(text, wcsnlen(text, 80)), textRect, DT_CENTER, colour);
    }
    const int saved = ::SaveDC(dc);
    HWND arrows = ::FindWindowExW(window_, nullptr, UPDOWN_CLASSW, nullptr);
    if (arrows && ::IsWindowVisible(arrows)) {
        RECT a{};
        ::GetWindowRect(arrows, &a);
        ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&a), 2);
        ::ExcludeClipRect(dc, a.left, a.top, a.right, a.bottom);
    }
    if (turned) {
        ::GdiFlush();
        TBitmap32 picture = canvas.ToBitmap();
        if (side_ == skinctl::tsLeft)
            RotateLeft(picture);
        else
            RotateRight(picture);
        PaintBitmap(dc, strip.Left, strip.Top, picture);
    } else {
        ::BitBlt(dc, strip.Left, strip.Top, cw, ch, cdc, 0, 0, SRCCOPY);
    }
    if (saved) ::RestoreDC(dc, saved);
}

void TSkinTabBtn::DrawTab(HDC dc, const RECT& tab, bool selected, bool hot) {
    const TDataSkinButton& buttons = skin_->Buttons();
    if (buttons.Bitmap.Empty()) {
        TSkinTab::DrawTab(dc, tab, selected, hot);
        return;
    }
    // Buttons frames: 1 normal, 2 pressed (the selected page), 4 under the pointer.
    const int frame = selected ? 2 : hot ? 4 : 1;
    DrawElement(dc, tab, buttons.Bitmap, false, buttons.Tile == 1, buttons.Trans == 1, 5, frame,
                buttons.Margins());
}

// ---- Tab sheets ----

void TSkinTabSheet::AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                                  bool changeColour) {
    if (Attached()) return;
    labels_.Refresh(*skin);
    TSkinControl::AttachControl(control, form, skin, changeColour);
}

void TSkinTabSheet::AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form) {
    if (Attached()) return;
    labels_.Refresh(*skin);
    TSkinControl::AttachWindow(window, skin, form);
}

void TSkinTabSheet::RefreshColours() {
    if (skin_) labels_.Refresh(*skin_);
    TSkinControl::RefreshColours();
}

bool TSkinTabSheet::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT client{};
        ::GetClientRect(window_, &client);
        if (labels_.Brush()) ::FillRect(reinterpret_cast<HDC>(wParam), &client, labels_.Brush());
        result = 1;
        return false;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT:
        PaintClientWith(window_, wParam, [this](HDC dc, const RECT& rect) { FillFace(dc, rect); });
        result = 0;
        return false;
    case WM_DRAWITEM:
        if (labels_.DrawItem(*this, wParam, lParam, result)) return false;
        break;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinTabSheet::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_PAINT) return;
    if (msg == WM_CTLCOLORSTATIC) {
        labels_.AfterCtlColor(wParam, lParam, result);
        return;
    }
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}
