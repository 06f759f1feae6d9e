#pragma once
// Drawing helpers shared by the combo box, track bar, up-down, header, date-time and media player
// skins.
#include <windows.h>

#include "skin/controls/SkinControlPaint_win.h"
#include "skin/controls/SkinControl_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/WinSkinData.h"

inline bool HasImage(const TDataSkinObject* element) {
    return element && !element->Bitmap.Empty();
}

// Frame `frame` of `element` fitted to `rect` with the element's own margins, tiling and
// transparency.
void DrawSkinElement(HDC dc, const RECT& rect, const TDataSkinObject& element, int frame);
void FillSolid(HDC dc, const RECT& rect, COLORREF colour);
// A one-pixel frame just inside `rect`.
void FrameSolid(HDC dc, const RECT& rect, COLORREF colour);
// A filled triangle pointing `direction` (0 up, 1 right, 2 down, 3 left), centred in `rect`,
// `size` pixels from base to point.
void DrawArrow(HDC dc, const RECT& rect, int direction, int size, COLORREF colour);
// The font the window draws its text with (its WM_GETFONT, else the default GUI font).
HFONT WindowFont(HWND window);

// A picture composed off screen and copied to the device context in one go (no flicker).
class TOffscreen {
public:
    TOffscreen(int width, int height) : dib_(width > 0 ? width : 1, height > 0 ? height : 1) {}
    bool Valid() const { return dib_.Valid(); }
    HDC DC() const { return dib_.DC(); }
    void CopyTo(HDC dc, int x, int y) const {
        if (dib_.Valid()) ::BitBlt(dc, x, y, dib_.Width(), dib_.Height(), dib_.DC(), 0, 0, SRCCOPY);
    }

private:
    TDibSection dib_;
};

// A member of this part of the family: it sets up what it adds (hooks, companion windows) in
// AfterAttach(), which both attach operations run.
class TSkinFamilyControl : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
};

// A control whose parts (arrows, sections, buttons) light up under the pointer and while pressed,
// and whose client area the skin paints whole, before the control could.
class TSkinPartControl : public TSkinFamilyControl {
public:
    using TSkinFamilyControl::TSkinFamilyControl;
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    int HotPart() const { return hot_; }
    int PressedPart() const { return pressed_; }

protected:
    // The part at a mouse message's point, or -1.
    virtual int PartAt(LPARAM lParam) const = 0;
    // False: the control paints itself (the skin lacks the element).
    virtual bool PaintsItself() const { return true; }
    // Whether a press lights the part up.
    virtual bool Presses() const { return true; }

    int hot_ = -1;
    int pressed_ = -1;
};
