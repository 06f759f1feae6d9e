// TWinSkinForm's window messages: the subclassed window's, the framework form's, the non-client ones.
#include <windowsx.h>

#include "framework/Forms_win.h"
#include "skin/controls/SkinControlMap_win.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/model/WinSkinData.h"

// ---- The window's messages ----

LRESULT TWinSkinForm::PassOn(UINT msg, WPARAM wParam, LPARAM lParam) {
    return subclass_.CallPrevious(msg, wParam, lParam);
}

LRESULT TWinSkinForm::FrameWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (skinState_ == TFrameState::Waiting) {
        if (msg == WM_NCPAINT) return 0;
        if (msg == WM_NCACTIVATE && windowKind_ != TWindowKind::MdiChild) return 0;
    }
    switch (msg) {
    case WM_ERASEBKGND: {
        LRESULT result = PassOn(msg, wParam, lParam);
        if (form_) return result;
        RECT r;
        ::GetClientRect(window_, &r);
        ::FillRect(HDC(wParam), &r, faceBrush_ ? faceBrush_.get() : ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_NCDESTROY: {
        // The window's own handling first, while this subclass is still in the chain to pass it on.
        skinState_ = TFrameState::Destroying;
        const LRESULT result = PassOn(msg, wParam, lParam);
        ReleaseWindow();
        skinState_ = TFrameState::Dead;
        return result;
    }
    case 0xAE: // the system's undocumented caption redraw
        return 0;
    case WM_INITMENUPOPUP:
        if (manager_)
            manager_->SetMenuOpenKind(HMENU(wParam) == ::GetSystemMenu(window_, FALSE) ? mkSystemMenu
                                                                                       : mkMenuBar);
        return PassOn(msg, wParam, lParam);
    case WM_CTLCOLORBTN: {
        const LRESULT result = PassOn(msg, wParam, lParam);
        if (!form_) ::SetBkMode(HDC(wParam), TRANSPARENT);
        return result;
    }
    case WM_CTLCOLORSTATIC: {
        const LRESULT result = PassOn(msg, wParam, lParam);
        if (form_ || !faceBrush_) return result;
        ::SetBkMode(HDC(wParam), TRANSPARENT);
        return LRESULT(faceBrush_.get());
    }
    default:
        break;
    }
    if (msg == SkinStartMessage) {
        Start();
        return 0;
    }
    if (msg == SkinQueryMessage) return 1;
    if (!frameSkinned_ || (child_ && windowKind_ != TWindowKind::MdiChild))
        return PassOn(msg, wParam, lParam);

    LRESULT result = 0;
    if (FrameMessage(msg, wParam, lParam, result)) return result;
    if (skinState_ != TFrameState::Waiting && NonClientMessage(msg, wParam, lParam, result)) return result;
    return PassOn(msg, wParam, lParam);
}

bool TWinSkinForm::FrameMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
        result = PassOn(msg, wParam, lParam);
        showState_ = frame::ShowStateOfSizeType(int(wParam));
        if (!Minimised() && skinState_ == TFrameState::Running) BuildFrameRegion();
        return true;
    case WM_ACTIVATE:
        isActive_ = LOWORD(wParam) != WA_INACTIVE;
        result = PassOn(msg, wParam, lParam);
        return true;
    case WM_GETMINMAXINFO:
    case WM_WINDOWPOSCHANGED: {
        result = PassOn(msg, wParam, lParam);
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (::GetWindowPlacement(window_, &placement))
            showState_ = frame::ShowStateOf(int(placement.showCmd));
        return true;
    }
    case WM_SETICON:
        result = PassOn(msg, wParam, lParam);
        ReadIcon();
        if (skinState_ == TFrameState::Running) RepaintFrame();
        return true;
    case WM_SETTEXT:
        // A framework form repaints through its message handler; a plain window's default
        // handling paints the system caption, which the skinned one then covers again.
        if (form_) return false;
        result = PassOn(msg, wParam, lParam);
        if (skinState_ == TFrameState::Running && ::IsWindowVisible(window_)) RepaintFrame();
        return true;
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        switch (id) {
        case SC_SIZE:
        case SC_MOVE:
        case SC_MINIMIZE:
        case SC_MAXIMIZE:
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
        case SC_CLOSE:
        case SC_RESTORE:
            ::PostMessageW(window_, WM_SYSCOMMAND, id, 0);
            result = 0;
            return true;
        default:
            return false;
        }
    }
    case WM_SYSCOMMAND: {
        const WPARAM command = wParam & 0xFFF0;
        if (command == SC_KEYMENU && lParam != ' ' && lParam != '-' && menuBar_ && !MenuTracking() &&
            !::GetCapture()) {
            // Alt alone opens the first button; Alt with a letter the button it underlines.
            TMenuBtn* button = nullptr;
            if (lParam == 0) {
                for (const auto& b : menuBar_->MenuButtons())
                    if (!button && b->Visible && b->Enabled && !b->Caption.empty()) button = b.get();
            } else {
                button = menuBar_->MenuButtonForAccelerator(wchar_t(lParam));
            }
            if (button) {
                OpenMenuBarButton(*button);
                result = 1;
                return true;
            }
        }
        if (command == SC_KEYMENU && lParam == ' ') {
            POINT origin{0, 0};
            ::ClientToScreen(window_, &origin);
            ShowSkinSystemMenu(origin);
            result = 0;
            return true;
        }
        if (command == SC_MINIMIZE) showState_ = frame::TShowState::Minimised;
        if (command == SC_MAXIMIZE) showState_ = frame::TShowState::Maximised;
        if (command == SC_RESTORE) showState_ = frame::TShowState::Normal;
        return false;
    }
    default:
        return false;
    }
}

bool TWinSkinForm::NonClientMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_WINDOWPOSCHANGING:
        result = PassOn(msg, wParam, lParam);
        return true;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
        return MenuItemMessage(msg, lParam, result);
    case WM_NCCALCSIZE: {
        result = PassOn(msg, wParam, lParam);
        if (!wParam) {
            result = 0;
            return true;
        }
        auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
        if (frameKind_ == frame::TFrameKind::Captionless) {
            params->rgrc[1] = params->rgrc[0];
            result = WVR_VALIDRECTS;
            return true;
        }
        const WINDOWPOS* pos = params->lppos;
        const TRect client = frame::NcClientRect(pos->x, pos->y, pos->cx, pos->cy, borders_, menuBarHeight_);
        params->rgrc[0] = {client.Left, client.Top, client.Right, client.Bottom};
        params->rgrc[1] = params->rgrc[0];
        result = WVR_VALIDRECTS;
        return true;
    }
    case WM_NCHITTEST: {
        result = PassOn(msg, wParam, lParam);
        const POINT p = ToWindowPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        result = frame::NcHitTest(int(result), p.y, borders_.Top, menuBar_ != nullptr);
        return true;
    }
    case WM_NCPAINT: {
        if (!(styleBits_ & frame::kBitKeepStyles)) {
            const LONG style = ::GetWindowLongW(window_, GWL_STYLE);
            if (style & WS_SYSMENU) ::SetWindowLongW(window_, GWL_STYLE, style & ~WS_SYSMENU);
        }
        if (frameKind_ == frame::TFrameKind::Captionless) {
            result = PassOn(msg, wParam, lParam);
            return true;
        }
        ScopedGetWindowDC dc(window_);
        PaintFrame(dc.get());
        result = 0;
        return true;
    }
    case WM_NCACTIVATE:
        isActive_ = wParam != FALSE;
        SetHoverTimer(isActive_);
        if (windowKind_ == TWindowKind::MdiChild) PassOn(msg, wParam, lParam);
        RepaintFrame();
        result = 1;
        return true;
    case WM_NCMOUSEMOVE: {
        result = 0;
        if (!isActive_) return true;
        TNCObject* object = FindNcObjectAt(ToWindowPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        if (object) {
            object->Hover();
            return true;
        }
        if (currentNc_) currentNc_->Leave();
        return false;
    }
    case WM_NCLBUTTONDOWN: {
        skin_->HideCaptionHint();
        TNCObject* object = FindNcObjectAt(ToWindowPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        if (object) {
            if (!isActive_) ::SetForegroundWindow(window_);
            auto* menuButton = dynamic_cast<TMenuBtn*>(object);
            if (menuButton && MenuTracking()) {
                menuBar_->SwitchToMenuButton(*menuButton);
            } else if (menuButton) {
                OpenMenuBarButton(*menuButton);
            } else {
                object->Press();
            }
            result = 0;
            return true;
        }
        // A maximised window cannot be dragged by its caption.
        if (Maximised() && isActive_ && wParam == HTCAPTION) {
            result = PassOn(msg, HTMENU, lParam);
            return true;
        }
        return false;
    }
    case WM_NCLBUTTONUP: {
        skin_->HideCaptionHint();
        const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        TNCObject* found = FindNcObjectAt(ToWindowPoint(screen));
        if (!found) return false;
        auto* object = dynamic_cast<TWinSysButton*>(found);
        if (object && object == currentNc_ && object->State == frame::TNcState::Pressed) {
            object->Release();
            RunCaptionAction(*object, screen);
        }
        result = 0;
        return true;
    }
    case WM_NCLBUTTONDBLCLK: {
        TWinSysButton* object = CaptionButtonAt(ToWindowPoint({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        if (object && (object->Element.Action == 3 || object->Element.Action == 11)) {
            SetHoverTimer(false);
            ::PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (Maximised() || Minimised()) {
            ::PostMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else if (styleBits_ & frame::kBitMaximize) {
            ::PostMessageW(window_, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        } else {
            return false;
        }
        result = 0;
        return true;
    }
    case WM_NCRBUTTONDOWN:
        if (wParam != HTCAPTION || windowKind_ == TWindowKind::MdiChild) return false;
        skin_->HideCaptionHint();
        ShowSkinSystemMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        result = 0;
        return true;
    default:
        if (msg == SkinControlNotice) {
            // A skinned control asks for a scroll-bar skin in place of its own.
            ReplaceWithScrollbarSkin(*this, reinterpret_cast<HWND>(wParam));
            result = 0;
            return true;
        }
        if (msg == SkinFrameRepaintMessage) {
            RepaintFrame();
            result = 0;
            return true;
        }
        return false;
    }
}

bool TWinSkinForm::FormProcHook(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    auto formHandles = [&](UINT m, WPARAM w, LPARAM l, LRESULT& r) {
        return previousHandler_ ? previousHandler_(m, w, l, r) : form_->WndProc(m, w, l, r);
    };
    if (msg == WM_SETTEXT) {
        // The form's handling (and the default one, which paints the system caption) first,
        // then the skinned caption over it.
        if (!formHandles(msg, wParam, lParam, result)) result = form_->DefaultHandler(msg, wParam, lParam);
        if (::IsWindowVisible(window_) && skinState_ == TFrameState::Running) RepaintFrame();
        return true;
    }
    if (msg == FramePaintRequest && lParam == SkinMagic) {
        PaintFrame(HDC(wParam));
        result = SkinMagic;
        return true;
    }
    if (msg == SkinIdentifyMessage) {
        result = lParam == SkinMagic ? SkinMagic : 1;
        return true;
    }
    return formHandles(msg, wParam, lParam, result);
}
