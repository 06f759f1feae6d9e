#include "skin/model/SkinElementTable.h"

namespace {

using R = TElementRead;
using F = TFrameRule;

TElementSlot Object(std::unique_ptr<TDataSkinObject> TSkinData::*member) {
    TElementSlot slot;
    slot.Object = member;
    return slot;
}
TElementSlot Border(std::unique_ptr<TDataSkinBorder> TSkinData::*member) {
    TElementSlot slot;
    slot.Border = member;
    return slot;
}
TElementSlot BoxLabel(std::unique_ptr<TDataSkinBoxLabel> TSkinData::*member) {
    TElementSlot slot;
    slot.BoxLabel = member;
    return slot;
}

std::vector<TSkinElementRow> BuildTable() {
    std::vector<TSkinElementRow> t = {
        {"Progress", R::Bitmap, F::ProgressStyle, 0, Border(&TSkinData::Progress)},
        {"Progress.Chunk", R::Image, F::FrameKey, 0, Object(&TSkinData::ProgressChunk)},
        {"Personality", R::MenuBar, F::Fixed, 2, Object(&TSkinData::MenuBar)},
        {"GroupBoxEdge", R::Image, F::Fixed, 2, Object(&TSkinData::GroupBoxEdge)},
        {"GroupBox", R::BoxLabel, F::Fixed, 1, BoxLabel(&TSkinData::GroupBox)},
        {"Tabs", R::Border, F::Fixed, 5, Border(&TSkinData::Tabs), "Border"},
        {"StatusBarEdges", R::Image, F::Fixed, 3, Object(&TSkinData::StatusBar)},
        {"Tab.Pane", R::Image, F::Fixed, 1, Object(&TSkinData::TabPane), nullptr, false, 4},
        {"ToolBars", R::Image, F::Fixed, 5, Object(&TSkinData::ToolBars)},
        {"ComboButton", R::Border, F::Fixed, 4, Border(&TSkinData::ComboButton), nullptr, true},
        {"SunkEdge", R::Image, F::Fixed, 4, Object(&TSkinData::SunkEdge)},
        {"ExtraImages", R::Image, F::Fixed, 5, Object(&TSkinData::ExtraImages)},
        {"Headerbar", R::Image, F::FrameKeyOr, 5, Object(&TSkinData::Header)},
        {"MenuItem", R::Image, F::Fixed, 5, Object(&TSkinData::MenuItem)},
        {"MenuBackground", R::Image, F::Fixed, 1, Object(&TSkinData::MenuBackground)},
        {"Scrollbar", R::Image, F::Fixed, 23, Object(&TSkinData::Scrollbar)},
        {"HorzScroll", R::Image, F::Fixed, 4, Object(&TSkinData::HorzScroll)},
        {"VertScroll", R::Image, F::Fixed, 4, Object(&TSkinData::VertScroll)},
        {"HorzScrollThumb", R::Image, F::FrameCountKey, 3, Object(&TSkinData::HorzScrollThumb)},
        {"VertScrollThumb", R::Image, F::FrameCountKey, 3, Object(&TSkinData::VertScrollThumb)},
        {"Trackbar.ThumbHorz", R::Image, F::Fixed, 5, Object(&TSkinData::TrackThumbHorz)},
        {"Trackbar.ThumbVert", R::Image, F::Fixed, 5, Object(&TSkinData::TrackThumbVert)},
        {"Trackbar.ThumbLeft", R::Image, F::Fixed, 5, Object(&TSkinData::TrackThumbLeft)},
        {"Trackbar.ThumbRight", R::Image, F::Fixed, 5, Object(&TSkinData::TrackThumbRight)},
        {"Trackbar.ThumbUp", R::Image, F::Fixed, 5, Object(&TSkinData::TrackThumbUp)},
        {"Trackbar.ThumbDown", R::Image, F::Fixed, 5, Object(&TSkinData::TrackThumbDown)},
        {"UpDown.Horz", R::Border, F::Fixed, 8, Border(&TSkinData::UpDownHorz), "GlyphImage"},
        {"UpDown.Vert", R::Border, F::Fixed, 8, Border(&TSkinData::UpDownVert), "GlyphImage"},
        {"Track", R::Image, F::FrameKey, 0, Object(&TSkinData::Track)},
        {"TRACKVERT", R::Image, F::FrameKey, 0, Object(&TSkinData::TrackVert)},
    };
    t[t.size() - 2].Builtin = TBuiltinImage::TrackGroove;
    t[t.size() - 1].Builtin = TBuiltinImage::TrackGrooveVertical;
    return t;
}

} // namespace

const std::vector<TSkinElementRow>& SkinElementTable() {
    static const std::vector<TSkinElementRow> table = BuildTable();
    return table;
}

const TSkinElementRow* FindSkinElement(const std::string& section) {
    for (const TSkinElementRow& row : SkinElementTable())
        if (section == row.Section) return &row;
    return nullptr;
}

const char* ImageKey(const TSkinElementRow& row) {
    switch (row.Read) {
    case TElementRead::Bitmap:
        return "Bitmap";
    case TElementRead::MenuBar:
        return "menuBar";
    default:
        return "Image";
    }
}

TDataSkinObject* ElementOf(const TSkinData& data, const TSkinElementRow& row) {
    const TElementSlot& s = row.Slot;
    if (s.Object) return (data.*s.Object).get();
    if (s.Border) return (data.*s.Border).get();
    if (s.BoxLabel) return (data.*s.BoxLabel).get();
    return nullptr;
}

void ResetElement(TSkinData& data, const TSkinElementRow& row) {
    const TElementSlot& s = row.Slot;
    if (s.Object) (data.*s.Object).reset();
    if (s.Border) (data.*s.Border).reset();
    if (s.BoxLabel) (data.*s.BoxLabel).reset();
}

// ---- TSkinData's list of its elements, beside the table it reads -------------------------------------

std::vector<const TDataSkinObject*> TSkinData::Elements() const {
    std::vector<const TDataSkinObject*> all;
    for (const auto& b : borders_)
        all.push_back(b.get());
    all.push_back(title_.get());
    all.push_back(buttons_.get());
    for (const TSkinElementRow& row : SkinElementTable())
        if (const TDataSkinObject* e = ElementOf(*this, row)) all.push_back(e);
    for (const auto& b : CaptionButtons)
        all.push_back(b.get());
    if (ComboxArrow) all.push_back(ComboxArrow.get());
    if (Toolbar) all.push_back(Toolbar.get());
    return all;
}

std::size_t TSkinData::ImageBytes() const {
    std::size_t bytes =
        AppIcon.Bytes() + MenuGlyphs.Bytes() + Buttons().CheckBitmap.Bytes() + Buttons().RadioBitmap.Bytes();
    for (const TDataSkinObject* e : Elements()) {
        bytes += e->Bitmap.Bytes();
        if (const auto* border = dynamic_cast<const TDataSkinBorder*>(e)) bytes += border->Bitmap2.Bytes();
    }
    return bytes;
}
