#pragma once
// Push buttons drawn from the skin's Buttons element, and the buttons with a glyph, a drop-down
// part or the speed-button behaviour built on them.
#include <windows.h>

#include <string>

#include "framework/Handle_win.h"
#include "skin/controls/SkinControl_win.h"
#include "skin/model/Bitmap.h"

class TSkinButton : public TSkinControl {
public:
    explicit TSkinButton(TComponent* owner);

    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;
    std::size_t HeldBytes() const override;

    bool Hot() const { return (state_ & kHot) != 0; }
    bool Pressed() const { return (state_ & kPressed) != 0; }
    // The frame of the Buttons element the last paint showed (0 before the first).
    int LastFrame() const { return lastFrame_; }
    // The caption as the last paint laid it out ("||" turned into a line break).
    const std::wstring& LastCaption() const { return lastCaption_; }

protected:
    static constexpr unsigned kHot = 1, kPressed = 2;
    // The frame for the current state.
    virtual int ChooseFrame(bool focused, bool enabled, bool isDefault) const;
    // Draws the caption (and, in the derived buttons, the glyph) over the face in `dc`; `text` is the
    // rectangle for the caption, `frame` the frame just drawn.
    virtual void PaintContent(HDC dc, const RECT& text, int frame, const std::wstring& caption, bool focused,
                              bool enabled);
    // The command or click of a finished press.
    virtual void DoClick();
    // Whether the Buttons frame is drawn at all (flat speed buttons at rest show only the parent).
    virtual bool DrawFace(int /*frame*/) const { return true; }
    // The caption in `area` word-wrapped and centred as a block; returns where it went.
    RECT DrawCaptionBlock(HDC dc, const RECT& area, const std::wstring& caption);
    void SelectTextColour(HDC dc, int frame, bool enabled) const;
    void AfterAttach() override;

    unsigned state_ = 0;
    bool transparent_ = false;
    bool noForwarding_ = false;
    int lastFrame_ = 0;
    std::wstring lastCaption_;
    unique_hbitmap offscreen_;
    SIZE offscreenSize_{0, 0};
};

// A button with a picture beside its caption. The glyph is a strip of `NumGlyphs` frames side by
// side: 1 normal, 2 disabled, 3 pressed, 4 held down (missing frames fall back to the first).
// `Layout` places it: 0 left of the caption, 1 right, 2 above, 3 below. `Margin` -1 centres glyph
// and caption together, else the glyph sits that far from its edge; `Spacing` (-1: 4) lies
// between them. Magenta in the glyph is transparent.
class TSkinBitButton : public TSkinButton {
public:
    explicit TSkinBitButton(TComponent* owner) : TSkinButton(owner) {}

    TBitmap32 Glyph;
    int NumGlyphs = 1;
    int Layout = 0;
    int Margin = -1;
    int Spacing = 4;
    // The control's property the glyph was read from ("Glyph", or "PngImage" for the png kinds).
    std::string GlyphProperty;

protected:
    void PaintContent(HDC dc, const RECT& text, int frame, const std::wstring& caption, bool focused,
                      bool enabled) override;
    // The glyph frame for the button frame shown.
    virtual int GlyphFrame(int buttonFrame) const;
};

// A button with a drop-down part: a separator and an arrow at its right end, the caption centred in
// the rest.
class TSkinMenuButton : public TSkinButton {
public:
    explicit TSkinMenuButton(TComponent* owner) : TSkinButton(owner) {}
    static constexpr int kArrowPart = 16;

protected:
    void PaintContent(HDC dc, const RECT& text, int frame, const std::wstring& caption, bool focused,
                      bool enabled) override;
};

// A speed button: no focus of its own, held down while `Down` is set, and, when `Flat`, only
// the parent's background until the pointer is over it.
class TSkinSpeedButton : public TSkinBitButton {
public:
    explicit TSkinSpeedButton(TComponent* owner) : TSkinBitButton(owner) {}

    bool Flat = false;
    bool Down = false;

protected:
    int ChooseFrame(bool focused, bool enabled, bool isDefault) const override;
    bool DrawFace(int frame) const override { return !Flat || frame != 1; }
    int GlyphFrame(int buttonFrame) const override;
};
