// The skinned frame's rules: frame kinds, caption buttons, title placement, non-client geometry,
// border strips and region rows.
#include "skin/rules/SkinFrame.h"

#include <gtest/gtest.h>

#include <array>

#include "SkinTestSupport.h"
#include "skin/model/WinSkinData.h"

namespace {

using namespace frame;

TEST(SkinFrame, KindsStyleBitsAndShowStates) {
    struct Row {
        std::uint32_t style, exStyle;
        const char* cls;
        TFrameKind kind;
        bool dialogLike;
    };
    const Row rows[] = {
        {kCaption | kThickFrame, 0, "TForm1", TFrameKind::Sizeable, false},
        {kCaption, 0, "TForm1", TFrameKind::Fixed, false},
        {kCaption | kModalFrame, 0, "TForm1", TFrameKind::DialogFrame, false},
        {kCaption | kThickFrame, kExDlgModalFrame, "TForm1", TFrameKind::DialogFrame, false},
        {0x800000 | kThickFrame, 0, "TForm1", TFrameKind::Captionless,
         false}, // a border without the dialog frame bit
        {kCaption | kThickFrame, 0, "#32770", TFrameKind::DialogFrame, true},
        {kCaption, 0, "TMessageForm", TFrameKind::DialogFrame, true},
        {0, 0, "#32770", TFrameKind::DialogFrame, true}, // the dialog classes always take the dialog frame
    };
    for (const Row& r : rows) {
        bool dialogLike = false;
        EXPECT_EQ(FrameKindOf(r.style, r.exStyle, r.cls, dialogLike), r.kind) << r.cls << " " << r.style;
        EXPECT_EQ(dialogLike, r.dialogLike) << r.cls;
    }
    EXPECT_EQ(StyleBitsOf(kSysMenu | kMinimizeBox | kMaximizeBox, kExContextHelp, false), 15);
    EXPECT_EQ(StyleBitsOf(kMinimizeBox, 0, true), kBitMinimize | kBitSysMenu);
    using S = TShowState;
    const S showStates[] = {S::Normal, S::Normal,    S::Minimised, S::Maximised, S::Normal,
                            S::Normal, S::Minimised, S::Minimised, S::Normal,    S::Normal};
    for (int cmd = 0; cmd < 10; ++cmd)
        EXPECT_EQ(ShowStateOf(cmd), showStates[cmd]) << cmd;
    EXPECT_EQ(ShowStateOfSizeType(1), S::Minimised);
    EXPECT_EQ(ShowStateOfSizeType(2), S::Maximised);
    EXPECT_EQ(ShowStateOfSizeType(0), S::Normal);
}

TEST(SkinFrame, CaptionButtonVisibilityTable) {
    TCaptionState normal;
    normal.Active = true;
    normal.StyleBits = kBitSysMenu | kBitMinimize | kBitMaximize;
    TCaptionState maxInactive = normal;
    maxInactive.Maximised = true;
    maxInactive.Active = false;
    TCaptionState bare; // no system menu, no boxes
    TCaptionState help = bare;
    help.StyleBits = kBitContextHelp | kBitSysMenu;
    TCaptionState dialog = bare;
    dialog.FrameKind = TFrameKind::DialogFrame;
    dialog.StyleBits = kBitSysMenu;
    TCaptionState asking = normal;
    asking.QueryVisibility = [](int code, int action) { return code == 1500 && action == 50 ? 1L : 0L; };

    struct Row {
        int visibility, visibility1, action;
        const TCaptionState* state;
        bool visible, enabled;
        const char* what;
    };
    const Row rows[] = {
        {0, 0, 50, &normal, true, true, "always"},
        {1, 0, 50, &normal, false, true, "maximised only"},
        {1, 1, 50, &maxInactive, true, true, "maximised both"},
        {2, 0, 50, &maxInactive, false, true, "not maximised"},
        {3, 0, 50, &maxInactive, false, true, "active only"},
        {4, 4, 50, &maxInactive, true, true, "inactive"},
        {6, 0, 50, &normal, true, true, "boxes and system menu"},
        {0, 6, 50, &help, false, true, "second field: boxes only"},
        {7, 7, 50, &bare, true, true, "no maximise box"},
        {9, 0, 50, &normal, false, true, "no minimise box"},
        {10, 10, 50, &help, true, true, "context help without boxes"},
        {10, 0, 50, &normal, false, true, "context help but boxes"},
        {200, 200, 50, &dialog, true, true, "dialog frame"},
        {250, 999, 50, &bare, true, true, "free codes"},
        {1500, 0, 50, &asking, true, true, "the window says yes"},
        {1500, 0, 51, &asking, false, true, "the window says no"},
        {5, 0, 50, &normal, false, true, "five is never"},
        {-1, -1, -1, &normal, false, true, "hidden pair"},
        {0, 0, 0, &bare, false, true, "close without a system menu"},
        {0, 0, 0, &help, true, true, "close"},
        {0, 0, 1, &normal, true, true, "maximise enabled"},
        {0, 0, 1, &help, true, false, "maximise without its box"},
        {0, 0, 2, &bare, true, false, "minimise without a system menu"},
        {0, 0, 3, &dialog, false, true, "no icon on a dialog frame"},
        {0, 0, 11, &normal, true, true, "icon"},
    };
    for (const Row& r : rows) {
        TDataSkinSysButton b("sysbutton");
        b.Visibility = r.visibility;
        b.Visibility1 = r.visibility1;
        b.Action = r.action;
        const TButtonShow show = CaptionButtonVisible(b, *r.state);
        EXPECT_EQ(show.Visible, r.visible) << r.what;
        EXPECT_EQ(show.Enabled, r.enabled) << r.what;
    }
}

TEST(SkinFrame, ButtonCellsFramesAndTitlePlacement) {
    TDataSkinSysButton b("close");
    b.Bitmap = TBitmap32(60, 14);
    b.FrameCount = 3;
    b.XCoord = 30;
    b.YCoord = 5;
    const TRect title{40, 0, 200, 30};
    const TBorders borders{4, 30, 5, 4};
    struct Row {
        int align;
        TRect expected;
    };
    const Row rows[] = {{0, {30, 5, 50, 19}},     {1, {370, 5, 390, 19}}, {2, {-10, 5, 10, 19}},
                        {8, {-10, 5, 10, 19}},    {3, {230, 5, 250, 19}}, {9, {230, 5, 250, 19}},
                        {100, {365, 33, 385, 47}}};
    for (const Row& r : rows) {
        b.Align = r.align;
        const TRect cell = CaptionButtonRect(b, 400, title, borders, 20);
        EXPECT_EQ((std::array<int, 4>{cell.Left, cell.Top, cell.Right, cell.Bottom}),
                  (std::array<int, 4>{r.expected.Left, r.expected.Top, r.expected.Right, r.expected.Bottom}))
            << "align " << r.align;
    }
    // Frames: three frames never reach 4; four do for disabled or inactive buttons.
    b.Align = 1;
    EXPECT_EQ(CaptionButtonFrame(b, false, true), 1);
    b.FrameCount = 4;
    EXPECT_EQ(CaptionButtonFrame(b, false, true), 4);
    EXPECT_EQ(CaptionButtonFrame(b, true, false), 4);
    EXPECT_EQ(CaptionButtonFrame(b, true, true), 1);
    EXPECT_EQ(CaptionObjectFrame(b, TNcState::Pressed, true), 2);
    EXPECT_EQ(CaptionObjectFrame(b, TNcState::Hot, false), 4);
    b.Align = 100;
    EXPECT_EQ(CaptionObjectFrame(b, TNcState::Hot, true), 4);

    // The title: TextShift 8, TextShiftVert 4, TextRightClip 60, text backs 3 and 2.
    TDataSkinTitle t("title");
    t.LeftWidth = 8;
    t.TopHeight = 4;
    t.RightWidth = 60;
    t.TextBackLeft = 3;
    t.TextBackRight = 2;
    TTitleInput in;
    in.Caption = {4, 0, 396, 30};
    in.TextWidth = 100;
    in.TextHeight = 14;
    in.RightButtonsExtent = 50;
    struct TitleRow {
        int alignment;
        bool rtl, popup;
        TFrameKind frameKind;
        int textWidth;
        TRect titleRect, textRect;
        const char* what;
    };
    const TitleRow titles[] = {
        {0, false, false, TFrameKind::Sizeable, 100, {12, 0, 117, 30}, {15, 10, 115, 24}, "left"},
        {1, false, false, TFrameKind::Sizeable, 100, {147, 0, 252, 30}, {150, 10, 250, 24}, "centred"},
        {2, false, false, TFrameKind::Sizeable, 100, {231, 0, 336, 30}, {234, 10, 334, 24}, "right"},
        {0,
         false,
         false,
         TFrameKind::Sizeable,
         400,
         {12, 0, 336, 30},
         {15, 10, 334, 24},
         "clipped at TextRightClip"},
        {0,
         false,
         true,
         TFrameKind::Sizeable,
         400,
         {12, 0, 341, 30},
         {15, 10, 339, 24},
         "popup clipped at the buttons"},
        {0,
         false,
         false,
         TFrameKind::DialogFrame,
         100,
         {-4, 0, 117, 30},
         {-1, 10, 115, 24},
         "dialog frame has no icon"},
        {0, true, false, TFrameKind::Sizeable, 100, {251, 0, 356, 30}, {254, 10, 354, 24}, "right to left"},
        {2,
         true,
         false,
         TFrameKind::Sizeable,
         100,
         {22, 0, 127, 30},
         {25, 10, 125, 24},
         "right to left, aligned right"},
    };
    EXPECT_EQ(TitleWidth(t, 100), 168);
    for (const TitleRow& r : titles) {
        t.TextAlignment = r.alignment;
        in.RightToLeft = r.rtl;
        in.Popup = r.popup;
        in.FrameKind = r.frameKind;
        in.TextWidth = r.textWidth;
        const TTitleLayout l = LayoutTitle(t, in);
        EXPECT_EQ(
            (std::array<int, 8>{l.TitleRect.Left, l.TitleRect.Top, l.TitleRect.Right, l.TitleRect.Bottom,
                                l.TextRect.Left, l.TextRect.Top, l.TextRect.Right, l.TextRect.Bottom}),
            (std::array<int, 8>{r.titleRect.Left, r.titleRect.Top, r.titleRect.Right, r.titleRect.Bottom,
                                r.textRect.Left, r.textRect.Top, r.textRect.Right, r.textRect.Bottom}))
            << r.what;
    }
}

TEST(SkinFrame, NonClientGeometryBordersAndRegionRows) {
    const TBorders borders{4, 30, 5, 6};
    const TRect client = NcClientRect(100, 50, 400, 300, borders, 19);
    EXPECT_EQ((std::array<int, 4>{client.Left, client.Top, client.Right, client.Bottom}),
              (std::array<int, 4>{104, 99, 495, 344}));
    EXPECT_EQ(NcHitTest(kHtNowhere, 1, 30, false), kHtCaption);
    EXPECT_EQ(NcHitTest(kHtCaption, 31, 30, true), kHtMenu);
    EXPECT_EQ(NcHitTest(kHtCaption, 31, 30, false), kHtCaption);
    EXPECT_EQ(NcHitTest(kHtNowhere, 10, 30, false), kHtNowhere);
    EXPECT_EQ(NcHitTest(12 /* top edge */, 1, 30, true), 12);

    // Border sizes are one frame of each image; a captionless window has none.
    skintest::FakePlatform platform;
    TSkinPlatform* previous = SetSkinPlatform(&platform);
    {
        TSkinData skin(nullptr);
        skin.Border(TSkinData::bdLeft).Bitmap = TBitmap32(8, 40);
        skin.Border(TSkinData::bdLeft).FrameCount = 2;
        skin.Border(TSkinData::bdTop).Bitmap = TBitmap32(40, 60);
        skin.Border(TSkinData::bdTop).FrameCount = 2;
        skin.Border(TSkinData::bdRight).Bitmap = TBitmap32(5, 40);
        skin.Border(TSkinData::bdRight).FrameCount = 1;
        skin.Border(TSkinData::bdBottom).Bitmap = TBitmap32(40, 12);
        skin.Border(TSkinData::bdBottom).FrameCount = 2;
        const TBorders b = BorderSizes(skin, TFrameKind::Sizeable);
        EXPECT_EQ((std::array<int, 4>{b.Left, b.Top, b.Right, b.Bottom}), (std::array<int, 4>{4, 30, 5, 6}));
        const TBorders none = BorderSizes(skin, TFrameKind::Captionless);
        EXPECT_EQ(none.Top + none.Left + none.Right + none.Bottom, 0);
    }
    SetSkinPlatform(previous);

    // A stacked two-frame border: the active frame on top, the inactive one below.
    TDataSkinBorder top("top");
    top.Bitmap = TBitmap32(10, 8, clWhite);
    for (int y = 4; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            top.Bitmap.SetPixel(x, y, clBlack);
    top.FrameCount = 2;
    top.Tile = 1;
    EXPECT_EQ(BorderStrip(top, 30, 4, true, true).Pixel(15, 2), clWhite);
    EXPECT_EQ(BorderStrip(top, 30, 4, true, false).Pixel(15, 2), clBlack);
    top.FrameCount = 1;
    EXPECT_EQ(BorderStrip(top, 30, 8, true, false).Pixel(15, 1), clWhite);

    // The cache builds a strip again only for another size or another frame.
    top.FrameCount = 2;
    TBorderStripCache cache;
    EXPECT_EQ(cache.Get(top, 30, 4, true, true).Pixel(15, 2), clWhite);
    cache.Get(top, 30, 4, true, true);
    EXPECT_EQ(cache.Builds(), 1);
    EXPECT_EQ(cache.Get(top, 30, 4, true, false).Pixel(15, 2), clBlack);
    EXPECT_EQ(cache.Get(top, 31, 4, true, true).Width(), 31);
    cache.Get(top, 30, 4, true, false);
    EXPECT_EQ(cache.Builds(), 3);

    // Region rows: magenta and its tolerance are cut out, everything else kept in runs.
    TBitmap32 shape(6, 2, clMagenta);
    shape.SetPixel(1, 0, clBlack);
    shape.SetPixel(2, 0, clBlack);
    shape.SetPixel(4, 0, RGBColour(255, 2, 255)); // just outside the tolerance
    shape.SetPixel(5, 1, RGBColour(255, 1, 254)); // blue below the key: not key
    shape.SetPixel(0, 1, RGBColour(255, 1, 255)); // inside the tolerance: key
    const std::vector<TRect> runs = OpaqueRuns(shape, 10, 20, clMagenta, 1);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ((std::array<int, 4>{runs[0].Left, runs[0].Top, runs[0].Right, runs[0].Bottom}),
              (std::array<int, 4>{11, 20, 13, 21}));
    EXPECT_EQ((std::array<int, 4>{runs[1].Left, runs[1].Top, runs[1].Right, runs[1].Bottom}),
              (std::array<int, 4>{14, 20, 15, 21}));
    EXPECT_EQ((std::array<int, 4>{runs[2].Left, runs[2].Top, runs[2].Right, runs[2].Bottom}),
              (std::array<int, 4>{15, 21, 16, 22}));
}

} // namespace
