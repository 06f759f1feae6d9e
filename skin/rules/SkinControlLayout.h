#pragma once
// The decisions and pictures of the control skins that need no window: the progress bar's fill and
// picture, the parts, frames and picture of a skinned scroll bar, the side of a tab control's tabs
// and its page area, and the status bar's panel layout. The Win32 skins ask these and paint the
// result; the native tests check them against the product skin's rules.
#include <cstdint>
#include <string>
#include <vector>

#include "skin/model/Bitmap.h"
#include "skin/model/WinSkinData.h"

namespace skinctl {

// a * b / c rounded half away from zero, as the platform's MulDiv; 0 when c is 0.
int MulDivRound(int a, int b, int c);

// ---- Progress bar ----

// Filled width of a bar `width` pixels long. The chunk style (1) fills position / upper of the
// bar; the other styles fill (position - lower) / (upper - lower). Nothing is filled unless the
// upper limit and the position are above 0; the fill is kept inside the bar, so a position past
// the upper limit (or an empty range) cannot paint outside it.
int ProgressFilledWidth(int style, int width, int position, int lower, int upper);

// The whole bar as the skin draws it, `width` x `height`; a vertical bar is composed lying down
// and turned counter-clockwise. Empty when the skin cannot draw it (no Progress image, or a chunk
// style without a chunk image): the system then paints the bar.
TBitmap32 ComposeProgress(const TSkinData& skin, int width, int height, bool vertical, int position,
                          int lower, int upper);

// ---- Scroll bar ----

// Parts along a bar's axis.
enum TScrollPart : int {
    spNone = -1,
    spFirstArrow = 0,
    spSecondArrow = 1,
    spTrackBefore = 2,
    spTrackAfter = 3,
    spThumb = 5,
};

// The part at distance `p` from the bar's start.
TScrollPart ScrollPartAt(int p, int arrow, int thumbStart, int thumbEnd, int length);
// Frames of the Scrollbar element (23 frames) and the thumb elements.
int ScrollArrowFrame(bool vertical, bool second, bool hot, bool pressed);
int ScrollThumbFrame(bool hot, bool pressed);
int ScrollGripFrame(bool vertical, bool hot, bool pressed);
// Where a thumb dragged by `travel` pixels starts, kept between the arrows.
int DraggedThumbStart(int pressStart, int travel, int arrow, int length, int thumbLength);
// Cross size of the parts: the arrow image's height, or the system's arrow size when the two
// differ by more than 2 pixels.
int ScrollThickness(const TSkinData& skin, int arrow);

struct TScrollbarLook {
    bool vertical = true;
    int length = 0;     // along the axis
    int breadth = 0;    // across it
    int arrow = 16;     // the system's arrow size
    int thumbStart = 0; // along the axis, from the bar's start
    int thumbEnd = 0;
    TScrollPart hot = spNone;
    bool pressed = false;
    bool disabled = false;
};
// The bar picture (breadth x length for a vertical bar); empty without a Scrollbar image.
TBitmap32 ComposeScrollbar(const TSkinData& skin, const TScrollbarLook& look);

// ---- Tabs ----

enum TTabSide : int { tsTop = 0, tsBottom = 1, tsLeft = 2, tsRight = 3 };
// From the tab control's style bits: bottom (0x2) with vertical (0x80) is right, vertical alone left.
TTabSide TabSideFromStyle(std::uint32_t style);
// The page area: the display rectangle grown by 4 and moved 1 pixel towards the tabs.
TRect TabPageRect(const TRect& display, TTabSide side);
// The strip of tabs: the part of the control on the tabs' side of the page area.
TRect TabStripRect(const TRect& control, const TRect& page, TTabSide side);
// Tabs element frame: 2 for the selected tab, 1 for the others.
inline int TabFrame(bool selected) {
    return selected ? 2 : 1;
}
// Margins of the page picture: Tab.Pane's when the Tabs style is not 0, else 4, 5, 4, 4.
TRect TabPageMargins(const TSkinData& skin);
// The close mark of a tab (Tag 7777): a square at the tab's right end, 3 pixels in from its
// edges; empty when the tab is too small to carry one.
TRect TabCloseMarkRect(const TRect& tab);

// ---- Status bar ----

// Panel rectangles as painted: each 2 pixels wider to the right, the last one reaching `barRight`.
std::vector<TRect> StatusPanelRects(std::vector<TRect> reported, int barRight);
// StatusBarEdges frame for a panel bevel: 1 lowered, 2 raised, 3 none.
enum TPanelBevel : int { pbLowered = 0, pbRaised = 1, pbNone = 2 };
int StatusBevelFrame(TPanelBevel bevel);
// A panel text's alignment from its leading tabs (none left, one centre, two right), with the
// tabs taken off; `mirrored` (right-to-left panels) exchanges left and right.
enum TPanelAlignment : int { paLeft = 0, paCentre = 1, paRight = 2 };
TPanelAlignment StatusTextAlignment(std::wstring& text, bool mirrored);

// ---- Labels ----

// Moves text drawn on background `from` onto background `to`: each pixel (0x00RRGGBB) is read as
// `ink` laid over `from` by some share, and gets the same share of `ink` over `to`. Smoothed glyph
// edges keep their weight instead of showing a rim of the old background.
void RebaseBackground(std::uint32_t* pixels, std::size_t count, std::uint32_t from, std::uint32_t to,
                      std::uint32_t ink);

} // namespace skinctl
