// Ratio and speed of the skin stream packer and decoder on synthetic data and on given files.
// Usage: lzhbench [file...]
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "skin/format/LZH.h"
#include "tools/skinpack/SkinEncoder.h"

namespace {

std::vector<uint8_t> IniLikeText(size_t size) {
    static const char* lines[] = {
        "[Buttons]\r\n", "Bitmap=Buttons.bmp\r\n", "TopHeight=4\r\n", "LeftWidth=5\r\n",
        "Trans=1\r\n",   "[Progress]\r\n",         "Tile=0\r\n",      "Style=1\r\n"};
    std::vector<uint8_t> out;
    std::mt19937 rng(7);
    while (out.size() < size) {
        const char* l = lines[rng() % 8];
        out.insert(out.end(), l, l + std::char_traits<char>::length(l));
    }
    out.resize(size);
    return out;
}

// A 24-bit frame strip: flat fills with a gradient edge, as skin images mostly are.
std::vector<uint8_t> BitmapLike(int width, int height) {
    std::vector<uint8_t> out;
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
            const int px = x / 3;
            const int c = x % 3;
            const bool edge = px % 50 < 3 || y < 3 || y > height - 4;
            out.push_back(static_cast<uint8_t>(edge ? 80 + 40 * c : 200 + (y * 40 / height) + c));
        }
    }
    return out;
}

std::vector<uint8_t> Random(size_t size) {
    std::mt19937 rng(11);
    std::vector<uint8_t> out(size);
    for (auto& b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

void Measure(const std::string& name, const std::vector<uint8_t>& data) {
    using clock = std::chrono::steady_clock;
    const int rounds = data.size() < 100000 ? 20 : 3;
    std::vector<uint8_t> packed;
    std::vector<uint8_t> back;
    const auto t0 = clock::now();
    for (int i = 0; i < rounds; ++i)
        packed = PackSkinStream(data);
    const auto t1 = clock::now();
    for (int i = 0; i < rounds; ++i)
        UnpackPackedStream(packed.data(), packed.size(), data.size() + 1, back);
    const auto t2 = clock::now();
    const double enc = std::chrono::duration<double>(t1 - t0).count() / rounds;
    const double dec = std::chrono::duration<double>(t2 - t1).count() / rounds;
    const double mb = static_cast<double>(data.size()) / (1024.0 * 1024.0);
    std::printf("%-28s %10zu -> %10zu bytes  %6.2f%%  encode %7.1f MB/s  decode %7.1f MB/s  %s\n",
                name.c_str(), data.size(), packed.size(),
                data.empty() ? 0.0
                             : 100.0 * static_cast<double>(packed.size()) / static_cast<double>(data.size()),
                enc > 0 ? mb / enc : 0.0, dec > 0 ? mb / dec : 0.0, back == data ? "ok" : "MISMATCH");
}

} // namespace

int main(int argc, char** argv) {
    std::printf("%-28s %10s    %10s         %7s\n", "input", "size", "packed", "ratio");
    Measure("ini text 16 KB", IniLikeText(size_t{16} * 1024));
    Measure("24-bit bitmap 400x60", BitmapLike(400, 60));
    Measure("24-bit bitmap 1000x200", BitmapLike(1000, 200));
    Measure("random 256 KB", Random(size_t{256} * 1024));
    Measure("zeros 1 MB", std::vector<uint8_t>(size_t{1024} * 1024, 0));
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "lzhbench: cannot open %s\n", argv[i]);
            return 1;
        }
        Measure(argv[i],
                std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }
    return 0;
}
