#pragma once
// The skinned menu bar's rules that need no window: where the first button starts, how wide each
// button is and where it lies, which button is under a point or answers an accelerator, which
// button an arrow key switches to while a drop-down is open, and how a menu item is measured and
// laid out. WinSkinMenu_win gathers the facts (text widths, menus, the cursor) and asks here.
#include <string>
#include <vector>

#include "skin/model/Bitmap.h"

namespace skinmenu {

// One button of the bar as the layout sees it.
struct TBarButton {
    std::wstring Caption;
    int CaptionWidth = 0; // measured single-line width with tabs expanded
    bool Visible = true;
    bool Enabled = true;
};

// Offset of the first button from the bar's start (left, or right for right-to-left menus).
int StartOffset(bool hasElement, int leftMargin, int rightMargin, bool rightToLeft, int barWidth);

// A caption that measures 0 gives a button of width 0.
int ButtonWidth(int captionWidth);

// The buttons' rectangles in window coordinates: (x, bar top, x + width, bar bottom - 1); hidden
// buttons get an empty rectangle. `rtlRightLimit` (right-to-left only, -1 for none) is the left
// edge of the leftmost child-window button shown in the bar: the first button ends 5 pixels before it.
std::vector<TRect> LayoutButtons(const std::vector<TBarButton>& buttons, const TRect& bar, int startOffset,
                                 bool rightToLeft, int rtlRightLimit = -1);

// The button whose rectangle holds the point and whose caption is not empty, else -1.
int ButtonAt(const std::vector<TBarButton>& buttons, const std::vector<TRect>& rects, int x, int y);

// The accelerator of a caption: the character after a single '&' ("&&" is a literal '&'),
// upper-cased for ASCII letters; 0 when there is none.
wchar_t AcceleratorOf(const std::wstring& caption);

// The first enabled, visible button whose caption has the accelerator `key` (letter case ignored
// for ASCII), else -1.
int ButtonForAccelerator(const std::vector<TBarButton>& buttons, wchar_t key);

// What the selection in the open drop-down is, when an arrow key arrives.
struct TSelection {
    bool None = true;        // no item is selected
    bool TopLevel = false;   // the selected item (or its parent) is the drop-down itself
    bool HasSubmenu = false; // the selected item opens a sub-menu
};

enum class TArrow { Left, Right };

// The button an arrow key switches to while button `open` of `count` is open, or -1 when the key
// stays with the menu. Left at the drop-down's top level goes to the previous button (the last
// from the first), right on an item without sub-items to the next one (the first from the last).
// Hidden buttons are not skipped. Right-to-left menus exchange the two keys first.
int ArrowSwitch(TArrow key, bool rightToLeft, int open, int count, const TSelection& selection);

// ---- Items of the drop-downs ----

struct TItemSize {
    int Width = 0;
    int Height = 0;
};

// An item measured from its native text: text width + 26 + the MenuItem left margin; the height
// is the text's + 4, or 8 for a separator (empty text); 4 more on the old consumer systems.
TItemSize MeasureTextItem(int textWidth, int textHeight, bool empty, int leftMargin, bool oldConsumer);

// An item of the menu component, after it measured itself: wider by the MenuItem left margin
// (when the skin has the element), by 10, and by 25 more without an image list.
TItemSize WidenComponentItem(TItemSize measured, bool hasElement, int leftMargin, bool hasImageList);

// Where an item's parts go within its rectangle.
struct TItemLayout {
    TRect GlyphBox; // the image or check mark
    TRect Caption;  // caption text (left-aligned, or right-aligned for right-to-left)
    TRect ShortCut; // shortcut text (right-aligned), empty without one
};
// `captionWidth` is the caption's measured width (for where the shortcut starts); `glyphWidth`
// the image list's width (16 without one; a checked item keeps at least 16).
TItemLayout LayoutItem(const TRect& item, int leftMargin, int glyphWidth, int captionWidth, bool hasShortCut,
                       bool rightToLeft);

} // namespace skinmenu
