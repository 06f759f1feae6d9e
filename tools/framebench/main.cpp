// What the skinned frame's portable work costs per full non-client paint of a 400 x 300 window
// (the four border strips, the caption strip with its title background and caption buttons) and
// per region build, with the strip cache and with every strip built anew.
// Usage: framebench <packed skin file> [paints]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/model/ImgUtil.h"
#include "skin/model/WinSkinData.h"
#include "skin/rules/SkinFrame.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Window {
    int w = 400, h = 300;
};

// One paint: the strips, then the caption composed into its own buffer as the frame does.
void Paint(const TSkinData& skin, const frame::TBorders& b, const Window& win,
           frame::TBorderStripCache* cache, TBitmap32& caption) {
    // Painting takes each strip by reference from the cache; without one every strip is built.
    TBitmap32 built[4];
    auto strip = [&](TSkinData::TBorderIndex i, int w, int h, bool stacked) -> const TBitmap32& {
        if (cache) return cache->Get(skin.Border(i), w, h, stacked, true);
        return built[i] = frame::BorderStrip(skin.Border(i), w, h, stacked, true);
    };
    const TBitmap32& left = strip(TSkinData::bdLeft, b.Left, win.h, false);
    const TBitmap32& right = strip(TSkinData::bdRight, b.Right, win.h, false);
    const TBitmap32& bottom = strip(TSkinData::bdBottom, win.w - b.Left - b.Right, b.Bottom, true);
    // What the frame then copies to the window.
    volatile TColor sink = left.Pixel(0, 0) ^ right.Pixel(0, 0) ^ bottom.Pixel(0, 0);
    (void)sink;
    TBitmapCanvas canvas(caption);
    const TRect area{b.Left, 0, win.w - b.Right, b.Top};
    const TBitmap32& top = strip(TSkinData::bdTop, area.Width(), area.Height(), true);
    TransparentDraw(canvas, area, top, clMagenta);
    const TDataSkinTitle& title = skin.Title();
    if (!title.Bitmap.Empty())
        DrawElementStrip(canvas, {60, 0, 260, b.Top}, title.Bitmap, true, true, 2, 1,
                         {title.TextBackLeft, 0, title.TextBackRight, 0});
    for (const auto& button : skin.CaptionButtons) {
        if (button->Bitmap.Empty()) continue;
        const TRect cell = frame::CaptionButtonRect(*button, win.w, {60, 0, 260, b.Top}, b, 0);
        DrawFrameStretched(canvas, cell, button->Bitmap, true, std::max(1, button->FrameCount), 1);
    }
}

double MicrosecondsPer(int count, Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / count;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: framebench <packed skin file> [paints]\n");
        return 2;
    }
    const int paints = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;
    TSkinData skin(nullptr);
    skin.SetSkinFile(argv[1]);
    if (skin.SkinUnloaded()) {
        std::fprintf(stderr, "framebench: cannot load %s: %s\n", argv[1], skin.LastLoadError().c_str());
        return 1;
    }
    const frame::TBorders b = frame::BorderSizes(skin, frame::TFrameKind::Sizeable);
    const Window win;
    TBitmap32 caption(win.w, b.Top);

    frame::TBorderStripCache cache;
    auto start = Clock::now();
    for (int i = 0; i < paints; ++i)
        Paint(skin, b, win, &cache, caption);
    const double cached = MicrosecondsPer(paints, start);
    start = Clock::now();
    for (int i = 0; i < paints; ++i)
        Paint(skin, b, win, nullptr, caption);
    const double uncached = MicrosecondsPer(paints, start);

    const int regions = std::max(1, paints / 10);
    start = Clock::now();
    size_t runs = 0;
    for (int i = 0; i < regions; ++i) {
        runs = frame::OpaqueRuns(cache.Get(skin.Border(TSkinData::bdLeft), b.Left, win.h, false, true), 0, 0,
                                 clMagenta, 1)
                   .size();
        runs += frame::OpaqueRuns(
                    cache.Get(skin.Border(TSkinData::bdTop), win.w - b.Left - b.Right, b.Top, true, true),
                    b.Left, 0, clMagenta, 1)
                    .size();
    }
    const double region = MicrosecondsPer(regions, start);

    std::printf("frame paint (portable part, %dx%d, borders %d/%d/%d/%d): %.1f us with the strip cache "
                "(%d strips built), %.1f us building every strip\n",
                win.w, win.h, b.Left, b.Top, b.Right, b.Bottom, cached, cache.Builds(), uncached);
    std::printf("region rows of the shaped borders: %.1f us (%zu runs)\n", region, runs);
    return 0;
}
