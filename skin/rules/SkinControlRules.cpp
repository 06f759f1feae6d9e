#include "skin/rules/SkinControlRules.h"

#include <algorithm>

#include "framework/AsciiText.h"

int ButtonFrame(const TButtonState& s) {
    if (!s.enabled) return 3;
    if (s.pressed) return 2;
    if (s.hot) return 4;
    if (s.focused || s.isDefault) return 5;
    return 1;
}

int CheckBoxFrame(const TCheckFacts& f, int frameCount) {
    int value = f.buttonState == 1 ? 2 : 1;
    if (f.hasState) {
        const std::string state = LowerAscii(f.state);
        if (state.find("uncheck") != std::string::npos)
            value = 1;
        else if (state.find("check") != std::string::npos)
            value = 2;
        else if (state.find("gray") != std::string::npos)
            value = 4;
    } else if (f.hasChecked) {
        value = LowerAscii(f.checked) == "true" ? 2 : 1;
    } else if (f.hasDataField) {
        if (f.setCheckState >= 0) value = f.setCheckState + 1 == 3 ? 4 : f.setCheckState + 1;
    } else if (f.hasDataBinding) {
        value = 1;
    }
    const bool indeterminate = f.buttonState == 2;
    // An indeterminate box has its own frame; a disabled one shows the later frames. A value
    // already at 4 (greyed) stays there when disabled, so the frame never leaves a 4-frame strip.
    if (!f.enabled && value < 3) value += 2;
    if (indeterminate) value = 4;
    if (frameCount == 12) {
        if (indeterminate) return f.enabled ? 9 : 12;
        if (value == 2) return 5;
        if (value == 3) return 4;
        if (value == 4) return 8;
    }
    return std::min(value, std::max(frameCount, 1));
}

int RadioButtonFrame(bool checked, bool enabled, int frameCount) {
    int value = checked ? 2 : 1;
    if (!enabled) value += 2;
    if (frameCount == 8) {
        if (value == 2) return 5;
        if (value == 3) return 4;
        if (value == 4) return 8;
    }
    return std::min(value, std::max(frameCount, 1));
}

std::wstring SplitButtonCaption(const std::wstring& caption) {
    std::wstring text = caption;
    const std::size_t at = text.find(L"||");
    if (at != std::wstring::npos) text.replace(at, 2, L"\r\n");
    return text;
}

TRect CentreBlock(const TRect& area, int width, int height) {
    const int left = area.Left + (area.Width() - width) / 2;
    const int top = area.Top + (area.Height() - height) / 2;
    return {left, top, left + width, top + height};
}

TRect FocusFrameRect(const TRect& area, int width, int height, THorzPlace place, bool vcentre) {
    int left = area.Left;
    if (place == THorzPlace::Centre) left = area.Left + (area.Width() - width) / 2;
    if (place == THorzPlace::Right) left = area.Right - width;
    const int top = vcentre ? area.Top + (area.Height() - height) / 2 : area.Top;
    const TRect grown{left - 2, top - 1, left + width + 2, top + height + 1};
    return grown.Intersect(area);
}

TCheckLayout CheckLayout(const TRect& client, int boxWidth, int boxHeight, bool leftText, int inset) {
    TCheckLayout l;
    const int top = client.Top + (client.Height() - boxHeight) / 2;
    if (leftText) {
        const int right = client.Right - inset;
        l.box = {right - boxWidth, top, right, top + boxHeight};
        l.caption = {client.Left, client.Top, l.box.Left - 2, client.Bottom};
    } else {
        l.box = {client.Left, top, client.Left + boxWidth, top + boxHeight};
        l.caption = {l.box.Right + 2, client.Top, client.Right, client.Bottom};
    }
    return l;
}

TGlyphLayout GlyphLayout(const TRect& client, int gw, int gh, int tw, int th, int layout, int margin,
                         int spacing) {
    if (spacing < 0) spacing = 4;
    if (gw <= 0 || gh <= 0) spacing = 0;
    const bool horizontal = layout == 0 || layout == 1;
    const bool glyphFirst = layout == 0 || layout == 2;
    TGlyphLayout l;
    if (horizontal) {
        const int total = gw + spacing + tw;
        int start;
        if (margin < 0)
            start = glyphFirst ? client.Left + (client.Width() - total) / 2
                               : client.Right - (client.Width() - total) / 2;
        else
            start = glyphFirst ? client.Left + margin : client.Right - margin;
        const int gy = client.Top + (client.Height() - gh) / 2, ty = client.Top + (client.Height() - th) / 2;
        if (glyphFirst) {
            l.glyph = {start, gy, start + gw, gy + gh};
            l.caption = {l.glyph.Right + spacing, ty, l.glyph.Right + spacing + tw, ty + th};
        } else {
            l.glyph = {start - gw, gy, start, gy + gh};
            l.caption = {l.glyph.Left - spacing - tw, ty, l.glyph.Left - spacing, ty + th};
        }
    } else {
        const int total = gh + spacing + th;
        int start;
        if (margin < 0)
            start = glyphFirst ? client.Top + (client.Height() - total) / 2
                               : client.Bottom - (client.Height() - total) / 2;
        else
            start = glyphFirst ? client.Top + margin : client.Bottom - margin;
        const int gx = client.Left + (client.Width() - gw) / 2, tx = client.Left + (client.Width() - tw) / 2;
        if (glyphFirst) {
            l.glyph = {gx, start, gx + gw, start + gh};
            l.caption = {tx, l.glyph.Bottom + spacing, tx + tw, l.glyph.Bottom + spacing + th};
        } else {
            l.glyph = {gx, start - gh, gx + gw, start};
            l.caption = {tx, l.glyph.Top - spacing - th, tx + tw, l.glyph.Top - spacing};
        }
    }
    return l;
}
