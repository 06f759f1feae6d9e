#include "skin/model/SkinElements.h"

#include <algorithm>

#include "framework/AsciiText.h"

void TDataSkinObject::Reset(TColor buttonText) {
    LeftWidth = TopHeight = RightWidth = BottomHeight = 0;
    Bitmap.Clear();
    Trans = Tile = FrameCount = Style = 0;
    NormalColour = MouseOverColour = PressedColour = -1;
    NormalColour2 = MouseOverColour2 = PressedColour2 = buttonText;
}

int TDataSkinObject::FrameWidth() const {
    return Bitmap.Width() / std::max(FrameCount, 1);
}

const std::vector<TSkinColourKey>& SkinColourKeys() {
    // Menubar defaults to the ButtonFace value read before it.
    static const std::vector<TSkinColourKey> keys = {
        {scWindowText, "WindowText", 8},
        {scTitleTextActive, "TitleTextActive", 9},
        {scTitleTextNoActive, "TitleTextNoActive", 19},
        {scButtonFace, "ButtonFace", 15},
        {scButtonText, "ButtonText", 18},
        {scButtonHilight, "ButtonHilight", 20},
        {scButtonlight, "Buttonlight", 20},
        {scButtonShadow, "ButtonShadow", 16},
        {scButtonDkShadow, "ButtonDkShadow", 21},
        {scHilightText, "HilightText", 14},
        {scHilight, "Hilight", 13},
        {scMenubar, "Menubar", -1},
        {scMenuBarText, "MenuBarText", 7},
        {scMenuText, "MenuText", 7},
        {scMenu, "Menu", 4},
        {scScrollbar, "Scrollbar", 0},
    };
    return keys;
}

std::array<TColor, kSkinColourCount> DefaultSkinColours() {
    std::array<TColor, kSkinColourCount> c{};
    for (const TSkinColourKey& k : SkinColourKeys())
        c[size_t(k.slot)] = SysColourRef(k.sysIndex < 0 ? 15 : k.sysIndex);
    // Never read from a skin: the window, window frame and highlight system colours.
    c[9] = SysColourRef(5);
    c[10] = SysColourRef(6);
    c[17] = SysColourRef(13);
    return c;
}

TColor ParseColourText(const std::string& text) {
    const std::string s = TrimAscii(text);
    int components[3] = {0, 0, 0};
    int stored = 0;
    std::string run;
    auto store = [&] {
        // Components past blue have no place; they are ignored. A long run keeps its low digits
        // only as far as the modulo needs them.
        if (stored < 3) {
            int value = 0;
            for (char c : run)
                value = (value * 10 + (c - '0')) % 256;
            components[stored] = value;
        }
        ++stored;
        run.clear();
    };
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            run += c;
        } else if (!run.empty()) {
            store();
        }
    }
    if (!run.empty() && stored == 2) store();
    return RGBColour(components[0], components[1], components[2]);
}
