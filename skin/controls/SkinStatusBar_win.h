#pragma once
// Status bars drawn from the skin: StatusBarEdges frames per panel bevel (or one frame for simple
// text), the texts in the bar's font, ExtraImages frame 5 for the size grip; plain edges when the
// skin has no StatusBarEdges image.
#include "skin/controls/SkinControl_win.h"

class TSkinStatusBar : public TSkinControl {
public:
    explicit TSkinStatusBar(TComponent* owner) : TSkinControl(owner) {}
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;
};
