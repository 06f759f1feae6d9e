#pragma once
// What the skin model needs to know about the platform: metrics, the caption font, the
// application's icon and a hint window. The base gives fixed values for the native build; the
// Win32 layer installs one that asks the system (UsePlatformSkinServices).
#include <cstdint>
#include <memory>
#include <string>

#include "skin/model/Bitmap.h"

struct TSkinFont {
    std::string Name = "Tahoma";
    std::int32_t Height = -11;
    std::int32_t Weight = 700;
    std::int32_t Charset = 1;
    bool Italic = false;
};

// The hint window that shows caption button hints.
class TSkinHintWindow {
public:
    virtual ~TSkinHintWindow() = default;
    // The rectangle the text needs, at the origin, at most `maxWidth` wide.
    virtual TRect CalcHintRect(int maxWidth, const std::string& text) = 0;
    virtual void ActivateHint(const TRect& screenRect, const std::string& text) = 0;
    virtual void ReleaseHandle() = 0;
};

class TSkinPlatform {
public:
    virtual ~TSkinPlatform() = default;
    virtual bool HasScrollBarInfo() const { return true; }
    // Width of a horizontal scroll bar's arrow button.
    virtual int HorzScrollArrowWidth() const { return 16; }
    virtual int MaximizedWidth() const { return 1032; }
    virtual int MaximizedHeight() const { return 776; }
    virtual TSkinFont CaptionFont() const { return {}; }
    // The application's small icon (the big one when there is none) drawn at the small-icon size
    // onto magenta; empty when the application has no icon.
    virtual TBitmap32 ApplicationIcon() const { return {}; }
    virtual std::unique_ptr<TSkinHintWindow> CreateHintWindow() const { return nullptr; }
};

// Installs `platform` (not owned; null restores the built-in one) and returns the previous one.
TSkinPlatform* SetSkinPlatform(TSkinPlatform* platform);
TSkinPlatform& SkinPlatform();
