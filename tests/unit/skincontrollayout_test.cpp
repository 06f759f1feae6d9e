// The control skins' rules that need no window: progress fill and picture, the scroll bar's parts,
// frames and picture, tab sides and page area, status panels.
#include "skin/rules/SkinControlLayout.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace skinctl;

namespace {

constexpr TColor kFace = 0x10E0F0;
constexpr TColor kBar = 0x0000C0;
constexpr TColor kChunk = 0xC00000;

TSkinData* ProgressSkin(TSkinData& skin, int style, int chunkTile) {
    skin.SkinColours[scButtonFace] = kFace;
    skin.Progress = std::make_unique<TDataSkinBorder>("Progress");
    skin.Progress->Style = style;
    skin.Progress->Bitmap = TBitmap32(style == 1 ? 6 : 12, 6, kBar);
    if (style != 1) skin.Progress->Bitmap.FillRect({6, 0, 12, 6}, kChunk);
    skin.ProgressChunk = std::make_unique<TDataSkinObject>("Progress.Chunk");
    skin.ProgressChunk->FrameCount = 1;
    skin.ProgressChunk->Tile = chunkTile;
    skin.ProgressChunk->Bitmap = TBitmap32(4, 6, kChunk);
    return &skin;
}

} // namespace

TEST(SkinControlRules, ProgressFillOfBothStylesStaysInsideTheBar) {
    struct Row {
        int style, width, position, lower, upper, filled;
    } rows[] = {
        {1, 200, 50, 0, 100, 100},  {1, 200, 50, 40, 100, 100}, // the chunk style ignores the lower limit
        {0, 200, 50, 40, 100, 33},  {0, 200, 0, 0, 100, 0},     {0, 200, 10, 0, 0, 0},
        {1, 200, 150, 0, 100, 200}, {0, 200, 5, 5, 5, 0}, // past the top; an empty range
        {0, 200, 1, 0, 3, 67},      {1, 3, 1, 0, 2, 2},   // rounding half up as MulDiv
    };
    for (const Row& r : rows)
        EXPECT_EQ(ProgressFilledWidth(r.style, r.width, r.position, r.lower, r.upper), r.filled)
            << r.style << " " << r.position << " " << r.lower << ".." << r.upper;
}

TEST(SkinControlRules, ProgressPictureChunkStyleAndTwoFrameStyleAndVertical) {
    TSkinData chunky(nullptr);
    TBitmap32 half = ComposeProgress(*ProgressSkin(chunky, 1, 0), 100, 12, false, 50, 0, 100);
    ASSERT_EQ(half.Width(), 100);
    EXPECT_EQ(half.Pixel(20, 5), kChunk);
    EXPECT_EQ(half.Pixel(80, 5), kBar);
    EXPECT_EQ(half.Pixel(20, 11), kBar) << "the chunk's bitmap is 4 pixels lower than the bar";
    EXPECT_EQ(ComposeProgress(chunky, 100, 12, false, 0, 0, 100).Pixel(20, 5), kBar);
    // Lying down and turned: the filled part starts at the bottom.
    TBitmap32 upright = ComposeProgress(chunky, 12, 100, true, 50, 0, 100);
    ASSERT_EQ(upright.Height(), 100);
    EXPECT_EQ(upright.Pixel(5, 80), kChunk);
    EXPECT_EQ(upright.Pixel(5, 20), kBar);
    chunky.ProgressChunk.reset();
    EXPECT_TRUE(ComposeProgress(chunky, 100, 12, false, 50, 0, 100).Empty()) << "no chunk: the system paints";

    TSkinData framed(nullptr);
    TBitmap32 two = ComposeProgress(*ProgressSkin(framed, 0, 0), 100, 12, false, 70, 20, 120);
    EXPECT_EQ(two.Pixel(49, 5), kChunk);
    EXPECT_EQ(two.Pixel(51, 5), kBar);
}

TEST(SkinControlRules, ScrollBarPartsAndFrames) {
    // Bar 100 long, arrows 16, thumb 40..60.
    const std::pair<int, TScrollPart> parts[] = {
        {0, spFirstArrow},  {15, spFirstArrow}, {16, spTrackBefore}, {40, spThumb},      {59, spThumb},
        {60, spTrackAfter}, {83, spTrackAfter}, {84, spSecondArrow}, {99, spSecondArrow}};
    for (const auto& [p, part] : parts)
        EXPECT_EQ(ScrollPartAt(p, 16, 40, 60, 100), part) << p;
    struct Arrow {
        bool vertical, second, hot, pressed;
        int frame;
    } arrows[] = {{false, false, false, false, 1}, {false, true, false, false, 5},
                  {true, false, false, false, 9},  {true, true, false, false, 13},
                  {true, false, true, true, 10},   {true, true, true, false, 16},
                  {false, false, false, true, 1}};
    for (const Arrow& a : arrows)
        EXPECT_EQ(ScrollArrowFrame(a.vertical, a.second, a.hot, a.pressed), a.frame);
    EXPECT_EQ(ScrollThumbFrame(false, true), 1);
    EXPECT_EQ(ScrollThumbFrame(true, true), 2);
    EXPECT_EQ(ScrollThumbFrame(true, false), 3);
    EXPECT_EQ(ScrollGripFrame(false, false, false), 17);
    EXPECT_EQ(ScrollGripFrame(true, true, true), 21);
    EXPECT_EQ(ScrollGripFrame(true, true, false), 22);
    // A dragged thumb 20 long stays between the arrows of a 100 bar.
    EXPECT_EQ(DraggedThumbStart(40, 10, 16, 100, 20), 50);
    EXPECT_EQ(DraggedThumbStart(40, -90, 16, 100, 20), 16);
    EXPECT_EQ(DraggedThumbStart(40, 90, 16, 100, 20), 64);
}

TEST(SkinControlRules, ScrollBarPictureHasArrowsTrackAndThumbWhereTheBarSays) {
    TSkinData skin(nullptr);
    skin.SkinColours[scButtonFace] = kFace;
    skin.Scrollbar = std::make_unique<TDataSkinObject>("Scrollbar");
    skin.Scrollbar->Bitmap = TBitmap32(23 * 16, 16, 0x000001);
    for (int f = 0; f < 23; ++f) // frame k filled with colour k, so the frame drawn shows
        skin.Scrollbar->Bitmap.FillRect({f * 16, 0, f * 16 + 16, 16}, TColor(f + 1));
    skin.VertScroll = std::make_unique<TDataSkinObject>("VertScroll");
    skin.VertScroll->Bitmap = TBitmap32(4 * 16, 16, 0x00AA00);
    skin.VertScrollThumb = std::make_unique<TDataSkinObject>("VertScrollThumb");
    skin.VertScrollThumb->FrameCount = 4;
    skin.VertScrollThumb->Bitmap = TBitmap32(4 * 16, 16, 0xAA0000);
    skin.VertScrollThumb->Bitmap.FillRect({16, 0, 32, 16}, 0xBB0000); // frame 2: pressed

    TScrollbarLook look;
    look.length = 120;
    look.breadth = 16;
    look.thumbStart = 60;
    look.thumbEnd = 100;
    TBitmap32 bar = ComposeScrollbar(skin, look);
    ASSERT_EQ(bar.Width(), 16);
    ASSERT_EQ(bar.Height(), 120);
    EXPECT_EQ(bar.Pixel(8, 5), TColor(9)) << "first arrow of a vertical bar";
    EXPECT_EQ(bar.Pixel(8, 115), TColor(13));
    EXPECT_EQ(bar.Pixel(8, 30), TColor(0x00AA00)) << "track";
    EXPECT_EQ(bar.Pixel(1, 62), TColor(0xAA0000)) << "thumb";
    EXPECT_EQ(bar.Pixel(8, 80), TColor(20)) << "grip centred on the thumb";
    look.hot = spThumb;
    look.pressed = true;
    bar = ComposeScrollbar(skin, look);
    EXPECT_EQ(bar.Pixel(1, 62), TColor(0xBB0000));
    EXPECT_EQ(bar.Pixel(8, 80), TColor(21));
    look.disabled = true;
    EXPECT_EQ(ComposeScrollbar(skin, look).Pixel(1, 62), TColor(0x00AA00)) << "a disabled bar has no thumb";
}

TEST(SkinControlRules, TabSidesPageAreaAndCloseMark) {
    EXPECT_EQ(TabSideFromStyle(0), tsTop);
    EXPECT_EQ(TabSideFromStyle(0x2), tsBottom);
    EXPECT_EQ(TabSideFromStyle(0x80), tsLeft);
    EXPECT_EQ(TabSideFromStyle(0x82), tsRight);
    const TRect display{4, 25, 389, 205};
    EXPECT_EQ(TabPageRect(display, tsTop), TRect(0, 20, 393, 208));
    EXPECT_EQ(TabPageRect(display, tsRight), TRect(1, 21, 394, 209));
    const TRect control{0, 0, 393, 209};
    EXPECT_EQ(TabStripRect(control, TabPageRect(display, tsTop), tsTop), TRect(0, 0, 393, 20));
    EXPECT_EQ(TabStripRect(control, TRect{0, 0, 393, 190}, tsBottom), TRect(0, 190, 393, 209));
    EXPECT_EQ(TabStripRect(control, TRect{30, 0, 393, 209}, tsLeft), TRect(0, 0, 30, 209));
    EXPECT_EQ(TabCloseMarkRect({10, 2, 80, 20}), TRect(68, 6, 77, 15));
    EXPECT_TRUE(TabCloseMarkRect({10, 2, 24, 20}).IsEmpty());
    TSkinData skin(nullptr);
    EXPECT_EQ(TabPageMargins(skin), TRect(4, 5, 4, 4));
}

TEST(SkinControlRules, StatusPanelsBevelsAndAlignment) {
    const auto laid = StatusPanelRects({{0, 2, 100, 19}, {102, 2, 200, 19}}, 393);
    ASSERT_EQ(laid.size(), 2u);
    EXPECT_EQ(laid[0], TRect(0, 2, 102, 19));
    EXPECT_EQ(laid[1], TRect(102, 2, 393, 19));
    EXPECT_EQ(StatusBevelFrame(pbLowered), 1);
    EXPECT_EQ(StatusBevelFrame(pbRaised), 2);
    EXPECT_EQ(StatusBevelFrame(pbNone), 3);
    struct Row {
        std::wstring text;
        bool mirrored;
        TPanelAlignment alignment;
        std::wstring shown;
    } rows[] = {{L"就绪", false, paLeft, L"就绪"},
                {L"\t中", false, paCentre, L"中"},
                {L"\t\t右", false, paRight, L"右"},
                {L"\t\t\tx", true, paLeft, L"\tx"},
                {L"左", true, paRight, L"左"}};
    for (Row& r : rows) {
        EXPECT_EQ(StatusTextAlignment(r.text, r.mirrored), r.alignment);
        EXPECT_EQ(r.text, r.shown);
    }
}

TEST(SkinControlRules, LabelTextMovesOntoTheSkinFaceWithItsSmoothedEdges) {
    constexpr std::uint32_t systemFace = 0xF0F0F0, skinFace = 0xECE9D8, ink = 0x0000C0;
    std::uint32_t pixels[] = {systemFace, ink, 0x7878D8 /* half ink over the system face */, 0x123456};
    RebaseBackground(pixels, 4, systemFace, skinFace, ink);
    EXPECT_EQ(pixels[0], skinFace);
    EXPECT_EQ(pixels[1], ink);
    EXPECT_EQ(pixels[2], 0x7675CC) << "half ink over the skin's face";
    std::uint32_t same[] = {0x808080};
    RebaseBackground(same, 1, 0x808080, skinFace, 0x808080);
    EXPECT_EQ(same[0], skinFace) << "ink like the background: only the background moves";
}
