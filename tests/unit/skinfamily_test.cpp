// The frame choices and layouts of the combo box, track bar, up-down, header and media player
// skins.
#include "skin/rules/SkinFamily.h"

#include <gtest/gtest.h>

TEST(SkinFamily, StateFramesOfComboArrowThumbUpDownAndHeader) {
    struct Row {
        bool enabled, hot, pressed, focused;
        int combo, five, upFirst, upSecond;
    };
    const Row rows[] = {
        {true, false, false, false, 1, 1, 1, 5}, {true, true, false, false, 2, 4, 2, 6},
        {true, false, true, false, 3, 2, 3, 7},  {true, true, true, true, 3, 2, 3, 7},
        {true, false, false, true, 1, 5, 1, 5},  {true, true, false, true, 2, 4, 2, 6},
        {false, true, true, true, 4, 3, 4, 8},   {false, false, false, false, 4, 3, 4, 8},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.enabled << r.hot << r.pressed << r.focused);
        EXPECT_EQ(ComboArrowFrame(r.enabled, r.hot, r.pressed), r.combo);
        EXPECT_EQ(StateFrame5(r.enabled, r.hot, r.pressed, r.focused), r.five);
        EXPECT_EQ(UpDownFrame(0, r.enabled, r.hot, r.pressed), r.upFirst);
        EXPECT_EQ(UpDownFrame(1, r.enabled, r.hot, r.pressed), r.upSecond);
    }
    EXPECT_EQ(HeaderFrame(false, false), 1);
    EXPECT_EQ(HeaderFrame(true, false), 2);
    EXPECT_EQ(HeaderFrame(true, true), 3);
    EXPECT_EQ(HeaderEmptyFrame(5), 4);
    EXPECT_EQ(HeaderEmptyFrame(3), 1);
}

TEST(SkinFamily, TrackBarCustomDrawAnswers) {
    using A = TTrackDrawAnswer;
    struct Row {
        std::uint32_t stage, item;
        bool canDraw;
        A answer;
    };
    const Row rows[] = {
        {kCdPrePaint, 0, true, A::NotifyItems},
        {kCdItemPrePaint, kTrackTics, true, A::Default},
        {kCdItemPrePaint, kTrackThumb, true, A::SkipDefault},
        {kCdItemPrePaint, kTrackChannel, true, A::SkipDefault},
        {kCdItemPrePaint, kTrackThumb, false, A::Default},
        {kCdItemPrePaint, 7, true, A::ControlsOwn},
        {2, kTrackThumb, true, A::ControlsOwn},
        {0x10002, kTrackChannel, true, A::ControlsOwn},
    };
    for (const Row& r : rows)
        EXPECT_EQ(TrackCustomDraw(r.stage, r.item, r.canDraw), r.answer) << r.stage << " " << r.item;
    // A vertical channel reported as if lying down is stood up; an upright one stays.
    EXPECT_EQ(UprightChannel({8, 10, 120, 14}, true), (TRect{10, 8, 14, 120}));
    EXPECT_EQ(UprightChannel({10, 8, 14, 120}, true), (TRect{10, 8, 14, 120}));
    EXPECT_EQ(UprightChannel({8, 10, 120, 14}, false), (TRect{8, 10, 120, 14}));
}

TEST(SkinFamily, GeometryOfUpDownComboAndMediaButtons) {
    const TRect client{0, 0, 16, 25};
    EXPECT_EQ(UpDownPartRect(client, false, 0), (TRect{0, 0, 16, 12}));
    EXPECT_EQ(UpDownPartRect(client, false, 1), (TRect{0, 12, 16, 25}));
    EXPECT_EQ(UpDownPartRect({0, 0, 31, 16}, true, 1), (TRect{15, 0, 31, 16}));
    EXPECT_EQ(UpDownPartAt(client, false, 5, 11), 0);
    EXPECT_EQ(UpDownPartAt(client, false, 5, 12), 1);
    EXPECT_EQ(UpDownPartAt(client, false, 16, 3), -1);

    EXPECT_EQ(ComboButtonRect(120, 21, 16), (TRect{102, 2, 118, 19}));
    EXPECT_EQ(ComboButtonRect(10, 21, 16), (TRect{2, 2, 8, 19})); // never left of the border

    // Play, stop and next of six over 100 pixels: 33, 33 and the rest.
    const auto layout = MPButtonLayout((1u << btPlay) | (1u << btStop) | (1u << btNext), 100, 24);
    ASSERT_EQ(layout.size(), 3u);
    EXPECT_EQ(layout[0].Button, btPlay);
    EXPECT_EQ(layout[1].Button, btStop);
    EXPECT_EQ(layout[1].Rect, (TRect{33, 0, 66, 24}));
    EXPECT_EQ(layout[2].Rect, (TRect{66, 0, 100, 24}));
    EXPECT_EQ(MPButtonAt(layout, 70, 5), int(btNext));
    EXPECT_EQ(MPButtonAt(layout, 70, 30), -1);
    EXPECT_TRUE(MPButtonLayout(0, 100, 24).empty());
    EXPECT_EQ(MPButtonLayout(1u << 9 | 1u << btEject, 50, 20).size(), 1u); // unknown bits ignored
}
