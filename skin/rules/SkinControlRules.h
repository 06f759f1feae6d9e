#pragma once
// The portable decisions of the button-like control skins: which frame of the skin's strips a
// state shows, how a caption breaks, where a focus rectangle and a glyph go.
#include <string>

#include "skin/model/Bitmap.h"

struct TButtonState {
    bool hot = false;
    bool pressed = false;
    bool focused = false;
    bool isDefault = false;
    bool enabled = true;
};

// Frame of the Buttons element (1 normal, 2 pressed, 3 disabled, 4 hot, 5 focused or default):
// pressed beats hot, hot beats focus, and a disabled button always shows 3.
int ButtonFrame(const TButtonState& state);

// The check box's starting value from the control: the window's button state (0 unchecked,
// 1 checked, 2 indeterminate) and, for a framework control, its properties.
struct TCheckFacts {
    int buttonState = 0;
    bool enabled = true;
    // `State` property ("cbUnchecked", "cbChecked", "cbGrayed"), when the control has one.
    bool hasState = false;
    std::string state;
    // `Checked` property ("true"/"false"), when it has one and no `State`.
    bool hasChecked = false;
    std::string checked;
    // A data-aware control: the state set on it since attachment (-1 none).
    bool hasDataField = false;
    int setCheckState = -1;
    bool hasDataBinding = false;
};

// Frame (from 1) of the check strip of `frameCount` frames.
int CheckBoxFrame(const TCheckFacts& facts, int frameCount);
// Frame (from 1) of the radio strip of `frameCount` frames.
int RadioButtonFrame(bool checked, bool enabled, int frameCount);

// The caption with its first "||" turned into a line break (later ones stay as written).
std::wstring SplitButtonCaption(const std::wstring& caption);

// Where a measured caption block of `size` goes in `area`: centred both ways.
TRect CentreBlock(const TRect& area, int width, int height);

// The focus rectangle of a caption measured at `width` x `height` in `area` laid out left,
// centred or right (flags), grown by 2 sideways and 1 up and down and clipped to `area`.
enum class THorzPlace { Left, Centre, Right };
TRect FocusFrameRect(const TRect& area, int width, int height, THorzPlace place, bool vcentre);

// The box and caption rectangles of a check or radio box of `box` x `box` pixels in `client`:
// the box vertically centred at the left (or at the right, `inset` pixels in, for the left-text
// style); the caption starts 2 pixels beside it.
struct TCheckLayout {
    TRect box;
    TRect caption;
};
TCheckLayout CheckLayout(const TRect& client, int boxWidth, int boxHeight, bool leftText, int inset);

// Glyph and caption of a button with a picture. `layout`: 0 glyph left, 1 right, 2 top,
// 3 bottom. `margin` -1 centres glyph and caption together; otherwise it is the distance of the
// glyph from the edge. `spacing` (-1: 4) separates them.
struct TGlyphLayout {
    TRect glyph;
    TRect caption;
};
TGlyphLayout GlyphLayout(const TRect& client, int glyphWidth, int glyphHeight, int textWidth, int textHeight,
                         int layout, int margin, int spacing);
