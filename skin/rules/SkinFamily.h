#pragma once
// Frame choices and layouts of the combo box, track bar, up-down, header, date-time and media
// player skins. Portable: the Win32 wrappers read the window's state and ask these rules which
// frame of an element to draw where.
#include <cstdint>
#include <vector>

#include "skin/model/Bitmap.h"

// The combo box's drop-down button (ComboButton, SunkEdge, ComboxArrow and ExtraImages all hold
// four frames in this order): 1 normal, 2 hot, 3 pressed or dropped, 4 disabled.
int ComboArrowFrame(bool enabled, bool hot, bool pressed);
// The drop-down button of a combo box `width` x `height` when the system does not say where it
// is: `arrowWidth` wide at the right end, inside the two-pixel border.
TRect ComboButtonRect(int width, int height, int arrowWidth);

// Five-frame state elements (Trackbar.Thumb*, the media player's Buttons) in the Buttons order:
// pressed 2, else hot 4, else focused 5, else 1; disabled is always 3.
int StateFrame5(bool enabled, bool hot, bool pressed, bool focused);

// The track bar's answer to one custom-draw notification.
enum class TTrackDrawAnswer {
    NotifyItems, // 0x20: send the item notifications
    Default,     // 0: the control draws the part
    SkipDefault, // 4: the skin drew the part
    ControlsOwn, // whatever the control computed
};
constexpr std::uint32_t kCdPrePaint = 1, kCdItemPrePaint = 0x10001;
constexpr std::uint32_t kTrackTics = 1, kTrackThumb = 2, kTrackChannel = 3;
// `canDraw`: the skin has an image for the part in question (thumb or channel); without one the
// control draws the part itself.
TTrackDrawAnswer TrackCustomDraw(std::uint32_t stage, std::uint32_t item, bool canDraw);
// The channel rectangle of a vertical bar as some systems report it (laid out as if horizontal)
// turned upright; other rectangles unchanged.
TRect UprightChannel(const TRect& channel, bool vertical);

// Up-down buttons: part 0 is the first arrow (up, or left for a horizontal control), part 1 the
// second; -1 none.
TRect UpDownPartRect(const TRect& client, bool horizontal, int part);
int UpDownPartAt(const TRect& client, bool horizontal, int x, int y);
// UpDown.Horz / UpDown.Vert hold eight frames: 1-4 the first arrow, 5-8 the second, each as
// normal, hot, pressed, disabled.
int UpDownFrame(int part, bool enabled, bool hot, bool pressed);

// Header sections: 1 normal, 2 hot, 3 pressed; the empty area right of the last section takes
// frame 4 when the element has one (it is its background), else 1.
int HeaderFrame(bool hot, bool pressed);
int HeaderEmptyFrame(int frameCount);

// The stand-in media player's buttons.
enum TMPBtnType { btPlay, btPause, btStop, btPrev, btNext, btEject };
constexpr int kMPButtonCount = 6;
using TMPButtonSet = std::uint32_t; // bit i: button i
constexpr TMPButtonSet kMPAllButtons = (1u << kMPButtonCount) - 1;
struct TMPButtonPlace {
    TMPBtnType Button;
    TRect Rect;
};
// The visible buttons side by side over the whole width, in button order, sharing the width
// evenly (the last takes the rest).
std::vector<TMPButtonPlace> MPButtonLayout(TMPButtonSet visible, int width, int height);
// The button at (x, y), or -1.
int MPButtonAt(const std::vector<TMPButtonPlace>& layout, int x, int y);
