#include "skin/model/SkinLoader.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <type_traits>

#include "framework/AsciiText.h"
#include "skin/format/SkinRead.h"
#include "skin/format/WinSkinIni.h"
#include "skin/model/ImgUtil.h"
#include "skin/model/SkinBuiltinImages.h"
#include "skin/model/SkinElementTable.h"

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// A colour given as text, or `fallback` when the key is missing or empty.
TColor ReadColourText(const TQuickIni& ini, const std::string& section, const std::string& key,
                      TColor fallback) {
    const std::string text = ini.ReadString(section, key, "");
    return text.empty() ? fallback : ParseColourText(text);
}

} // namespace

// ---- The loader ---------------------------------------------------------------------------------

TSkinLoader::TSkinLoader(TSkinData& data, const TSkinReader& reader) : data_(data), reader_(reader) {}

void TSkinLoader::LoadBitmap(TBitmap32& bitmap, const std::string& name) const {
    bitmap.Clear();
    const size_t slash = name.find_last_of("\\/:");
    const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
    const size_t dot = file.find_last_of('.');
    if (file.empty() || dot == std::string::npos || file.substr(dot) != ".bmp") return;
    std::vector<std::uint8_t> entry;
    reader_.ExtractEntry(file, entry);
    if (entry.empty()) return;
    TBitmap32 loaded;
    if (loaded.LoadFromBytes(entry.data(), entry.size())) bitmap = std::move(loaded);
}

void TSkinLoader::Read(const TQuickIni& ini) {
    std::vector<std::string> sections;
    ini.ReadSections(&sections);
    data_.SkinName = ini.ReadString("TitlebarSkin", "SkinName", "");
    ReadBorders(ini);
    ReadColours(ini, sections);
    ReadCaptionButtons(ini, sections);
    ReadButtons(ini);
    ReadTitle(ini);
    ReadElements(ini);
    FixFrameCounts();
    BuildComboFrames();
    BuildComboArrow();
    // The toolbar background is tinted by the frame colour, so that comes from this skin first.
    data_.FrameColour = ComputeFrameColour();
    BuildToolbarBackground();
    data_.FaceBrushColour = data_.SkinColours[scButtonFace];
}

void TSkinLoader::ReadBorders(const TQuickIni& ini) {
    static const char* const names[4] = {"Left", "Right", "Top", "Bottom"};
    for (int i = 0; i < 4; ++i) {
        const std::string n = names[i];
        TDataSkinBorder& b = data_.Border(TSkinData::TBorderIndex(i));
        LoadBitmap(b.Bitmap, ini.ReadString("Personality", n, ""));
        b.FrameCount = ini.ReadInteger("Personality", n + "Frame", 1);
        b.Tile = std::min(ini.ReadInteger("Personality", n + "Stretch", 1), 1);
        b.Trans = ini.ReadInteger("Personality", n + "Trans", 1);
        const std::int32_t first = ini.ReadInteger("Personality", n + "TopHeight", 0);
        const std::int32_t second = ini.ReadInteger("Personality", n + "BotHeight", 0);
        if (i == TSkinData::bdLeft || i == TSkinData::bdRight) {
            b.TopHeight = first;
            b.BottomHeight = second;
            b.LeftWidth = b.RightWidth = 0;
        } else {
            b.LeftWidth = first;
            b.RightWidth = second;
            b.TopHeight = b.BottomHeight = 0;
        }
    }
}

void TSkinLoader::ReadColours(const TQuickIni& ini, const std::vector<std::string>& sections) {
    for (const TSkinColourKey& k : SkinColourKeys()) {
        const TColor fallback = k.sysIndex < 0 ? data_.SkinColours[scButtonFace] : SysColourRef(k.sysIndex);
        const std::string text = ini.ReadString("Colours", k.key, "");
        data_.ColourGiven[size_t(k.slot)] = !text.empty();
        data_.SkinColours[size_t(k.slot)] = text.empty() ? fallback : ParseColourText(text);
    }
    for (const std::string& section : sections) {
        const std::string upper = UpperAscii(section);
        if (StartsWith(upper, "COLOUR") && upper != "COLOURS")
            data_.ExtraColours.push_back(ReadColourText(ini, section, "color", SysColourRef(8)));
    }
    for (int i = 0; i < 10; ++i)
        data_.CustomColours[size_t(i)] =
            ReadColourText(ini, "Customcolors", "Color" + std::to_string(i), clWhite);
}

void TSkinLoader::ReadCaptionButtons(const TQuickIni& ini, const std::vector<std::string>& sections) {
    std::vector<std::string> kept;
    for (const std::string& section : sections) {
        const std::string upper = UpperAscii(section);
        if (!StartsWith(upper, "BUTTON") || upper == "BUTTON" || upper == "BUTTONS" ||
            upper == "BUTTON.RADIO" || upper == "BUTTON.CHECKBOX")
            continue;
        const bool visibilityZero = !ini.ReadString(section, "Visibility", "").empty() &&
                                    ini.ReadInteger(section, "Visibility", -1) == 0;
        if (ini.ReadInteger(section, "Action", 0) == -1 && !visibilityZero) continue;
        kept.push_back(section);
    }
    bool remembered = false;
    std::int32_t rememberedX = 0, rememberedY = 0;
    for (const std::string& section : kept) {
        auto b = std::make_unique<TDataSkinSysButton>(UpperAscii(section));
        b->Reset(data_.SkinColours[scButtonText]);
        b->Action = ini.ReadInteger(section, "Action", 0);
        b->Align = ini.ReadInteger(section, "Align", 0);
        b->XCoord = ini.ReadInteger(section, "Xcoord", 0);
        b->YCoord = ini.ReadInteger(section, "Ycoord", 0);
        b->Visibility = ini.ReadInteger(section, "Visibility", 0);
        b->Visibility1 = ini.ReadInteger(section, "Visibility1", b->Action == -1 ? -1 : 0);
        b->CombineOp = ini.ReadInteger(section, "CombineOp", -1);
        b->FrameCount = ini.ReadInteger(section, "frame", 0);
        LoadBitmap(b->Bitmap, ini.ReadString(section, "ButtonImage", ""));
        if (b->Action == 1 && b->Visibility == 2) {
            remembered = true;
            rememberedX = b->XCoord;
            rememberedY = b->YCoord;
        } else if (b->Action == 4) {
            b->XCoord = remembered ? rememberedX : 0;
            b->YCoord = remembered ? rememberedY : 0;
        }
        if (b->FrameCount == 0) {
            b->FrameCount = 6;
            if (!b->Bitmap.Empty())
                b->FrameCount = double(b->Bitmap.Width()) / double(b->Bitmap.Height()) <= 3.8 ? 3 : 6;
            if (b->Action < 0) b->FrameCount = 6;
            if (b->Action == 3 || b->Action == 11) b->Bitmap.Clear();
        }
        data_.CaptionButtons.push_back(std::move(b));
    }
    TBitmap32 mdi;
    const std::string mdiImage = ini.ReadString("MDICONTROLS", "Image", "");
    if (!mdiImage.empty()) LoadBitmap(mdi, mdiImage);
    const int u = mdi.Width() / 12;
    for (int i = 0; i < 3; ++i) {
        auto b = std::make_unique<TDataSkinSysButton>("MDICONTROLS" + std::to_string(i));
        b->Reset(data_.SkinColours[scButtonText]);
        b->Action = 7 + i;
        b->Align = b->Visibility = b->Visibility1 = 100;
        b->FrameCount = 4;
        if (!mdiImage.empty()) {
            if (u > 0) b->Bitmap = mdi.Copy(Bounds(4 * i * u, 0, 4 * u, mdi.Height()));
            b->XCoord = (u + 4) * (3 - i);
        }
        data_.CaptionButtons.push_back(std::move(b));
    }
}

void TSkinLoader::ReadButtons(const TQuickIni& ini) {
    TDataSkinButton& b = data_.Buttons();
    const char* s = "Buttons";
    b.LeftWidth = ini.ReadInteger(s, "LeftWidth", 0);
    b.RightWidth = ini.ReadInteger(s, "RightWidth", 0);
    b.TopHeight = ini.ReadInteger(s, "TopHeight", 0);
    b.BottomHeight = ini.ReadInteger(s, "BottomHeight", 0);
    b.Trans = ini.ReadInteger(s, "Trans", 0);
    b.Tile = ini.ReadInteger(s, "Tile", 0);
    if (b.Tile > 1) b.Tile = 0;
    LoadBitmap(b.Bitmap, ini.ReadString(s, "Bitmap", ""));
    LoadBitmap(b.CheckBitmap, ini.ReadString(s, "CheckButton", ""));
    LoadBitmap(b.RadioBitmap, ini.ReadString(s, "RadioButton", ""));
    b.NormalColour = ini.ReadInteger(s, "NormalColour", -1);
    b.MouseOverColour = ini.ReadInteger(s, "MouseOverColour", -1);
    b.PressedColour = ini.ReadInteger(s, "PressedColour", -1);
    b.RadioButtonFrame = ini.ReadInteger(s, "RadioButtonFrame", 0);
    b.CheckButtonFrame = ini.ReadInteger(s, "CheckButtonFrame", 0);
    b.NormalColour2Given = !ini.ReadString(s, "NormalColour2", "").empty();
    b.MouseOverColour2Given = !ini.ReadString(s, "MouseOverColour2", "").empty();
    b.PressedColour2Given = !ini.ReadString(s, "PressedColour2", "").empty();
    const TColor buttonText = data_.SkinColours[scButtonText];
    b.NormalColour2 = ReadColourText(ini, s, "NormalColour2", buttonText);
    b.MouseOverColour2 = ReadColourText(ini, s, "MouseOverColour2", buttonText);
    b.PressedColour2 = ReadColourText(ini, s, "PressedColour2", buttonText);
}

void TSkinLoader::ReadTitle(const TQuickIni& ini) {
    TDataSkinTitle& t = data_.Title();
    const char* s = "Personality";
    LoadBitmap(t.Bitmap, ini.ReadString(s, "TextBack", ""));
    t.LeftWidth = ini.ReadInteger(s, "TextShift", 0);
    t.TopHeight = ini.ReadInteger(s, "TextShiftVert", 0);
    t.RightWidth = ini.ReadInteger(s, "TextRightClip", 0);
    t.TextAlignment = ini.ReadInteger(s, "TextAlignment", 0);
    t.TextBackground = ini.ReadInteger(s, "Textbackground", 0);
    t.TextBackLeft = ini.ReadInteger(s, "TXTBackleft", 0);
    t.TextBackRight = ini.ReadInteger(s, "TXTBackRight", 0);
    t.FontHeight = ini.ReadInteger("Fonts", "FontHeight", 14);
    auto triple = [&](const char* r, const char* g, const char* b, TColor& out) {
        const std::int32_t red = ini.ReadInteger(s, r, -1), green = ini.ReadInteger(s, g, -1),
                           blue = ini.ReadInteger(s, b, -1);
        if (red >= 0 && green >= 0 && blue >= 0) out = RGBColour(red, green, blue);
    };
    triple("ActiveTextR", "ActiveTextG", "ActiveTextB", t.ActiveTextColour);
    triple("InActiveTextR", "InActiveTextG", "InActiveTextB", t.InactiveTextColour);
}

namespace {

// Reads one element section into a fresh record; null when the section names no image.
template <typename T>
std::unique_ptr<T> ReadElement(const TSkinLoader& loader, const TSkinData& data, const TQuickIni& ini,
                               const TSkinElementRow& row) {
    const std::string section = row.Section;
    const TElementRead read = row.Read;
    const std::string image = ini.ReadString(section, ImageKey(row), "");
    if (image.empty()) return nullptr;
    auto e = std::make_unique<T>(section);
    const TColor buttonText = data.SkinColours[scButtonText];
    e->Reset(buttonText);
    loader.LoadBitmap(e->Bitmap, image);
    if (read == TElementRead::MenuBar) {
        e->Tile = std::min(ini.ReadInteger(section, "TileMenu", 1), 1);
        e->LeftWidth = ini.ReadInteger(section, "TileLeftMenu", 1);
        e->RightWidth = ini.ReadInteger(section, "TileRightMenu", 1);
        return e;
    }
    e->Style = ini.ReadInteger(section, "Style", 0);
    e->LeftWidth = ini.ReadInteger(section, "LeftWidth", 0);
    e->RightWidth = ini.ReadInteger(section, "RightWidth", 0);
    e->TopHeight = ini.ReadInteger(section, "TopHeight", 0);
    e->BottomHeight = ini.ReadInteger(section, "BottomHeight", 0);
    if (read == TElementRead::Image) e->FrameCount = ini.ReadInteger(section, "Frame", 0);
    e->Trans = ini.ReadInteger(section, "Trans", 0);
    e->Tile = ini.ReadInteger(section, "Tile", 0);
    if (e->Tile > 1) e->Tile = read == TElementRead::Bitmap ? 1 : 0;
    if (read != TElementRead::Bitmap) {
        e->NormalColour = ini.ReadInteger(section, "NormalColour", -1);
        e->MouseOverColour = ini.ReadInteger(section, "MouseOverColour", -1);
        e->PressedColour = ini.ReadInteger(section, "PressedColour", -1);
        e->NormalColour2 = ReadColourText(ini, section, "NormalColour2", buttonText);
        e->MouseOverColour2 = ReadColourText(ini, section, "MouseOverColour2", buttonText);
        e->PressedColour2 = ReadColourText(ini, section, "PressedColour2", buttonText);
    }
    if constexpr (std::is_same_v<T, TDataSkinBorder>) {
        if (row.SecondKey) {
            const std::string second = ini.ReadString(section, row.SecondKey, "");
            if (!second.empty()) loader.LoadBitmap(e->Bitmap2, second);
        }
    }
    if constexpr (std::is_same_v<T, TDataSkinBoxLabel>) {
        e->BackgroundAlignment = ini.ReadInteger(section, "BackgroundAlignment", 0);
        e->BackgroundLeftShift = ini.ReadInteger(section, "BackgroundLeftShift", 0);
        e->BackgroundRightShift = ini.ReadInteger(section, "BackgroundRightShift", 0);
    }
    return e;
}

std::unique_ptr<TDataSkinObject> BuiltinElement(const TSkinElementRow& row, TColor buttonText) {
    auto e = std::make_unique<TDataSkinObject>(row.Section);
    e->Reset(buttonText);
    e->Bitmap = BuiltinTrackBitmap(row.Builtin == TBuiltinImage::TrackGrooveVertical);
    e->LeftWidth = e->TopHeight = e->RightWidth = e->BottomHeight = 3;
    e->FrameCount = 1;
    return e;
}

} // namespace

void TSkinLoader::ReadElements(const TQuickIni& ini) {
    for (const TSkinElementRow& row : SkinElementTable()) {
        const TElementSlot& slot = row.Slot;
        if (slot.Border) {
            data_.*slot.Border = ReadElement<TDataSkinBorder>(*this, data_, ini, row);
        } else if (slot.BoxLabel) {
            data_.*slot.BoxLabel = ReadElement<TDataSkinBoxLabel>(*this, data_, ini, row);
        } else {
            data_.*slot.Object = ReadElement<TDataSkinObject>(*this, data_, ini, row);
            if (!(data_.*slot.Object) && row.Builtin != TBuiltinImage::None)
                data_.*slot.Object = BuiltinElement(row, data_.SkinColours[scButtonText]);
        }
        TDataSkinObject* e = ElementOf(data_, row);
        if (!e) continue;
        switch (row.Frames) {
        case TFrameRule::Fixed:
            e->FrameCount = row.Count;
            break;
        case TFrameRule::FrameKey:
            break;
        case TFrameRule::FrameKeyOr:
            if (e->FrameCount == 0) e->FrameCount = row.Count;
            break;
        case TFrameRule::FrameCountKey:
            e->FrameCount = ini.ReadInteger(row.Section, "FrameCount", row.Count);
            break;
        case TFrameRule::ProgressStyle:
            e->FrameCount = e->Style != 0 ? 1 : 2;
            break;
        }
        if (row.MarginLimit > 0)
            for (std::int32_t* m : {&e->LeftWidth, &e->TopHeight, &e->RightWidth, &e->BottomHeight})
                *m = std::min(*m, row.MarginLimit);
        if (row.MirrorSecond && slot.Border && !e->Bitmap.Empty()) {
            TDataSkinBorder& border = *(data_.*slot.Border);
            border.Bitmap2 = border.Bitmap;
            border.Bitmap2.SetPixelFormat(TPixelFormat::pf24bit);
            MirrorBitmap(border.Bitmap2);
        }
    }
}

void TSkinLoader::FixFrameCounts() {
    data_.Buttons().FrameCount = 5;
    auto strip = [](const TBitmap32& b) {
        const int per = b.Height() < 16 ? 13 : 16;
        return std::max(b.Width() / per, 4);
    };
    if (data_.Buttons().RadioButtonFrame == 0)
        data_.Buttons().RadioButtonFrame = strip(data_.Buttons().RadioBitmap);
    if (data_.Buttons().CheckButtonFrame == 0)
        data_.Buttons().CheckButtonFrame = strip(data_.Buttons().CheckBitmap);
    data_.Title().FrameCount = 2;
    if (data_.Toolbar) data_.Toolbar->FrameCount = 1;
}

void TSkinLoader::BuildComboFrames() {
    if (!data_.SunkEdge || !data_.ComboButton) return;
    const int w = SkinPlatform().HorzScrollArrowWidth() + 2;
    const int n = std::max(data_.SunkEdge->FrameCount, 1);
    constexpr int cw = 50, ch = 21;
    TBitmap32 strip(cw * n, ch, clMagenta);
    if (strip.Empty()) return;
    strip.SetPixelFormat(TPixelFormat::pf24bit);
    TBitmapCanvas canvas(strip);
    for (int k = 1; k <= n; ++k) {
        const TRect cell = Bounds((k - 1) * cw, 0, cw, ch);
        DrawElement(canvas, cell, data_.SunkEdge->Bitmap, false, data_.SunkEdge->Tile != 0,
                    data_.SunkEdge->Trans != 0, data_.SunkEdge->FrameCount, k, data_.SunkEdge->Margins());
        const TRect right = TRect(cw - w, 0, cw, ch).Offset(cell.Left, 0);
        DrawElement(canvas, right, data_.ComboButton->Bitmap, false, data_.ComboButton->Tile != 0, true,
                    data_.ComboButton->FrameCount, k, data_.ComboButton->Margins());
        if (data_.ExtraImages)
            DrawGlyph(canvas, right, data_.ExtraImages->Bitmap, true, data_.ExtraImages->FrameCount, k);
        strip.FillRect(TRect(2, 2, 49 - w, 18).Offset(cell.Left, 0), clMagenta);
    }
    data_.ComboButton->Style = 2;
    data_.ComboButton->LeftWidth = 2;
    data_.ComboButton->TopHeight = data_.SunkEdge->TopHeight;
    data_.ComboButton->RightWidth = w + 2;
    data_.ComboButton->BottomHeight = data_.SunkEdge->BottomHeight;
    data_.ComboButton->Bitmap = strip;
    MirrorBitmap(strip);
    data_.SunkEdge->Bitmap = std::move(strip);
    data_.SunkEdge->LeftWidth = w + 2;
    data_.SunkEdge->RightWidth = 2;
}

void TSkinLoader::BuildComboArrow() {
    TBitmap32 arrow;
    std::int32_t frames = 1;
    if (!data_.SunkEdge && data_.ComboButton) {
        arrow = data_.ComboButton->Bitmap;
        ReplaceMagenta(arrow, ColourToRGB(data_.SkinColours[scButtonFace]));
        frames = data_.ComboButton->FrameCount;
    } else if (data_.SunkEdge && data_.ComboButton && data_.ComboButton->Style == 2) {
        const int count = std::max(data_.ComboButton->FrameCount, 1);
        const int f = data_.ComboButton->FrameWidth();
        arrow = TBitmap32(count * 17, 17);
        arrow.SetPixelFormat(TPixelFormat::pf24bit);
        TBitmapCanvas canvas(arrow);
        for (int i = 0; i < count; ++i) {
            const TBitmap32 cell = data_.ComboButton->Bitmap.Copy({f * (i + 1) - 19, 2, f * (i + 1) - 2, 19});
            canvas.Draw(i * 17, 0, cell);
        }
        frames = data_.SunkEdge->FrameCount;
    } else {
        if (data_.ComboxArrow) {
            data_.ComboxArrow->Bitmap.Clear();
            data_.ComboxArrow->FrameCount = 1;
        }
        return;
    }
    if (!data_.ComboxArrow) data_.ComboxArrow = std::make_unique<TDataSkinObject>("ComboxArrow");
    data_.ComboxArrow->Bitmap = std::move(arrow);
    data_.ComboxArrow->FrameCount = frames;
}

void TSkinLoader::BuildToolbarBackground() {
    const TColor top = Blend(data_.SkinColours[scButtonFace], clWhite, 150);
    const TColor f = ColourToRGB(data_.FrameColour);
    const int saturation = ColourSaturation(f);
    const TColor bottom =
        saturation > 110 ? Blend(f, clWhite, (5625 - 25 * saturation) / 140 + 50) : Blend(0x808080, f, 150);
    if (!data_.Toolbar) data_.Toolbar = std::make_unique<TDataSkinObject>("Toolbar");
    data_.Toolbar->Bitmap = TBitmap32(10, 40);
    TBitmapCanvas canvas(data_.Toolbar->Bitmap);
    GradientFill(canvas, data_.Toolbar->Bitmap.BoundsRect(), top, true, bottom);
    data_.Toolbar->FrameCount = 1;
}

TColor TSkinLoader::ComputeFrameColour() const {
    const TDataSkinBorder& top = data_.Border(TSkinData::bdTop);
    if (top.Bitmap.Empty()) return data_.SkinColours[scButtonFace];
    const int frameHeight = top.Bitmap.Height() / std::max(top.FrameCount, 1);
    return top.Bitmap.Pixel(top.Bitmap.Width() / 3, frameHeight / 3);
}

// ---- TSkinData's loading, beside the loader it runs ----------------------------------------------

void TSkinData::ClearSkin() {
    SkinName.clear();
    SkinColours = DefaultSkinColours();
    ColourGiven.fill(false);
    ExtraColours.clear();
    CustomColours.fill(clWhite);
    const TColor buttonText = SkinColours[scButtonText];
    for (auto& b : borders_) {
        b->Reset(buttonText);
        b->Bitmap2.Clear();
    }
    title_->Reset(buttonText);
    title_->TextAlignment = title_->TextBackground = title_->TextBackLeft = title_->TextBackRight = 0;
    title_->FontHeight = 14;
    title_->ActiveTextColour = title_->InactiveTextColour = kNoTextColour;
    buttons_->Reset(buttonText);
    buttons_->CheckBitmap.Clear();
    buttons_->RadioBitmap.Clear();
    buttons_->RadioButtonFrame = buttons_->CheckButtonFrame = 0;
    buttons_->NormalColour2Given = buttons_->MouseOverColour2Given = buttons_->PressedColour2Given = 0;
    CaptionButtons.clear();
    for (const TSkinElementRow& row : SkinElementTable())
        ResetElement(*this, row);
    // The derived elements are kept as objects (painters may hold them) but lose their images.
    for (auto* e : {&ComboxArrow, &Toolbar})
        if (*e) {
            (*e)->Bitmap.Clear();
            (*e)->FrameCount = 1;
        }
    FrameColour = SkinColours[scButtonFace];
    FaceBrushColour = SkinColours[scButtonFace];
}

bool TSkinData::LoadSkin() {
    skinUnloaded_ = true;
    lastError_.clear();
    ClearSkin();
    if (stored_.empty()) {
        lastError_ = "no skin stored";
        return false;
    }
    TSkinReader reader;
    try {
        if (!reader.LoadPackage(stored_)) {
            lastError_ = "the skin package is unreadable or of an unknown version";
            return false;
        }
        std::vector<std::uint8_t> entry;
        std::string iniName;
        TQuickIni ini;
        reader.FindEntry(".ini", entry, iniName);
        ini.LoadFromStream(&entry, 0);
        TSkinLoader(*this, reader).Read(ini);
    } catch (const std::bad_alloc&) {
        lastError_ = "out of memory while loading the skin";
    } catch (const std::exception& e) {
        lastError_ = std::string("the skin stream is corrupt: ") + e.what();
    }
    if (!lastError_.empty()) {
        ClearSkin();
        skinUnloaded_ = true;
        return false;
    }
    skinUnloaded_ = false;
    return true;
}
