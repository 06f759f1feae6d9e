#pragma once
// Header controls: each section a frame of the Headerbar element (normal, hot, pressed) with its
// text in the element's colours; the area after the last section is the element's background
// frame. Without a Headerbar image the control draws itself.
#include "skin/controls/SkinFamily_win.h"

class TSkinHeader : public TSkinPartControl {
public:
    using TSkinPartControl::TSkinPartControl;
    void PaintTo(HDC dc, const RECT& rect) override;

protected:
    int PartAt(LPARAM lParam) const override;
    bool PaintsItself() const override;
    // Only button-style headers press their sections.
    bool Presses() const override;

private:
    void PaintSection(HDC dc, int index, const RECT& rect);
};
