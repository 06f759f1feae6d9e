#include "tools/skinpack/SkinCheck.h"

#include <map>
#include <set>

#include "framework/AsciiText.h"
#include "skin/format/BmpHeader.h"
#include "skin/format/WinSkinIni.h"
#include "skin/model/SkinElementTable.h"

namespace {

class TChecker {
public:
    TChecker(const std::vector<TSkinEntry>& entries, std::vector<TSkinCheckMessage>& out) : out_(out) {
        for (const auto& e : entries) {
            const std::string key = LowerAscii(e.name);
            if (!entries_.count(key)) entries_[key] = &e;
        }
        for (const auto& e : entries) {
            if (LowerAscii(e.name).find(".ini") != std::string::npos) iniNames_.push_back(e.name);
        }
    }

    void Run() {
        // The engine takes the first entry whose lower-case name contains ".ini".
        const TSkinEntry* ini = nullptr;
        for (const auto& name : iniNames_) {
            if (!ini) ini = entries_[LowerAscii(name)];
        }
        if (!ini) {
            Error("the skin has no INI entry (no name containing .ini)");
            return;
        }
        if (iniNames_.size() > 1)
            Warning("more than one INI entry; the engine reads only '" + ini->name + "'");
        used_.insert(LowerAscii(ini->name));
        ini_.LoadFromStream(&ini->data);
        if (ini_.Lines().empty()) Error("INI entry '" + ini->name + "' is empty");

        std::vector<std::string> sections;
        ini_.ReadSections(&sections);
        CheckBorders();
        CheckCaptionButtons(sections);
        CheckButtons();
        CheckImage("Personality", "TextBack", 2, false);
        // The menu bar first: its image is named among the frame's keys in [Personality].
        for (const TSkinElementRow& row : SkinElementTable())
            if (row.Read == TElementRead::MenuBar && !ini_.ReadString(row.Section, ImageKey(row), "").empty())
                CheckImage(row.Section, ImageKey(row), row.Count, false);
        for (const TSkinElementRow& row : SkinElementTable())
            if (row.Read != TElementRead::MenuBar) CheckElement(row);
        for (const auto& e : entries_) {
            if (!used_.count(e.first)) Warning("entry '" + e.second->name + "' is not named by the INI");
        }
    }

private:
    void Error(const std::string& t) { out_.push_back({TSkinCheckMessage::Error, t}); }
    void Warning(const std::string& t) { out_.push_back({TSkinCheckMessage::Warning, t}); }
    void Note(const std::string& t) { out_.push_back({TSkinCheckMessage::Note, t}); }

    int Int(const std::string& section, const std::string& key, int def) const {
        return ini_.ReadInteger(section, key, def);
    }

    // Checks the image named by [section] key; `frames` 0 skips the frame division check.
    // Returns the image's size when it is usable.
    bool CheckImage(const std::string& section, const std::string& key, int frames, bool required,
                    TBmpInfo* result = nullptr) {
        const std::string where = "[" + section + "] " + key;
        const std::string value = ini_.ReadString(section, key, "");
        if (value.empty()) {
            if (required) Error(where + ": no image named");
            return false;
        }
        const size_t slash = value.find_last_of("\\/");
        const std::string file = slash == std::string::npos ? value : value.substr(slash + 1);
        const size_t dot = file.find_last_of('.');
        if (file.empty() || dot == std::string::npos || file.substr(dot) != ".bmp") {
            Error(where + ": image '" + value +
                  "' is ignored by the engine (the name must end in .bmp, lower case)");
            return false;
        }
        const auto it = entries_.find(LowerAscii(file));
        if (it == entries_.end()) {
            Error(where + ": image '" + file + "' is not in the skin");
            return false;
        }
        used_.insert(it->first);
        TBmpInfo info;
        std::string why;
        if (!ReadBmpInfo(it->second->data, info, why)) {
            Error(where + ": '" + file + "' " + why);
            return false;
        }
        if (info.bitsPerPixel != 24) {
            Error(where + ": '" + file + "' has " + std::to_string(info.bitsPerPixel) +
                  " bits per pixel; skin images must be 24-bit");
            return false;
        }
        if (frames > 0 && info.width % frames != 0) {
            Error(where + ": '" + file + "' is " + std::to_string(info.width) +
                  " pixels wide, which does not divide into " + std::to_string(frames) + " frames");
            return false;
        }
        if (result) *result = info;
        Note(where + ": '" + file + "' " + std::to_string(info.width) + "x" + std::to_string(info.height) +
             (frames > 0 ? ", " + std::to_string(frames) + " frame(s)" : std::string()));
        return true;
    }

    void CheckMargins(const std::string& section, const TBmpInfo& info, int frames, int left, int right,
                      int top, int bottom) {
        const int frameWidth = frames > 0 ? info.width / frames : info.width;
        if (left < 0 || right < 0 || top < 0 || bottom < 0) Error("[" + section + "]: a margin is negative");
        if (left + right > frameWidth)
            Warning("[" + section + "]: left and right margins (" + std::to_string(left) + " + " +
                    std::to_string(right) + ") are wider than a frame (" + std::to_string(frameWidth) + ")");
        if (top + bottom > info.height)
            Warning("[" + section + "]: top and bottom margins (" + std::to_string(top) + " + " +
                    std::to_string(bottom) + ") are taller than the image (" + std::to_string(info.height) +
                    ")");
    }

    void CheckBorders() {
        for (const std::string name : {"Left", "Right", "Top", "Bottom"}) {
            if (ini_.ReadString("Personality", name, "").empty()) {
                Note("[Personality] " + name + ": no frame image; that border is drawn unskinned");
                continue;
            }
            const int frames = Int("Personality", name + "Frame", 1);
            if (frames <= 0) {
                Error("[Personality] " + name + "Frame: frame count must be positive");
                continue;
            }
            TBmpInfo info;
            if (!CheckImage("Personality", name, frames, false, &info)) continue;
            const int a = Int("Personality", name + "TopHeight", 0);
            const int b = Int("Personality", name + "BotHeight", 0);
            const bool vertical = name == "Left" || name == "Right";
            CheckMargins("Personality", info, frames, vertical ? 0 : a, vertical ? 0 : b, vertical ? a : 0,
                         vertical ? b : 0);
        }
    }

    void CheckButtons() {
        TBmpInfo info;
        if (CheckImage("Buttons", "Bitmap", 5, false, &info))
            CheckMargins("Buttons", info, 5, Int("Buttons", "LeftWidth", 0), Int("Buttons", "RightWidth", 0),
                         Int("Buttons", "TopHeight", 0), Int("Buttons", "BottomHeight", 0));
        else if (ini_.ReadString("Buttons", "Bitmap", "").empty())
            Note("[Buttons]: no Bitmap; push buttons are drawn unskinned");
        for (const std::string kind : {"CheckButton", "RadioButton"}) {
            const int given = Int("Buttons", kind + "Frame", 0);
            if (given < 0) Error("[Buttons] " + kind + "Frame: frame count must not be negative");
            // Without a frame key the engine derives the count from the strip's shape.
            CheckImage("Buttons", kind, given > 0 ? given : 0, false);
        }
    }

    void CheckCaptionButtons(const std::vector<std::string>& sections) {
        static const std::set<std::string> notButtons = {"BUTTON", "BUTTONS", "BUTTON.RADIO",
                                                         "BUTTON.CHECKBOX"};
        for (const auto& section : sections) {
            const std::string upper = UpperAscii(section);
            if (upper.compare(0, 6, "BUTTON") != 0 || notButtons.count(upper)) continue;
            const int action = Int(section, "Action", 0);
            if (action == -1 && ini_.ReadString(section, "Visibility", "") != "0") continue;
            const int frame = Int(section, "Frame", 0);
            if (ini_.ReadString(section, "ButtonImage", "").empty()) continue;
            if (frame == 0 && (action == 3 || action == 11)) {
                Note("[" + section + "]: an Action " + std::to_string(action) +
                     " button without a Frame key shows no image; its ButtonImage is not used");
                continue;
            }
            TBmpInfo info;
            if (frame > 0) {
                CheckImage(section, "ButtonImage", frame, false);
            } else if (CheckImage(section, "ButtonImage", 0, false, &info)) {
                const int derived = action < 0 ? 6 : (info.width <= 3.8 * info.height ? 3 : 6);
                Note("[" + section + "]: no Frame key; the engine takes " + std::to_string(derived) +
                     " frames");
                if (info.width % derived != 0)
                    Error("[" + section + "] ButtonImage: " + std::to_string(info.width) +
                          " pixels wide, which does not divide into the " + std::to_string(derived) +
                          " frames the engine derives from its shape (give a Frame key)");
            }
        }
        // Three buttons of four frames each, side by side.
        CheckImage("MDICONTROLS", "Image", 12, false);
    }

    void CheckElement(const TSkinElementRow& row) {
        const std::string section = row.Section;
        const std::string imageKey = ImageKey(row);
        if (ini_.ReadString(section, imageKey, "").empty()) {
            if (row.Builtin != TBuiltinImage::None)
                Note("[" + section + "]: not defined; the engine uses its built-in image");
            else
                Note("[" + section + "]: not defined; drawn unskinned");
            return;
        }
        int frames = row.Count;
        switch (row.Frames) {
        case TFrameRule::Fixed:
            break;
        case TFrameRule::FrameKey:
            frames = Int(section, "Frame", 0);
            break;
        case TFrameRule::ProgressStyle:
            frames = Int(section, "Style", 0) != 0 ? 1 : 2;
            break;
        case TFrameRule::FrameKeyOr:
            frames = Int(section, "Frame", 0) == 0 ? row.Count : Int(section, "Frame", 0);
            break;
        case TFrameRule::FrameCountKey:
            frames = Int(section, "FrameCount", row.Count);
            break;
        }
        if (frames < 0) {
            Error("[" + section + "]: frame count " + std::to_string(frames) + " must not be negative");
            return;
        }
        if (frames == 0) Warning("[" + section + "]: frame count is 0; give a Frame key");
        TBmpInfo info;
        if (CheckImage(section, imageKey, frames, false, &info)) {
            const int tile = Int(section, "Tile", 0);
            if (tile < 0) Warning("[" + section + "] Tile: negative value");
            CheckMargins(section, info, frames, Int(section, "LeftWidth", 0), Int(section, "RightWidth", 0),
                         Int(section, "TopHeight", 0), Int(section, "BottomHeight", 0));
        }
        if (row.SecondKey && !ini_.ReadString(section, row.SecondKey, "").empty())
            CheckImage(section, row.SecondKey, 0, false);
    }

    std::vector<TSkinCheckMessage>& out_;
    std::map<std::string, const TSkinEntry*> entries_;
    std::vector<std::string> iniNames_;
    std::set<std::string> used_;
    TQuickIni ini_;
};

} // namespace

bool ReadBmpInfo(const std::vector<uint8_t>& file, TBmpInfo& info, std::string& why) {
    TBmpHeader h;
    switch (ReadBmpHeader(file.data(), file.size(), h)) {
    case TBmpFault::None:
        info.width = static_cast<int32_t>(h.width);
        info.height = static_cast<int32_t>(h.height);
        info.bitsPerPixel = h.bits;
        return true;
    case TBmpFault::NotBmp:
        why = "is not a BMP file (no BM header)";
        return false;
    case TBmpFault::UnknownHeader:
    case TBmpFault::TruncatedHeader:
        why = "has an unknown or truncated info header";
        return false;
    case TBmpFault::NoPixels:
    case TBmpFault::TooLarge:
        why = "has an unusable size " + std::to_string(h.width) + "x" + std::to_string(h.height);
        return false;
    case TBmpFault::BitDepth:
        why = "has " + std::to_string(h.bits) + " bits per pixel, which the engine does not read";
        return false;
    case TBmpFault::Compression:
        why = "is compressed; skin images must be uncompressed";
        return false;
    case TBmpFault::PixelsInHeader:
        why = "has its pixel data inside its headers";
        return false;
    case TBmpFault::TruncatedMasks:
    case TBmpFault::TruncatedPalette:
        why = "is truncated: its colour masks or palette run past the end of the file";
        return false;
    case TBmpFault::TruncatedPixels:
        break;
    }
    why = "is truncated: its pixel data runs past the end of the file";
    return false;
}

std::vector<TSkinCheckMessage> CheckSkin(const std::vector<TSkinEntry>& entries) {
    std::vector<TSkinCheckMessage> out;
    TChecker(entries, out).Run();
    return out;
}

bool HasErrors(const std::vector<TSkinCheckMessage>& messages) {
    for (const auto& m : messages)
        if (m.kind == TSkinCheckMessage::Error) return true;
    return false;
}
