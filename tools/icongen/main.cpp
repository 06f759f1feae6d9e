// icongen OUTDIR: writes app.ico, tray0.ico, tray1.ico and tray2.ico into OUTDIR.
#include <cstdio>
#include <fstream>
#include <string>

#include "IconGen.h"

namespace {

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: icongen OUTDIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const Badge trays[] = {Badge::None, Badge::Download, Badge::Failure};
    for (int i = 0; i < 3; ++i) {
        if (!Write(dir + "tray" + std::to_string(i) + ".ico", EncodeIco({DrawTrayPicture(trays[i], 16)}))) {
            std::fprintf(stderr, "icongen: cannot write tray%d.ico\n", i);
            return 1;
        }
    }
    std::vector<Image> app;
    for (int size : {16, 20, 24, 32, 40, 48, 64, 128, 256})
        app.push_back(DrawTrayPicture(Badge::Download, size));
    if (!Write(dir + "app.ico", EncodeIco(app))) {
        std::fprintf(stderr, "icongen: cannot write app.ico\n");
        return 1;
    }
    return 0;
}
