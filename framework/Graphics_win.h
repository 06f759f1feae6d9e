#pragma once
// An owned icon whose changes can be observed.
#include <windows.h>

#include <functional>

#include "framework/Handle_win.h"

// The header of a 32-bit top-down DIB (pixels 0x00RRGGBB, rows from the top).
inline BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

class TIcon {
public:
    TIcon() = default;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    HICON Handle() const { return icon_.get(); }
    bool Empty() const { return !icon_; }
    // Takes ownership of the icon.
    void SetHandle(HICON icon);
    // Copies another icon's image into this one.
    void Assign(const TIcon& other);
    std::function<void()> OnChange;

private:
    unique_hicon icon_;
};
