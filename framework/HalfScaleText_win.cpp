#include "framework/HalfScaleText_win.h"

#include <cstdint>

#include "framework/Graphics_win.h"
#include "framework/HalfScaleText.h"

namespace {

// A 32-bit top-down DIB section selected into a memory DC of its own.
struct TSection {
    TSection(int width, int height) {
        BITMAPINFO info = TopDown32(width, height);
        void* pixels = nullptr;
        bitmap.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
        dc.reset(::CreateCompatibleDC(nullptr));
        if (bitmap && dc) bits = static_cast<std::uint32_t*>(pixels);
    }
    bool Valid() const { return bits != nullptr; }

    unique_hbitmap bitmap;
    unique_hdc dc; // declared after the bitmap: goes first, then the bitmap it held
    std::uint32_t* bits = nullptr;
};

} // namespace

THalfScaleText::THalfScaleText(HDC dc) : dc_(dc) {
    LOGFONTW font{};
    if (!::GetObjectW(::GetCurrentObject(dc, OBJ_FONT), sizeof font, &font)) return;
    font.lfHeight *= 2;
    font.lfWidth *= 2;
    font.lfQuality = NONANTIALIASED_QUALITY; // the reduction smooths the edges
    big_.reset(::CreateFontIndirectW(&font));
}

bool THalfScaleText::Draw(int x, int y, const wchar_t* text, int length, COLORREF colour) const {
    if (!big_ || length <= 0) return false;
    SIZE extent{};
    {
        ScopedSelectObject font(dc_, big_.get());
        if (!::GetTextExtentPoint32W(dc_, text, length, &extent)) return false;
    }
    const int width = (extent.cx + 1) / 2;
    const int height = (extent.cy + 1) / 2;
    if (width <= 0 || height <= 0) return false;
    TSection big(2 * width, 2 * height);
    TSection out(width, height);
    if (!big.Valid() || !out.Valid()) return false;
    ScopedSelectObject bigBitmap(big.dc.get(), big.bitmap.get());
    ScopedSelectObject outBitmap(out.dc.get(), out.bitmap.get());
    {
        ScopedSelectObject font(big.dc.get(), big_.get());
        RECT all{0, 0, 2 * width, 2 * height};
        ::FillRect(big.dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SetBkMode(big.dc.get(), TRANSPARENT);
        ::SetTextColor(big.dc.get(), RGB(0, 0, 0));
        ::TextOutW(big.dc.get(), 0, 0, text, length);
    }
    ::BitBlt(out.dc.get(), 0, 0, width, height, dc_, x, y, SRCCOPY); // the background as shown
    ::GdiFlush();
    const std::uint32_t rgb = (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
                              (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
    BlendHalfScaleInk(big.bits, 2 * width, out.bits, width, height, rgb);
    return ::BitBlt(dc_, x, y, width, height, out.dc.get(), 0, 0, SRCCOPY) != FALSE;
}
