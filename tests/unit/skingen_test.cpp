// The product's own skin as committed in resources/skin (written by tools/skingen), read with the
// engine's INI reader and BMP loader: every element fits the painters that draw it and its texts
// stay readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "skin/format/WinSkinIni.h"
#include "skin/model/Bitmap.h"

namespace {

const std::string kSkinDir = std::string(UPDATER_SOURCE_DIR) + "/resources/skin/";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string& IniText() {
    static const std::string text = ReadFile(kSkinDir + "skin.ini");
    return text;
}

const TQuickIni& Ini() {
    static const TQuickIni ini = [] {
        TQuickIni i;
        i.LoadFromText(IniText());
        return i;
    }();
    return ini;
}

TBitmap32 LoadImage(const std::string& name) {
    TBitmap32 bmp;
    std::string error;
    EXPECT_TRUE(bmp.LoadFromFile(kSkinDir + name, &error)) << name << ": " << error;
    return bmp;
}

// One skin image as a painter sees it: where it is named, how many frames it holds and the
// fixed margins of each frame.
struct ElementSpec {
    const char* section;
    const char* imageKey;
    int frames;             // fixed by the engine after loading; 0: read from framesKey
    const char* framesKey;  // key holding the frame count when `frames` is 0
    int framesDefault;      // default of that key
    bool stacked;           // frames one below the other (top and bottom borders)
    const char* marginKeys; // "generic", "sides" (Left/Right border), "ends" (Top/Bottom border), ""
};

const ElementSpec kElements[] = {
    {"Personality", "Left", 0, "LeftFrame", 1, false, "sides"},
    {"Personality", "Right", 0, "RightFrame", 1, false, "sides"},
    {"Personality", "Top", 0, "TopFrame", 1, true, "ends"},
    {"Personality", "Bottom", 0, "BottomFrame", 1, true, "ends"},
    {"Button0", "ButtonImage", 0, "Frame", 0, false, ""},
    {"Button1", "ButtonImage", 0, "Frame", 0, false, ""},
    {"Button2", "ButtonImage", 0, "Frame", 0, false, ""},
    {"Button3", "ButtonImage", 0, "Frame", 0, false, ""},
    {"Buttons", "Bitmap", 5, nullptr, 0, false, "generic"},
    {"Buttons", "CheckButton", 0, "CheckButtonFrame", 0, false, ""},
    {"Buttons", "RadioButton", 0, "RadioButtonFrame", 0, false, ""},
    {"Progress", "Bitmap", 1, nullptr, 0, false, "generic"},
    {"Progress.Chunk", "Image", 0, "Frame", 0, false, "generic"},
    {"GroupBoxEdge", "Image", 2, nullptr, 0, false, "generic"},
    {"GroupBox", "Image", 1, nullptr, 0, false, "generic"},
    {"Tabs", "Image", 5, nullptr, 0, false, "generic"},
    {"StatusBarEdges", "Image", 3, nullptr, 0, false, "generic"},
    {"Tab.Pane", "Image", 1, nullptr, 0, false, "generic"},
    {"ComboButton", "Image", 4, nullptr, 0, false, "generic"},
    {"SunkEdge", "Image", 4, nullptr, 0, false, "generic"},
    {"ExtraImages", "Image", 5, nullptr, 0, false, "generic"},
    {"MenuItem", "Image", 5, nullptr, 0, false, "generic"},
    {"MenuBackground", "Image", 1, nullptr, 0, false, "generic"},
    {"Scrollbar", "Image", 23, nullptr, 0, false, "generic"},
    {"HorzScroll", "Image", 4, nullptr, 0, false, "generic"},
    {"VertScroll", "Image", 4, nullptr, 0, false, "generic"},
    {"HorzScrollThumb", "Image", 0, "FrameCount", 3, false, "generic"},
    {"VertScrollThumb", "Image", 0, "FrameCount", 3, false, "generic"},
};

int Frames(const ElementSpec& e) {
    return e.frames != 0 ? e.frames : Ini().ReadInteger(e.section, e.framesKey, e.framesDefault);
}

struct Margins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

Margins MarginsOf(const ElementSpec& e) {
    const std::string kind = e.marginKeys;
    const std::string k = e.imageKey;
    Margins m;
    if (kind == "generic") {
        m.left = Ini().ReadInteger(e.section, "LeftWidth", 0);
        m.top = Ini().ReadInteger(e.section, "TopHeight", 0);
        m.right = Ini().ReadInteger(e.section, "RightWidth", 0);
        m.bottom = Ini().ReadInteger(e.section, "BottomHeight", 0);
    } else if (kind == "sides") {
        m.top = Ini().ReadInteger(e.section, k + "TopHeight", 0);
        m.bottom = Ini().ReadInteger(e.section, k + "BotHeight", 0);
    } else if (kind == "ends") {
        m.left = Ini().ReadInteger(e.section, k + "TopHeight", 0);
        m.right = Ini().ReadInteger(e.section, k + "BotHeight", 0);
    }
    return m;
}

std::string ImageName(const ElementSpec& e) {
    return Ini().ReadString(e.section, e.imageKey, "");
}

// Width and height of one frame.
std::pair<int, int> FrameSize(const ElementSpec& e, const TBitmap32& bmp) {
    const int n = Frames(e);
    return e.stacked ? std::make_pair(bmp.Width(), bmp.Height() / n)
                     : std::make_pair(bmp.Width() / n, bmp.Height());
}

TBitmap32 FrameImage(const TBitmap32& strip, int frames, int k) {
    const int fw = strip.Width() / frames;
    return strip.Copy(TRect((k - 1) * fw, 0, k * fw, strip.Height()));
}

bool HasMagenta(const TBitmap32& bmp) {
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            if (bmp.Pixel(x, y) == clMagenta) return true;
    return false;
}

const ElementSpec& Element(const std::string& section, const std::string& key) {
    for (const ElementSpec& e : kElements)
        if (section == e.section && key == e.imageKey) return e;
    throw std::logic_error("no such element: " + section + " " + key);
}

TColor ColourKey(const std::string& section, const std::string& key) {
    const std::string text = Ini().ReadString(section, key, "");
    int r = -1, g = -1, b = -1;
    EXPECT_EQ(std::sscanf(text.c_str(), "%d %d %d", &r, &g, &b), 3) << section << " " << key << " = " << text;
    return RGBColour(r, g, b);
}

// Contrast ratio of two colours as accessibility guidelines define it (1 to 21).
double Contrast(TColor a, TColor b) {
    auto luminance = [](TColor c) {
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(ColourRed(c)) + 0.7152 * channel(ColourGreen(c)) +
               0.0722 * channel(ColourBlue(c));
    };
    double la = luminance(a), lb = luminance(b);
    if (la < lb) std::swap(la, lb);
    return (la + 0.05) / (lb + 0.05);
}

// The colour under the middle of frame k of an element's strip.
TColor FrameCentre(const std::string& section, const std::string& key, int k) {
    const ElementSpec& e = Element(section, key);
    const TBitmap32 strip = LoadImage(ImageName(e));
    const TBitmap32 frame = FrameImage(strip, Frames(e), k);
    return frame.Pixel(frame.Width() / 2, frame.Height() / 2);
}

TEST(ProductSkin, IniUsesWindowsLineEndsAndNamesEachSectionAndKeyOnce) {
    const std::string& text = IniText();
    ASSERT_FALSE(text.empty());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at byte " << i;
        }
    }

    // The engine reads only the first of two equal sections or keys; a second one would be dead.
    std::set<std::string> sections;
    std::set<std::string> keys;
    for (const std::string& line : Ini().Lines()) {
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (lower.front() == '[') {
            EXPECT_TRUE(sections.insert(lower).second) << "section twice: " << line;
            keys.clear();
        } else {
            EXPECT_TRUE(keys.insert(lower.substr(0, lower.find('='))).second) << "key twice: " << line;
        }
    }
}

TEST(ProductSkin, EveryElementImageIsA24BitBmpThatSplitsIntoWholeFramesWithRoomForItsMargins) {
    for (const ElementSpec& e : kElements) {
        SCOPED_TRACE(std::string(e.section) + " " + e.imageKey);
        const std::string name = ImageName(e);
        ASSERT_FALSE(name.empty());
        // The engine accepts only the extension ".bmp" in lower case.
        ASSERT_GT(name.size(), 4u);
        EXPECT_EQ(name.substr(name.size() - 4), ".bmp");
        const std::string bytes = ReadFile(kSkinDir + name);
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24u) << "bits per pixel";
        const TBitmap32 bmp = LoadImage(name);
        ASSERT_FALSE(bmp.Empty());

        const int n = Frames(e);
        ASSERT_GE(n, 1);
        EXPECT_EQ((e.stacked ? bmp.Height() : bmp.Width()) % n, 0) << n << " frames";
        const auto [fw, fh] = FrameSize(e, bmp);
        const Margins m = MarginsOf(e);
        EXPECT_LT(m.left + m.right, fw);
        EXPECT_LT(m.top + m.bottom, fh);
    }
}

TEST(ProductSkin, FolderHoldsTheIniAndExactlyTheImagesItNames) {
    std::set<std::string> named;
    for (const ElementSpec& e : kElements)
        named.insert(ImageName(e));
    // Every image key of the INI is one of the elements above: nothing named goes unchecked.
    std::set<std::string> inIni;
    for (const std::string& line : Ini().Lines()) {
        const auto eq = line.find('=');
        if (eq != std::string::npos && line.size() > 4 && line.substr(line.size() - 4) == ".bmp")
            inIni.insert(line.substr(eq + 1));
    }
    EXPECT_EQ(inIni, named);
    for (const std::string& name : named)
        EXPECT_FALSE(ReadFile(kSkinDir + name).empty()) << name;
}

TEST(ProductSkin, MagentaAppearsOnlyWhereThePainterDrawsTransparently) {
    // Elements copied opaquely would show magenta as pink; caption buttons and the progress
    // parts are always drawn with magenta as the key colour.
    const std::set<std::string> alwaysKeyed = {"Button0", "Button1",  "Button2",
                                               "Button3", "Progress", "Progress.Chunk"};
    for (const ElementSpec& e : kElements) {
        SCOPED_TRACE(std::string(e.section) + " " + e.imageKey);
        if (alwaysKeyed.count(e.section)) continue;
        const TBitmap32 bmp = LoadImage(ImageName(e));
        if (!HasMagenta(bmp)) continue;
        const std::string key =
            e.marginKeys == std::string("sides") ? std::string(e.imageKey) + "Trans" : "Trans";
        // The check and radio strips have no switch of their own: they must be opaque.
        ASSERT_NE(std::string(e.imageKey), "CheckButton");
        ASSERT_NE(std::string(e.imageKey), "RadioButton");
        EXPECT_EQ(Ini().ReadInteger(e.section, key, 0), 1) << "magenta in an element drawn opaquely";
    }
    // The top and bottom borders are copied opaquely; only the side strips shape the corners.
    EXPECT_FALSE(HasMagenta(LoadImage(ImageName(Element("Personality", "Top")))));
    EXPECT_FALSE(HasMagenta(LoadImage(ImageName(Element("Personality", "Bottom")))));
}

TEST(ProductSkin, FrameBordersLineUpAroundTheCaption) {
    const TBitmap32 left = LoadImage(ImageName(Element("Personality", "Left")));
    const TBitmap32 right = LoadImage(ImageName(Element("Personality", "Right")));
    const TBitmap32 top = LoadImage(ImageName(Element("Personality", "Top")));
    const TBitmap32 bottom = LoadImage(ImageName(Element("Personality", "Bottom")));
    const int borderLeft = left.Width() / Ini().ReadInteger("Personality", "LeftFrame", 1);
    const int borderRight = right.Width() / Ini().ReadInteger("Personality", "RightFrame", 1);
    const int borderTop = top.Height() / Ini().ReadInteger("Personality", "TopFrame", 1);
    const int borderBottom = bottom.Height() / Ini().ReadInteger("Personality", "BottomFrame", 1);
    EXPECT_EQ(borderLeft, borderRight);
    // The side strips keep the caption part at its own size, exactly as high as the caption.
    EXPECT_EQ(Ini().ReadInteger("Personality", "LeftTopHeight", 0), borderTop);
    EXPECT_EQ(Ini().ReadInteger("Personality", "RightTopHeight", 0), borderTop);
    EXPECT_EQ(Ini().ReadInteger("Personality", "LeftBotHeight", 0), borderBottom);
    EXPECT_EQ(Ini().ReadInteger("Personality", "RightBotHeight", 0), borderBottom);
    // Rounded outer corners: the region cuts the corner pixel of the caption away.
    EXPECT_EQ(left.Pixel(0, 0), clMagenta);
    EXPECT_EQ(right.Pixel(borderRight - 1, 0), clMagenta);
    // Each side strip continues the caption row for row where it meets the top strip.
    for (int y = 1; y < borderTop; ++y) {
        EXPECT_EQ(left.Pixel(borderLeft - 1, y), top.Pixel(0, y)) << "row " << y;
        EXPECT_EQ(right.Pixel(0, y), top.Pixel(top.Width() - 1, y)) << "row " << y;
    }

    // Caption buttons and the 16-pixel window icon fit into the caption.
    for (const char* button : {"Button0", "Button1", "Button2", "Button3"}) {
        const TBitmap32 img = LoadImage(Ini().ReadString(button, "ButtonImage", ""));
        EXPECT_LE(Ini().ReadInteger(button, "YCoord", 0) + img.Height(), borderTop) << button;
        EXPECT_GE(Ini().ReadInteger(button, "XCoord", 0), borderRight + img.Width() / 4) << button;
    }
    EXPECT_EQ(Ini().ReadInteger("Button4", "Action", -1), 3);
    EXPECT_LE(Ini().ReadInteger("Button4", "YCoord", 0) + 16, borderTop);
    // The title starts right of the icon.
    EXPECT_GE(borderLeft + Ini().ReadInteger("Personality", "TextShift", 0),
              Ini().ReadInteger("Button4", "XCoord", 0) + 16);
}

TEST(ProductSkin, ProgressChunkStaysInsideTheTroughOfAFullBar) {
    // The chunk style draws the chunk 2 pixels in and cuts its lowest 4 rows; at 100 % it
    // reaches 2 pixels past the bar's right end, so the last 4 columns must be transparent for
    // the trough's edge to stay visible.
    ASSERT_NE(Ini().ReadInteger("Progress", "Style", 0), 0);
    const TBitmap32 chunk = LoadImage(Ini().ReadString("Progress.Chunk", "Image", ""));
    ASSERT_GE(Ini().ReadInteger("Progress.Chunk", "RightWidth", 0), 4);
    for (int y = 0; y < chunk.Height(); ++y)
        for (int x = chunk.Width() - 4; x < chunk.Width(); ++x)
            EXPECT_EQ(chunk.Pixel(x, y), clMagenta) << x << "," << y;
    bool anyVisible = false;
    for (int y = 0; y < chunk.Height() - 4; ++y)
        for (int x = 0; x < chunk.Width(); ++x)
            anyVisible = anyVisible || chunk.Pixel(x, y) != clMagenta;
    EXPECT_TRUE(anyVisible);
    for (int y = chunk.Height() - 4; y < chunk.Height(); ++y)
        for (int x = 0; x < chunk.Width(); ++x)
            EXPECT_EQ(chunk.Pixel(x, y), clMagenta) << "cut row " << y;
}

struct ContrastCase {
    const char* what;
    TColor text;
    TColor background;
};

TEST(ProductSkin, TextColoursAreReadableOnTheSurfacesTheyAreDrawnOn) {
    const TBitmap32 top = LoadImage(ImageName(Element("Personality", "Top")));
    const int captionH = top.Height() / 2;
    const TColor face = ColourKey("Colours", "ButtonFace");
    const TColor buttonText = ColourKey("Colours", "ButtonText");
    const ContrastCase cases[] = {
        {"window text", ColourKey("Colours", "WindowText"), face},
        {"button text on the face", buttonText, face},
        {"active title", ColourKey("Colours", "TitleTextActive"), top.Pixel(top.Width() / 2, captionH / 2)},
        {"inactive title", ColourKey("Colours", "TitleTextNoActive"),
         top.Pixel(top.Width() / 2, captionH + captionH / 2)},
        {"menu text", ColourKey("Colours", "MenuText"), ColourKey("Colours", "Menu")},
        {"selected menu item", ColourKey("Colours", "HilightText"), FrameCentre("MenuItem", "Image", 4)},
        {"highlight", ColourKey("Colours", "HilightText"), ColourKey("Colours", "Hilight")},
        {"menu bar", ColourKey("Colours", "MenuBarText"), ColourKey("Colours", "Menubar")},
        {"button normal", buttonText, FrameCentre("Buttons", "Bitmap", 1)},
        {"button pressed", buttonText, FrameCentre("Buttons", "Bitmap", 2)},
        {"button hot", buttonText, FrameCentre("Buttons", "Bitmap", 4)},
        {"button focused", buttonText, FrameCentre("Buttons", "Bitmap", 5)},
        {"other tabs", ColourKey("Tabs", "NormalColour2"), FrameCentre("Tabs", "Image", 1)},
        {"chosen tab", ColourKey("Tabs", "MouseOverColour2"), FrameCentre("Tabs", "Image", 2)},
        {"status bar", ColourKey("StatusBarEdges", "NormalColour2"),
         FrameCentre("StatusBarEdges", "Image", 1)},
    };
    for (const ContrastCase& c : cases)
        EXPECT_GE(Contrast(c.text, c.background), 4.5) << c.what;
}

TEST(ProductSkin, ContrastRatioMatchesKnownValues) {
    EXPECT_NEAR(Contrast(clBlack, clWhite), 21.0, 1e-9);
    EXPECT_NEAR(Contrast(clWhite, clWhite), 1.0, 1e-9);
    EXPECT_NEAR(Contrast(RGBColour(118, 118, 118), clWhite), 4.54, 0.01);
}

} // namespace
