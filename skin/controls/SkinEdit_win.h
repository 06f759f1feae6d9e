#pragma once
// Edits with the skin's border: a ButtonShadow line around the window and two white lines inside
// it, drawn over the system's border; an embedded spin button gets its own skin.
#include "skin/controls/SkinControl_win.h"

// The skin's edit border in the border area of a window (window coordinates): one ButtonShadow
// line and two white lines inside it. Never touches `client` (the client area in window
// coordinates): a thin system border must not lose a row of the text.
void PaintSkinEditBorder(HDC dc, const RECT& window, const RECT& client, COLORREF shadow);

class TSkinEdit : public TSkinControl {
public:
    explicit TSkinEdit(TComponent* owner) : TSkinControl(owner) {}
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;
    TSkinControl* SpinSkin() const { return spin_; }

private:
    void SkinSpinButton();
    TSkinControl* spin_ = nullptr;
};
