#pragma once
// The skin model's values: the element records that every painter reads (images, margins, frame
// counts, colours) and the table of skin colours.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/model/Bitmap.h"

// A reference to platform system colour `index`, resolved when drawn (ColourToRGB).
constexpr TColor SysColourRef(int index) {
    return TColor(std::uint32_t(0xFF000000u) | std::uint32_t(index & 0xFF));
}

// "Not given" for the caption text colours.
constexpr TColor kNoTextColour = 0x1FFFFFFF;

class TDataSkinObject {
public:
    explicit TDataSkinObject(std::string name) : Name(std::move(name)) {}
    virtual ~TDataSkinObject() = default;
    TDataSkinObject(const TDataSkinObject&) = delete;
    TDataSkinObject& operator=(const TDataSkinObject&) = delete;

    std::int32_t LeftWidth = 0;
    std::int32_t TopHeight = 0;
    std::int32_t RightWidth = 0;
    std::int32_t BottomHeight = 0;
    TBitmap32 Bitmap;
    std::int32_t Trans = 0;
    std::int32_t Tile = 0;
    std::string Name;
    std::int32_t FrameCount = 0;
    std::int32_t Style = 0;
    TColor NormalColour = -1;
    TColor MouseOverColour = -1;
    TColor PressedColour = -1;
    TColor NormalColour2 = SysColourRef(18);
    TColor MouseOverColour2 = SysColourRef(18);
    TColor PressedColour2 = SysColourRef(18);

    // Back to the values of an element the skin does not give; the text colours become `buttonText`.
    void Reset(TColor buttonText);

    // Left, top, right, bottom widths as the painters take them.
    TRect Margins() const { return {LeftWidth, TopHeight, RightWidth, BottomHeight}; }
    // Width of one frame of a side-by-side strip (a frame count below 1 counts as 1).
    int FrameWidth() const;
};

class TDataSkinBorder : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    TBitmap32 Bitmap2;
};

class TDataSkinButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    TBitmap32 CheckBitmap;
    TBitmap32 RadioBitmap;
    std::int32_t RadioButtonFrame = 0;
    std::int32_t CheckButtonFrame = 0;
    std::uint8_t NormalColour2Given = 0;
    std::uint8_t MouseOverColour2Given = 0;
    std::uint8_t PressedColour2Given = 0;
};

// A caption button.
class TDataSkinSysButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    std::int32_t Action = 0;
    std::int32_t Align = 0;
    std::int32_t XCoord = 0;
    std::int32_t YCoord = 0;
    std::int32_t CombineOp = -1;
    std::int32_t Visibility = 0;
    std::int32_t Visibility1 = 0;
};

// A group box caption.
class TDataSkinBoxLabel : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    std::int32_t BackgroundLeftShift = 0;
    std::int32_t BackgroundRightShift = 0;
    std::int32_t BackgroundAlignment = 0;
};

// The caption text: LeftWidth is TextShift, TopHeight TextShiftVert, RightWidth TextRightClip and
// Bitmap the TextBack image.
class TDataSkinTitle : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    std::int32_t TextAlignment = 0;
    std::int32_t TextBackground = 0;
    std::int32_t FontHeight = 14;
    std::int32_t TextBackLeft = 0;
    std::int32_t TextBackRight = 0;
    TColor ActiveTextColour = kNoTextColour;
    TColor InactiveTextColour = kNoTextColour;
};

enum TSkinColourSlot {
    scWindowText = 0,
    scTitleTextActive = 1,
    scTitleTextNoActive = 2,
    scButtonFace = 3,
    scButtonText = 4,
    scButtonHilight = 5,
    scButtonlight = 6,
    scButtonShadow = 7,
    scButtonDkShadow = 8,
    scHilightText = 11,
    scHilight = 12,
    scMenubar = 13,
    scMenuBarText = 14,
    scMenuText = 15,
    scMenu = 16,
    scScrollbar = 18,
};
constexpr int kSkinColourCount = 19;

// Red, green and blue from a text of up to three decimal numbers ("236 233 216"); numbers after
// the third are ignored.
TColor ParseColourText(const std::string& text);

// A colour of the [Colours] section: its slot, its key and the system colour it defaults to (-1:
// the ButtonFace value read before it). In reading order.
struct TSkinColourKey {
    TSkinColourSlot slot;
    const char* key;
    int sysIndex;
};
const std::vector<TSkinColourKey>& SkinColourKeys();
// The colour table of a skin that gives no colours.
std::array<TColor, kSkinColourCount> DefaultSkinColours();
