#include "tools/skinsheet/SkinSheet.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <vector>

#include "skin/model/ImgUtil.h"
#include "skin/model/WinSkinData.h"
#include "tools/skinpack/SkinEncoder.h"
#include "tools/skinpack/SkinPackage.h"

namespace fs = std::filesystem;

namespace {

struct TGlyph {
    char c;
    std::uint8_t rows[7];
};

// 5 x 7 glyphs; bit 4 is the leftmost column.
constexpr TGlyph kFont[] = {
    {' ', {0, 0, 0, 0, 0, 0, 0}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'=', {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
    {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
    {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'*', {0x00, 0x04, 0x15, 0x0E, 0x15, 0x04, 0x00}},
    {'?', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04}},
};

const TGlyph& GlyphFor(char c) {
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    for (const TGlyph& g : kFont)
        if (g.c == c) return g;
    return kFont[std::size(kFont) - 1];
}

constexpr int kCharAdvance = 6;
constexpr int kLineHeight = 10;
constexpr TColor kBackground = RGBColour(244, 244, 244);
constexpr TColor kInk = RGBColour(32, 32, 32);
constexpr TColor kFaint = RGBColour(120, 120, 120);
constexpr TColor kRule = RGBColour(200, 200, 200);

int TextWidth(const std::string& text) {
    return int(text.size()) * kCharAdvance;
}

// Light checks behind every drawing, so transparent (magenta-keyed) parts show as such.
// When set (not negative), the solid colour drawn behind pictures instead of the checks.
TColor gBackdrop = -1;

void Checker(TBitmap32& b, const TRect& r) {
    if (gBackdrop >= 0) {
        b.FillRect(r, gBackdrop);
        return;
    }
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            b.SetPixel(x, y, (((x - r.Left) / 6 + (y - r.Top) / 6) & 1) ? RGBColour(214, 214, 214) : clWhite);
}

void Outline(TBitmap32& b, const TRect& r, TColor c) {
    b.FillRect({r.Left - 1, r.Top - 1, r.Right + 1, r.Top}, c);
    b.FillRect({r.Left - 1, r.Bottom, r.Right + 1, r.Bottom + 1}, c);
    b.FillRect({r.Left - 1, r.Top, r.Left, r.Bottom}, c);
    b.FillRect({r.Right, r.Top, r.Right + 1, r.Bottom}, c);
}

// One labelled picture on the sheet.
struct TCell {
    TBitmap32 picture;
    std::string caption;
};

// Lays cells out left to right, wrapping at the sheet's width.
class TFlow {
public:
    explicit TFlow(int width) : width_(width) {}
    void Add(TCell cell) { cells_.push_back(std::move(cell)); }
    // Draws at `top` and returns the y below the last line.
    int Render(TBitmap32& sheet, int top) const {
        return Layout(top, [&sheet](const TCell& c, int x, int y) {
            const TRect r = Bounds(x + 1, y + 1, c.picture.Width(), c.picture.Height());
            TBitmapCanvas canvas(sheet);
            canvas.Draw(r.Left, r.Top, c.picture);
            Outline(sheet, r, kRule);
            DrawSheetText(sheet, x, r.Bottom + 3, c.caption, kFaint);
        });
    }
    int Height() const {
        return Layout(0, [](const TCell&, int, int) {});
    }

private:
    // Places the cells left to right, wrapping at the width; calls place(cell, x, y) for each and
    // returns the y below the last line.
    template <class TPlace> int Layout(int top, TPlace place) const {
        int x = kMargin, y = top, lineHeight = 0;
        for (const TCell& c : cells_) {
            const int w = std::max(c.picture.Width(), TextWidth(c.caption)) + 2;
            const int h = c.picture.Height() + 2 + kLineHeight;
            if (x > kMargin && x + w > width_ - kMargin) {
                x = kMargin;
                y += lineHeight + kGap;
                lineHeight = 0;
            }
            place(c, x, y);
            x += w + kGap;
            lineHeight = std::max(lineHeight, h);
        }
        return y + lineHeight + kGap;
    }

    static constexpr int kMargin = 12;
    static constexpr int kGap = 8;
    int width_;
    std::vector<TCell> cells_;
};

// A section of the sheet: a heading line and a flow of cells.
struct TBlock {
    std::string heading;
    std::string detail;
    TFlow flow;
};

std::string MarginText(const TRect& m) {
    return std::to_string(m.Left) + "," + std::to_string(m.Top) + "," + std::to_string(m.Right) + "," +
           std::to_string(m.Bottom);
}

// A frame drawn by the element painter at `size`, over checks.
TBitmap32 FrameAt(const TBitmap32& image, const TRect& margins, bool stacked, bool tile, bool trans,
                  int frames, int frame, int w, int h) {
    TBitmap32 cell(w, h);
    Checker(cell, cell.BoundsRect());
    TBitmapCanvas canvas(cell);
    DrawElement(canvas, cell.BoundsRect(), image, stacked, tile, trans, frames, frame, margins);
    return cell;
}

TBitmap32 WithChecks(const TBitmap32& image, bool transparent) {
    TBitmap32 cell(image.Width(), image.Height());
    Checker(cell, cell.BoundsRect());
    TBitmapCanvas canvas(cell);
    if (transparent)
        TransparentDraw(canvas, cell.BoundsRect(), image, TransparentKeyColour);
    else
        canvas.Draw(0, 0, image);
    return cell;
}

void AddStrip(TFlow& flow, const std::string& what, const TBitmap32& image, bool transparent) {
    if (image.Empty()) {
        flow.Add({TBitmap32(24, 12, kBackground), what + ": EMPTY"});
        return;
    }
    flow.Add({WithChecks(image, transparent),
              what + " " + std::to_string(image.Width()) + "X" + std::to_string(image.Height())});
}

// How the painters read an element: the frame borders, the menu bar and the caption text back
// hold their frames top to bottom, and for the frame borders and the menu bar Tile 1 means a
// stretched middle, the reverse of the controls' reading.
struct TLayout {
    bool stacked = false;
    bool tile = false;
    TColor backdrop = -1;
};

TBlock ElementBlock(const TDataSkinObject& e, const TLayout& layout, int width) {
    TBlock block{e.Name, "", TFlow(width)};
    const int frames = std::max(e.FrameCount, 1);
    block.detail = std::string(layout.stacked ? "STACKED " : "") + "FRAMES " + std::to_string(e.FrameCount) +
                   "  MARGINS " + MarginText(e.Margins()) + "  TRANS " + std::to_string(e.Trans) + "  TILE " +
                   std::to_string(e.Tile) + "  STYLE " + std::to_string(e.Style);
    if (const auto* b = dynamic_cast<const TDataSkinSysButton*>(&e))
        block.detail += "  ACTION " + std::to_string(b->Action) + "  ALIGN " + std::to_string(b->Align) +
                        "  AT " + std::to_string(b->XCoord) + "," + std::to_string(b->YCoord) + "  VIS " +
                        std::to_string(b->Visibility) + "/" + std::to_string(b->Visibility1);
    if (const auto* t = dynamic_cast<const TDataSkinTitle*>(&e))
        block.detail = "TEXTSHIFT " + std::to_string(t->LeftWidth) + "  VERT " +
                       std::to_string(t->TopHeight) + "  RIGHTCLIP " + std::to_string(t->RightWidth) +
                       "  FONTHEIGHT " + std::to_string(t->FontHeight);
    // Caption buttons are drawn keyed whatever their Trans says.
    const bool trans = e.Trans != 0 || dynamic_cast<const TDataSkinSysButton*>(&e) != nullptr;
    gBackdrop = layout.backdrop;
    AddStrip(block.flow, "IMAGE", e.Bitmap, trans);
    if (!e.Bitmap.Empty()) {
        const int fw = layout.stacked ? e.Bitmap.Width() : std::max(e.Bitmap.Width() / frames, 1);
        const int fh = layout.stacked ? std::max(e.Bitmap.Height() / frames, 1) : e.Bitmap.Height();
        // Enlarged enough to show what the margins keep and what is stretched or tiled.
        const int bigW = std::min(std::max(fw * 2, fw + 40), 360),
                  bigH = std::min(std::max(fh * 2, fh + 16), 160);
        // Margins that leave a frame no middle (the built-in 4-pixel track grooves have 3 on each
        // side) would paint nothing there; show such an axis without them, and say so.
        TRect margins = e.Margins();
        if (margins.Left + margins.Right >= fw) {
            margins.Left = margins.Right = 0;
            block.detail += "  (NO ROOM FOR LEFT+RIGHT)";
        }
        if (margins.Top + margins.Bottom >= fh) {
            margins.Top = margins.Bottom = 0;
            block.detail += "  (NO ROOM FOR TOP+BOTTOM)";
        }
        for (int k = 1; k <= frames; ++k) {
            block.flow.Add({FrameAt(e.Bitmap, margins, layout.stacked, layout.tile, trans, frames, k, fw, fh),
                            "#" + std::to_string(k)});
            block.flow.Add(
                {FrameAt(e.Bitmap, margins, layout.stacked, layout.tile, trans, frames, k, bigW, bigH),
                 "#" + std::to_string(k) + " " + std::to_string(bigW) + "X" + std::to_string(bigH)});
        }
    }
    if (const auto* b = dynamic_cast<const TDataSkinBorder*>(&e); b && !b->Bitmap2.Empty())
        AddStrip(block.flow, "BITMAP2", b->Bitmap2, e.Trans != 0);
    if (const auto* b = dynamic_cast<const TDataSkinButton*>(&e)) {
        for (auto [what, image, count] : {std::tuple{"CHECK", &b->CheckBitmap, b->CheckButtonFrame},
                                          std::tuple{"RADIO", &b->RadioBitmap, b->RadioButtonFrame}}) {
            AddStrip(block.flow, std::string(what) + " " + std::to_string(count) + " FRAMES", *image, true);
            if (image->Empty() || count < 1) continue;
            const int fw = image->Width() / count;
            for (int k = 1; k <= count; ++k) {
                TBitmap32 cell(fw + 8, image->Height() + 8);
                Checker(cell, cell.BoundsRect());
                TBitmapCanvas canvas(cell);
                DrawGlyph(canvas, cell.BoundsRect(), *image, true, count, k);
                block.flow.Add({cell, std::to_string(k)});
            }
        }
    }
    gBackdrop = -1;
    return block;
}

TBitmap32 Swatch(TColor colour) {
    TBitmap32 s(36, 18, ColourToRGB(colour));
    return s;
}

std::string Hex(TColor c) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "#";
    const std::uint32_t v = std::uint32_t(ColourToRGB(c));
    for (int shift : {0, 8, 16}) {
        s += digits[(v >> (shift + 4)) & 15];
        s += digits[(v >> shift) & 15];
    }
    return s;
}

TBlock ColourBlock(const TSkinData& d, int width) {
    TBlock block{"COLOURS", "SLOT: RGB (* = GIVEN BY THE SKIN, ELSE SYSTEM)", TFlow(width)};
    for (int slot = 0; slot < kSkinColourCount; ++slot)
        block.flow.Add({Swatch(d.SkinColours[size_t(slot)]), std::to_string(slot) +
                                                                 (d.ColourGiven[size_t(slot)] ? "*" : "") +
                                                                 " " + Hex(d.SkinColours[size_t(slot)])});
    block.flow.Add({Swatch(d.FrameColour), "FRAME " + Hex(d.FrameColour)});
    block.flow.Add({Swatch(d.FaceBrushColour), "FACE " + Hex(d.FaceBrushColour)});
    for (size_t i = 0; i < d.ExtraColours.size(); ++i)
        block.flow.Add(
            {Swatch(d.ExtraColours[i]), "EXTRA" + std::to_string(i) + " " + Hex(d.ExtraColours[i])});
    for (size_t i = 0; i < d.CustomColours.size(); ++i)
        block.flow.Add({Swatch(d.CustomColours[i]), "CUSTOM" + std::to_string(i)});
    return block;
}

std::vector<std::uint8_t> ReadWhole(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

int DrawSheetText(TBitmap32& target, int x, int y, const std::string& text, TColor colour, int scale) {
    for (char c : text) {
        const TGlyph& g = GlyphFor(c);
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g.rows[row] & (0x10 >> col))
                    target.FillRect(Bounds(x + col * scale, y + row * scale, scale, scale), colour);
        x += kCharAdvance * scale;
    }
    return x;
}

bool LoadSkinForSheet(const std::string& path, TSkinData& data, std::string& error) {
    std::error_code ec;
    std::vector<std::uint8_t> packed;
    try {
        if (fs::is_directory(path, ec)) {
            std::vector<fs::path> files;
            for (const auto& e : fs::directory_iterator(path))
                if (e.is_regular_file()) files.push_back(e.path());
            std::sort(files.begin(), files.end());
            std::vector<TSkinEntry> entries;
            for (const fs::path& f : files)
                entries.push_back({f.filename().string(), ReadWhole(f)});
            packed = PackSkinStream(BuildSkinPackage(entries));
        } else if (fs::is_regular_file(path, ec)) {
            packed = ReadWhole(path);
        } else {
            error = "no such skin folder or file: " + path;
            return false;
        }
    } catch (const std::exception& e) {
        error = std::string("cannot pack the skin: ") + e.what();
        return false;
    }
    data.SetStoredSkin(std::move(packed));
    if (!data.LoadSkin()) {
        error = data.LastLoadError();
        return false;
    }
    return true;
}

TBitmap32 RenderSkinSheet(const TSkinData& data, const std::string& title, int width) {
    std::vector<TBlock> blocks;
    blocks.push_back(ColourBlock(data, width));
    for (const TDataSkinObject* e : data.Elements()) {
        TLayout layout{false, e->Tile != 0};
        const bool border = e == &data.Border(TSkinData::bdLeft) || e == &data.Border(TSkinData::bdRight);
        const bool stackedBorder =
            e == &data.Border(TSkinData::bdTop) || e == &data.Border(TSkinData::bdBottom);
        if (border || stackedBorder || e == data.MenuBar.get()) layout.tile = e->Tile != 1;
        if (stackedBorder || e == data.MenuBar.get() || e == &data.Title()) layout.stacked = true;
        // Caption buttons are seen on the caption: show them on the frame colour.
        if (dynamic_cast<const TDataSkinSysButton*>(e)) layout.backdrop = ColourToRGB(data.FrameColour);
        blocks.push_back(ElementBlock(*e, layout, width));
    }

    constexpr int kTitleHeight = 40, kHeadingHeight = 2 * kLineHeight + 6;
    int height = kTitleHeight;
    for (const TBlock& b : blocks)
        height += kHeadingHeight + b.flow.Height() + 6;
    TBitmap32 sheet(width, height, kBackground);
    DrawSheetText(sheet, 12, 10, title, kInk, 3);
    int y = kTitleHeight;
    for (const TBlock& b : blocks) {
        sheet.FillRect({0, y, width, y + 1}, kRule);
        DrawSheetText(sheet, 12, y + 5, b.heading, kInk, 1);
        DrawSheetText(sheet, 12 + std::max(TextWidth(b.heading) + 18, 150), y + 5, b.detail, kFaint, 1);
        y = b.flow.Render(sheet, y + kHeadingHeight) + 6;
    }
    sheet.SetPixelFormat(TPixelFormat::pf24bit);
    return sheet;
}
