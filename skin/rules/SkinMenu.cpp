#include "skin/rules/SkinMenu.h"

#include <algorithm>

namespace skinmenu {

int StartOffset(bool hasElement, int leftMargin, int rightMargin, bool rightToLeft, int barWidth) {
    if (!hasElement) return 6;
    const int offset = rightToLeft ? rightMargin + 8 : leftMargin + 4;
    return barWidth < offset ? 12 : offset;
}

int ButtonWidth(int captionWidth) {
    return captionWidth <= 0 ? 0 : captionWidth + 10;
}

std::vector<TRect> LayoutButtons(const std::vector<TBarButton>& buttons, const TRect& bar, int startOffset,
                                 bool rightToLeft, int rtlRightLimit) {
    std::vector<TRect> rects;
    rects.reserve(buttons.size());
    int x = rightToLeft ? bar.Right - startOffset : bar.Left + startOffset;
    if (rightToLeft && rtlRightLimit >= 0) x = rtlRightLimit - 5;
    for (const TBarButton& b : buttons) {
        if (!b.Visible) {
            rects.push_back({});
            continue;
        }
        const int width = ButtonWidth(b.CaptionWidth);
        if (rightToLeft) {
            rects.push_back({x - width, bar.Top, x, bar.Bottom - 1});
            x -= width;
        } else {
            rects.push_back({x, bar.Top, x + width, bar.Bottom - 1});
            x += width;
        }
    }
    return rects;
}

int ButtonAt(const std::vector<TBarButton>& buttons, const std::vector<TRect>& rects, int x, int y) {
    const size_t n = std::min(buttons.size(), rects.size());
    for (size_t i = 0; i < n; ++i)
        if (!buttons[i].Caption.empty() && rects[i].Contains(x, y)) return int(i);
    return -1;
}

namespace {
wchar_t Upper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? wchar_t(c - L'a' + L'A') : c;
}
} // namespace

wchar_t AcceleratorOf(const std::wstring& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] == L'&') {
            ++i; // a literal '&'
            continue;
        }
        return Upper(caption[i + 1]);
    }
    return 0;
}

int ButtonForAccelerator(const std::vector<TBarButton>& buttons, wchar_t key) {
    if (key == 0) return -1;
    for (size_t i = 0; i < buttons.size(); ++i) {
        const TBarButton& b = buttons[i];
        if (b.Visible && b.Enabled && AcceleratorOf(b.Caption) == Upper(key)) return int(i);
    }
    return -1;
}

int ArrowSwitch(TArrow key, bool rightToLeft, int open, int count, const TSelection& selection) {
    if (count <= 0 || open < 0 || open >= count) return -1;
    if (rightToLeft) key = key == TArrow::Left ? TArrow::Right : TArrow::Left;
    if (key == TArrow::Left) {
        if (!selection.None && !selection.TopLevel) return -1;
        return open == 0 ? count - 1 : open - 1;
    }
    if (!selection.None && selection.HasSubmenu) return -1;
    return open == count - 1 ? 0 : open + 1;
}

TItemSize MeasureTextItem(int textWidth, int textHeight, bool empty, int leftMargin, bool oldConsumer) {
    TItemSize size;
    size.Width = textWidth + 26 + leftMargin;
    size.Height = empty ? 8 : textHeight + 4;
    if (oldConsumer) size.Height += 4;
    return size;
}

TItemSize WidenComponentItem(TItemSize measured, bool hasElement, int leftMargin, bool hasImageList) {
    if (hasElement) measured.Width += leftMargin;
    measured.Width += 10;
    if (!hasImageList) measured.Width += 25;
    return measured;
}

TItemLayout LayoutItem(const TRect& item, int leftMargin, int glyphWidth, int captionWidth, bool hasShortCut,
                       bool rightToLeft) {
    TItemLayout layout;
    const int side = std::max(16, glyphWidth);
    const int top = item.Top + 1;
    if (!rightToLeft) {
        const int x = item.Left + 1 + leftMargin;
        layout.GlyphBox = {x, top, x + side, top + 16};
        layout.Caption = {layout.GlyphBox.Right + 3, item.Top, item.Right - 1, item.Bottom};
        if (hasShortCut)
            layout.ShortCut = {layout.Caption.Left + captionWidth, item.Top, item.Right - 11, item.Bottom};
    } else {
        const int x = item.Right - 1 - leftMargin;
        layout.GlyphBox = {x - side, top, x, top + 16};
        layout.Caption = {item.Left + 1, item.Top, layout.GlyphBox.Left - 3, item.Bottom};
        if (hasShortCut)
            layout.ShortCut = {item.Left + 11, item.Top, layout.Caption.Right - captionWidth, item.Bottom};
    }
    return layout;
}

} // namespace skinmenu
