// The skinned menu bar's rules: start offset, button rectangles both ways, hit and accelerator
// lookup, the arrow-key switching between buttons, and the item measures and layout.
#include "skin/rules/SkinMenu.h"

#include <gtest/gtest.h>

namespace {

using namespace skinmenu;

TEST(SkinMenu, StartOffset) {
    struct Row {
        bool element;
        int left, right;
        bool rtl;
        int barWidth, expected;
    };
    const Row rows[] = {
        {false, 9, 9, false, 300, 6}, {false, 9, 9, true, 300, 6}, {true, 9, 3, false, 300, 13},
        {true, 9, 3, true, 300, 11},  {true, 9, 3, false, 12, 12}, {true, 20, 3, false, 20, 12},
        {true, 0, 0, false, 300, 4},  {true, 0, 0, true, 7, 12},
    };
    for (const Row& r : rows)
        EXPECT_EQ(StartOffset(r.element, r.left, r.right, r.rtl, r.barWidth), r.expected)
            << r.element << " " << r.left << " " << r.rtl << " " << r.barWidth;
}

TEST(SkinMenu, ButtonRectanglesBothWaysAndLookups) {
    const std::vector<TBarButton> buttons = {{L"&File", 30, true, true},
                                             {L"", 0, true, true},
                                             {L"隐藏(&H)", 50, false, true},
                                             {L"编辑(&E)", 44, true, false},
                                             {L"&Help", 28, true, true}};
    const TRect bar{4, 30, 304, 49};
    const std::vector<TRect> ltr = LayoutButtons(buttons, bar, 6, false);
    const std::vector<TRect> expectLtr = {
        {10, 30, 50, 48}, {50, 30, 50, 48}, {}, {50, 30, 104, 48}, {104, 30, 142, 48}};
    EXPECT_EQ(ltr, expectLtr);
    const std::vector<TRect> rtl = LayoutButtons(buttons, bar, 11, true);
    const std::vector<TRect> expectRtl = {
        {253, 30, 293, 48}, {253, 30, 253, 48}, {}, {199, 30, 253, 48}, {161, 30, 199, 48}};
    EXPECT_EQ(rtl, expectRtl);
    // With the child-window buttons in the bar the first button ends 5 pixels before them.
    EXPECT_EQ(LayoutButtons(buttons, bar, 11, true, 250)[0], (TRect{205, 30, 245, 48}));

    EXPECT_EQ(ButtonAt(buttons, ltr, 10, 30), 0);
    EXPECT_EQ(ButtonAt(buttons, ltr, 49, 47), 0);
    EXPECT_EQ(ButtonAt(buttons, ltr, 50, 40), 3) << "the empty caption is never hit";
    EXPECT_EQ(ButtonAt(buttons, ltr, 60, 48), -1) << "the bar's last row belongs to no button";
    EXPECT_EQ(ButtonAt(buttons, ltr, 9, 35), -1);

    EXPECT_EQ(AcceleratorOf(L"&File"), L'F');
    EXPECT_EQ(AcceleratorOf(L"a&&b&c"), L'C');
    EXPECT_EQ(AcceleratorOf(L"Tom && Jerry"), 0);
    EXPECT_EQ(AcceleratorOf(L"end&"), 0);
    EXPECT_EQ(ButtonForAccelerator(buttons, L'h'), 4) << "the hidden button with H is passed over";
    EXPECT_EQ(ButtonForAccelerator(buttons, L'E'), -1) << "disabled";
    EXPECT_EQ(ButtonForAccelerator(buttons, L'f'), 0);
    EXPECT_EQ(ButtonForAccelerator(buttons, 0), -1);
}

TEST(SkinMenu, ArrowSwitchingWrapsAround) {
    const TSelection none{};
    const TSelection top{false, true, false};
    const TSelection topWithSub{false, true, true};
    const TSelection deep{false, false, false};
    struct Row {
        TArrow key;
        bool rtl;
        int open, count;
        TSelection sel;
        int expected;
    };
    const Row rows[] = {
        {TArrow::Left, false, 0, 4, none, 3},   {TArrow::Left, false, 2, 4, top, 1},
        {TArrow::Left, false, 2, 4, deep, -1},  {TArrow::Right, false, 3, 4, top, 0},
        {TArrow::Right, false, 1, 4, none, 2},  {TArrow::Right, false, 1, 4, topWithSub, -1},
        {TArrow::Right, false, 1, 4, deep, 2},  {TArrow::Left, true, 3, 4, top, 0},
        {TArrow::Right, true, 0, 4, top, 3},    {TArrow::Right, false, 0, 1, none, 0},
        {TArrow::Left, false, -1, 4, none, -1}, {TArrow::Right, false, 0, 0, none, -1},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ArrowSwitch(r.key, r.rtl, r.open, r.count, r.sel), r.expected)
            << int(r.key) << " rtl " << r.rtl << " open " << r.open << " sel " << r.sel.None << r.sel.TopLevel
            << r.sel.HasSubmenu;
}

TEST(SkinMenu, ItemMeasuresAndLayout) {
    EXPECT_EQ(MeasureTextItem(40, 12, false, 5, false).Width, 71);
    EXPECT_EQ(MeasureTextItem(40, 12, false, 5, false).Height, 16);
    EXPECT_EQ(MeasureTextItem(0, 12, true, 0, false).Height, 8);
    EXPECT_EQ(MeasureTextItem(0, 12, true, 0, true).Height, 12);
    EXPECT_EQ(WidenComponentItem({50, 18}, true, 7, false).Width, 92);
    EXPECT_EQ(WidenComponentItem({50, 18}, false, 7, true).Width, 60);
    EXPECT_EQ(WidenComponentItem({50, 18}, true, 7, true).Height, 18);

    const TRect item{3, 20, 203, 40};
    const TItemLayout ltr = LayoutItem(item, 4, 16, 60, true, false);
    EXPECT_EQ(ltr.GlyphBox, (TRect{8, 21, 24, 37}));
    EXPECT_EQ(ltr.Caption, (TRect{27, 20, 202, 40}));
    EXPECT_EQ(ltr.ShortCut, (TRect{87, 20, 192, 40}));
    EXPECT_TRUE(LayoutItem(item, 4, 16, 60, false, false).ShortCut.IsEmpty());
    EXPECT_EQ(LayoutItem(item, 0, 24, 10, false, false).GlyphBox.Width(), 24);
    const TItemLayout rtl = LayoutItem(item, 4, 16, 60, true, true);
    EXPECT_EQ(rtl.GlyphBox, (TRect{182, 21, 198, 37}));
    EXPECT_EQ(rtl.Caption, (TRect{4, 20, 179, 40}));
    EXPECT_EQ(rtl.ShortCut, (TRect{14, 20, 119, 40}));
}

} // namespace
