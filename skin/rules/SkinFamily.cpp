#include "skin/rules/SkinFamily.h"

int ComboArrowFrame(bool enabled, bool hot, bool pressed) {
    if (!enabled) return 4;
    if (pressed) return 3;
    return hot ? 2 : 1;
}

TRect ComboButtonRect(int width, int height, int arrowWidth) {
    const int right = width - 2;
    int left = right - arrowWidth;
    if (left < 2) left = 2;
    return {left, 2, right > left ? right : left, height - 2 > 2 ? height - 2 : 2};
}

int StateFrame5(bool enabled, bool hot, bool pressed, bool focused) {
    if (!enabled) return 3;
    if (pressed) return 2;
    if (hot) return 4;
    return focused ? 5 : 1;
}

TTrackDrawAnswer TrackCustomDraw(std::uint32_t stage, std::uint32_t item, bool canDraw) {
    if (stage == kCdPrePaint) return TTrackDrawAnswer::NotifyItems;
    if (stage != kCdItemPrePaint) return TTrackDrawAnswer::ControlsOwn;
    switch (item) {
    case kTrackTics:
        return TTrackDrawAnswer::Default;
    case kTrackThumb:
    case kTrackChannel:
        return canDraw ? TTrackDrawAnswer::SkipDefault : TTrackDrawAnswer::Default;
    default:
        return TTrackDrawAnswer::ControlsOwn;
    }
}

TRect UprightChannel(const TRect& channel, bool vertical) {
    if (!vertical || channel.Width() <= channel.Height()) return channel;
    return {channel.Top, channel.Left, channel.Bottom, channel.Right};
}

TRect UpDownPartRect(const TRect& client, bool horizontal, int part) {
    if (horizontal) {
        const int middle = client.Left + client.Width() / 2;
        return part == 0 ? TRect{client.Left, client.Top, middle, client.Bottom}
                         : TRect{middle, client.Top, client.Right, client.Bottom};
    }
    const int middle = client.Top + client.Height() / 2;
    return part == 0 ? TRect{client.Left, client.Top, client.Right, middle}
                     : TRect{client.Left, middle, client.Right, client.Bottom};
}

int UpDownPartAt(const TRect& client, bool horizontal, int x, int y) {
    for (int part = 0; part < 2; ++part)
        if (UpDownPartRect(client, horizontal, part).Contains(x, y)) return part;
    return -1;
}

int UpDownFrame(int part, bool enabled, bool hot, bool pressed) {
    const int base = part == 0 ? 1 : 5;
    if (!enabled) return base + 3;
    if (pressed) return base + 2;
    return hot ? base + 1 : base;
}

int HeaderFrame(bool hot, bool pressed) {
    if (pressed) return 3;
    return hot ? 2 : 1;
}

int HeaderEmptyFrame(int frameCount) {
    return frameCount >= 4 ? 4 : 1;
}

std::vector<TMPButtonPlace> MPButtonLayout(TMPButtonSet visible, int width, int height) {
    std::vector<TMPBtnType> shown;
    for (int i = 0; i < kMPButtonCount; ++i)
        if (visible & (1u << i)) shown.push_back(TMPBtnType(i));
    std::vector<TMPButtonPlace> layout;
    if (shown.empty() || width <= 0 || height <= 0) return layout;
    const int count = int(shown.size());
    const int step = width / count;
    for (int i = 0; i < count; ++i) {
        const int left = i * step;
        const int right = i == count - 1 ? width : left + step;
        layout.push_back({shown[std::size_t(i)], {left, 0, right, height}});
    }
    return layout;
}

int MPButtonAt(const std::vector<TMPButtonPlace>& layout, int x, int y) {
    for (const TMPButtonPlace& place : layout)
        if (place.Rect.Contains(x, y)) return int(place.Button);
    return -1;
}
