#include "skin/controls/SkinHeader_win.h"

#include <commctrl.h>

#include "skin/controls/SkinFamily_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/rules/SkinFamily.h"

int TSkinHeader::PartAt(LPARAM lParam) const {
    HDHITTESTINFO hit{};
    hit.pt = {short(LOWORD(lParam)), short(HIWORD(lParam))};
    const auto index = int(::SendMessageW(window_, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & HHT_ONHEADER) ? index : -1;
}

bool TSkinHeader::PaintsItself() const {
    return HasImage(skin_->Header.get());
}

bool TSkinHeader::Presses() const {
    return (::GetWindowLongW(window_, GWL_STYLE) & HDS_BUTTONS) != 0;
}

void TSkinHeader::PaintSection(HDC dc, int index, const RECT& rect) {
    const TDataSkinObject& element = *skin_->Header;
    const bool hot = index == hot_, pressed = index == pressed_;
    DrawSkinElement(dc, rect, element, HeaderFrame(hot, pressed));
    wchar_t text[260] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = int(sizeof text / sizeof text[0]) - 1;
    if (!::SendMessageW(window_, HDM_GETITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item))) return;
    const TColor colour = pressed ? element.PressedColour2
                          : hot   ? element.MouseOverColour2
                                  : element.NormalColour2;
    ::SetTextColor(dc, COLORREF(ColourToRGB(colour) & 0xFFFFFF));
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) format |= DT_CENTER;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) format |= DT_RIGHT;
    RECT textRect = rect;
    ::InflateRect(&textRect, -4, 0);
    if (pressed) ::OffsetRect(&textRect, 1, 1);
    ::DrawTextW(dc, text, -1, &textRect, format);
}

void TSkinHeader::PaintTo(HDC dc, const RECT& rect) {
    if (!HasImage(skin_->Header.get())) return;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    TOffscreen picture(width, height);
    if (!picture.Valid()) return;
    HDC canvas = picture.DC();
    FillSolid(canvas, {0, 0, width, height}, SkinColourRef(*skin_, scButtonFace));
    ScopedSelectObject font(canvas, WindowFont(window_));
    ::SetBkMode(canvas, TRANSPARENT);
    const int count = int(::SendMessageW(window_, HDM_GETITEMCOUNT, 0, 0));
    int end = 0;
    for (int i = 0; i < count; ++i) {
        RECT section{};
        if (!::SendMessageW(window_, HDM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&section)))
            continue;
        PaintSection(canvas, i, section);
        if (section.right > end) end = section.right;
    }
    if (end < width)
        DrawSkinElement(canvas, {end, 0, width, height}, *skin_->Header,
                        HeaderEmptyFrame(skin_->Header->FrameCount));
    picture.CopyTo(dc, rect.left, rect.top);
}
