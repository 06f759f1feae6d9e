#pragma once
// Up-down and spin buttons: each arrow is a frame of UpDown.Vert (or UpDown.Horz for a horizontal
// control) stretched over its half, with the arrow glyph of the element's second image on top;
// normal, hot, pressed and disabled per arrow. Without the element the halves are drawn plainly
// in ButtonFace, ButtonShadow and ButtonDkShadow.
#include "skin/controls/SkinFamily_win.h"

class TSkinUpDown : public TSkinPartControl {
public:
    using TSkinPartControl::TSkinPartControl;
    void PaintTo(HDC dc, const RECT& rect) override;
    // The frame arrow `part` (0 first, 1 second) shows now.
    int PartFrame(int part) const;

protected:
    int PartAt(LPARAM lParam) const override;

private:
    bool Horizontal() const;
};
