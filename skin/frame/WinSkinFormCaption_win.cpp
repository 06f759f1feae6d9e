// TWinSkinForm's caption buttons: their places, pictures, hover, hints and actions, and the skinned system
// menu.
#include <algorithm>

#include "framework/ExtCtrls_win.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData.h"

namespace {

const char* HintText(int action) {
    switch (action) {
    case 0:
    case 9:
    case 62:
        return "Close";
    case 1:
    case 22:
        return "Maximize";
    case 2:
    case 7:
    case 23:
    case 60:
        return "Minimize";
    case 8:
    case 61:
        return "Restore";
    default:
        return nullptr;
    }
}

} // namespace

// ---- Caption buttons ----

TWinSysButton::TWinSysButton(TWinSkinForm& frame, const TDataSkinSysButton& element)
    : TNCObject(frame), Element(element), form_(frame) {}

void TWinSysButton::Repaint() {
    form_.PaintCaptionButton(*this);
}

void TWinSkinForm::LayoutCaptionButtons(const TRect& titleRect, int windowWidth) {
    const frame::TCaptionState state = CaptionState();
    for (const auto& o : captionObjects_) {
        const frame::TButtonShow show = frame::CaptionButtonVisible(o->Element, state);
        const bool icon = o->Element.Action == 3 || o->Element.Action == 11;
        const bool hasImage = !o->Element.Bitmap.Empty() || (icon && !icon_.Empty());
        o->Visible = show.Visible && hasImage;
        o->Enabled = show.Enabled;
        if (icon && o->Element.Bitmap.Empty()) {
            const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
            o->Rect = {o->Element.XCoord, o->Element.YCoord, o->Element.XCoord + cx, o->Element.YCoord + cy};
        } else {
            o->Rect = frame::CaptionButtonRect(o->Element, windowWidth, titleRect, borders_, menuBarHeight_);
        }
    }
}

void TWinSkinForm::PaintCaptionButton(TWinSysButton& button) {
    if (!button.Visible || skinState_ != TFrameState::Running || button.Element.Bitmap.Empty()) return;
    if (button.Element.Action == 3 || button.Element.Action == 11) return;
    ScopedGetWindowDC dc(window_);
    ::DrawFrameStretched(dc.get(),
                         RECT{button.Rect.Left, button.Rect.Top, button.Rect.Right, button.Rect.Bottom},
                         button.Element.Bitmap, true, std::max(1, button.Element.FrameCount),
                         frame::CaptionObjectFrame(button.Element, button.State, button.Enabled));
}

frame::TCaptionState TWinSkinForm::CaptionState() const {
    frame::TCaptionState s;
    s.Maximised = Maximised();
    s.Active = isActive_;
    s.StyleBits = styleBits_;
    s.FrameKind = frameKind_;
    s.DialogLike = dialogLike_;
    HWND wnd = window_;
    s.QueryVisibility = [wnd](int code, int action) {
        return long(::SendMessageW(wnd, CaptionVisibilityQuery, WPARAM(code), LPARAM(action)));
    };
    return s;
}

// ---- Pointer ----

POINT TWinSkinForm::ToWindowPoint(POINT screen) const {
    const RECT outer = OuterRect(window_);
    return {screen.x - outer.left, screen.y - outer.top};
}

TWinSysButton* TWinSkinForm::CaptionButtonAt(POINT p) const {
    for (const auto& o : captionObjects_) {
        if (o->Visible && o->Element.Action >= 0 && o->Rect.Contains(p.x, p.y)) return o.get();
    }
    return nullptr;
}

TNCObject* TWinSkinForm::FindNcObjectAt(POINT p) const {
    if (TWinSysButton* button = CaptionButtonAt(p)) return button;
    return menuBar_ ? menuBar_->MenuButtonAt(p) : nullptr;
}

void TWinSkinForm::SetHoverTimer(bool running) {
    if (!hoverTimer_) return;
    hoverTimer_->SetEnabled(running);
    if (!running) skin_->HideCaptionHint();
}

void TWinSkinForm::ResetCaptionHint() {
    for (const auto& o : captionObjects_)
        o->HoverMs = 0;
    skin_->HideCaptionHint();
}

void TWinSkinForm::HoverTick() {
    if (!currentNc_ || MenuTracking()) return;
    POINT cursor;
    ::GetCursorPos(&cursor);
    const POINT p = ToWindowPoint(cursor);
    if (!currentNc_->Rect.Contains(p.x, p.y)) {
        currentNc_->Leave();
        currentNc_ = nullptr;
        ResetCaptionHint();
        return;
    }
    for (const auto& o : captionObjects_) {
        if (o.get() != currentNc_) continue;
        o->HoverMs += 250;
        const char* hint = HintText(o->Element.Action);
        constexpr int kHintPause = 500, kHintHidePause = 2500;
        if (!hint) return;
        if (o->HoverMs >= 2 * kHintPause && o->HoverMs < 2 * kHintPause + kHintHidePause) {
            const RECT outer = OuterRect(window_);
            const int x = o->Rect.Left + outer.left, y = cursor.y + 24;
            skin_->ShowCaptionHint({x, y, x, y}, hint);
        } else if (o->HoverMs >= 2 * kHintPause + kHintHidePause) {
            skin_->HideCaptionHint();
        }
    }
}

void TWinSkinForm::RunCaptionAction(TWinSysButton& button, POINT releasePoint) {
    const int action = button.Element.Action;
    switch (action) {
    case 0: {
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID;
        // The system menu as it was at the start: the caption style may have lost WS_SYSMENU since.
        HMENU menu = systemMenu_ ? systemMenu_ : ::GetSystemMenu(window_, FALSE);
        if (menu && ::GetMenuItemInfoA(menu, SC_CLOSE, FALSE, &info)) {
            SetHoverTimer(false);
            ::PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        break;
    }
    case 1:
    case 22:
        if (!button.Enabled) break;
        showState_ = Maximised() ? frame::TShowState::Normal : frame::TShowState::Maximised;
        ::PostMessageW(window_, WM_SYSCOMMAND,
                       showState_ == frame::TShowState::Maximised ? SC_MAXIMIZE : SC_RESTORE, 0);
        break;
    case 2:
    case 23:
        if (!button.Enabled) break;
        if (Minimised()) {
            showState_ = frame::TShowState::Normal;
            ::PostMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else {
            showState_ = frame::TShowState::Minimised;
            ::SetWindowLongW(window_, GWL_STYLE, ::GetWindowLongW(window_, GWL_STYLE) | WS_SYSMENU);
            ::PostMessageW(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        }
        break;
    case 3:
    case 11:
    case 12:
        ShowSkinSystemMenu({releasePoint.x + 1, releasePoint.y + 1});
        break;
    case 4:
        ::PostMessageW(window_, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
        break;
    default:
        ::PostMessageW(window_, CaptionActionMessage, WPARAM(action), 0);
        break;
    }
}

void TWinSkinForm::ShowSkinSystemMenu(POINT screenPoint) {
    const DWORD now = ::GetTickCount();
    if (lastIconClick_ != 0 && now - lastIconClick_ <= doubleClickTime_) {
        if (currentNc_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
        return;
    }
    lastIconClick_ = now;
    if (manager_) manager_->SetMenuOpenKind(mkSystemMenu);
    HMENU system = systemMenu_ ? systemMenu_ : ::GetSystemMenu(window_, FALSE);
    if (!system) return;
    // A copy of the system menu, its items drawn by the skin while it is shown.
    skinSystemMenu_.reset(::CreatePopupMenu());
    if (!skinSystemMenu_) return;
    const int count = ::GetMenuItemCount(system);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        if (::GetMenuItemInfoW(system, UINT(i), TRUE, &info)) {
            info.fMask &= ~UINT(MIIM_BITMAP);
            ::InsertMenuItemW(skinSystemMenu_.get(), UINT(i), TRUE, &info);
        }
    }
    UINT command = 0;
    {
        std::unique_ptr<TOwnerDrawScope> ownerDrawn;
        if (skin_->SkinControls.Has(xcSystemMenu))
            ownerDrawn = std::make_unique<TOwnerDrawScope>(skinSystemMenu_.get());
        command = UINT(::TrackPopupMenu(skinSystemMenu_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x,
                                        screenPoint.y, 0, window_, nullptr));
    }
    skinSystemMenu_.reset();
    switch (command) {
    case 0:
        break;
    case SC_MAXIMIZE:
        ::PostMessageW(window_, WM_SYSCOMMAND, Maximised() ? SC_RESTORE : SC_MAXIMIZE, 0);
        break;
    case SC_MINIMIZE:
        ::PostMessageW(window_, WM_SYSCOMMAND, Minimised() ? SC_RESTORE : SC_MINIMIZE, 0);
        break;
    case SC_CLOSE:
        SetHoverTimer(false);
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        break;
    default:
        ::PostMessageW(window_, WM_SYSCOMMAND, command, 0);
        break;
    }
}
