#include "skin/controls/SkinStatusBar_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Handle_win.h"
#include "skin/controls/SkinControlPaint_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/rules/SkinControlLayout.h"

namespace {

struct TPanel {
    TRect rect;
    std::wstring text;
    skinctl::TPanelBevel bevel = skinctl::pbLowered;
    bool ownerDraw = false;
    int index = 0;
};

std::wstring PanelText(HWND bar, int index, skinctl::TPanelBevel& bevel, bool& ownerDraw) {
    const LRESULT info = ::SendMessageW(bar, SB_GETTEXTLENGTHW, WPARAM(index), 0);
    const WORD type = HIWORD(DWORD(info));
    bevel = (type & SBT_NOBORDERS) ? skinctl::pbNone
            : (type & SBT_POPOUT)  ? skinctl::pbRaised
                                   : skinctl::pbLowered;
    ownerDraw = (type & SBT_OWNERDRAW) != 0;
    if (ownerDraw) return {};
    std::wstring text(std::size_t(LOWORD(DWORD(info))) + 1, L'\0');
    ::SendMessageW(bar, SB_GETTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

void DrawPanelText(HDC dc, std::wstring text, const TRect& rect, bool mirrored) {
    const skinctl::TPanelAlignment alignment = skinctl::StatusTextAlignment(text, mirrored);
    if (text.empty()) text = L" ";
    RECT r{rect.Left + 2, rect.Top, rect.Right - 2, rect.Bottom};
    const UINT format = alignment == skinctl::paCentre  ? DT_CENTER
                        : alignment == skinctl::paRight ? DT_RIGHT
                                                        : DT_LEFT;
    DrawWholeText(dc, text, r, format, ::GetTextColor(dc));
}

} // namespace

bool TSkinStatusBar::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;
        return false;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        PaintClientWith(window_, wParam, [this](HDC dc, const RECT& rect) { PaintTo(dc, rect); });
        result = 0;
        return false;
    default:
        return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
    }
}

void TSkinStatusBar::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_PAINT) return;
    // A new text or layout is painted by the control without telling us; show it now.
    if (msg == SB_SETTEXTW || msg == SB_SETTEXTA || msg == SB_SETPARTS || msg == SB_SIMPLE || msg == WM_SIZE)
        ::InvalidateRect(window_, nullptr, FALSE);
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}

void TSkinStatusBar::PaintTo(HDC dc, const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    TDibSection canvas(width, height);
    if (!canvas.Valid()) return;
    HDC cdc = canvas.DC();
    const RECT whole{0, 0, width, height};
    FillFace(cdc, whole);
    const TDataSkinObject* edges = skin_->StatusBar.get();
    const bool haveEdges = edges && !edges->Bitmap.Empty();
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
    ScopedSelectObject selected(cdc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(cdc, TRANSPARENT);
    ::SetTextColor(cdc, haveEdges ? COLORREF(ColourToRGB(edges->NormalColour2) & 0xFFFFFF)
                                  : SkinColourRef(*skin_, scButtonText));
    const bool mirrored = (::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;

    const int parts = int(::SendMessageW(window_, SB_GETPARTS, 0, 0));
    const bool simpleMode = ::SendMessageW(window_, SB_ISSIMPLE, 0, 0) != 0;
    const bool simple = simpleMode || parts <= 0;
    std::vector<TPanel> panels;
    if (simple) {
        TPanel p;
        p.rect = {0, 0, width, height};
        p.index = simpleMode ? SB_SIMPLEID : 0;
        p.text = PanelText(window_, p.index, p.bevel, p.ownerDraw);
        p.bevel = skinctl::pbLowered;
        panels.push_back(std::move(p));
    } else {
        std::vector<TRect> reported;
        std::vector<int> indexes;
        for (int i = 0; i < parts; ++i) {
            RECT r{};
            if (!::SendMessageW(window_, SB_GETRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r))) continue;
            reported.push_back(ToTRect(r));
            indexes.push_back(i);
        }
        const std::vector<TRect> laid = skinctl::StatusPanelRects(reported, width);
        for (std::size_t k = 0; k < laid.size(); ++k) {
            TPanel p;
            p.rect = laid[k];
            p.index = indexes[k];
            p.text = PanelText(window_, indexes[k], p.bevel, p.ownerDraw);
            panels.push_back(std::move(p));
        }
    }
    for (const TPanel& p : panels) {
        const RECT r = ToRECT(p.rect);
        if (haveEdges) {
            DrawElement(cdc, r, edges->Bitmap, false, edges->Tile == 1, edges->Trans == 1, 3,
                        skinctl::StatusBevelFrame(p.bevel), edges->Margins());
        } else if (p.bevel != skinctl::pbNone) {
            // No picture for the edges: the plain sunken or raised line of the system's look.
            RECT edge = r;
            ::DrawEdge(cdc, &edge, p.bevel == skinctl::pbRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
        }
        if (!p.ownerDraw) DrawPanelText(cdc, p.text, p.rect, mirrored);
    }
    const TDataSkinObject* extra = skin_->ExtraImages.get();
    if ((::GetWindowLongW(window_, GWL_STYLE) & SBARS_SIZEGRIP) && extra && !extra->Bitmap.Empty()) {
        const int fw = extra->FrameWidth(), fh = extra->Bitmap.Height();
        DrawFrameStretched(cdc, RECT{width - 1 - fw, height - 1 - fh, width - 1, height - 1}, extra->Bitmap,
                           true, 5, 5);
    }
    ::GdiFlush();
    ::BitBlt(dc, rect.left, rect.top, width, height, cdc, 0, 0, SRCCOPY);
    // Owner-drawn panels are painted by the bar's owner, inside the frame we drew.
    for (const TPanel& p : panels) {
        if (!p.ownerDraw) continue;
        DRAWITEMSTRUCT item{};
        item.CtlID = UINT(::GetDlgCtrlID(window_));
        item.itemID = UINT(p.index);
        item.hwndItem = window_;
        item.hDC = dc;
        item.rcItem = RECT{rect.left + p.rect.Left + 2, rect.top + p.rect.Top + 2,
                           rect.left + p.rect.Right - 2, rect.top + p.rect.Bottom - 2};
        item.itemData = ULONG_PTR(::SendMessageW(window_, SB_GETTEXTW, WPARAM(p.index), 0));
        ::SendMessageW(::GetParent(window_), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    }
}
