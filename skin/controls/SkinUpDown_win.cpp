#include "skin/controls/SkinUpDown_win.h"

#include <commctrl.h>

#include "skin/controls/SkinFamily_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/rules/SkinFamily.h"

bool TSkinUpDown::Horizontal() const {
    return (::GetWindowLongW(window_, GWL_STYLE) & UDS_HORZ) != 0;
}

int TSkinUpDown::PartAt(LPARAM lParam) const {
    RECT client{};
    ::GetClientRect(window_, &client);
    return UpDownPartAt(ToTRect(client), Horizontal(), short(LOWORD(lParam)), short(HIWORD(lParam)));
}

int TSkinUpDown::PartFrame(int part) const {
    return UpDownFrame(part, ::IsWindowEnabled(window_) != FALSE, hot_ == part, pressed_ == part);
}

void TSkinUpDown::PaintTo(HDC dc, const RECT& rect) {
    const bool horizontal = Horizontal();
    const TDataSkinBorder* element = horizontal ? skin_->UpDownHorz.get() : skin_->UpDownVert.get();
    TOffscreen picture(rect.right - rect.left, rect.bottom - rect.top);
    if (!picture.Valid()) return;
    const RECT whole{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    FillSolid(picture.DC(), whole, SkinColourRef(*skin_, scButtonFace));
    for (int part = 0; part < 2; ++part) {
        const RECT half = ToRECT(UpDownPartRect(ToTRect(whole), horizontal, part));
        const int frame = PartFrame(part);
        if (HasImage(element)) {
            DrawFrameStretched(picture.DC(), half, element->Bitmap, element->Trans == 1, 8, frame);
            // The glyph image holds the arrows in the same eight frames.
            if (!element->Bitmap2.Empty()) DrawGlyph(picture.DC(), half, element->Bitmap2, true, 8, frame);
            continue;
        }
        const bool enabled = frame % 4 != 0;
        RECT inner = half;
        if (frame % 4 == 3) ::OffsetRect(&inner, 1, 1);
        FrameSolid(picture.DC(), half, SkinColourRef(*skin_, scButtonShadow));
        const int direction = horizontal ? (part == 0 ? 3 : 1) : (part == 0 ? 0 : 2);
        DrawArrow(picture.DC(), inner, direction, 3,
                  SkinColourRef(*skin_, enabled ? scButtonDkShadow : scButtonShadow));
    }
    picture.CopyTo(dc, rect.left, rect.top);
}
