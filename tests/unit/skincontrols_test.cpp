// The portable decisions of the control skins: which skin a control or window gets, and which
// frame, caption break and placement the button-like skins draw.
#include <gtest/gtest.h>

#include "skin/rules/SkinControlMap.h"
#include "skin/rules/SkinControlRules.h"

namespace {

using K = TSkinWrapperKind;
using C = TControlCategory;

TSkinSwitches Switches(const TStringList& list,
                       TSkinControlTypes controls = TSkinData::DefaultSkinControls()) {
    TSkinSwitches sw;
    sw.controls = controls;
    sw.tabsImage = true;
    sw.skin3rd = &list;
    return sw;
}

TControlFacts Facts(std::string className, C category = C::Other, bool scrollBars = false) {
    TControlFacts f;
    f.className = std::move(className);
    f.category = category;
    f.hasScrollBars = scrollBars;
    f.hasBorder = true;
    return f;
}

TEST(SkinControlMap, FrameworkControlsGetTheirSkinsOnlyWithTheirSwitch) {
    TStringList none;
    const TSkinSwitches sw = Switches(none);
    struct Row {
        TControlFacts facts;
        K kind;
        bool mapChildren;
    } rows[] = {
        {Facts("TButton", C::Button), K::Button, false},
        {Facts("TGroupBox", C::GroupBox), K::GroupBox, true},
        {Facts("TMemo", C::Memo), K::Scrollbar, false},
        {Facts("TEdit", C::Edit), K::Edit, false},
        {Facts("TEdit", C::Edit, true), K::Scrollbar, false},
        {Facts("TPageControl", C::PageControl), K::Tab, false},
        {Facts("TTabSheet", C::TabSheet), K::TabSheet, false},
        {Facts("TStatusBar", C::StatusBar), K::StatusBar, false},
        {Facts("TProgressBar", C::ProgressBar), K::Progress, false},
        {Facts("TLabel"), K::None, false},
        {Facts("TRzRadioButton"), K::ObjImage, false},
        {Facts("TDBNavigator"), K::Box, true},
        {Facts("TDBComboBoxEh", C::Edit), K::None, false},
        // Stock names of families without a rule in the built-in table.
        {Facts("THeaderControl"), K::Header, false},
        {Facts("TTrackBar"), K::TrackBar, false},
        {Facts("TListView", C::Other, true), K::ListView, false},
        {Facts("TDateTimePicker"), K::DateTime, false},
        {Facts("TScrollBox", C::Other, true), K::ScControl, true},
        {Facts("TCoolBar"), K::Box, true},
        {Facts("TSpeedButton"), K::SpeedButton, false},
    };
    for (const Row& row : rows) {
        const TSkinMapDecision d = MapControl(row.facts, sw);
        EXPECT_EQ(d.kind, row.kind) << row.facts.className;
        EXPECT_EQ(d.mapChildren, row.mapChildren) << row.facts.className;
    }
    EXPECT_EQ(MapControl(Facts("TRzRadioButton"), sw).objImageKind, TObjImageKind::Radio);
    EXPECT_EQ(MapControl(Facts("TcxCheckBox"), sw).objImageKind, TObjImageKind::Third);

    // Without xcButton a button is taken by its rule and left alone; tabs need the Tabs picture.
    TSkinSwitches off = sw;
    off.controls.Exclude(xcButton);
    const TSkinMapDecision button = MapControl(Facts("TButton", C::Button), off);
    EXPECT_TRUE(button.handled);
    EXPECT_EQ(button.kind, K::None);
    off.controls.Exclude(xcTrackBar);
    EXPECT_EQ(MapControl(Facts("TTrackBar"), off).kind, K::None) << "the stock names follow their switch";
    off.tabsImage = false;
    EXPECT_EQ(MapControl(Facts("TPageControl", C::PageControl), off).kind, K::None);
}

TEST(SkinControlMap, Skin3rdKindsComeFirstAndNilLeavesTheClassAlone) {
    TStringList list;
    for (const char* entry :
         {"TOddGrid=nil", "TFancyButton=Button", "TcxButton=bitbtn", "TPngBitBtn=pngbitbtn",
          "TMyCombo=comboboxex", "TBoxy=panel", "TChecks=checkgroup", "TRzRadios=radiogroup",
          "TMyTree=singlescrollbar", "TOdd=unknownkind", "TMyEdit=edit"})
        list.Add(entry);
    const TSkinSwitches sw = Switches(list);
    const TSkinMapDecision nil = MapControl(Facts("toddgrid", C::Memo, true), sw);
    EXPECT_TRUE(nil.handled);
    EXPECT_EQ(nil.kind, K::None) << "even a memo with scroll bars";
    EXPECT_EQ(MapControl(Facts("TFancyButton", C::Panel), sw).kind, K::Button);
    EXPECT_EQ(MapControl(Facts("TOdd", C::Button), sw).kind, K::None);

    TControlFacts dropDown = Facts("TcxButton");
    dropDown.kindProperty = "cxbkDropDownButton";
    EXPECT_EQ(MapControl(dropDown, sw).kind, K::MenuButton);
    EXPECT_EQ(MapControl(Facts("TcxButton"), sw).kind, K::BitButton);
    EXPECT_EQ(MapControl(Facts("TPngBitBtn"), sw).glyphProperty, "PngImage");
    EXPECT_TRUE(MapControl(Facts("TMyCombo"), sw).extendedCombo);
    EXPECT_TRUE(MapControl(Facts("TMyTree"), sw).singleScrollbar);
    const TSkinMapDecision box = MapControl(Facts("TBoxy"), sw);
    EXPECT_TRUE(box.setTransparent && box.changeColour);
    EXPECT_EQ(box.kind, K::Box);
    const TSkinMapDecision checks = MapControl(Facts("TChecks"), sw);
    EXPECT_EQ(checks.childKind, K::CheckBox);
    EXPECT_EQ(checks.kind, K::GroupBox);
    const TSkinMapDecision radios = MapControl(Facts("TRzRadios"), sw);
    EXPECT_EQ(radios.childKind, K::ObjImage) << "the TRZ family draws its own kind of radio box";
    EXPECT_EQ(radios.childObjImageKind, TObjImageKind::Radio);
    TControlFacts borderless = Facts("TMyEdit");
    borderless.hasBorder = false;
    EXPECT_EQ(MapControl(borderless, sw).kind, K::None);
    EXPECT_EQ(MapControl(Facts("TMyEdit"), sw).kind, K::Edit);
    // A found kind whose switch is off still ends the mapping.
    TSkinSwitches noButtons = sw;
    noButtons.controls.Exclude(xcButton);
    const TSkinMapDecision off = MapControl(Facts("TFancyButton", C::Button), noButtons);
    EXPECT_TRUE(off.handled);
    EXPECT_EQ(off.kind, K::None);
}

TEST(SkinControlMap, TheDisableTagAlsoReachesTheChildrenOfRadioAndCheckGroups) {
    TStringList none;
    const TSkinSwitches sw = Switches(none);
    bool children = true;
    EXPECT_FALSE(DisabledByTag("TButton", 98, sw, children));
    EXPECT_FALSE(children);
    EXPECT_TRUE(DisabledByTag("TButton", 99, sw, children));
    EXPECT_FALSE(children);
    EXPECT_TRUE(DisabledByTag("TRadioGroup", 99, sw, children));
    EXPECT_TRUE(children);
    EXPECT_TRUE(DisabledByTag("TDBCheckGroupEx", 99, sw, children));
    EXPECT_TRUE(children);
}

TEST(SkinControlMap, BareWindowsByClassAndStyle) {
    TStringList none;
    TSkinSwitches sw = Switches(none);
    struct Row {
        const char* cls;
        std::uint32_t style;
        K kind;
    } rows[] = {
        {"Button", 0x0 /* push */, K::Button},
        {"BUTTON", 0x1 /* default push */, K::Button},
        {"Button", 0x3 /* auto check */, K::CheckBox},
        {"Button", 0x6 /* auto 3-state */, K::CheckBox},
        {"Button", 0x9 /* auto radio */, K::RadioButton},
        {"Button", 0x7 /* group */, K::None},
        {"Button", 0xB /* owner-drawn */, K::None},
        {"Button", 0x80 /* bitmap */, K::None},
        {"ComboBox", 0x2, K::ComBox},
        {"ComboBox", 0x1 /* simple */, K::None},
        {"ScrollBar", 0x10 /* grip */, K::Sizer},
        {"ScrollBar", 0x1 /* plain vertical */, K::None},
        {"ScrollBar", 0x10010 /* grip, tab stop */, K::None},
        {"#32770", 0, K::BoxH},
        {"SysTabControl32", 0, K::Tab},
        {"SysTabControl32", 0x2000, K::None},
        {"Edit", 0, K::Edit},
        {"SysTreeView32", 0, K::None},
        {"ToolbarWindow32", 0, K::BoxH},
        {"TProgressBar", 0, K::Progress},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MapWindowClass(row.cls, row.style, sw).kind, row.kind) << row.cls << " " << row.style;
    EXPECT_TRUE(MapWindowClass("#32770", 0, sw).mapChildren);
    EXPECT_TRUE(MapWindowClass("ComboBoxEx32", 0, sw).onFirstChild);
    sw.controls.Exclude(xcButton);
    EXPECT_EQ(MapWindowClass("Button", 0, sw).kind, K::None);
    EXPECT_EQ(MapWindowClass("Button", 0x3, sw).kind, K::CheckBox) << "check boxes keep their own switch";
}

TEST(SkinControlRules, ButtonFramesHotBeatsFocusAndDisabledIsAlwaysThree) {
    struct Row {
        TButtonState state;
        int frame;
    } rows[] = {
        {{false, false, false, false, true}, 1}, {{false, true, false, false, true}, 2},
        {{true, true, true, false, true}, 2},    {{true, false, true, false, true}, 4},
        {{false, false, true, false, true}, 5},  {{false, false, false, true, true}, 5},
        {{true, true, true, true, false}, 3},    {{false, false, false, false, false}, 3},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ButtonFrame(row.state), row.frame)
            << row.state.hot << row.state.pressed << row.state.focused << row.state.isDefault
            << row.state.enabled;
}

TEST(SkinControlRules, CheckAndRadioFramesOnFourTwelveAndEightFrameStrips) {
    auto check = [](int buttonState, bool enabled, int frames) {
        TCheckFacts f;
        f.buttonState = buttonState;
        f.enabled = enabled;
        return CheckBoxFrame(f, frames);
    };
    // (state, enabled) -> frame on a 4-frame strip and on a 12-frame strip.
    const int rows[][4] = {{0, 1, 1, 1}, {1, 1, 2, 5}, {0, 0, 3, 4},
                           {1, 0, 4, 8}, {2, 1, 4, 9}, {2, 0, 4, 12}};
    for (const auto& r : rows) {
        EXPECT_EQ(check(r[0], r[1] != 0, 4), r[2]) << r[0] << r[1];
        EXPECT_EQ(check(r[0], r[1] != 0, 12), r[3]) << r[0] << r[1];
    }
    TCheckFacts property;
    property.hasState = true;
    property.state = "cbUnchecked";
    property.buttonState = 1;
    EXPECT_EQ(CheckBoxFrame(property, 4), 1) << "the State property wins over the window";
    property.state = "cbGrayed";
    EXPECT_EQ(CheckBoxFrame(property, 4), 4);
    TCheckFacts data;
    data.hasDataField = true;
    data.setCheckState = 2;
    EXPECT_EQ(CheckBoxFrame(data, 4), 4);

    EXPECT_EQ(RadioButtonFrame(false, true, 4), 1);
    EXPECT_EQ(RadioButtonFrame(true, true, 4), 2);
    EXPECT_EQ(RadioButtonFrame(true, false, 4), 4);
    EXPECT_EQ(RadioButtonFrame(true, true, 8), 5);
    EXPECT_EQ(RadioButtonFrame(false, false, 8), 4);
    EXPECT_EQ(RadioButtonFrame(true, false, 8), 8);
    EXPECT_EQ(RadioButtonFrame(true, false, 2), 2) << "never past the strip's end";
}

TEST(SkinControlRules, CaptionBreaksAtTheFirstDoubleBarOnly) {
    EXPECT_EQ(SplitButtonCaption(L"确定||OK"), L"确定\r\nOK");
    EXPECT_EQ(SplitButtonCaption(L"a||b||c"), L"a\r\nb||c");
    EXPECT_EQ(SplitButtonCaption(L"a|b"), L"a|b");
}

TEST(SkinControlRules, PlacementOfFocusFramesBoxesAndGlyphs) {
    const TRect area{0, 0, 100, 20};
    EXPECT_EQ(CentreBlock(area, 40, 10), TRect(30, 5, 70, 15));
    EXPECT_EQ(FocusFrameRect(area, 40, 10, THorzPlace::Centre, true), TRect(28, 4, 72, 16));
    EXPECT_EQ(FocusFrameRect(area, 40, 10, THorzPlace::Left, false), TRect(0, 0, 42, 11)) << "clipped";
    EXPECT_EQ(FocusFrameRect(area, 40, 10, THorzPlace::Right, true), TRect(58, 4, 100, 16));

    const TCheckLayout left = CheckLayout(area, 13, 13, false, 0);
    EXPECT_EQ(left.box, TRect(0, 3, 13, 16));
    EXPECT_EQ(left.caption.Left, 15);
    const TCheckLayout right = CheckLayout(area, 13, 13, true, 1);
    EXPECT_EQ(right.box, TRect(86, 3, 99, 16));
    EXPECT_EQ(right.caption.Right, 84);

    const TRect face{0, 0, 100, 40};
    const TGlyphLayout glyphLeft = GlyphLayout(face, 16, 16, 30, 12, 0, -1, 4);
    EXPECT_EQ(glyphLeft.glyph, TRect(25, 12, 41, 28));
    EXPECT_EQ(glyphLeft.caption, TRect(45, 14, 75, 26));
    const TGlyphLayout glyphRight = GlyphLayout(face, 16, 16, 30, 12, 1, 5, 4);
    EXPECT_EQ(glyphRight.glyph, TRect(79, 12, 95, 28));
    EXPECT_EQ(glyphRight.caption.Right, 75);
    const TGlyphLayout glyphTop = GlyphLayout(face, 16, 16, 30, 12, 2, -1, 2);
    EXPECT_EQ(glyphTop.glyph, TRect(42, 5, 58, 21));
    EXPECT_EQ(glyphTop.caption, TRect(35, 23, 65, 35));
}

} // namespace
