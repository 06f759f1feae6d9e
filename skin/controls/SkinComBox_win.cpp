#include "skin/controls/SkinComBox_win.h"

#include "skin/controls/SkinFamily_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"
#include "skin/rules/SkinFamily.h"

TSkinComBox::TSkinComBox(TComponent* owner) : TSkinControl(owner) {}

int TSkinComBox::ArrowFrame() const {
    const bool dropped = ::SendMessageW(window_, CB_GETDROPPEDSTATE, 0, 0) != 0;
    return ComboArrowFrame(::IsWindowEnabled(window_) != FALSE, hot_, pressed_ || dropped);
}

RECT TSkinComBox::ButtonRect() const {
    RECT outer{};
    ::GetWindowRect(window_, &outer);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (TLateBoundUser32::QueryComboBoxInfo(window_, &info) && !::IsRectEmpty(&info.rcButton)) {
        RECT button = info.rcButton;
        ::MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&button), 2);
        ::OffsetRect(&button, -outer.left, -outer.top);
        return button;
    }
    return ToRECT(ComboButtonRect(outer.right - outer.left, outer.bottom - outer.top,
                                  ::GetSystemMetrics(SM_CXVSCROLL)));
}

bool TSkinComBox::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!hot_ && ::IsWindowEnabled(window_)) {
            hot_ = true;
            PaintWindow(nullptr);
        }
        TLateBoundUser32::RequestLeaveNotice(window_);
        return true;
    case WM_MOUSELEAVE:
        hot_ = false;
        pressed_ = false;
        PaintWindow(nullptr);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        return true;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return true;
    default:
        return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
    }
}

void TSkinComBox::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_NCPAINT:
    case CB_SHOWDROPDOWN:
    case CB_SETCURSEL:
        // The control draws its button and text outside WM_PAINT here; the skin goes back on top.
        PaintWindow(nullptr);
        break;
    default:
        TSkinControl::AfterMessage(msg, wParam, lParam, result);
        break;
    }
}

void TSkinComBox::PaintTo(HDC dc, const RECT& rect) {
    const int frame = ArrowFrame();
    const TDataSkinBorder* composed = skin_->ComboButton.get();
    if (HasImage(composed) && composed->Style == 2) {
        // The strip holds the sunk edge and the button with a magenta middle: the control's text
        // shows through.
        DrawElement(dc, rect, composed->Bitmap, false, composed->Tile == 1, true, composed->FrameCount, frame,
                    composed->Margins());
        return;
    }
    FrameSolid(dc, rect, SkinColourRef(*skin_, scButtonShadow));
    const RECT button = ButtonRect();
    const TDataSkinObject* arrow = skin_->ComboxArrow.get();
    if (!HasImage(arrow)) return;
    DrawFrameStretched(dc, button, arrow->Bitmap, false, arrow->FrameCount, frame);
    if (HasImage(skin_->ExtraImages.get()))
        DrawGlyph(dc, button, skin_->ExtraImages->Bitmap, true, skin_->ExtraImages->FrameCount, frame);
}
