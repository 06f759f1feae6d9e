// skinsheet: renders a skin's elements into one contact-sheet BMP.
#include <exception>
#include <iostream>
#include <string>

#include "skin/model/WinSkinData.h"
#include "tools/skinsheet/SkinSheet.h"

namespace {

// The sheet shows what the engine would build on a system with this scroll-arrow width.
class TSheetPlatform : public TSkinPlatform {
public:
    int arrowWidth = 16;
    int HorzScrollArrowWidth() const override { return arrowWidth; }
};

int Usage() {
    std::cerr
        << "usage: skinsheet <skin folder | packed skin stream> <out.bmp> [--arrow-width N] [--width N]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 3) return Usage();
        const std::string in = argv[1], out = argv[2];
        TSheetPlatform platform;
        int width = 1100;
        for (int i = 3; i < argc; ++i) {
            const std::string a = argv[i];
            if ((a == "--arrow-width" || a == "--width") && i + 1 < argc) {
                const int v = std::stoi(argv[++i]);
                if (v < 1 || v > 4000) return Usage();
                (a == "--width" ? width : platform.arrowWidth) = v;
            } else {
                return Usage();
            }
        }
        if (width < 300) return Usage();
        SetSkinPlatform(&platform);
        TSkinData data(nullptr);
        std::string error;
        if (!LoadSkinForSheet(in, data, error)) {
            std::cerr << "skinsheet: " << in << ": " << error << "\n";
            SetSkinPlatform(nullptr);
            return 1;
        }
        const std::string title = data.SkinName.empty() ? std::string("UNNAMED SKIN") : data.SkinName;
        const TBitmap32 sheet = RenderSkinSheet(data, title, width);
        SetSkinPlatform(nullptr);
        if (!sheet.SaveToFile(out)) {
            std::cerr << "skinsheet: cannot write " << out << "\n";
            return 1;
        }
        std::cout << out << ": " << sheet.Width() << " x " << sheet.Height() << ", " << data.Elements().size()
                  << " elements\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "skinsheet: " << e.what() << "\n";
        return 1;
    }
}
