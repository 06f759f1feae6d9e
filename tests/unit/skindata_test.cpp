#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "skin/format/SkinRead.h"
#include "skin/model/ImgUtil.h"
#include "skin/model/SkinBuiltinImages.h"
#include "skin/model/SkinElementTable.h"
#include "skin/model/SkinManagerApi.h"
#include "skin/model/WinSkinData.h"
#include "tools/skinpack/SkinEncoder.h"
#include "tools/skinpack/SkinPackage.h"

namespace fs = std::filesystem;

namespace {

using skintest::Bytes;
using skintest::FakePlatform;
using skintest::PackSkin;

const fs::path kProductSkin = fs::path(UPDATER_SOURCE_DIR) / "resources" / "skin";
const fs::path kTestSkins = fs::path(UPDATER_TEST_DATA) / "skindata";

// The element of the element table read from `section`.
const TDataSkinObject* Element(const TSkinData& data, const std::string& section) {
    const TSkinElementRow* row = FindSkinElement(section);
    EXPECT_NE(row, nullptr) << section << " is not in the element table";
    return row ? ElementOf(data, *row) : nullptr;
}

Bytes ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A packed skin stream from a folder of files, as skinpack packs it.
Bytes PackFolder(const fs::path& folder) {
    std::vector<TSkinEntry> entries;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files)
        entries.push_back({f.filename().string(), ReadFile(f)});
    return PackSkinStream(BuildSkinPackage(entries));
}

// An image whose every pixel differs (so copies and mirrors can be checked pixel by pixel), with
// no magenta in it.
TBitmap32 Pattern(int width, int height, int seed = 0) {
    TBitmap32 b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetPixel(x, y, RGBColour(x * 7 + seed, y * 11 + seed, 100 + seed));
    return b;
}

// Records every call the skin data makes.
class FakeManager : public TSkinManagerApi {
public:
    std::vector<std::string> calls;
    bool skinning = false;
    TSkinData* requester = nullptr;

    void RegisterSkinData(TSkinData*) override { calls.push_back("register"); }
    void UnregisterSkinData(TSkinData*) override { calls.push_back("unregister"); }
    void InstallCbtHook() override { calls.push_back("hook"); }
    void RequestAction(uint32_t code, int ms) override {
        calls.push_back("request " + std::to_string(code) + " " + std::to_string(ms));
    }
    void SetActionRequester(TSkinData* s) override {
        requester = s;
        calls.push_back("requester");
    }
    void MarkActive() override { calls.push_back("active"); }
    bool SkinningEnabled() const override { return skinning; }
    void ServeSingleForm() override { calls.push_back("single"); }
    bool TrySkinOwnerForm(TComponent*) override {
        calls.push_back("skin owner");
        return true;
    }
    void PurgeSkinnedForms() override { calls.push_back("purge"); }
};

class SkinDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousPlatform_ = SetSkinPlatform(&platform);
        previousHook_ = TSkinReader::SetMessageHook([this](const std::string& m) { messages.push_back(m); });
    }
    void TearDown() override {
        DestroySkinManager();
        SetSkinManagerFactory(nullptr);
        SetSkinPlatform(previousPlatform_);
        TSkinReader::SetMessageHook(std::move(previousHook_));
    }

    FakeManager* InstallFakeManager() {
        SetSkinManagerFactory([] { return std::make_unique<FakeManager>(); });
        return static_cast<FakeManager*>(EnsureSkinManager());
    }

    // Loads `packed` into `data` the way streaming the form does.
    static bool Load(TSkinData& data, const Bytes& packed) {
        data.SetStoredSkin(packed);
        return data.LoadSkin();
    }

    FakePlatform platform;
    std::vector<std::string> messages;

private:
    TSkinPlatform* previousPlatform_ = nullptr;
    TSkinReader::TMessageHook previousHook_;
};

TBitmap32 LoadBmp(const std::string& name) {
    TBitmap32 b;
    EXPECT_TRUE(b.LoadFromFile((kProductSkin / name).string())) << name;
    return b;
}

// ---- The product's skin -------------------------------------------------------------------------

class ProductSkinTest : public SkinDataTest {
protected:
    void SetUp() override {
        SkinDataTest::SetUp();
        ASSERT_TRUE(Load(data, PackFolder(kProductSkin))) << data.LastLoadError();
    }
    TSkinData data{nullptr};
};

TEST_F(ProductSkinTest, LoadsCompletely) {
    EXPECT_FALSE(data.SkinUnloaded());
    EXPECT_EQ(data.SkinName, "Quenbry Slate");
    EXPECT_TRUE(data.LastLoadError().empty());
    EXPECT_TRUE(messages.empty());
}

struct ElementRow {
    const char* section;
    int frames;
    TRect margins; // as loaded, before the combo frames change ComboButton and SunkEdge
    int trans;
    int tile;
    const char* image;
};

TEST_F(ProductSkinTest, EveryElementWithMarginsAndFrameCounts) {
    const ElementRow rows[] = {
        {"Progress", 1, {3, 3, 3, 3}, 1, 0, "Progress.bmp"},
        {"Progress.Chunk", 1, {2, 2, 5, 2}, 1, 0, "ProgressChunk.bmp"},
        {"GroupBoxEdge", 2, {4, 4, 4, 4}, 1, 0, "GroupBoxEdge.bmp"},
        {"GroupBox", 1, {2, 2, 2, 2}, 0, 0, "GroupBox.bmp"},
        {"Tabs", 5, {3, 3, 3, 1}, 0, 0, "Tab.bmp"},
        {"StatusBarEdges", 3, {2, 2, 2, 2}, 0, 0, "StatusBar.bmp"},
        {"Tab.Pane", 1, {2, 2, 2, 2}, 0, 0, "TabSheet.bmp"},
        {"ExtraImages", 5, {0, 0, 0, 0}, 1, 0, "ExtraImages.bmp"},
        {"MenuItem", 5, {3, 3, 3, 3}, 1, 0, "MenuItem.bmp"},
        {"MenuBackground", 1, {3, 3, 3, 3}, 0, 0, "MenuBackground.bmp"},
        {"Scrollbar", 23, {0, 0, 0, 0}, 1, 0, "ScrollbarArrow.bmp"},
        {"HorzScroll", 4, {0, 1, 0, 1}, 0, 0, "ScrollbarHBar.bmp"},
        {"VertScroll", 4, {1, 0, 1, 0}, 0, 0, "ScrollbarVBar.bmp"},
        {"HorzScrollThumb", 3, {5, 5, 5, 5}, 1, 0, "ScrollbarHThumb.bmp"},
        {"VertScrollThumb", 3, {5, 5, 5, 5}, 1, 0, "ScrollbarVThumb.bmp"},
    };
    for (const ElementRow& r : rows) {
        SCOPED_TRACE(r.section);
        const TDataSkinObject* e = Element(data, r.section);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->Name, r.section);
        EXPECT_EQ(e->FrameCount, r.frames);
        EXPECT_EQ(e->Margins(), r.margins);
        EXPECT_EQ(e->Trans, r.trans);
        EXPECT_EQ(e->Tile, r.tile);
        EXPECT_TRUE(e->Bitmap.SamePixels(LoadBmp(r.image)));
    }
    EXPECT_EQ(data.Progress->Style, 1);
    EXPECT_EQ(data.Tabs->NormalColour2, RGBColour(70, 80, 94));
    EXPECT_EQ(data.Tabs->MouseOverColour2, RGBColour(30, 36, 44));
    EXPECT_EQ(data.Tabs->PressedColour2, RGBColour(30, 36, 44)) << "not given: ButtonText";
    EXPECT_EQ(data.Tabs->NormalColour, -1);
    EXPECT_EQ(data.ComboButton->FrameCount, 4);
    EXPECT_EQ(data.SunkEdge->FrameCount, 4);
}

TEST_F(ProductSkinTest, ElementsTheSkinDoesNotDefineAreAbsent) {
    for (const char* s : {"Personality", "ToolBars", "Headerbar", "Trackbar.ThumbHorz", "Trackbar.ThumbVert",
                          "Trackbar.ThumbLeft", "Trackbar.ThumbRight", "Trackbar.ThumbUp",
                          "Trackbar.ThumbDown", "UpDown.Horz", "UpDown.Vert"})
        EXPECT_EQ(Element(data, s), nullptr) << s;
    // Track and TRACKVERT fall back to the built-in grooves.
    ASSERT_TRUE(data.Track && data.TrackVert);
    EXPECT_EQ(data.Track->Bitmap.Width(), 16);
    EXPECT_EQ(data.Track->Bitmap.Height(), 4);
    EXPECT_EQ(data.TrackVert->Bitmap.Width(), 4);
    EXPECT_EQ(data.TrackVert->Bitmap.Height(), 16);
    for (const auto* t : {data.Track.get(), data.TrackVert.get()}) {
        EXPECT_EQ(t->Margins(), TRect(3, 3, 3, 3));
        EXPECT_EQ(t->Tile, 0);
        EXPECT_EQ(t->FrameCount, 1);
    }
}

TEST_F(ProductSkinTest, FrameBordersFromPersonality) {
    struct Row {
        TSkinData::TBorderIndex index;
        const char* image;
        TRect margins;
        int trans;
    } rows[] = {
        {TSkinData::bdLeft, "FrameLeft.bmp", {0, 26, 0, 4}, 1},
        {TSkinData::bdRight, "FrameRight.bmp", {0, 26, 0, 4}, 1},
        {TSkinData::bdTop, "FrameTop.bmp", {4, 0, 4, 0}, 1},
        {TSkinData::bdBottom, "FrameBottom.bmp", {4, 0, 4, 0}, 0},
    };
    for (const Row& r : rows) {
        const TDataSkinBorder& b = data.Border(r.index);
        SCOPED_TRACE(b.Name);
        EXPECT_EQ(b.FrameCount, 2);
        EXPECT_EQ(b.Tile, 1);
        EXPECT_EQ(b.Trans, r.trans);
        EXPECT_EQ(b.Margins(), r.margins);
        EXPECT_TRUE(b.Bitmap.SamePixels(LoadBmp(r.image)));
    }
    EXPECT_EQ(data.Border(TSkinData::bdLeft).Name, "Left");
    EXPECT_EQ(data.Border(TSkinData::bdBottom).Name, "Bottom");
}

TEST_F(ProductSkinTest, CaptionTextAndButtons) {
    const TDataSkinTitle& t = data.Title();
    EXPECT_EQ(t.LeftWidth, 22);
    EXPECT_EQ(t.TopHeight, 0);
    EXPECT_EQ(t.RightWidth, 76);
    EXPECT_EQ(t.FrameCount, 2);
    EXPECT_EQ(t.FontHeight, 14);
    EXPECT_EQ(t.ActiveTextColour, kNoTextColour);
    EXPECT_EQ(t.InactiveTextColour, kNoTextColour);
    EXPECT_TRUE(t.Bitmap.Empty());

    const TDataSkinButton& b = data.Buttons();
    EXPECT_EQ(b.Margins(), TRect(4, 4, 4, 4));
    EXPECT_EQ(b.Trans, 1);
    EXPECT_EQ(b.FrameCount, 5);
    EXPECT_EQ(b.CheckButtonFrame, 12);
    EXPECT_EQ(b.RadioButtonFrame, 8);
    EXPECT_TRUE(b.Bitmap.SamePixels(LoadBmp("Buttons.bmp")));
    EXPECT_TRUE(b.CheckBitmap.SamePixels(LoadBmp("CheckBox.bmp")));
    EXPECT_TRUE(b.RadioBitmap.SamePixels(LoadBmp("RadioButton.bmp")));
    EXPECT_EQ(b.NormalColour2Given, 0);
    EXPECT_EQ(b.NormalColour2, RGBColour(30, 36, 44));
    EXPECT_EQ(b.NormalColour, -1);
}

TEST_F(ProductSkinTest, ColourTable) {
    const std::map<int, TColor> given = {
        {0, RGBColour(30, 36, 44)},    {1, RGBColour(255, 255, 255)},  {2, RGBColour(74, 82, 96)},
        {3, RGBColour(238, 240, 243)}, {4, RGBColour(30, 36, 44)},     {5, RGBColour(255, 255, 255)},
        {6, RGBColour(248, 249, 250)}, {7, RGBColour(163, 172, 184)},  {8, RGBColour(110, 118, 130)},
        {11, RGBColour(24, 32, 44)},   {12, RGBColour(214, 224, 236)}, {13, RGBColour(238, 240, 243)},
        {14, RGBColour(30, 36, 44)},   {15, RGBColour(30, 36, 44)},    {16, RGBColour(255, 255, 255)},
        {18, RGBColour(241, 243, 246)}};
    for (int slot = 0; slot < kSkinColourCount; ++slot) {
        SCOPED_TRACE(slot);
        const auto it = given.find(slot);
        EXPECT_EQ(data.ColourGiven[size_t(slot)], it != given.end());
        if (it != given.end())
            EXPECT_EQ(data.SkinColours[size_t(slot)], it->second);
        else
            EXPECT_LT(data.SkinColours[size_t(slot)], 0) << "unread slots keep a system colour";
    }
    EXPECT_TRUE(data.ExtraColours.empty());
    for (TColor c : data.CustomColours)
        EXPECT_EQ(c, clWhite);
    EXPECT_EQ(data.FaceBrushColour, RGBColour(238, 240, 243));
}

TEST_F(ProductSkinTest, CaptionButtonsPlusMaximisedChildButtons) {
    ASSERT_EQ(data.CaptionButtons.size(), 8u);
    struct Row {
        const char* name;
        int action, align, x, y, visibility, visibility1, frames;
        const char* image;
    } rows[] = {
        {"BUTTON0", 0, 1, 28, 4, 0, 0, 4, "CloseButton.bmp"},
        {"BUTTON1", 1, 1, 52, 4, 2, 6, 4, "MaxButton.bmp"},
        {"BUTTON2", 2, 1, 76, 4, 8, 0, 4, "MinButton.bmp"},
        {"BUTTON3", 1, 1, 52, 4, 1, 0, 4, "RestoreButton.bmp"},
        {"BUTTON4", 3, 0, 8, 5, 0, 0, 6, nullptr},
    };
    for (size_t i = 0; i < 5; ++i) {
        const Row& r = rows[i];
        const TDataSkinSysButton& b = *data.CaptionButtons[i];
        SCOPED_TRACE(r.name);
        EXPECT_EQ(b.Name, r.name);
        EXPECT_EQ(b.Action, r.action);
        EXPECT_EQ(b.Align, r.align);
        EXPECT_EQ(b.XCoord, r.x);
        EXPECT_EQ(b.YCoord, r.y);
        EXPECT_EQ(b.Visibility, r.visibility);
        EXPECT_EQ(b.Visibility1, r.visibility1);
        EXPECT_EQ(b.CombineOp, -1);
        EXPECT_EQ(b.FrameCount, r.frames);
        if (r.image)
            EXPECT_TRUE(b.Bitmap.SamePixels(LoadBmp(r.image)));
        else
            EXPECT_TRUE(b.Bitmap.Empty());
    }
    for (int i = 0; i < 3; ++i) {
        const TDataSkinSysButton& b = *data.CaptionButtons[5 + size_t(i)];
        EXPECT_EQ(b.Action, 7 + i);
        EXPECT_EQ(b.Align, 100);
        EXPECT_EQ(b.Visibility, 100);
        EXPECT_EQ(b.Visibility1, 100);
        EXPECT_EQ(b.FrameCount, 4);
        EXPECT_TRUE(b.Bitmap.Empty()) << "the skin has no [MDICONTROLS]";
    }
}

TEST_F(ProductSkinTest, ComboFramesComposedFromSunkEdgeComboButtonAndGlyphs) {
    const TBitmap32 sunk = LoadBmp("SunkEdge.bmp"), button = LoadBmp("ComboButton.bmp"),
                    glyphs = LoadBmp("ExtraImages.bmp");
    const int w = platform.arrowWidth + 2;
    ASSERT_EQ(data.ComboButton->Style, 2);
    const TBitmap32& strip = data.ComboButton->Bitmap;
    ASSERT_EQ(strip.Width(), 200);
    ASSERT_EQ(strip.Height(), 21);
    EXPECT_EQ(strip.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(data.ComboButton->Margins(), TRect(2, 2, w + 2, 2));
    EXPECT_EQ(data.SunkEdge->Margins(), TRect(w + 2, 2, 2, 2));
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const int cx = k * 50;
        // The fixed corners land unscaled: SunkEdge's at the cell's corner (transparent over magenta)...
        for (int y : {0, 1, 19, 20})
            for (int x : {0, 1}) {
                const TColor s = sunk.Pixel(k * 16 + x, y);
                EXPECT_EQ(strip.Pixel(cx + x, y), s == clMagenta ? clMagenta : s);
            }
        // ... and ComboButton's at the right part's corners, over SunkEdge.
        for (int y : {0, 1, 19, 20})
            for (int x : {0, 1}) {
                const TColor b = button.Pixel(k * 17 + x, y);
                if (b != clMagenta) {
                    EXPECT_EQ(strip.Pixel(cx + 50 - w + x, y), b);
                }
                const TColor r = button.Pixel(k * 17 + 15 + x, y);
                if (r != clMagenta) {
                    EXPECT_EQ(strip.Pixel(cx + 48 + x, y), r);
                }
            }
        // The inner rectangle is magenta (the edit's own area).
        for (int y = 2; y < 18; ++y)
            for (int x = 2; x < 49 - w; ++x)
                ASSERT_EQ(strip.Pixel(cx + x, y), clMagenta) << x << "," << y;
        // The glyph is centred in the right part, drawn transparently.
        const int gx = cx + 50 - w + (w - 12) / 2, gy = (21 - 12) / 2;
        int glyphPixels = 0;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const TColor g = glyphs.Pixel(k * 12 + x, y);
                if (g == clMagenta) continue;
                ++glyphPixels;
                EXPECT_EQ(strip.Pixel(gx + x, gy + y), g);
            }
        EXPECT_GT(glyphPixels, 0);
    }
    // SunkEdge gets the strip mirrored.
    const TBitmap32& mirrored = data.SunkEdge->Bitmap;
    ASSERT_EQ(mirrored.Width(), 200);
    for (int y = 0; y < 21; y += 5)
        for (int x = 0; x < 200; x += 7)
            EXPECT_EQ(mirrored.Pixel(x, y), strip.Pixel(199 - x, y));
    // Bitmap2 is the skin's ComboButton image mirrored, 24-bit.
    const TBitmap32& b2 = data.ComboButton->Bitmap2;
    ASSERT_EQ(b2.Width(), button.Width());
    EXPECT_EQ(b2.PixelFormat(), TPixelFormat::pf24bit);
    for (int y = 0; y < b2.Height(); ++y)
        for (int x = 0; x < b2.Width(); ++x)
            ASSERT_EQ(b2.Pixel(x, y), button.Pixel(button.Width() - 1 - x, y));
}

TEST_F(ProductSkinTest, ComboArrowCutFromTheComposedFrames) {
    ASSERT_TRUE(data.ComboxArrow);
    EXPECT_EQ(data.ComboxArrow->Name, "ComboxArrow");
    EXPECT_EQ(data.ComboxArrow->FrameCount, 4);
    const TBitmap32& a = data.ComboxArrow->Bitmap;
    const TBitmap32& strip = data.ComboButton->Bitmap;
    ASSERT_EQ(a.Width(), 4 * 17);
    ASSERT_EQ(a.Height(), 17);
    for (int i = 0; i < 4; ++i)
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 17; ++x)
                ASSERT_EQ(a.Pixel(i * 17 + x, y), strip.Pixel(50 * (i + 1) - 19 + x, 2 + y));
}

TEST_F(ProductSkinTest, FrameColourAndToolbarBackground) {
    const TBitmap32 top = LoadBmp("FrameTop.bmp");
    const TColor f = top.Pixel(top.Width() / 3, (top.Height() / 2) / 3);
    EXPECT_EQ(data.FrameColour, f);
    const int sat = ColourSaturation(f);
    const TColor bottom =
        sat > 110 ? Blend(f, clWhite, (5625 - 25 * sat) / 140 + 50) : Blend(0x808080, f, 150);
    const TColor start = Blend(RGBColour(238, 240, 243), clWhite, 150);
    ASSERT_TRUE(data.Toolbar);
    EXPECT_EQ(data.Toolbar->Name, "Toolbar");
    EXPECT_EQ(data.Toolbar->FrameCount, 1);
    const TBitmap32& t = data.Toolbar->Bitmap;
    ASSERT_EQ(t.Width(), 10);
    ASSERT_EQ(t.Height(), 40);
    const std::vector<TColor> table = ComputeGradientTable(40, start, bottom);
    for (int y = 0; y < 40; ++y)
        for (int x : {0, 9})
            ASSERT_EQ(t.Pixel(x, y), table[size_t(y)]) << y;
    EXPECT_EQ(t.Pixel(0, 0), start);
}

TEST_F(ProductSkinTest, ElementsListsEachOnceInLoadOrder) {
    const auto all = data.Elements();
    std::set<const TDataSkinObject*> unique(all.begin(), all.end());
    EXPECT_EQ(unique.size(), all.size());
    ASSERT_GE(all.size(), 6u);
    EXPECT_EQ(all[0]->Name, "Left");
    EXPECT_EQ(all[4]->Name, "Title");
    EXPECT_EQ(all[5]->Name, "Buttons");
    EXPECT_EQ(all.back()->Name, "Toolbar");
}

TEST_F(ProductSkinTest, ReloadKeepsTheDerivedObjects) {
    const TDataSkinObject* arrow = data.ComboxArrow.get();
    const TDataSkinObject* toolbar = data.Toolbar.get();
    const TDataSkinBorder* left = &data.Border(TSkinData::bdLeft);
    ASSERT_TRUE(data.LoadSkin());
    EXPECT_EQ(data.ComboxArrow.get(), arrow);
    EXPECT_EQ(data.Toolbar.get(), toolbar);
    EXPECT_EQ(&data.Border(TSkinData::bdLeft), left);
    EXPECT_EQ(data.Toolbar->FrameCount, 1);
    EXPECT_EQ(data.ComboButton->Bitmap.Width(), 200) << "composed from the fresh images, not twice";
}

// ---- Component defaults and streaming -----------------------------------------------------------

TEST_F(SkinDataTest, PublishedDefaults) {
    TSkinData d(nullptr);
    EXPECT_FALSE(d.Active());
    EXPECT_EQ(d.DisableTag, 99);
    EXPECT_EQ(d.SkinFormtype, sfMainform);
    EXPECT_TRUE(d.MenuUpdate);
    EXPECT_FALSE(d.MenuMerge);
    EXPECT_TRUE(d.SkinFile().empty());
    EXPECT_TRUE(d.SkinUnloaded());
    EXPECT_EQ(d.SkinControls.Bits(), 0x1FFFFBu) << "xcMainMenu..xcSystemMenu without xcMenuItem";
    EXPECT_FALSE(d.SkinControls.Has(xcFastReport));
    EXPECT_EQ(d.Options, (TSkinOptions{xoPreview, xoToolbarBK, xoCaptionButtonHint}));
    EXPECT_EQ(d.MaxWidth, 1288);
    EXPECT_EQ(d.MaxHeight, 1010);
    EXPECT_EQ(d.MenuGlyphs.Width(), 64);
    EXPECT_EQ(d.MenuGlyphs.Height(), 16);
    EXPECT_EQ(d.SkinColours[scButtonFace], SysColourRef(15));
    EXPECT_EQ(d.SkinColours[scWindowText], SysColourRef(8));
    EXPECT_EQ(d.SkinColours[scScrollbar], SysColourRef(0));
}

TEST_F(SkinDataTest, Skin3rdHas118EntriesAndRepeatsAgree) {
    TSkinData d(nullptr);
    ASSERT_EQ(d.Skin3rd.Count(), 118u);
    std::map<std::string, std::string> kinds;
    std::map<std::string, int> seen;
    for (const std::string& entry : d.Skin3rd.Items()) {
        const size_t eq = entry.find('=');
        ASSERT_NE(eq, std::string::npos) << entry;
        const std::string cls = entry.substr(0, eq);
        std::string kind = entry.substr(eq + 1);
        std::transform(kind.begin(), kind.end(), kind.begin(), [](char c) { return char(std::tolower(c)); });
        if (kinds.count(cls)) {
            EXPECT_EQ(kinds[cls], kind) << cls;
        }
        kinds[cls] = kind;
        ++seen[cls];
    }
    EXPECT_EQ(kinds.size(), 115u);
    EXPECT_EQ(seen["TDBCheckboxEh"], 2);
    EXPECT_EQ(seen["TLMDFontSizeCombobox"], 2);
    EXPECT_EQ(seen["TWWDBCombobox"], 2);
    std::map<std::string, int> perKind;
    for (const auto& [cls, kind] : kinds)
        ++perKind[kind];
    EXPECT_EQ(perKind["scrollbar"], 10);
    EXPECT_EQ(perKind["panel"], 15);
    EXPECT_EQ(perKind["combobox"], 37);
    EXPECT_EQ(perKind["edit"], 26);
    EXPECT_EQ(perKind["radiogroup"], 7);
    EXPECT_EQ(kinds["TcxButton"], "bitbtn");
    EXPECT_EQ(kinds["TRzMenuButton"], "menubtn");
}

TEST_F(SkinDataTest, StoredSkinLoadsAndStays) {
    const Bytes packed = PackFolder(kProductSkin);
    TSkinData e(nullptr);
    ASSERT_TRUE(Load(e, packed));
    EXPECT_EQ(e.StoredSkin(), packed);
    EXPECT_FALSE(e.SkinUnloaded());

    TSkinData empty(nullptr);
    EXPECT_FALSE(empty.LoadSkin()) << "nothing stored";
    EXPECT_EQ(empty.LastLoadError(), "no skin stored");
    EXPECT_TRUE(empty.SkinUnloaded());
}

// ---- Rules on made skins ------------------------------------------------------------------------

TEST_F(SkinDataTest, SkinWithoutSectionsGivesDefaults) {
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin("[TitlebarSkin]\r\nSkinName=Bare\r\n")));
    EXPECT_FALSE(d.SkinUnloaded());
    EXPECT_EQ(d.SkinName, "Bare");
    for (const char* s : {"Progress", "Progress.Chunk", "GroupBox", "Tabs", "ComboButton", "SunkEdge",
                          "MenuItem", "Scrollbar", "HorzScrollThumb", "UpDown.Vert"})
        EXPECT_EQ(Element(d, s), nullptr) << s;
    EXPECT_TRUE(d.Track && d.TrackVert);
    EXPECT_FALSE(d.ComboxArrow);
    ASSERT_TRUE(d.Toolbar);
    for (int slot = 0; slot < kSkinColourCount; ++slot)
        EXPECT_FALSE(d.ColourGiven[size_t(slot)]);
    EXPECT_EQ(d.SkinColours[scMenubar], SysColourRef(15));
    EXPECT_EQ(d.FrameColour, SysColourRef(15)) << "no Top image: the ButtonFace colour";
    EXPECT_EQ(d.CaptionButtons.size(), 3u);
    const TDataSkinBorder& left = d.Border(TSkinData::bdLeft);
    EXPECT_TRUE(left.Bitmap.Empty());
    EXPECT_EQ(left.FrameCount, 1);
    EXPECT_EQ(left.Tile, 1);
    EXPECT_EQ(left.Trans, 1);
    EXPECT_EQ(d.Buttons().FrameCount, 5);
    EXPECT_EQ(d.Buttons().CheckButtonFrame, 4) << "no strip: at least 4";
    EXPECT_EQ(d.Title().FrameCount, 2);
}

TEST_F(SkinDataTest, TileAboveOneIsResetPerKind) {
    const std::string ini = "[Personality]\r\nLeft=l.bmp\r\nLeftStretch=2\r\nmenuBar=m.bmp\r\nTileMenu=5\r\n"
                            "[Progress]\r\nBitmap=p.bmp\r\nTile=2\r\n"
                            "[MenuItem]\r\nImage=m.bmp\r\nTile=2\r\n"
                            "[Tabs]\r\nImage=m.bmp\r\nTile=7\r\n"
                            "[Buttons]\r\nBitmap=m.bmp\r\nTile=2\r\n"
                            "[StatusBarEdges]\r\nImage=m.bmp\r\nTile=1\r\n";
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(
        d, PackSkin(ini, {{"m.bmp", Pattern(20, 10)}, {"l.bmp", Pattern(4, 10)}, {"p.bmp", Pattern(6, 6)}})));
    EXPECT_EQ(d.Border(TSkinData::bdLeft).Tile, 1);
    EXPECT_EQ(d.MenuBar->Tile, 1);
    EXPECT_EQ(d.Progress->Tile, 1) << "the bitmap kind makes it 1";
    EXPECT_EQ(d.MenuItem->Tile, 0);
    EXPECT_EQ(d.Tabs->Tile, 0);
    EXPECT_EQ(d.Buttons().Tile, 0);
    EXPECT_EQ(d.StatusBar->Tile, 1);
}

TEST_F(SkinDataTest, FrameCountFixes) {
    const std::string ini =
        "[Progress]\r\nBitmap=a.bmp\r\nStyle=0\r\n"
        "[Progress.Chunk]\r\nImage=a.bmp\r\nFrame=7\r\n"
        "[Headerbar]\r\nImage=a.bmp\r\nFrame=0\r\n"
        "[MenuItem]\r\nImage=a.bmp\r\nFrame=2\r\n"
        "[HorzScrollThumb]\r\nImage=a.bmp\r\nFrameCount=6\r\n"
        "[VertScrollThumb]\r\nImage=a.bmp\r\nFrame=9\r\n"
        "[Trackbar.ThumbUp]\r\nImage=a.bmp\r\n"
        "[UpDown.Horz]\r\nImage=a.bmp\r\nGlyphImage=b.bmp\r\n"
        "[Track]\r\nImage=a.bmp\r\nFrame=3\r\nLeftWidth=1\r\n"
        "[ToolBars]\r\nImage=a.bmp\r\n[GroupBoxEdge]\r\nImage=a.bmp\r\n"
        "[Tab.Pane]\r\nImage=a.bmp\r\nLeftWidth=9\r\nTopHeight=5\r\nRightWidth=4\r\nBottomHeight=-1\r\n";
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin(ini, {{"a.bmp", Pattern(40, 10)}, {"b.bmp", Pattern(8, 8, 3)}})));
    EXPECT_EQ(d.Progress->FrameCount, 2) << "Style 0";
    EXPECT_EQ(d.ProgressChunk->FrameCount, 7);
    EXPECT_EQ(d.Header->FrameCount, 5) << "Frame 0 becomes 5";
    EXPECT_EQ(d.MenuItem->FrameCount, 5);
    EXPECT_EQ(d.HorzScrollThumb->FrameCount, 6);
    EXPECT_EQ(d.VertScrollThumb->FrameCount, 3) << "its own FrameCount key, not Frame";
    EXPECT_EQ(d.TrackThumbUp->FrameCount, 5);
    EXPECT_EQ(d.UpDownHorz->FrameCount, 8);
    EXPECT_TRUE(d.UpDownHorz->Bitmap2.SamePixels(Pattern(8, 8, 3)));
    EXPECT_EQ(d.Track->FrameCount, 3) << "as read";
    EXPECT_EQ(d.Track->LeftWidth, 1);
    EXPECT_EQ(d.Track->Bitmap.Width(), 40);
    EXPECT_EQ(d.TrackVert->Bitmap.Width(), 4) << "built-in";
    EXPECT_EQ(d.ToolBars->FrameCount, 5);
    EXPECT_EQ(d.GroupBoxEdge->FrameCount, 2);
    EXPECT_EQ(d.TabPane->Margins(), TRect(4, 4, 4, -1)) << "margins above 4 become 4";
    EXPECT_EQ(d.TabPane->FrameCount, 1);
}

TEST_F(SkinDataTest, HeaderKeepsItsGivenFrameCount) {
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin("[Headerbar]\r\nImage=a.bmp\r\nframe=4\r\n", {{"a.bmp", Pattern(40, 10)}})));
    EXPECT_EQ(d.Header->FrameCount, 4);
}

TEST_F(SkinDataTest, CheckAndRadioFramesFromStripWidth) {
    const std::string ini = "[Buttons]\r\nBitmap=b.bmp\r\nCheckButton=c.bmp\r\nRadioButton=r.bmp\r\n";
    TSkinData d(nullptr);
    // 130 x 13 (under 16 high): 13-pixel frames -> 10; 160 x 16: 16-pixel frames -> 10.
    ASSERT_TRUE(Load(
        d, PackSkin(ini,
                    {{"b.bmp", Pattern(50, 20)}, {"c.bmp", Pattern(130, 13)}, {"r.bmp", Pattern(160, 16)}})));
    EXPECT_EQ(d.Buttons().CheckButtonFrame, 10);
    EXPECT_EQ(d.Buttons().RadioButtonFrame, 10);
    // A narrow strip still gets 4.
    ASSERT_TRUE(Load(d, PackSkin(ini, {{"c.bmp", Pattern(26, 13)}, {"r.bmp", Pattern(16, 20)}})));
    EXPECT_EQ(d.Buttons().CheckButtonFrame, 4);
    EXPECT_EQ(d.Buttons().RadioButtonFrame, 4);
}

TEST_F(SkinDataTest, ButtonsColoursAndGivenFlags) {
    const std::string ini =
        "[Colours]\r\nButtonText=1 2 3\r\n"
        "[Buttons]\r\nNormalColour=255\r\nMouseOverColour=$FF00\r\nNormalColour2=9 8 7\r\n"
        "PressedColour2=\r\n";
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin(ini)));
    const TDataSkinButton& b = d.Buttons();
    EXPECT_EQ(b.NormalColour, 255);
    EXPECT_EQ(b.MouseOverColour, 0xFF00);
    EXPECT_EQ(b.PressedColour, -1);
    EXPECT_EQ(b.NormalColour2Given, 1);
    EXPECT_EQ(b.MouseOverColour2Given, 0);
    EXPECT_EQ(b.PressedColour2Given, 0) << "an empty value is not given";
    EXPECT_EQ(b.NormalColour2, RGBColour(9, 8, 7));
    EXPECT_EQ(b.MouseOverColour2, RGBColour(1, 2, 3)) << "ButtonText slot";
    EXPECT_EQ(b.PressedColour2, RGBColour(1, 2, 3));
}

TEST_F(SkinDataTest, CaptionTextColoursNeedAllThreeComponents) {
    const std::string ini = "[Personality]\r\nActiveTextR=10\r\nActiveTextG=20\r\nActiveTextB=30\r\n"
                            "InActiveTextR=1\r\nInActiveTextG=-2\r\nInActiveTextB=3\r\nTextAlignment=2\r\n"
                            "Textbackground=1\r\nTXTBackleft=3\r\nTXTBackRight=4\r\nTextBack=t.bmp\r\n"
                            "[Fonts]\r\nFontHeight=18\r\n";
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin(ini, {{"t.bmp", Pattern(30, 10)}})));
    const TDataSkinTitle& t = d.Title();
    EXPECT_EQ(t.ActiveTextColour, RGBColour(10, 20, 30));
    EXPECT_EQ(t.InactiveTextColour, kNoTextColour);
    EXPECT_EQ(t.TextAlignment, 2);
    EXPECT_EQ(t.TextBackground, 1);
    EXPECT_EQ(t.TextBackLeft, 3);
    EXPECT_EQ(t.TextBackRight, 4);
    EXPECT_EQ(t.FontHeight, 18);
    EXPECT_TRUE(t.Bitmap.SamePixels(Pattern(30, 10)));
}

struct ColourCase {
    const char* text;
    TColor expected;
};

TEST(ParseColourText, Table) {
    const ColourCase cases[] = {
        {"236 233 216", RGBColour(236, 233, 216)},
        {"  236 233 216  ", RGBColour(236, 233, 216)},
        {"10 20", RGBColour(10, 0, 0)},
        {"10 20 ", RGBColour(10, 0, 0)},
        {"10 20;", RGBColour(10, 20, 0)},
        {"5", clBlack},
        {"", clBlack},
        {"abc", clBlack},
        {"1,2,3", RGBColour(1, 2, 3)},
        {"r1g2b3", RGBColour(1, 2, 3)},
        {"300 256 511", RGBColour(44, 0, 255)},
        {"1 2 3 4 5", RGBColour(1, 2, 3)},
        {"1 2 3x", RGBColour(1, 2, 3)},
        {"99999999999999999999 1 2", RGBColour(255, 1, 2)},
        {"-1 -2 -3", RGBColour(1, 2, 3)},
    };
    for (const ColourCase& c : cases)
        EXPECT_EQ(ParseColourText(c.text), c.expected) << '"' << c.text << '"';
}

TEST_F(SkinDataTest, ColourSectionsAndDefaults) {
    const std::string ini = "[Colours]\r\nButtonFace=1 2 3\r\nButtonText=7\r\nHilight=\r\n"
                            "[Colour1]\r\ncolor=10 11 12\r\n[Something]\r\n[COLOURX]\r\n"
                            "[colours]\r\nMenu=4 5 6\r\n[ColourLast]\r\nColor=1 1 1\r\n"
                            "[Customcolors]\r\nColor0=200 100 50\r\nColor9=1 2 3\r\n";
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin(ini)));
    EXPECT_EQ(d.SkinColours[scButtonFace], RGBColour(1, 2, 3));
    EXPECT_EQ(d.SkinColours[scMenubar], RGBColour(1, 2, 3)) << "Menubar defaults to ButtonFace as read";
    EXPECT_FALSE(d.ColourGiven[scMenubar]);
    EXPECT_EQ(d.SkinColours[scButtonText], clBlack) << "one number gives black";
    EXPECT_TRUE(d.ColourGiven[scButtonText]);
    EXPECT_EQ(d.SkinColours[scHilight], SysColourRef(13));
    EXPECT_FALSE(d.ColourGiven[scHilight]);
    ASSERT_EQ(d.ExtraColours.size(), 3u);
    EXPECT_EQ(d.ExtraColours[0], RGBColour(10, 11, 12));
    EXPECT_EQ(d.ExtraColours[1], SysColourRef(8));
    EXPECT_EQ(d.ExtraColours[2], RGBColour(1, 1, 1));
    EXPECT_EQ(d.CustomColours[0], RGBColour(200, 100, 50));
    EXPECT_EQ(d.CustomColours[5], clWhite);
    EXPECT_EQ(d.CustomColours[9], RGBColour(1, 2, 3));
}

TEST_F(SkinDataTest, ImageNamesRules) {
    const std::string ini = "[MenuItem]\r\nImage=MISSING.bmp\r\n"
                            "[Tabs]\r\nImage=Pic.png\r\n"
                            "[Tab.Pane]\r\nImage=PIC.BMP\r\n"
                            "[StatusBarEdges]\r\nImage=PIC.bmp\r\n"
                            "[MenuBackground]\r\nImage=C:\\skins\\sub/pic.bmp\r\n"
                            "[Scrollbar]\r\nImage=\r\n"
                            "[HorzScroll]\r\nImage=bad.bmp\r\n"
                            "[VertScroll]\r\nImage=dir\\\r\n";
    TSkinData d(nullptr);
    std::vector<TSkinEntry> entries = {{"skin.ini", Bytes(ini.begin(), ini.end())},
                                       {"Pic.bmp", Pattern(12, 6).SaveToBytes()},
                                       {"bad.bmp", Bytes{'B', 'M', 1, 2, 3}}};
    ASSERT_TRUE(Load(d, PackSkinStream(BuildSkinPackage(entries))));
    ASSERT_TRUE(d.MenuItem) << "the key is there, so the element is";
    EXPECT_TRUE(d.MenuItem->Bitmap.Empty());
    ASSERT_TRUE(d.Tabs);
    EXPECT_TRUE(d.Tabs->Bitmap.Empty()) << "not .bmp";
    ASSERT_TRUE(d.TabPane);
    EXPECT_TRUE(d.TabPane->Bitmap.Empty()) << ".BMP is not .bmp";
    EXPECT_TRUE(d.StatusBar->Bitmap.SamePixels(Pattern(12, 6))) << "entry names ignore case";
    EXPECT_TRUE(d.MenuBackground->Bitmap.SamePixels(Pattern(12, 6))) << "directories removed";
    EXPECT_FALSE(d.Scrollbar) << "an empty Image value means no element";
    ASSERT_TRUE(d.HorzScroll);
    EXPECT_TRUE(d.HorzScroll->Bitmap.Empty()) << "a corrupt bitmap loads as empty";
    ASSERT_TRUE(d.VertScroll);
    EXPECT_TRUE(d.VertScroll->Bitmap.Empty());
}

TEST_F(SkinDataTest, CaptionButtonRules) {
    const std::string ini =
        "[Button]\r\nAction=0\r\n[BUTTONS]\r\nBitmap=w.bmp\r\n[Button.Radio]\r\n[button.checkbox]\r\n"
        "[ButtonA]\r\nAction=1\r\nVisibility=2\r\nXCoord=40\r\nYCoord=6\r\nButtonImage=w.bmp\r\n"
        "[ButtonB]\r\nAction=-1\r\nButtonImage=w.bmp\r\n"
        "[ButtonC]\r\nAction=-1\r\nVisibility=0\r\nButtonImage=w.bmp\r\nFrame=2\r\n"
        "[ButtonD]\r\nAction=4\r\nXCoord=1\r\nYCoord=1\r\nButtonImage=x.bmp\r\n"
        "[ButtonE]\r\nAction=3\r\nButtonImage=w.bmp\r\n"
        "[ButtonF]\r\nAction=11\r\nButtonImage=w.bmp\r\nFrame=2\r\n"
        "[ButtonG]\r\nAction=-5\r\nVisibility=0\r\nButtonImage=w.bmp\r\nCombineOp=3\r\n"
        "[Buttonless]\r\nAction=2\r\nButtonImage=none.bmp\r\n"
        "[MDICONTROLS]\r\nImage=mdi.bmp\r\n";
    TBitmap32 mdi(120, 10);
    for (int c = 0; c < 12; ++c)
        mdi.FillRect(Bounds(c * 10, 0, 10, 10), RGBColour(c * 20, 0, 0));
    TSkinData d(nullptr);
    ASSERT_TRUE(
        Load(d, PackSkin(ini, {{"w.bmp", Pattern(60, 20)}, {"x.bmp", Pattern(132, 21)}, {"mdi.bmp", mdi}})));
    std::vector<std::string> names;
    for (const auto& b : d.CaptionButtons)
        names.push_back(b->Name);
    const std::vector<std::string> expected = {"BUTTONA",      "BUTTONC",     "BUTTOND",    "BUTTONE",
                                               "BUTTONF",      "BUTTONG",     "BUTTONLESS", "MDICONTROLS0",
                                               "MDICONTROLS1", "MDICONTROLS2"};
    ASSERT_EQ(names, expected);
    auto& a = *d.CaptionButtons[0];
    EXPECT_EQ(a.FrameCount, 3) << "60 x 20: ratio 3.0";
    EXPECT_EQ(a.Visibility1, 0);
    EXPECT_EQ(a.CombineOp, -1);
    auto& c = *d.CaptionButtons[1];
    EXPECT_EQ(c.FrameCount, 2) << "given";
    EXPECT_EQ(c.Visibility1, -1) << "Action -1";
    auto& dd = *d.CaptionButtons[2];
    EXPECT_EQ(dd.FrameCount, 6) << "132 x 21: ratio above 3.8";
    EXPECT_EQ(dd.XCoord, 40) << "Action 4 takes the remembered maximise position";
    EXPECT_EQ(dd.YCoord, 6);
    auto& e = *d.CaptionButtons[3];
    EXPECT_TRUE(e.Bitmap.Empty()) << "the icon button without a frame key has no image";
    EXPECT_EQ(e.FrameCount, 3);
    auto& f = *d.CaptionButtons[4];
    EXPECT_FALSE(f.Bitmap.Empty()) << "with a frame key the image stays";
    EXPECT_EQ(f.FrameCount, 2);
    auto& g = *d.CaptionButtons[5];
    EXPECT_EQ(g.FrameCount, 6) << "negative Action";
    EXPECT_EQ(g.CombineOp, 3);
    auto& less = *d.CaptionButtons[6];
    EXPECT_TRUE(less.Bitmap.Empty());
    EXPECT_EQ(less.FrameCount, 6);
    for (int i = 0; i < 3; ++i) {
        const auto& m = *d.CaptionButtons[7 + size_t(i)];
        SCOPED_TRACE(i);
        EXPECT_EQ(m.Action, 7 + i);
        EXPECT_EQ(m.XCoord, 14 * (3 - i));
        ASSERT_EQ(m.Bitmap.Width(), 40);
        ASSERT_EQ(m.Bitmap.Height(), 10);
        for (int cell = 0; cell < 4; ++cell)
            EXPECT_EQ(m.Bitmap.Pixel(cell * 10 + 5, 5), RGBColour((4 * i + cell) * 20, 0, 0));
    }
}

TEST_F(SkinDataTest, ActionFourWithoutAMaximiseButtonGoesToTheOrigin) {
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin("[Button1]\r\nAction=4\r\nXCoord=30\r\nYCoord=3\r\n")));
    EXPECT_EQ(d.CaptionButtons[0]->XCoord, 0);
    EXPECT_EQ(d.CaptionButtons[0]->YCoord, 0);
}

TEST_F(SkinDataTest, ComboArrowWithoutSunkEdgeReplacesMagenta) {
    TBitmap32 button = Pattern(64, 16);
    button.FillRect({0, 0, 64, 2}, clMagenta);
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin("[Colours]\r\nButtonFace=1 2 3\r\n[ComboButton]\r\nImage=c.bmp\r\n",
                                 {{"c.bmp", button}})));
    ASSERT_TRUE(d.ComboxArrow);
    EXPECT_EQ(d.ComboButton->Style, 0) << "no composition without SunkEdge";
    EXPECT_EQ(d.ComboxArrow->FrameCount, 4);
    const TBitmap32& a = d.ComboxArrow->Bitmap;
    ASSERT_EQ(a.Width(), 64);
    EXPECT_EQ(a.Pixel(10, 0), RGBColour(1, 2, 3));
    EXPECT_EQ(a.Pixel(10, 5), button.Pixel(10, 5));
    EXPECT_EQ(a.PixelFormat(), TPixelFormat::pf24bit);

    // A later skin without combo elements leaves the kept arrow object empty.
    const TDataSkinObject* kept = d.ComboxArrow.get();
    ASSERT_TRUE(Load(d, PackSkin("[Colours]\r\n")));
    EXPECT_EQ(d.ComboxArrow.get(), kept);
    EXPECT_TRUE(d.ComboxArrow->Bitmap.Empty());
}

TEST_F(SkinDataTest, ComboFramesFollowTheScrollArrowWidth) {
    platform.arrowWidth = 20;
    const std::string ini =
        "[SunkEdge]\r\nImage=s.bmp\r\nLeftWidth=3\r\nTopHeight=1\r\nRightWidth=3\r\nBottomHeight=4\r\n"
        "[ComboButton]\r\nImage=c.bmp\r\n";
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin(ini, {{"s.bmp", Pattern(40, 21)}, {"c.bmp", Pattern(40, 21, 9)}})));
    EXPECT_EQ(d.ComboButton->Margins(), TRect(2, 1, 24, 4));
    EXPECT_EQ(d.SunkEdge->Margins(), TRect(24, 1, 2, 4));
    // The opaque button fills the right 22 pixels of each cell.
    EXPECT_EQ(d.ComboButton->Bitmap.Pixel(28, 0), Pattern(40, 21, 9).Pixel(0, 0));
    EXPECT_EQ(d.ComboButton->Bitmap.Pixel(26, 10), clMagenta) << "the inner rectangle ends at 49 - w";
    EXPECT_NE(d.ComboButton->Bitmap.Pixel(27, 10), clMagenta);
    EXPECT_EQ(d.ComboButton->Bitmap.Pixel(1, 10), Pattern(40, 21).Pixel(1, 10)) << "SunkEdge's left edge";
}

TEST_F(SkinDataTest, ToolbarBottomColourFromSaturatedFrame) {
    // A saturated frame colour (pure blue 0xFF0000: saturation 255) takes the tinted branch.
    TBitmap32 top(30, 30, RGBColour(0, 0, 255));
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin("[Personality]\r\nTop=t.bmp\r\nTopFrame=1\r\n", {{"t.bmp", top}})));
    EXPECT_EQ(d.FrameColour, RGBColour(0, 0, 255));
    const TColor bottom = Blend(RGBColour(0, 0, 255), clWhite, (5625 - 25 * 255) / 140 + 50);
    EXPECT_EQ(d.Toolbar->Bitmap.Pixel(0, 39),
              ComputeGradientTable(40, Blend(SysColourRef(15), clWhite, 150), bottom)[39]);
    // A light, dull one (saturation 12) takes the grey branch; a dark one counts as saturated (200).
    top.Fill(RGBColour(200, 200, 210));
    ASSERT_TRUE(Load(d, PackSkin("[Personality]\r\nTop=t.bmp\r\n", {{"t.bmp", top}})));
    const TColor grey = Blend(0x808080, RGBColour(200, 200, 210), 150);
    EXPECT_EQ(d.Toolbar->Bitmap.Pixel(5, 39),
              ComputeGradientTable(40, Blend(SysColourRef(15), clWhite, 150), grey)[39]);
    top.Fill(RGBColour(90, 90, 100));
    ASSERT_TRUE(Load(d, PackSkin("[Personality]\r\nTop=t.bmp\r\n", {{"t.bmp", top}})));
    const TColor dark = Blend(RGBColour(90, 90, 100), clWhite, (5625 - 25 * 200) / 140 + 50);
    EXPECT_EQ(d.Toolbar->Bitmap.Pixel(5, 39),
              ComputeGradientTable(40, Blend(SysColourRef(15), clWhite, 150), dark)[39]);
}

TEST_F(SkinDataTest, FrameColourWithZeroTopFramesDoesNotDivideByZero) {
    TBitmap32 top(30, 30, RGBColour(9, 9, 9));
    top.SetPixel(10, 10, RGBColour(1, 2, 3));
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin("[Personality]\r\nTop=t.bmp\r\nTopFrame=0\r\n", {{"t.bmp", top}})));
    EXPECT_EQ(d.Border(TSkinData::bdTop).FrameCount, 0);
    EXPECT_EQ(d.FrameColour, RGBColour(1, 2, 3));
}

TEST_F(SkinDataTest, MenuBarElementFromPersonality) {
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(
        d, PackSkin("[Personality]\r\nmenuBar=m.bmp\r\nTileLeftMenu=4\r\n", {{"m.bmp", Pattern(20, 18)}})));
    ASSERT_TRUE(d.MenuBar);
    EXPECT_EQ(d.MenuBar->Name, "Personality");
    EXPECT_EQ(d.MenuBar->Margins(), TRect(4, 0, 1, 0));
    EXPECT_EQ(d.MenuBar->Tile, 1);
    EXPECT_EQ(d.MenuBar->FrameCount, 2);
    EXPECT_EQ(Element(d, "Personality"), d.MenuBar.get()) << "the menu bar is read from [Personality]";
}

TEST_F(SkinDataTest, GroupBoxLabelFields) {
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkin("[GroupBox]\r\nImage=g.bmp\r\nFrame=9\r\nBackgroundAlignment=2\r\n"
                                 "BackgroundLeftShift=3\r\nBackgroundRightShift=-4\r\n",
                                 {{"g.bmp", Pattern(20, 18)}})));
    ASSERT_TRUE(d.GroupBox);
    EXPECT_EQ(d.GroupBox->FrameCount, 1);
    EXPECT_EQ(d.GroupBox->BackgroundAlignment, 2);
    EXPECT_EQ(d.GroupBox->BackgroundLeftShift, 3);
    EXPECT_EQ(d.GroupBox->BackgroundRightShift, -4);
}

// ---- Failures -----------------------------------------------------------------------------------

TEST_F(SkinDataTest, NothingStoredFailsCleanly) {
    TSkinData d(nullptr);
    EXPECT_FALSE(d.LoadSkin());
    EXPECT_TRUE(d.SkinUnloaded());
    EXPECT_FALSE(d.LastLoadError().empty());
}

TEST_F(SkinDataTest, UnknownVersionIsRefusedWithTheNotice) {
    TSkinData d(nullptr);
    Bytes package = BuildSkinPackage({{"skin.ini", Bytes{'[', 'a', ']'}}});
    package[0] = 0x80; // 70000 -> a version word that is not in the table
    package[1] = 0x38;
    package[2] = 0x01;
    EXPECT_FALSE(Load(d, PackSkinStream(package)));
    EXPECT_TRUE(d.SkinUnloaded());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], TSkinReader::kOlderSkinMessage);
}

TEST_F(SkinDataTest, AFailedLoadEmptiesAPreviousModel) {
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackFolder(kProductSkin)));
    ASSERT_TRUE(d.MenuItem);
    EXPECT_FALSE(Load(d, Bytes{1, 2, 3}));
    EXPECT_TRUE(d.SkinUnloaded());
    EXPECT_FALSE(d.MenuItem);
    EXPECT_FALSE(d.ComboButton);
    EXPECT_TRUE(d.Border(TSkinData::bdTop).Bitmap.Empty());
    EXPECT_TRUE(d.CaptionButtons.empty());
    EXPECT_TRUE(d.SkinName.empty());
    EXPECT_FALSE(d.ColourGiven[scButtonFace]);
}

TEST_F(SkinDataTest, PackageWithoutIniLoadsAsDefaults) {
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackSkinStream(BuildSkinPackage({{"a.bmp", Pattern(4, 4).SaveToBytes()}}))));
    EXPECT_FALSE(d.SkinUnloaded());
    EXPECT_EQ(d.CaptionButtons.size(), 3u);
}

TEST_F(SkinDataTest, HostileStreamsFailWithoutCrashing) {
    const Bytes good = PackFolder(kProductSkin);
    std::mt19937 rng(20261208);
    int loaded = 0, failed = 0;
    for (int round = 0; round < 60; ++round) {
        Bytes bad = good;
        switch (round % 4) {
        case 0: // truncated
            bad.resize(size_t(rng() % bad.size()));
            break;
        case 1: // flipped bytes in the coded bits
            for (int i = 0; i < 8; ++i)
                bad[4 + rng() % (bad.size() - 4)] ^= uint8_t(1 + rng() % 255);
            break;
        case 2: // absurd expanded size
            bad[3] = 0x7F;
            break;
        case 3: // random noise with a plausible size word
            for (size_t i = 4; i < bad.size(); ++i)
                bad[i] = uint8_t(rng());
            break;
        }
        TSkinData d(nullptr);
        if (Load(d, bad)) {
            ++loaded;
            EXPECT_FALSE(d.SkinUnloaded());
        } else {
            ++failed;
            EXPECT_TRUE(d.SkinUnloaded());
            EXPECT_FALSE(d.LastLoadError().empty());
            EXPECT_EQ(d.Elements().size(), 6u) << "borders, title and buttons only";
        }
    }
    EXPECT_GT(failed, 0);
}

TEST_F(SkinDataTest, HostilePackagesFromTheTestData) {
    // Each file is a packed stream whose package lies: sizes past the data, negative lengths,
    // huge counts. None may load, none may crash.
    ASSERT_TRUE(fs::is_directory(kTestSkins));
    int files = 0;
    for (const auto& e : fs::directory_iterator(kTestSkins)) {
        if (e.path().extension() != ".skn" || e.path().filename().string().rfind("hostile", 0) != 0) continue;
        ++files;
        TSkinData d(nullptr);
        EXPECT_FALSE(Load(d, ReadFile(e.path()))) << e.path();
        EXPECT_TRUE(d.SkinUnloaded());
    }
    EXPECT_GE(files, 3);
}

TEST_F(SkinDataTest, OddButLegalSkinFromTestData) {
    TSkinData d(nullptr);
    ASSERT_TRUE(Load(d, PackFolder(kTestSkins / "odd"))) << d.LastLoadError();
    EXPECT_EQ(d.SkinName, "Odd") << "section and key names in any letter case";
    const TDataSkinBorder& top = d.Border(TSkinData::bdTop);
    EXPECT_EQ(top.Bitmap.Width(), 32) << "TOP.bmp finds top.bmp";
    EXPECT_EQ(top.FrameCount, 2);
    EXPECT_EQ(top.Tile, 1) << "Stretch 2 becomes 1";
    EXPECT_TRUE(d.Border(TSkinData::bdLeft).Bitmap.Empty()) << "missing image";
    EXPECT_TRUE(d.Border(TSkinData::bdRight).Bitmap.Empty()) << "not a .bmp name";
    ASSERT_TRUE(d.MenuItem);
    EXPECT_EQ(d.MenuItem->Bitmap.Width(), 60);
    EXPECT_EQ(d.MenuItem->Tile, 0) << "Tile 2 becomes 0";
    EXPECT_EQ(d.MenuItem->FrameCount, 5);
    EXPECT_EQ(d.MenuItem->Margins(), TRect(3, 0, 3, 0))
        << "0x3 and $3 are 3; a trailing comment spoils the value";
    ASSERT_TRUE(d.Header);
    EXPECT_TRUE(d.Header->Bitmap.Empty()) << "Header.png is not a bitmap name";
    EXPECT_EQ(d.Header->FrameCount, 5) << "Frame 0";
    EXPECT_EQ(d.SkinColours[scButtonFace], clBlack) << "a single number";
    EXPECT_TRUE(d.ColourGiven[scButtonFace]);
    EXPECT_EQ(d.SkinColours[scButtonText], RGBColour(10, 0, 0)) << "two numbers";
    EXPECT_EQ(d.SkinColours[scMenu], RGBColour(1, 2, 3)) << "a fourth number is ignored";
    ASSERT_EQ(d.CaptionButtons.size(), 5u);
    EXPECT_EQ(d.CaptionButtons[0]->Name, "BUTTON7");
    EXPECT_TRUE(d.CaptionButtons[0]->Bitmap.Empty()) << ".BMP is refused";
    EXPECT_EQ(d.CaptionButtons[0]->FrameCount, 6);
    EXPECT_EQ(d.CaptionButtons[1]->Bitmap.Width(), 45) << "the directory part is dropped";
    EXPECT_EQ(d.CaptionButtons[1]->FrameCount, 3);
    EXPECT_EQ(d.FrameColour, top.Bitmap.Pixel(10, 6));
}

// ---- Manager calls ------------------------------------------------------------------------------

TEST_F(SkinDataTest, LoadedRemovesMenuKindsAndUnsupportedScrollbars) {
    platform.scrollBarInfo = false;
    TSkinData d(nullptr);
    d.Loaded();
    EXPECT_FALSE(d.SkinControls.Has(xcMenuItem));
    EXPECT_TRUE(d.SkinControls.Has(xcSystemMenu));
    EXPECT_FALSE(d.SkinControls.Has(xcScrollbar));
    EXPECT_EQ(d.AppIcon.Width(), 16);
    EXPECT_EQ(d.AppIcon.PixelFormat(), TPixelFormat::pf24bit);

    TSkinData e(nullptr);
    e.SkinControls.Exclude(xcMainMenu);
    e.SkinControls.Include(xcMenuItem);
    e.Loaded();
    EXPECT_TRUE(e.SkinControls.Has(xcMenuItem));
    EXPECT_FALSE(e.SkinControls.Has(xcSystemMenu));
}

TEST_F(SkinDataTest, LoadedWithoutManagerIsHarmless) {
    TSkinData d(nullptr);
    d.BeginReading();
    d.SetActive(true);
    EXPECT_TRUE(d.Active()) << "stored while reading";
    d.Loaded();
    EXPECT_FALSE(d.Active()) << "no skin was read";
    EXPECT_EQ(CurrentSkinManager(), nullptr);
}

TEST_F(SkinDataTest, LoadedMainFormWithSkinAsksForSkinning) {
    FakeManager* m = InstallFakeManager();
    TSkinData d(nullptr);
    // As the main form streams it: the stored skin loads, then Active, then Loaded.
    d.BeginReading();
    ASSERT_TRUE(Load(d, PackFolder(kProductSkin)));
    d.SetActive(true);
    EXPECT_TRUE(m->calls.empty()) << "nothing while reading";
    d.Loaded();
    EXPECT_TRUE(d.Active());
    EXPECT_EQ(m->calls, (std::vector<std::string>{"register", "hook", "request 1 250"}));
}

TEST_F(SkinDataTest, LoadedMainFormWithoutSkinClearsActive) {
    FakeManager* m = InstallFakeManager();
    TSkinData d(nullptr);
    d.BeginReading();
    d.SetActive(true);
    d.Loaded();
    EXPECT_FALSE(d.Active());
    EXPECT_EQ(m->calls, (std::vector<std::string>{"register", "hook"}));
}

TEST_F(SkinDataTest, LoadedOtherFormTypeServesItsOwner) {
    FakeManager* m = InstallFakeManager();
    TComponent form(nullptr);
    auto* d = new TSkinData(&form);
    d->SkinFormtype = sfOnlyThisForm;
    d->BeginReading();
    d->SetActive(true);
    d->Loaded();
    EXPECT_EQ(m->calls, (std::vector<std::string>{"register", "single", "skin owner"}));
    EXPECT_TRUE(d->SkinControls.Has(xcMenuItem) == TSkinData::DefaultSkinControls().Has(xcMenuItem))
        << "the menu kinds are only adjusted for the main form";
}

TEST_F(SkinDataTest, ActiveSetterMainForm) {
    FakeManager* m = InstallFakeManager();
    TSkinData d(nullptr);
    d.SetActive(true);
    EXPECT_FALSE(d.Active()) << "no skin: switching on does nothing";
    EXPECT_TRUE(m->calls.empty());
    ASSERT_TRUE(Load(d, PackFolder(kProductSkin)));
    d.SetActive(true);
    EXPECT_TRUE(d.Active());
    EXPECT_EQ(m->requester, &d);
    EXPECT_EQ(m->calls, (std::vector<std::string>{"requester", "request 1 250", "active"}));
    m->calls.clear();
    d.SetActive(true);
    EXPECT_TRUE(m->calls.empty()) << "no change, no request";
    d.SetActive(false);
    EXPECT_EQ(m->calls, (std::vector<std::string>{"requester", "request 2 250"}));
}

TEST_F(SkinDataTest, ActiveSetterOnlyThisForm) {
    FakeManager* m = InstallFakeManager();
    TSkinData d(nullptr);
    d.SkinFormtype = sfOnlyThisForm;
    d.SetActive(true);
    EXPECT_EQ(m->calls, (std::vector<std::string>{"requester"})) << "no skin: no request";
    m->calls.clear();
    d.SetActive(false);
    EXPECT_EQ(m->calls, (std::vector<std::string>{"requester", "request 2 250"}));
}

TEST_F(SkinDataTest, ActiveSetterWhileReading) {
    FakeManager* m = InstallFakeManager();
    TSkinData d(nullptr);
    d.BeginReading();
    d.SetActive(true);
    EXPECT_TRUE(d.Active());
    EXPECT_TRUE(m->calls.empty());
}

TEST_F(SkinDataTest, SkinFileLoadsAndNotifiesTheManager) {
    const fs::path file =
        fs::temp_directory_path() / ("skindata_test_" + std::to_string(std::random_device{}()) + ".skn");
    {
        const Bytes packed = PackFolder(kProductSkin);
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(packed.data()), std::streamsize(packed.size()));
    }
    SetSkinManagerFactory([] {
        auto m = std::make_unique<FakeManager>();
        m->skinning = true;
        return m;
    });
    TSkinData d(nullptr);
    d.SetSkinFile(file.string());
    EXPECT_EQ(d.SkinFile(), file.string());
    EXPECT_FALSE(d.SkinUnloaded());
    EXPECT_EQ(d.SkinName, "Quenbry Slate");
    auto* m = static_cast<FakeManager*>(CurrentSkinManager());
    ASSERT_NE(m, nullptr) << "created through Loaded";
    EXPECT_EQ(m->calls,
              (std::vector<std::string>{"register", "hook", "requester", "purge", "request 3 250"}));

    // A file that does not exist changes nothing else.
    m->calls.clear();
    d.SetSkinFile((file.string() + ".missing"));
    EXPECT_TRUE(d.SkinUnloaded());
    EXPECT_EQ(d.SkinName, "Quenbry Slate");
    EXPECT_TRUE(m->calls.empty());
    fs::remove(file);
}

TEST_F(SkinDataTest, DestructionUnregisters) {
    FakeManager* m = InstallFakeManager();
    {
        TSkinData d(nullptr);
        d.Loaded();
    }
    ASSERT_FALSE(m->calls.empty());
    EXPECT_EQ(m->calls.back(), "unregister");
}

TEST_F(SkinDataTest, SkinChangedRaisesTheEvent) {
    TSkinData d(nullptr);
    TObject* sender = nullptr;
    d.OnSkinChanged = [&](TObject* s) { sender = s; };
    d.SkinChanged();
    EXPECT_EQ(sender, &d);
}

// ---- Frame services -----------------------------------------------------------------------------

TEST_F(SkinDataTest, QueryFormSkinRules) {
    TSkinData d(nullptr);
    int window = 0;
    struct Case {
        const char* cls;
        bool fastReport;
        bool skin;
    } cases[] = {
        {"SysMonthCal32", false, false}, {"sysmonthcal32", false, true}, {"TfrPreviewForm", true, false},
        {"TfrPreviewForm", false, true}, {"TForm1", true, true},         {"TFRx", true, true},
    };
    for (const Case& c : cases) {
        c.fastReport ? d.SkinControls.Include(xcFastReport) : d.SkinControls.Exclude(xcFastReport);
        bool skin = true;
        d.QueryFormSkin(&window, c.cls, skin);
        EXPECT_EQ(skin, c.skin) << c.cls << " " << c.fastReport;
    }
    // The event alone decides when set.
    std::string asked;
    d.OnFormSkin = [&](TSkinData* sender, const std::string& cls, bool& skin) {
        EXPECT_EQ(sender, &d);
        asked = cls;
        skin = cls == "SysMonthCal32";
    };
    bool skin = true;
    d.QueryFormSkin(nullptr, "SysMonthCal32", skin);
    EXPECT_TRUE(skin);
    d.QueryFormSkin(nullptr, "TForm1", skin);
    EXPECT_FALSE(skin);
    EXPECT_EQ(asked, "TForm1");
}

TEST_F(SkinDataTest, CaptionHintShowsOnceAtTheRectangle) {
    TSkinData d(nullptr);
    d.ShowCaptionHint({100, 50, 120, 70}, "关闭");
    d.ShowCaptionHint({300, 50, 320, 70}, "again");
    EXPECT_TRUE(d.HintShowing());
    d.HideCaptionHint();
    d.HideCaptionHint();
    EXPECT_FALSE(d.HintShowing());
    EXPECT_EQ(platform.hintLog,
              (std::vector<std::string>{"calc 500 关闭", "show 100,50,140,65 关闭", "hide"}));

    platform.hintLog.clear();
    d.Options.Exclude(xoCaptionButtonHint);
    d.ShowCaptionHint({1, 1, 2, 2}, "x");
    EXPECT_FALSE(d.HintShowing());
    EXPECT_TRUE(platform.hintLog.empty());
}

TEST(BuiltinImages, TrackGroovesAndMenuGlyphs) {
    const TBitmap32 h = BuiltinTrackBitmap(false), v = BuiltinTrackBitmap(true);
    ASSERT_EQ(h.Width(), 16);
    ASSERT_EQ(v.Height(), 16);
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_EQ(v.Pixel(j, i), h.Pixel(i, j)) << "the vertical groove is the transpose";
    const TBitmap32 g = BuiltinMenuGlyphs();
    for (int glyph = 0; glyph < 4; ++glyph) {
        int black = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const TColor c = g.Pixel(glyph * 16 + x, y);
                EXPECT_TRUE(c == clBlack || c == clWhite);
                black += c == clBlack;
            }
        EXPECT_GT(black, 5) << glyph;
    }
}

} // namespace
