#pragma once
// The skin's elements that have sections of their own: where each is named, how it is read, how
// its frames are counted and where it lands in the model. The loader, the model's list of its
// elements, the skin checker (tools/skinpack) and the product skin's generator (tools/skingen) all
// read this one table, in its order, which is the load order.
#include <string>
#include <vector>

#include "skin/model/WinSkinData.h"

// How a section is read.
enum class TElementRead {
    Image,    // `Image`, the margins, `Frame`, `Trans`, `Tile` (above 1 counts as 0), text colours
    Bitmap,   // `Bitmap`, the margins, `Trans`, `Tile` (above 1 counts as 1); no frame key, no colours
    Border,   // as Image without `Frame`, and a second image under the second key
    BoxLabel, // as Image without `Frame`, and the background's shifts and alignment
    MenuBar,  // [Personality] menuBar, TileMenu, TileLeftMenu and TileRightMenu
};

// How the frame count is found once the section is read.
enum class TFrameRule {
    Fixed,         // always Count
    FrameKey,      // the `Frame` key as read (0 when missing)
    FrameKeyOr,    // the `Frame` key, Count when it is 0
    FrameCountKey, // the `FrameCount` key, Count when missing
    ProgressStyle, // 1 when `Style` is not 0, else 2
};

// The image that stands in when the skin names none.
enum class TBuiltinImage { None, TrackGroove, TrackGrooveVertical };

// Where the element lands in the model: exactly one member is set, by its record type.
struct TElementSlot {
    std::unique_ptr<TDataSkinObject> TSkinData::*Object = nullptr;
    std::unique_ptr<TDataSkinBorder> TSkinData::*Border = nullptr;
    std::unique_ptr<TDataSkinBoxLabel> TSkinData::*BoxLabel = nullptr;
};

struct TSkinElementRow {
    const char* Section;
    TElementRead Read;
    TFrameRule Frames;
    int Count;
    TElementSlot Slot;
    const char* SecondKey = nullptr; // Border: the key of the second image, if it has one
    bool MirrorSecond = false;       // Border: the second image is the first one mirrored
    int MarginLimit = 0;             // larger margins are cut to this (0: none)
    TBuiltinImage Builtin = TBuiltinImage::None;
};

const std::vector<TSkinElementRow>& SkinElementTable();
// The element read from `section` (the exact name), or null.
const TSkinElementRow* FindSkinElement(const std::string& section);
// The key that names the element's image in its section.
const char* ImageKey(const TSkinElementRow& row);
// The element in `data`, or null when the skin gave none.
TDataSkinObject* ElementOf(const TSkinData& data, const TSkinElementRow& row);
void ResetElement(TSkinData& data, const TSkinElementRow& row);
