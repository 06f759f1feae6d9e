#pragma once
// Progress bars drawn from the skin's Progress and Progress.Chunk elements (both styles; a
// vertical bar is the horizontal picture turned). Without the images the system draws the bar.
#include "skin/controls/SkinControl_win.h"

class TSkinProgress : public TSkinControl {
public:
    explicit TSkinProgress(TComponent* owner) : TSkinControl(owner) {}
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;

private:
    bool CanPaint() const;
};
