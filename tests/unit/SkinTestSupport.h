#pragma once
// What the skin tests share: packing a skin from an INI text and images, and a platform whose
// every fact is fixed.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/model/WinSkinData.h"
#include "tools/skinpack/SkinEncoder.h"
#include "tools/skinpack/SkinPackage.h"

namespace skintest {

using Bytes = std::vector<uint8_t>;

// A packed skin from an INI text and named images.
inline Bytes PackSkin(const std::string& ini, const std::map<std::string, TBitmap32>& images = {},
                      uint32_t version = 70000) {
    std::vector<TSkinEntry> entries;
    entries.push_back({"skin.ini", Bytes(ini.begin(), ini.end())});
    for (const auto& [name, image] : images)
        entries.push_back({name, image.SaveToBytes()});
    return PackSkinStream(BuildSkinPackage(entries, version));
}

// Every platform fact fixed, and a hint window that records what it is asked.
class FakePlatform : public TSkinPlatform {
public:
    struct Hint : TSkinHintWindow {
        std::vector<std::string>* log;
        explicit Hint(std::vector<std::string>* l) : log(l) {}
        TRect CalcHintRect(int maxWidth, const std::string& text) override {
            log->push_back("calc " + std::to_string(maxWidth) + " " + text);
            return {0, 0, 40, 15};
        }
        void ActivateHint(const TRect& r, const std::string& text) override {
            log->push_back("show " + std::to_string(r.Left) + "," + std::to_string(r.Top) + "," +
                           std::to_string(r.Right) + "," + std::to_string(r.Bottom) + " " + text);
        }
        void ReleaseHandle() override { log->push_back("hide"); }
    };

    bool scrollBarInfo = true;
    int arrowWidth = 16;
    mutable std::vector<std::string> hintLog;

    bool HasScrollBarInfo() const override { return scrollBarInfo; }
    int HorzScrollArrowWidth() const override { return arrowWidth; }
    int MaximizedWidth() const override { return 1288; }
    int MaximizedHeight() const override { return 1010; }
    TBitmap32 ApplicationIcon() const override { return TBitmap32(16, 16, clMagenta); }
    std::unique_ptr<TSkinHintWindow> CreateHintWindow() const override {
        return std::make_unique<Hint>(&hintLog);
    }
};

} // namespace skintest
