#include "skin/controls/SkinMP_win.h"

#include "skin/controls/SkinFamily_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"

void TWMediaPlayer::CreateParams(TCreateParams& params) {
    RegisterFrameworkClass(L"TWMediaPlayer");
    params.className = L"TWMediaPlayer";
    params.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    params.ownClass = true;
}

void TWMediaPlayer::SetVisibleButtons(TMPButtonSet buttons) {
    visible_ = buttons & kMPAllButtons;
    Invalidate();
}

void TWMediaPlayer::SetEnabledButtons(TMPButtonSet buttons) {
    enabled_ = buttons & kMPAllButtons;
    Invalidate();
}

bool TWMediaPlayer::ButtonEnabled(int button) const {
    return button >= 0 && (enabled_ & (1u << button)) && (!handle_ || ::IsWindowEnabled(handle_));
}

std::vector<TMPButtonPlace> TWMediaPlayer::Layout() const {
    RECT client{};
    if (handle_) ::GetClientRect(handle_, &client);
    return MPButtonLayout(visible_, client.right, client.bottom);
}

void DrawMPGlyph(HDC dc, const RECT& rect, TMPBtnType button, COLORREF colour) {
    const int cx = (rect.left + rect.right) / 2, cy = (rect.top + rect.bottom) / 2;
    const int s = 4;
    switch (button) {
    case btPlay:
        DrawArrow(dc, rect, 1, 2 * s, colour);
        break;
    case btPause:
        FillSolid(dc, {cx - s, cy - s, cx - 1, cy + s}, colour);
        FillSolid(dc, {cx + 1, cy - s, cx + s, cy + s}, colour);
        break;
    case btStop:
        FillSolid(dc, {cx - s, cy - s, cx + s, cy + s}, colour);
        break;
    case btPrev:
        FillSolid(dc, {cx - s - 1, cy - s, cx - s + 1, cy + s + 1}, colour);
        DrawArrow(dc, {rect.left + 2, rect.top, rect.right + 2, rect.bottom}, 3, 2 * s - 1, colour);
        break;
    case btNext:
        DrawArrow(dc, {rect.left - 2, rect.top, rect.right - 2, rect.bottom}, 1, 2 * s - 1, colour);
        FillSolid(dc, {cx + s - 1, cy - s, cx + s + 1, cy + s + 1}, colour);
        break;
    case btEject:
        DrawArrow(dc, {rect.left, rect.top - 2, rect.right, rect.bottom - 2}, 0, s, colour);
        FillSolid(dc, {cx - s, cy + s - 1, cx + s + 1, cy + s + 1}, colour);
        break;
    }
}

void TWMediaPlayer::PaintPlain(HDC dc) {
    for (const TMPButtonPlace& place : Layout()) {
        RECT rect = ToRECT(place.Rect);
        const int i = int(place.Button);
        UINT state = DFCS_BUTTONPUSH;
        if (i == pressed_) state |= DFCS_PUSHED;
        if (!ButtonEnabled(i)) state |= DFCS_INACTIVE;
        ::DrawFrameControl(dc, &rect, DFC_BUTTON, state);
        DrawMPGlyph(dc, rect, place.Button, ::GetSysColor(ButtonEnabled(i) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    }
}

bool TWMediaPlayer::WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const auto at = [&] { return MPButtonAt(Layout(), short(LOWORD(lParam)), short(HIWORD(lParam))); };
    switch (msg) {
    case WM_PAINT: {
        ScopedPaint paint(handle_);
        if (paint.get()) PaintPlain(paint.get());
        result = 0;
        return true;
    }
    case WM_MOUSEMOVE: {
        const int button = at();
        if (button != hot_) {
            hot_ = button;
            Invalidate();
        }
        TLateBoundUser32::RequestLeaveNotice(handle_);
        result = 0;
        return true;
    }
    case WM_MOUSELEAVE:
        hot_ = -1;
        Invalidate();
        result = 0;
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const int button = at();
        if (ButtonEnabled(button)) {
            pressed_ = button;
            ::SetCapture(handle_);
            Invalidate();
        }
        result = 0;
        return true;
    }
    case WM_LBUTTONUP: {
        const int was = pressed_;
        pressed_ = -1;
        if (::GetCapture() == handle_) ::ReleaseCapture();
        Invalidate();
        if (was >= 0 && was == at() && OnButtonClick) OnButtonClick(TMPBtnType(was));
        result = 0;
        return true;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0) {
            pressed_ = -1;
            Invalidate();
        }
        result = 0;
        return true;
    default:
        return TWinControl::WndProc(msg, wParam, lParam, result);
    }
}

TWMediaPlayer* TSkinMP::Player() const {
    return dynamic_cast<TWMediaPlayer*>(control_);
}

int TSkinMP::PartAt(LPARAM lParam) const {
    const TWMediaPlayer* player = Player();
    return player ? MPButtonAt(player->Layout(), short(LOWORD(lParam)), short(HIWORD(lParam))) : -1;
}

bool TSkinMP::PaintsItself() const {
    return Player() && HasImage(&skin_->Buttons());
}

int TSkinMP::ButtonFrame(int button) const {
    const TWMediaPlayer* player = Player();
    if (!player) return 1;
    return StateFrame5(player->ButtonEnabled(button), hot_ == button, pressed_ == button, false);
}

void TSkinMP::PaintTo(HDC dc, const RECT& rect) {
    const TWMediaPlayer* player = Player();
    const TDataSkinButton& buttons = skin_->Buttons();
    if (!player || !HasImage(&buttons)) return;
    TOffscreen picture(rect.right - rect.left, rect.bottom - rect.top);
    if (!picture.Valid()) return;
    FillSolid(picture.DC(), {0, 0, rect.right - rect.left, rect.bottom - rect.top},
              SkinColourRef(*skin_, scButtonFace));
    for (const TMPButtonPlace& place : player->Layout()) {
        const RECT button = ToRECT(place.Rect);
        const int frame = ButtonFrame(int(place.Button));
        DrawSkinElement(picture.DC(), button, buttons, frame);
        const COLORREF colour = SkinColourRef(*skin_, frame == 3 ? scButtonShadow : scButtonText);
        RECT glyph = button;
        if (frame == 2) ::OffsetRect(&glyph, 1, 1);
        DrawMPGlyph(picture.DC(), glyph, place.Button, colour);
    }
    picture.CopyTo(dc, rect.left, rect.top);
}
