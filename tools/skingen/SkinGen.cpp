#include "SkinGen.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

#include "Raster.h"
#include "skin/model/SkinElementTable.h"

namespace skingen {

const char* const kIniName = "skin.ini";

namespace {

// Palette: light neutral greys with a grey-blue accent, matching the tray pictures.
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kFace{238, 240, 243};
constexpr Rgb kText{30, 36, 44};
constexpr Rgb kAccent{91, 114, 144};
constexpr Rgb kAccentMid{127, 149, 178};
constexpr Rgb kShadow{163, 172, 184};
constexpr Rgb kDisabledLine{204, 209, 216};
constexpr Rgb kDisabledFill{243, 244, 246};
constexpr Rgb kTrack{241, 243, 246};
constexpr Rgb kTrackEdge{224, 228, 234};

// Window frame geometry: caption height and the width of the other three borders.
constexpr int kCaption = 26;
constexpr int kBorder = 4;
constexpr int kFrameMiddle = 6;
constexpr int kTopStripWidth = 32;
constexpr int kTopMargin = 4;

// Caption buttons.
constexpr int kCapButtonW = 22;
constexpr int kCapButtonH = 18;

// Every state that a control element tells apart.
enum class State { Normal, Hot, Pressed, Disabled, Focused };

using Glyph = std::vector<const char*>;

void DrawGlyph(Image& img, const Glyph& glyph, int x, int y, Rgb c) {
    for (std::size_t j = 0; j < glyph.size(); ++j)
        for (std::size_t i = 0; glyph[j][i] != '\0'; ++i)
            if (glyph[j][i] == '#') img.Set(x + static_cast<int>(i), y + static_cast<int>(j), c);
}

int GlyphWidth(const Glyph& g) {
    return static_cast<int>(std::char_traits<char>::length(g.front()));
}
int GlyphHeight(const Glyph& g) {
    return static_cast<int>(g.size());
}

void DrawGlyphCentred(Image& img, const Glyph& glyph, int x, int y, int w, int h, Rgb c) {
    DrawGlyph(img, glyph, x + (w - GlyphWidth(glyph)) / 2, y + (h - GlyphHeight(glyph)) / 2, c);
}

const Glyph kGlyphClose = {
    "##....##", ".##..##.", "..####..", "...##...", "...##...", "..####..", ".##..##.", "##....##",
};
const Glyph kGlyphMax = {
    "#########", "#########", "#.......#", "#.......#", "#.......#", "#.......#", "#.......#", "#########",
};
const Glyph kGlyphMin = {
    ".........", ".........", ".........", ".........", ".........", ".........", "#########", "#########",
};
// Two overlapping windows; the front one hides the back one's lower left part.
const Glyph kGlyphRestore = {
    "..#######", "..#######", "..#.....#", "#######.#", "#######.#", "#.....###", "#.....#..", "#######..",
};
const Glyph kGlyphCheck = {
    "........#", ".......##", "#.....##.", "##...##..", ".##.##...", "..###....", "...#.....",
};
const Glyph kGlyphArrowDown = {
    "#######",
    ".#####.",
    "..###..",
    "...#...",
};
const Glyph kGlyphArrowLeft = {
    "...#", "..##", ".###", "####", ".###", "..##", "...#",
};

// Filled rounded panel: outline in `border`, inside a top-to-bottom gradient, outside left
// as `outside`. `highlight` (when given) colours the row just inside the top outline.
struct PanelLook {
    Rgb border;
    Rgb top;
    Rgb bottom;
    const Rgb* highlight = nullptr;
    const Rgb* ring = nullptr; // second ring inside the outline, all around
};

void DrawPanel(Image& img, int x0, int y0, int w, int h, int r, const PanelLook& look) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int depth = RoundedDepth(x, y, w, h, r, 2);
            if (depth < 0) continue;
            Rgb c = Mix(look.top, look.bottom, y - 1, h - 3);
            if (depth == 0)
                c = look.border;
            else if (depth == 1 && look.ring)
                c = *look.ring;
            else if (y == 1 && look.highlight)
                c = *look.highlight;
            img.Set(x0 + x, y0 + y, c);
        }
    }
}

// ---- Window frame --------------------------------------------------------------------

struct FrameLook {
    Rgb outline;
    Rgb captionHighlight;
    Rgb captionTop;
    Rgb captionBottom;
    Rgb fill;
    Rgb inner;
};

const FrameLook kFrameActive{{58, 75, 98},   {140, 160, 186}, {112, 135, 165},
                             {82, 104, 133}, {82, 104, 133},  {66, 85, 111}};
const FrameLook kFrameInactive{{140, 149, 161}, {232, 235, 239}, {216, 221, 228},
                               {196, 203, 212}, {196, 203, 212}, {168, 176, 187}};

// A small model window with the whole skinned frame; the four border images are cut from it
// so that corners, caption and edges always line up.
Image FrameModel(const FrameLook& look) {
    const int w = 2 * kBorder + kTopStripWidth + 8;
    const int h = kCaption + kFrameMiddle + kBorder;
    auto inside = [&](int x, int y) {
        // Rounder corners at the top than at the bottom, as on most modern windows.
        return InsideRounded(x, y, w, h, y < h / 2 ? 5 : 3);
    };
    Image m(w, h, kMagenta);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (!inside(x, y)) continue;
            const bool edge =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            Rgb c;
            if (edge)
                c = look.outline;
            else if (y < kCaption)
                c = y == 1 ? look.captionHighlight
                           : Mix(look.captionTop, look.captionBottom, y - 2, kCaption - 3);
            else if (x >= kBorder && x < w - kBorder && y < h - kBorder)
                c = kFace; // client area, not part of any border image
            else if (((x == kBorder - 1 || x == w - kBorder) && y <= h - kBorder) ||
                     (y == h - kBorder && x >= kBorder - 1 && x <= w - kBorder))
                c = look.inner; // the inner line frames the client area only
            else
                c = look.fill;
            m.Set(x, y, c);
        }
    }
    return m;
}

struct FrameImages {
    Image left, right, top, bottom;
};

FrameImages BuildFrame() {
    const Image a = FrameModel(kFrameActive);
    const Image i = FrameModel(kFrameInactive);
    const int w = a.Width();
    const int h = a.Height();
    FrameImages f;
    f.left = StripSideBySide({a.Crop(0, 0, kBorder, h), i.Crop(0, 0, kBorder, h)});
    f.right = StripSideBySide({a.Crop(w - kBorder, 0, kBorder, h), i.Crop(w - kBorder, 0, kBorder, h)});
    f.top = StripStacked(
        {a.Crop(kBorder, 0, kTopStripWidth, kCaption), i.Crop(kBorder, 0, kTopStripWidth, kCaption)});
    f.bottom = StripStacked({a.Crop(kBorder, h - kBorder, kTopStripWidth, kBorder),
                             i.Crop(kBorder, h - kBorder, kTopStripWidth, kBorder)});
    return f;
}

// Caption button cells: 1 normal, 2 pressed, 3 hot, 4 inactive window or not allowed.
Image CaptionButton(const Glyph& glyph, bool danger) {
    std::vector<Image> frames;
    const Rgb hot = danger ? Rgb{200, 82, 72} : Rgb{134, 155, 183};
    const Rgb pressed = danger ? Rgb{162, 54, 46} : Rgb{60, 78, 103};
    for (int f = 1; f <= 4; ++f) {
        Image cell(kCapButtonW, kCapButtonH, kMagenta);
        Rgb ink = kWhite;
        if (f == 2) DrawPanel(cell, 0, 0, kCapButtonW, kCapButtonH, 3, {pressed, pressed, pressed});
        if (f == 3) DrawPanel(cell, 0, 0, kCapButtonW, kCapButtonH, 3, {hot, hot, hot});
        if (f == 4) ink = {92, 104, 122};
        DrawGlyphCentred(cell, glyph, 0, 0, kCapButtonW, kCapButtonH, ink);
        frames.push_back(cell);
    }
    return StripSideBySide(frames);
}

// ---- Push buttons, check boxes, radio buttons ------------------------------------------

constexpr int kButtonSize = 24;
constexpr int kButtonMargin = 4;

Image ButtonFrame(State s) {
    static const Rgb white = kWhite;
    static const Rgb ring{196, 208, 225};
    Image cell(kButtonSize, kButtonSize, kMagenta);
    PanelLook look{};
    switch (s) {
    case State::Normal:
        look = {{150, 160, 174}, kWhite, {229, 233, 238}, &white};
        break;
    case State::Pressed:
        look = {kAccent, {203, 213, 227}, {222, 229, 238}};
        break;
    case State::Disabled:
        look = {kDisabledLine, kDisabledFill, kDisabledFill};
        break;
    case State::Hot:
        look = {{111, 134, 164}, {250, 252, 255}, {217, 227, 240}, &white};
        break;
    case State::Focused:
        look = {kAccent, kWhite, {229, 233, 238}, nullptr, &ring};
        break;
    }
    DrawPanel(cell, 0, 0, kButtonSize, kButtonSize, 4, look);
    return cell;
}

Image Buttons() {
    // Frame order used by the push-button painter: normal, pressed, disabled, hot, focused.
    return StripSideBySide({ButtonFrame(State::Normal), ButtonFrame(State::Pressed),
                            ButtonFrame(State::Disabled), ButtonFrame(State::Hot),
                            ButtonFrame(State::Focused)});
}

constexpr int kBoxSize = 13;

PanelLook BoxLook(State s) {
    switch (s) {
    case State::Hot:
        return {{111, 134, 164}, {248, 250, 253}, {224, 232, 242}};
    case State::Pressed:
        return {kAccent, {210, 221, 235}, {226, 233, 241}};
    case State::Disabled:
        return {kDisabledLine, kDisabledFill, kDisabledFill};
    default:
        return {{142, 152, 166}, kWhite, {234, 237, 242}};
    }
}

Rgb MarkColour(State s) {
    return s == State::Disabled ? Rgb{172, 179, 189} : Rgb{47, 68, 97};
}

// Check box strip: unchecked, checked and mixed, each normal, hot, pressed, disabled.
// The outside stays the face colour: the painter may copy the strip opaquely.
Image CheckBoxes() {
    std::vector<Image> frames;
    const State states[] = {State::Normal, State::Hot, State::Pressed, State::Disabled};
    for (int mark = 0; mark < 3; ++mark) {
        for (State s : states) {
            Image cell(kBoxSize, kBoxSize, kFace);
            DrawPanel(cell, 0, 0, kBoxSize, kBoxSize, 2, BoxLook(s));
            if (mark == 1) DrawGlyph(cell, kGlyphCheck, 2, 3, MarkColour(s));
            if (mark == 2) cell.Fill(3, 3, 7, 7, s == State::Disabled ? MarkColour(s) : kAccentMid);
            frames.push_back(cell);
        }
    }
    return StripSideBySide(frames);
}

// Radio strip: unchecked then checked, each normal, hot, pressed, disabled.
Image RadioButtons() {
    std::vector<Image> frames;
    const State states[] = {State::Normal, State::Hot, State::Pressed, State::Disabled};
    for (int mark = 0; mark < 2; ++mark) {
        for (State s : states) {
            const PanelLook look = BoxLook(s);
            Image cell(kBoxSize, kBoxSize, kFace);
            for (int y = 0; y < kBoxSize; ++y)
                for (int x = 0; x < kBoxSize; ++x) {
                    const int depth = DiscDepth(x, y, kBoxSize, 1);
                    if (depth == 0) cell.Set(x, y, look.border);
                    if (depth > 0) cell.Set(x, y, Mix(look.top, look.bottom, y - 1, kBoxSize - 3));
                }
            if (mark == 1) cell.Disc(4, 4, 5, MarkColour(s));
            frames.push_back(cell);
        }
    }
    return StripSideBySide(frames);
}

// ---- Progress bar ------------------------------------------------------------------------

constexpr int kProgressHeight = 19;

Image ProgressTrough() {
    Image img(12, kProgressHeight, kMagenta);
    DrawPanel(img, 0, 0, 12, kProgressHeight, 3, {kShadow, {230, 233, 238}, {247, 248, 250}});
    return img;
}

// The painter draws the chunk 2 pixels in from the bar's left and top edges and cuts its
// lowest 4 rows; its last 4 columns stay transparent so that a full bar keeps a gap before
// the trough's right edge.
Image ProgressChunk() {
    constexpr int solid = 12;
    constexpr int rows = kProgressHeight - 4;
    Image img(solid + 4, kProgressHeight, kMagenta);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < solid; ++x) {
            if (!InsideRounded(x, y, solid, rows, 2)) continue;
            Rgb c = Mix(Rgb{128, 154, 188}, Rgb{78, 104, 141}, y - 1, rows - 2);
            if (y == 0) c = {156, 178, 206};
            if (y == rows - 1) c = {70, 94, 128};
            img.Set(x, y, c);
        }
    }
    return img;
}

// ---- Tabs ------------------------------------------------------------------------------

constexpr int kTabW = 24;
constexpr int kTabH = 22;

Image TabFrame(State s) {
    Image cell(kTabW, kTabH, kFace);
    const bool selected = s == State::Focused || s == State::Pressed;
    Rgb border{170, 178, 190};
    Rgb top{246, 247, 249};
    Rgb bottom{229, 232, 236};
    if (s == State::Hot) {
        border = {140, 156, 178};
        top = {251, 252, 254};
        bottom = {234, 239, 245};
    } else if (s == State::Disabled) {
        border = kDisabledLine;
        top = bottom = kDisabledFill;
    } else if (selected) {
        border = kShadow;
        top = bottom = kFace;
    }
    const Rgb indicator = s == State::Pressed ? Rgb{111, 134, 164} : kAccent;
    // Only the top corners are round: the shape continues below the cell.
    const int shapeH = kTabH + 8;
    for (int y = 0; y < kTabH; ++y) {
        for (int x = 0; x < kTabW; ++x) {
            const int depth = RoundedDepth(x, y, kTabW, shapeH, 3, 2);
            if (depth < 0) continue;
            Rgb c = Mix(top, bottom, y - 1, kTabH - 3);
            if (depth == 0) c = border;
            if (selected && y == 0 && depth == 0) c = indicator;
            if (selected && y == 1 && depth > 0) c = kAccentMid;
            if (selected && y == 1 && depth == 0) c = indicator;
            // Tabs in the background stand on the pane's top line; the chosen one opens into it.
            if (y == kTabH - 1 && !selected) c = kShadow;
            cell.Set(x, y, c);
        }
    }
    return cell;
}

Image Tabs() {
    // 1 normal, 2 the chosen tab, 3 hot, 4 disabled, 5 chosen and pressed.
    return StripSideBySide({TabFrame(State::Normal), TabFrame(State::Focused), TabFrame(State::Hot),
                            TabFrame(State::Disabled), TabFrame(State::Pressed)});
}

Image TabPane() {
    Image img(16, 16, kFace);
    img.HLine(0, 15, 0, kShadow);
    img.HLine(0, 15, 15, kShadow);
    img.VLine(0, 0, 15, kShadow);
    img.VLine(15, 0, 15, kShadow);
    return img;
}

// ---- Status bar ------------------------------------------------------------------------

Image StatusBarEdges() {
    constexpr int w = 16;
    constexpr int h = 19;
    std::vector<Image> frames;
    // 1 lowered, 2 raised, 3 no bevel.
    for (int f = 1; f <= 3; ++f) {
        Image cell(w, h, kFace);
        cell.VGradient(0, 1, w, h - 1, {243, 245, 248}, {231, 234, 238});
        cell.HLine(0, w - 1, 0, {200, 206, 214});
        if (f == 2) cell.HLine(0, w - 1, 1, kWhite);
        if (f != 3) {
            cell.VLine(w - 2, 4, h - 4, {196, 203, 212});
            cell.VLine(w - 1, 4, h - 4, kWhite);
        }
        frames.push_back(cell);
    }
    return StripSideBySide(frames);
}

// ---- Glyph strip: combo arrows and the size grip ----------------------------------------

Image ExtraImages() {
    constexpr int size = 12;
    std::vector<Image> frames;
    const Rgb inks[] = {{80, 92, 108}, {52, 74, 104}, {40, 58, 84}, {176, 183, 192}};
    for (Rgb ink : inks) {
        Image cell(size, size, kMagenta);
        DrawGlyphCentred(cell, kGlyphArrowDown, 0, 0, size, size, ink);
        frames.push_back(cell);
    }
    Image grip(size, size, kMagenta);
    const int dots[][2] = {{9, 3}, {6, 6}, {9, 6}, {3, 9}, {6, 9}, {9, 9}};
    for (const auto& d : dots) {
        grip.Set(d[0] + 1, d[1] + 1, kWhite);
        grip.Set(d[0], d[1], {150, 158, 170});
    }
    frames.push_back(grip);
    return StripSideBySide(frames);
}

// ---- Edits and combo boxes --------------------------------------------------------------

constexpr int kComboH = 21;

// 1 normal, 2 hot, 3 pressed or focused, 4 disabled.
const State kComboStates[] = {State::Normal, State::Hot, State::Pressed, State::Disabled};

Image SunkEdge() {
    std::vector<Image> frames;
    for (State s : kComboStates) {
        Rgb border = kShadow;
        if (s == State::Hot) border = kAccentMid;
        if (s == State::Pressed) border = kAccent;
        if (s == State::Disabled) border = kDisabledLine;
        const Rgb inside = s == State::Disabled ? Rgb{246, 247, 248} : kWhite;
        Image cell(16, kComboH, kMagenta);
        DrawPanel(cell, 0, 0, 16, kComboH, 2, {border, inside, inside});
        frames.push_back(cell);
    }
    return StripSideBySide(frames);
}

// The drop button sits inside the edge of SunkEdge: its outer rows and right column stay
// transparent so that the edge shows through.
Image ComboButton() {
    constexpr int w = 17;
    std::vector<Image> frames;
    for (State s : kComboStates) {
        Rgb top{250, 251, 252}, bottom{233, 236, 241}, line{214, 219, 226};
        if (s == State::Hot) top = {244, 248, 252}, bottom = {216, 226, 238}, line = {176, 190, 210};
        if (s == State::Pressed) top = {208, 219, 233}, bottom = {224, 231, 240}, line = kAccentMid;
        if (s == State::Disabled) top = bottom = kDisabledFill, line = {230, 233, 236};
        Image cell(w, kComboH, kMagenta);
        cell.VGradient(1, 1, w - 2, kComboH - 2, top, bottom);
        cell.VLine(0, 1, kComboH - 2, line);
        frames.push_back(cell);
    }
    return StripSideBySide(frames);
}

// ---- Scroll bars -------------------------------------------------------------------------

constexpr int kScroll = 17;
constexpr int kThumbTop = 4;
constexpr int kThumbThick = 10;

struct ThumbLook {
    Rgb border, top, bottom;
};

const ThumbLook kThumbLooks[] = {
    {{166, 176, 190}, {206, 213, 223}, {190, 199, 211}}, // normal
    {{91, 114, 144}, {152, 171, 196}, {132, 153, 181}},  // pressed
    {{127, 145, 170}, {186, 198, 214}, {168, 182, 201}}, // hot
};

// Horizontal thumb, frames 1 normal, 2 pressed, 3 hot. The vertical one is its transpose.
Image HorzThumb() {
    constexpr int len = 16;
    std::vector<Image> frames;
    for (const ThumbLook& t : kThumbLooks) {
        Image cell(len, kScroll, kMagenta);
        DrawPanel(cell, 0, kThumbTop, len, kThumbThick, 4, {t.border, t.top, t.bottom});
        frames.push_back(cell);
    }
    return StripSideBySide(frames);
}

void TrackCell(Image& cell) {
    cell.Fill(0, 0, cell.Width(), cell.Height(), kTrack);
    cell.HLine(0, cell.Width() - 1, 0, kTrackEdge);
}

// Horizontal-bar cell with a left arrow: 1 normal, 2 pressed, 3 disabled, 4 hot.
Image LeftArrowCell(int f) {
    Image cell(kScroll, kScroll);
    TrackCell(cell);
    Rgb ink{110, 120, 134};
    if (f == 2) {
        DrawPanel(cell, 1, 2, kScroll - 2, kScroll - 3, 3,
                  {{150, 168, 192}, {200, 212, 228}, {200, 212, 228}});
        ink = {40, 58, 84};
    } else if (f == 3) {
        ink = {198, 204, 212};
    } else if (f == 4) {
        DrawPanel(cell, 1, 2, kScroll - 2, kScroll - 3, 3,
                  {{176, 190, 210}, {226, 233, 242}, {226, 233, 242}});
        ink = {52, 74, 104};
    }
    DrawGlyph(cell, kGlyphArrowLeft, (kScroll - GlyphWidth(kGlyphArrowLeft)) / 2, 5, ink);
    return cell;
}

// Grip over the middle of a horizontal thumb: the thumb's own middle with three ridges.
Image HorzGrip(const Image& thumbStrip, int f) {
    const Image thumb = thumbStrip.Crop((f - 1) * 16, 0, 16, kScroll);
    Image cell(kScroll, kScroll, kMagenta);
    for (int x = 5; x <= 11; ++x)
        for (int y = 0; y < kScroll; ++y)
            cell.Set(x, y, thumb.Get(8, y));
    const Rgb ridge = Mix(kThumbLooks[f - 1].border, kThumbLooks[f - 1].bottom, 1, 3);
    for (int x = 6; x <= 10; x += 2)
        cell.VLine(x, kThumbTop + 3, kThumbTop + kThumbThick - 4, ridge);
    return cell;
}

struct ScrollImages {
    Image arrows, horzTrack, vertTrack, horzThumb, vertThumb;
};

ScrollImages BuildScroll() {
    ScrollImages s;
    s.horzThumb = HorzThumb();
    std::vector<Image> vThumbs;
    for (int f = 0; f < 3; ++f)
        vThumbs.push_back(s.horzThumb.Crop(f * 16, 0, 16, kScroll).Transposed());
    s.vertThumb = StripSideBySide(vThumbs);

    std::vector<Image> cells;
    for (int f = 1; f <= 4; ++f)
        cells.push_back(LeftArrowCell(f)); // left
    for (int f = 1; f <= 4; ++f)
        cells.push_back(LeftArrowCell(f).MirroredX()); // right
    for (int f = 1; f <= 4; ++f)
        cells.push_back(LeftArrowCell(f).Transposed()); // up
    for (int f = 1; f <= 4; ++f)
        cells.push_back(LeftArrowCell(f).Transposed().MirroredY()); // down
    const int gripOrder[] = {1, 2, 3};                              // normal, pressed, hot
    for (int f : gripOrder)
        cells.push_back(HorzGrip(s.horzThumb, f));
    for (int f : gripOrder)
        cells.push_back(HorzGrip(s.horzThumb, f).Transposed());
    Image corner(kScroll, kScroll, kFace);
    cells.push_back(corner);
    s.arrows = StripSideBySide(cells);

    std::vector<Image> hTrack, vTrack;
    const Rgb fills[] = {kTrack, {233, 236, 240}, {247, 248, 249}, {237, 240, 244}};
    for (Rgb fill : fills) {
        Image cell(8, kScroll, fill);
        cell.HLine(0, 7, 0, fill == Rgb{247, 248, 249} ? Rgb{234, 236, 239} : kTrackEdge);
        hTrack.push_back(cell);
        vTrack.push_back(cell.Transposed());
    }
    s.horzTrack = StripSideBySide(hTrack);
    s.vertTrack = StripSideBySide(vTrack);
    return s;
}

// ---- Menus and group boxes -------------------------------------------------------------

Image MenuBackground() {
    Image img(16, 16, kWhite);
    const Rgb edge{158, 168, 182};
    img.HLine(0, 15, 0, edge);
    img.HLine(0, 15, 15, edge);
    img.VLine(0, 0, 15, edge);
    img.VLine(15, 0, 15, edge);
    return img;
}

Image MenuItem() {
    constexpr int w = 24;
    constexpr int h = 20;
    // 1 normal (background shows), 2 separator line near the bottom, 3 disabled,
    // 4 selected, 5 hot.
    Image normal(w, h, kMagenta);
    Image separator(w, h, kMagenta);
    separator.HLine(2, w - 3, h - 4, {214, 219, 226});
    Image selected(w, h, kMagenta);
    DrawPanel(selected, 0, 0, w, h, 3, {{150, 170, 196}, {226, 234, 244}, {208, 220, 235}});
    Image hot(w, h, kMagenta);
    DrawPanel(hot, 0, 0, w, h, 3, {{178, 193, 213}, {236, 241, 248}, {222, 231, 242}});
    return StripSideBySide({normal, separator, normal, selected, hot});
}

Image GroupBoxEdge() {
    std::vector<Image> frames;
    for (Rgb edge : {kShadow, kDisabledLine}) {
        Image cell(16, 16, kMagenta);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                if (RoundedDepth(x, y, 16, 16, 4, 1) == 0) cell.Set(x, y, edge);
        frames.push_back(cell);
    }
    return StripSideBySide(frames);
}

Image GroupBoxLabel() {
    return Image(16, 16, kFace);
}

// ---- INI -----------------------------------------------------------------------------------

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> keys;
};

std::string ColourText(Rgb c) {
    return std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b);
}

std::string N(int v) {
    return std::to_string(v);
}

using Keys = std::vector<std::pair<std::string, std::string>>;

Keys Margins(int left, int top, int right, int bottom) {
    return {
        {"LeftWidth", N(left)}, {"TopHeight", N(top)}, {"RightWidth", N(right)}, {"BottomHeight", N(bottom)}};
}

Keys Join(Keys a, const Keys& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string IniText(const std::vector<Section>& sections) {
    std::string text = "; Quenbry updater skin. Generated by tools/skingen; do not edit by hand.\r\n";
    text += "; Regenerate with: skingen resources/skin\r\n";
    for (const Section& s : sections) {
        text += "\r\n[" + s.name + "]\r\n";
        for (const auto& kv : s.keys)
            text += kv.first + "=" + kv.second + "\r\n";
    }
    return text;
}

// The skin as it is built: the INI's sections in order and the images they name, in the order
// the files are written.
struct SkinParts {
    std::vector<Section> sections;
    std::vector<std::pair<std::string, Image>> images;

    // Keeps an image under its file name; returns the name for the section's key.
    std::string Add(const std::string& name, Image img) {
        images.emplace_back(name, std::move(img));
        return name;
    }

    // The image of an element of the engine's element table, under the key the engine reads; an
    // image that does not divide into the frames the engine cuts it into is a fault of this code.
    std::pair<std::string, std::string> Element(const std::string& section, const std::string& name,
                                                Image img) {
        const TSkinElementRow* row = FindSkinElement(section);
        if (!row) throw std::logic_error("[" + section + "] is not an element the engine reads");
        if (row->Frames == TFrameRule::Fixed && img.Width() % row->Count != 0)
            throw std::logic_error(name + " is " + std::to_string(img.Width()) + " pixels wide, not " +
                                   std::to_string(row->Count) + " frames");
        return {ImageKey(*row), Add(name, std::move(img))};
    }
};

// The window frame: its four strips and where the title goes.
void AddFrame(SkinParts& skin) {
    skin.sections.push_back({"TitlebarSkin", {{"SkinName", "Quenbry Slate"}, {"Author", "Quenbry"}}});

    const FrameImages frame = BuildFrame();
    const int sideBottom = kBorder;
    skin.sections.push_back(
        {"Personality",
         {{"Left", skin.Add("FrameLeft.bmp", frame.left)},
          {"LeftFrame", "2"},
          {"LeftStretch", "1"},
          {"LeftTrans", "1"},
          {"LeftTopHeight", N(kCaption)},
          {"LeftBotHeight", N(sideBottom)},
          {"Right", skin.Add("FrameRight.bmp", frame.right)},
          {"RightFrame", "2"},
          {"RightStretch", "1"},
          {"RightTrans", "1"},
          {"RightTopHeight", N(kCaption)},
          {"RightBotHeight", N(sideBottom)},
          {"Top", skin.Add("FrameTop.bmp", frame.top)},
          {"TopFrame", "2"},
          {"TopStretch", "1"},
          // Marked transparent (though it holds no magenta) so that the window region is cut
          // from the strips themselves, keeping the rounded corners of the side strips.
          {"TopTrans", "1"},
          {"TopTopHeight", N(kTopMargin)},
          {"TopBotHeight", N(kTopMargin)},
          {"Bottom", skin.Add("FrameBottom.bmp", frame.bottom)},
          {"BottomFrame", "2"},
          {"BottomStretch", "1"},
          {"BottomTrans", "0"},
          {"BottomTopHeight", N(kTopMargin)},
          {"BottomBotHeight", N(kTopMargin)},
          // The title starts right of the window icon (8 + 16 pixels) and stops
          // short of the three caption buttons.
          {"TextShift", "22"},
          {"TextShiftVert", "0"},
          {"TextRightClip", "76"},
          {"TextAlignment", "0"}}});
}

void AddColours(SkinParts& skin) {
    skin.sections.push_back({"Colours",
                             {{"WindowText", ColourText(kText)},
                              {"TitleTextActive", "255 255 255"},
                              {"TitleTextNoActive", "74 82 96"},
                              {"ButtonFace", ColourText(kFace)},
                              {"ButtonText", ColourText(kText)},
                              {"ButtonHilight", "255 255 255"},
                              {"Buttonlight", "248 249 250"},
                              {"ButtonShadow", ColourText(kShadow)},
                              {"ButtonDkShadow", "110 118 130"},
                              {"HilightText", "24 32 44"},
                              {"Hilight", "214 224 236"},
                              {"Menubar", ColourText(kFace)},
                              {"MenuBarText", ColourText(kText)},
                              {"MenuText", ColourText(kText)},
                              {"Menu", "255 255 255"},
                              {"Scrollbar", ColourText(kTrack)}}});
}

void AddCaptionButtons(SkinParts& skin) {
    // Caption buttons, right-aligned: XCoord counts from the window's right edge.
    const int y = (kCaption - kCapButtonH) / 2;
    const int closeX = kBorder + kCapButtonW + 2;
    const int maxX = closeX + kCapButtonW + 2;
    const int minX = maxX + kCapButtonW + 2;
    skin.sections.push_back({"Button0",
                             {{"ButtonImage", skin.Add("CloseButton.bmp", CaptionButton(kGlyphClose, true))},
                              {"Align", "1"},
                              {"XCoord", N(closeX)},
                              {"YCoord", N(y)},
                              {"Action", "0"},
                              {"Visibility", "0"},
                              {"Frame", "4"}}});
    skin.sections.push_back({"Button1",
                             {{"ButtonImage", skin.Add("MaxButton.bmp", CaptionButton(kGlyphMax, false))},
                              {"Align", "1"},
                              {"XCoord", N(maxX)},
                              {"YCoord", N(y)},
                              {"Action", "1"},
                              {"Visibility", "2"},
                              {"Visibility1", "6"},
                              {"Frame", "4"}}});
    skin.sections.push_back({"Button2",
                             {{"ButtonImage", skin.Add("MinButton.bmp", CaptionButton(kGlyphMin, false))},
                              {"Align", "1"},
                              {"XCoord", N(minX)},
                              {"YCoord", N(y)},
                              {"Action", "2"},
                              {"Visibility", "8"},
                              {"Frame", "4"}}});
    skin.sections.push_back(
        {"Button3",
         {{"ButtonImage", skin.Add("RestoreButton.bmp", CaptionButton(kGlyphRestore, false))},
          {"Align", "1"},
          {"XCoord", N(maxX)},
          {"YCoord", N(y)},
          {"Action", "1"},
          {"Visibility", "1"},
          {"Frame", "4"}}});
    // The window icon: no image of its own, the frame draws the window's small icon.
    skin.sections.push_back({"Button4",
                             {{"Align", "0"},
                              {"XCoord", "8"},
                              {"YCoord", N((kCaption - 16) / 2)},
                              {"Action", "3"},
                              {"Visibility", "0"}}});
}

// Push buttons, check and radio boxes, progress bar, group box, tabs, status bar, combo box, the
// sunken edge and menus.
void AddControls(SkinParts& skin) {
    skin.sections.push_back(
        {"Buttons", Join({{"Bitmap", skin.Add("Buttons.bmp", Buttons())}},
                         Join(Margins(kButtonMargin, kButtonMargin, kButtonMargin, kButtonMargin),
                              {{"Trans", "1"},
                               {"Tile", "0"},
                               {"CheckButton", skin.Add("CheckBox.bmp", CheckBoxes())},
                               {"CheckButtonFrame", "12"},
                               {"RadioButton", skin.Add("RadioButton.bmp", RadioButtons())},
                               {"RadioButtonFrame", "8"}}))});

    skin.sections.push_back(
        {"Progress", Join({skin.Element("Progress", "Progress.bmp", ProgressTrough())},
                          Join(Margins(3, 3, 3, 3), {{"Trans", "1"}, {"Tile", "0"}, {"Style", "1"}}))});
    skin.sections.push_back(
        {"Progress.Chunk",
         Join({skin.Element("Progress.Chunk", "ProgressChunk.bmp", ProgressChunk())},
              Join(Margins(2, 2, 5, 2), {{"Trans", "1"}, {"Tile", "0"}, {"Style", "1"}, {"Frame", "1"}}))});

    skin.sections.push_back(
        {"GroupBoxEdge", Join({skin.Element("GroupBoxEdge", "GroupBoxEdge.bmp", GroupBoxEdge())},
                              Join(Margins(4, 4, 4, 4), {{"Trans", "1"}, {"Tile", "0"}}))});
    skin.sections.push_back({"GroupBox", Join({skin.Element("GroupBox", "GroupBox.bmp", GroupBoxLabel())},
                                              Join(Margins(2, 2, 2, 2), {{"Trans", "0"}, {"Tile", "0"}}))});

    skin.sections.push_back(
        {"Tabs", Join({skin.Element("Tabs", "Tab.bmp", Tabs())},
                      Join(Margins(3, 3, 3, 1), {{"Trans", "0"},
                                                 {"Tile", "0"},
                                                 {"Style", "1"},
                                                 {"NormalColour2", "70 80 94"},
                                                 {"MouseOverColour2", ColourText(kText)}}))});
    skin.sections.push_back({"Tab.Pane", Join({skin.Element("Tab.Pane", "TabSheet.bmp", TabPane())},
                                              Join(Margins(2, 2, 2, 2), {{"Trans", "0"}, {"Tile", "0"}}))});

    skin.sections.push_back(
        {"StatusBarEdges",
         Join({skin.Element("StatusBarEdges", "StatusBar.bmp", StatusBarEdges())},
              Join(Margins(2, 2, 2, 2), {{"Trans", "0"}, {"Tile", "0"}, {"NormalColour2", "40 48 58"}}))});

    skin.sections.push_back(
        {"ComboButton", Join({skin.Element("ComboButton", "ComboButton.bmp", ComboButton())},
                             Join(Margins(2, 2, 2, 2), {{"Trans", "1"}, {"Tile", "0"}, {"Style", "1"}}))});
    skin.sections.push_back({"SunkEdge", Join({skin.Element("SunkEdge", "SunkEdge.bmp", SunkEdge())},
                                              Join(Margins(2, 2, 2, 2), {{"Trans", "1"}, {"Tile", "0"}}))});
    skin.sections.push_back(
        {"ExtraImages", {skin.Element("ExtraImages", "ExtraImages.bmp", ExtraImages()), {"Trans", "1"}}});

    skin.sections.push_back(
        {"MenuItem", Join({skin.Element("MenuItem", "MenuItem.bmp", MenuItem())},
                          Join(Margins(3, 3, 3, 3), {{"Trans", "1"}, {"Tile", "0"}, {"Frame", "5"}}))});
    skin.sections.push_back(
        {"MenuBackground", Join({skin.Element("MenuBackground", "MenuBackground.bmp", MenuBackground())},
                                Join(Margins(3, 3, 3, 3), {{"Trans", "0"}, {"Tile", "0"}}))});
}

void AddScrollbars(SkinParts& skin) {
    const ScrollImages scroll = BuildScroll();
    skin.sections.push_back(
        {"Scrollbar", {skin.Element("Scrollbar", "ScrollbarArrow.bmp", scroll.arrows), {"Trans", "1"}}});
    skin.sections.push_back(
        {"HorzScroll", Join({skin.Element("HorzScroll", "ScrollbarHBar.bmp", scroll.horzTrack)},
                            Join(Margins(0, 1, 0, 1), {{"Trans", "0"}, {"Tile", "0"}}))});
    skin.sections.push_back(
        {"VertScroll", Join({skin.Element("VertScroll", "ScrollbarVBar.bmp", scroll.vertTrack)},
                            Join(Margins(1, 0, 1, 0), {{"Trans", "0"}, {"Tile", "0"}}))});
    skin.sections.push_back(
        {"HorzScrollThumb",
         Join({skin.Element("HorzScrollThumb", "ScrollbarHThumb.bmp", scroll.horzThumb)},
              Join(Margins(5, 5, 5, 5), {{"Trans", "1"}, {"Tile", "0"}, {"FrameCount", "3"}}))});
    skin.sections.push_back(
        {"VertScrollThumb",
         Join({skin.Element("VertScrollThumb", "ScrollbarVThumb.bmp", scroll.vertThumb)},
              Join(Margins(5, 5, 5, 5), {{"Trans", "1"}, {"Tile", "0"}, {"FrameCount", "3"}}))});
}

} // namespace

std::vector<SkinFile> BuildSkin() {
    SkinParts skin;
    AddFrame(skin);
    AddColours(skin);
    AddCaptionButtons(skin);
    AddControls(skin);
    AddScrollbars(skin);

    std::vector<SkinFile> files;
    const std::string ini = IniText(skin.sections);
    files.push_back({kIniName, std::vector<std::uint8_t>(ini.begin(), ini.end())});
    for (const auto& [name, img] : skin.images)
        files.push_back({name, img.EncodeBmp()});
    return files;
}

std::string WriteSkin(const std::string& folder) {
    std::vector<SkinFile> files;
    try {
        files = BuildSkin();
    } catch (const std::exception& e) {
        return std::string("cannot build the skin: ") + e.what();
    }
    for (const SkinFile& f : files) {
        const std::string path = folder + "/" + f.name;
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(path.c_str(), "wb"), &std::fclose);
        if (!out) return "cannot create " + path;
        if (!f.bytes.empty() && std::fwrite(f.bytes.data(), 1, f.bytes.size(), out.get()) != f.bytes.size())
            return "cannot write " + path;
        if (std::fclose(out.release()) != 0) return "cannot write " + path;
    }
    return {};
}

} // namespace skingen
