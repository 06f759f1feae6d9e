#pragma once
// Combo boxes: the sunk edge and the drop-down button from the skin (the composed ComboButton
// strip when the skin has a SunkEdge, else a ButtonShadow frame with ComboxArrow and the
// ExtraImages glyph on the button), with hot, pressed (or dropped) and disabled button frames.
// The drop-down list keeps the system's drawing.
#include "skin/controls/SkinControl_win.h"

class TSkinComBox : public TSkinControl {
public:
    explicit TSkinComBox(TComponent* owner);

    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;

    // The frame the drop-down button shows now (1 normal, 2 hot, 3 pressed or dropped, 4 disabled).
    int ArrowFrame() const;
    // The drop-down button in window coordinates.
    RECT ButtonRect() const;

private:
    bool hot_ = false;
    bool pressed_ = false;
};
