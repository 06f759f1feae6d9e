#include "skin/WinSkinForm_win.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "framework/DebugSink_win.h"
#include "framework/ExtCtrls_win.h"
#include "framework/Forms_win.h"
#include "framework/Menus_win.h"
#include "skin/Bitmap_win.h"
#include "skin/ImgUtil_win.h"
#include "skin/SkinControlMap_win.h"
#include "skin/SkinControl_win.h"
#include "skin/WinSkinData.h"
#include "skin/WinSkinMenu_win.h"

namespace {

TSkinManage* Manager() {
    return dynamic_cast<TSkinManage*>(CurrentSkinManager());
}

COLORREF Rgb(TColor colour) {
    return COLORREF(ColourToRGB(colour) & 0xFFFFFF);
}

RECT WindowRect(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return r;
}

// A region made of one-pixel-high runs, built in batches as the platform wants them.
HRGN RegionFromRuns(const std::vector<TRect>& runs) {
    unique_hrgn result(::CreateRectRgn(0, 0, 0, 0));
    constexpr size_t kBatch = 2000;
    for (size_t start = 0; start < runs.size(); start += kBatch) {
        const size_t count = std::min(kBatch, runs.size() - start);
        std::vector<char> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        data->rdh.dwSize = sizeof(RGNDATAHEADER);
        data->rdh.iType = RDH_RECTANGLES;
        data->rdh.nCount = DWORD(count);
        data->rdh.nRgnSize = DWORD(count * sizeof(RECT));
        RECT bounds{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
        auto* rects = reinterpret_cast<RECT*>(data->Buffer);
        for (size_t i = 0; i < count; ++i) {
            const TRect& r = runs[start + i];
            rects[i] = {r.Left, r.Top, r.Right, r.Bottom};
            bounds.left = std::min<LONG>(bounds.left, r.Left);
            bounds.top = std::min<LONG>(bounds.top, r.Top);
            bounds.right = std::max<LONG>(bounds.right, r.Right);
            bounds.bottom = std::max<LONG>(bounds.bottom, r.Bottom);
        }
        data->rdh.rcBound = bounds;
        unique_hrgn part(::ExtCreateRegion(nullptr, DWORD(buffer.size()), data));
        if (part) ::CombineRgn(result.get(), result.get(), part.get(), RGN_OR);
    }
    return result.release();
}

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

// ---- Caption objects ----

void TNCObject::Press() {
    if (frame_.CurrentNcObject() && frame_.CurrentNcObject() != this) frame_.CurrentNcObject()->Leave();
    if (!Visible) return;
    frame_.SetCurrentNcObject(this);
    State = 2;
    Repaint();
}

void TNCObject::Release() {
    if (!Visible) return;
    State = 3;
    Repaint();
}

void TNCObject::Hover() {
    TNCObject* current = frame_.CurrentNcObject();
    if (current == this) return;
    if (current) current->Leave();
    if (!Visible) return;
    frame_.SetCurrentNcObject(this);
    State = 3;
    Repaint();
}

void TNCObject::Leave() {
    if (!Visible) return;
    frame_.SetCurrentNcObject(nullptr);
    State = 1;
    Repaint();
    frame_.ResetCaptionHint();
}

void TWinSysButton::Repaint() {
    frame_.PaintCaptionButton(*this);
}

// ---- Attachment ----

TWinSkinForm::TWinSkinForm(TComponent* owner, HWND window, TSkinData* skin, std::string className)
    : TComponent(owner), window_(window), skin_(skin), className_(std::move(className)) {
    // Asked again once the window has gone, when it can no longer tell.
    ownModule_ = HINSTANCE(::GetWindowLongPtrW(window_, GWLP_HINSTANCE)) == ::GetModuleHandleW(nullptr);
    doubleClickTime_ = ::GetDoubleClickTime();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        captionFont_.reset(::CreateFontIndirectW(&metrics.lfCaptionFont));
}

TWinSkinForm::~TWinSkinForm() {
    RestoreHandlers();
    FreeControls(false);
    captionObjects_.clear();
    if (TSkinManage* manager = Manager()) manager->ForgetSkinnedForm(window_);
}

bool TWinSkinForm::OwnModule() const {
    return ownModule_;
}

void TWinSkinForm::SetUpForm(TForm* form) {
    form_ = form;
    if (skin_->OnBeforeSkinForm) skin_->OnBeforeSkinForm(skin_, window_, className_);
    CommonSetUp();
    if (frameSkinned_) {
        previousHandler_ = form->MessageHandler;
        form->MessageHandler = [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            return FormProcHook(msg, wParam, lParam, result);
        };
        handlerInstalled_ = true;
    }
}

void TWinSkinForm::SetUpPlain() {
    CommonSetUp();
}

void TWinSkinForm::CommonSetUp() {
    if (TSkinManage* manager = Manager()) manager->MarkStarted();
    hoverTimer_ = new TTimer(this);
    hoverTimer_->SetInterval(250);
    hoverTimer_->SetOnTimer([this](TObject*) { HoverTick(); });
    frameSkinned_ = skin_->SkinControls.Has(xcMainMenu);

    const DWORD style = DWORD(::GetWindowLongW(window_, GWL_STYLE));
    const DWORD exStyle = DWORD(::GetWindowLongW(window_, GWL_EXSTYLE));
    savedStyle_ = style;
    rightToLeft_ = (exStyle & frame::kExLayoutRtl) != 0;
    child_ = (style & WS_CHILD) != 0;
    owner_ = ::GetWindow(window_, GW_OWNER);
    styleBits_ = frame::StyleBitsOf(style, exStyle, systemMenu_ != nullptr);

    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (::GetWindowPlacement(window_, &placement)) showState_ = frame::ShowStateOf(int(placement.showCmd));

    if (::FindWindowExW(window_, nullptr, L"MDIClient", nullptr)) {
        windowKind_ = 1;
    } else if (exStyle & WS_EX_MDICHILD) {
        windowKind_ = 2;
        if (skin_->Options.Has(xoMDIChildBorder)) frameSkinned_ = false;
    }
    frameKind_ = frame::FrameKindOf(style, exStyle, className_, dialogLike_);

    // Keep the system menu style on the systems whose taskbar needs it.
    const DWORD version = ::GetVersion();
    const int major = int(version & 0xFF), minor = int((version >> 8) & 0xFF);
    if (major > 4 && minor == 0 && ((exStyle & frame::kExAppWindow) || (!owner_ && windowKind_ != 2)))
        styleBits_ |= frame::kBitKeepStyles;

    InstallWindowProc();
    if (frameSkinned_) {
        if (::GetMenu(window_) && windowKind_ != 2) CreateMenuBar();
        ApplySkinMetrics();
    } else {
        skinState_ = 1; // only the controls are skinned
    }
}

void TWinSkinForm::InstallWindowProc() {
    const bool hooked =
        subclass_.Install(window_, [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
            result = FrameWindowProc(msg, wParam, lParam);
            return true;
        });
    if (!hooked) DebugReport("skin: could not subclass a form");
}

void TWinSkinForm::RestoreHandlers() {
    if (hoverTimer_) hoverTimer_->SetEnabled(false);
    if (handlerInstalled_ && form_) form_->MessageHandler = previousHandler_;
    handlerInstalled_ = false;
    subclass_.Remove();
}

void TWinSkinForm::ApplySkinMetrics() {
    if (skin_->SkinUnloaded()) return;
    borders_ = frame::BorderSizes(*skin_, frameKind_);
    strips_.Clear();
    if (frameKind_ == 2) menuBarHeight_ = 0;
    faceBrush_.reset(::CreateSolidBrush(Rgb(skin_->FaceBrushColour)));
    currentNc_ = nullptr;
    captionObjects_.clear();
    for (const auto& element : skin_->CaptionButtons) {
        auto button = std::make_unique<TWinSysButton>(*this, *element);
        captionObjects_.push_back(std::move(button));
    }
    ReadIcon();
}

void TWinSkinForm::ReadIcon() {
    HICON icon = HICON(::SendMessageW(window_, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = HICON(::SendMessageW(window_, WM_GETICON, ICON_BIG, 0));
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    icon_ = TBitmap32();
    if (!icon) return;
    TDibSection dib(TBitmap32(cx, cy, clMagenta));
    if (!dib.Valid()) return;
    ::DrawIconEx(dib.DC(), 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
    ::GdiFlush();
    icon_ = dib.ToBitmap();
}

// ---- The window's messages ----

LRESULT TWinSkinForm::PassOn(UINT msg, WPARAM wParam, LPARAM lParam) {
    return subclass_.CallPrevious(msg, wParam, lParam);
}

LRESULT TWinSkinForm::FrameWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (skinState_ == 0) {
        if (msg == WM_NCPAINT) return 0;
        if (msg == WM_NCACTIVATE && windowKind_ != 2) return 0;
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
        skinState_ = 4;
        const LRESULT result = PassOn(msg, wParam, lParam);
        ReleaseWindow();
        skinState_ = 6;
        return result;
    }
    case 0xAE: // the system's undocumented caption redraw
        return 0;
    case WM_INITMENUPOPUP:
        if (TSkinManage* manager = Manager())
            manager->SetMenuOpenKind(HMENU(wParam) == ::GetSystemMenu(window_, FALSE) ? mkSystemMenu
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
    if (!frameSkinned_ || (child_ && windowKind_ != 2)) return PassOn(msg, wParam, lParam);

    LRESULT result = 0;
    if (FrameMessage(msg, wParam, lParam, result)) return result;
    if (skinState_ != 0 && NonClientMessage(msg, wParam, lParam, result)) return result;
    return PassOn(msg, wParam, lParam);
}

bool TWinSkinForm::FrameMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SIZE:
        result = PassOn(msg, wParam, lParam);
        showState_ = frame::ShowStateOfSizeType(int(wParam));
        if (!Minimised() && skinState_ == 1) BuildFrameRegion();
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
        if (skinState_ == 1) RepaintFrame();
        return true;
    case WM_SETTEXT:
        // A framework form repaints through its message handler; a plain window's default
        // handling paints the system caption, which the skinned one then covers again.
        if (form_) return false;
        result = PassOn(msg, wParam, lParam);
        if (skinState_ == 1 && ::IsWindowVisible(window_)) RepaintFrame();
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
        if (command == SC_MINIMIZE) showState_ = 2;
        if (command == SC_MAXIMIZE) showState_ = 1;
        if (command == SC_RESTORE) showState_ = 0;
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
        if (frameKind_ == 2) {
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
        if (frameKind_ == 2) {
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
        if (windowKind_ == 2) PassOn(msg, wParam, lParam);
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
        if (object && object == currentNc_ && object->State == 2) {
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
        if (wParam != HTCAPTION || windowKind_ == 2) return false;
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
        if (::IsWindowVisible(window_) && skinState_ == 1) RepaintFrame();
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

// ---- Start, size and shape ----

void TWinSkinForm::Start() {
    systemMenu_ = ::GetSystemMenu(window_, FALSE);
    ReadIcon();
    ::GetClientRect(window_, &clientRect_);
    const RECT outer = WindowRect(window_);
    nativeExtents_ = {(outer.right - outer.left) - (clientRect_.right - clientRect_.left),
                      (outer.bottom - outer.top) - (clientRect_.bottom - clientRect_.top)};
    SkinChildControls(*this, form_);
    if (skinState_ == 0 && frameSkinned_ && !child_ && frameKind_ != 2 && !Minimised()) {
        skinState_ = 5;
        ResizeForSkin(false);
        skinState_ = 1;
        if (showState_ == 0)
            BuildFrameRegion();
        else
            RepaintFrame();
    }
    ::SendMessageW(window_, SkinAnnounceMessage, 0, SkinMagic);
    if (skin_->OnAfterSkinForm) skin_->OnAfterSkinForm(skin_, window_, className_);
    skinState_ = 1;
    SetHoverTimer(isActive_ || ::GetActiveWindow() == window_);
    if (::IsWindowVisible(window_)) RepaintFrame();
}

void TWinSkinForm::ResizeForSkin(bool keepCurrentClient) {
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
    if (Maximised()) {
        ::SetWindowPos(window_, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE);
        return;
    }
    int cw = clientRect_.right - clientRect_.left, ch = clientRect_.bottom - clientRect_.top;
    if (keepCurrentClient) {
        RECT r;
        ::GetClientRect(window_, &r);
        cw = r.right - r.left;
        ch = r.bottom - r.top;
    } else if (form_ && form_->ClientWidth() > 0) {
        cw = form_->ClientWidth();
        // A framework form's client size leaves its menu bar out already.
        ch = form_->ClientHeight();
    }
    int width = cw + borders_.Left + borders_.Right;
    const int height = ch + borders_.Top + borders_.Bottom + menuBarHeight_;
    // A message box is as wide as its text; its title in the skin's caption may need more.
    if (dialogLike_ && skinState_ != 3) {
        const int needed = frame::TitleWidth(skin_->Title(), TitleTextWidth());
        if (needed > width) {
            const int added = needed - width;
            width = needed;
            for (HWND child = ::GetWindow(window_, GW_CHILD); child;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                RECT r;
                ::GetWindowRect(child, &r);
                POINT p{r.left, r.top};
                ::ScreenToClient(window_, &p);
                ::SetWindowPos(child, nullptr, p.x + added / 2, p.y, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
    }
    ::SetWindowPos(window_, nullptr, 0, 0, width, height, flags);
}

int TWinSkinForm::TitleTextWidth() const {
    const std::wstring text = L" " + WindowText() + L"  ";
    unique_hdc measure(::CreateCompatibleDC(nullptr));
    SIZE extent{0, 0};
    ScopedSelectObject font(measure.get(), captionFont_.get());
    ::GetTextExtentPoint32W(measure.get(), text.c_str(), int(text.size()), &extent);
    return extent.cx;
}

void TWinSkinForm::BuildFrameRegion(bool force) {
    if (Dead() || !frameSkinned_ || (windowKind_ == 2 && showState_ != 0)) return;
    const RECT outer = WindowRect(window_);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    if (w <= 0 || h <= 0) return;
    if (!force && windowKind_ != 2 && skinState_ != 3 && regionSize_.cx == w && regionSize_.cy == h) return;
    const TDataSkinBorder& left = skin_->Border(TSkinData::bdLeft);
    const TDataSkinBorder& right = skin_->Border(TSkinData::bdRight);
    const TDataSkinBorder& top = skin_->Border(TSkinData::bdTop);
    const TDataSkinBorder& bottom = skin_->Border(TSkinData::bdBottom);
    unique_hrgn region;
    if (!left.Trans && !right.Trans && !top.Trans) {
        region.reset(::CreateRectRgn(0, 0, w, h));
    } else {
        const frame::TBorders& b = borders_;
        region.reset(::CreateRectRgn(b.Left, b.Top, w - b.Right, h - b.Bottom));
        auto unite = [&](HRGN part) {
            unique_hrgn owned(part);
            if (owned) ::CombineRgn(region.get(), region.get(), owned.get(), RGN_OR);
        };
        auto side = [&](const TDataSkinBorder& element, const TRect& strip, bool stacked, bool shaped) {
            if (strip.IsEmpty()) return;
            if (element.Trans && shaped) {
                const TBitmap32& image =
                    strips_.Get(element, strip.Width(), strip.Height(), stacked, isActive_);
                unite(RegionFromRuns(frame::OpaqueRuns(image, strip.Left, strip.Top, clMagenta, 1)));
            } else {
                unite(::CreateRectRgn(strip.Left, strip.Top, strip.Right, strip.Bottom));
            }
        };
        side(left, {0, 0, b.Left, h}, false, h > 1);
        side(right, {w - b.Right, 0, w, h}, false, h > 1);
        side(bottom, {b.Left, h - b.Bottom, w - b.Right, h}, true, b.Bottom >= 2);
        side(top, {b.Left, 0, w - b.Right, b.Top}, true, b.Top > 1);
    }
    // From here on the region belongs to the system.
    if (::SetWindowRgn(window_, region.get(), TRUE)) region.release();
    regionSize_ = {w, h};
}

// ---- Painting ----

void TWinSkinForm::RepaintFrame() {
    if (!::IsWindow(window_)) return;
    ScopedGetWindowDC dc(window_);
    PaintFrame(dc.get());
}

void TWinSkinForm::PaintFrame(HDC dc) {
    if (!dc || (skinState_ != 1 && skinState_ != 3) || frameKind_ == 2 || !frameSkinned_) return;
    try {
        const RECT outer = WindowRect(window_);
        const int w = outer.right - outer.left, h = outer.bottom - outer.top;
        if (w <= 0 || h <= 0) return;
        if (!Minimised()) {
            const frame::TBorders& b = borders_;
            if (b.Left > 0)
                PaintBitmap(dc, 0, 0,
                            strips_.Get(skin_->Border(TSkinData::bdLeft), b.Left, h, false, isActive_));
            if (b.Right > 0)
                PaintBitmap(dc, w - b.Right, 0,
                            strips_.Get(skin_->Border(TSkinData::bdRight), b.Right, h, false, isActive_));
            if (b.Bottom > 0 && w - b.Left - b.Right > 0)
                PaintBitmap(dc, b.Left, h - b.Bottom,
                            strips_.Get(skin_->Border(TSkinData::bdBottom), w - b.Left - b.Right, b.Bottom,
                                        true, isActive_));
        }
        PaintCaption(dc, w, h);
        if (!Minimised() && menuBarHeight_ > 0) {
            RECT bar{borders_.Left, borders_.Top, w - borders_.Right, borders_.Top + menuBarHeight_};
            if (menuBar_)
                menuBar_->PaintMenuBar(dc, ToTRect(bar));
            else if (faceBrush_)
                ::FillRect(dc, &bar, faceBrush_.get());
        }
    } catch (...) {
        DebugReportCurrentException("painting the skinned frame");
    }
    currentNc_ = nullptr;
}

void TWinSkinForm::PaintCaption(HDC dc, int width, int height) {
    const int bufferHeight = Minimised() ? height : borders_.Top;
    if (bufferHeight <= 0) return;
    TBitmap32 buffer;
    TRect caption;
    if (Minimised()) {
        buffer = TBitmap32(width, height, ColourToRGB(skin_->SkinColours[scButtonFace]));
        caption = {0, 0, width, borders_.Top};
    } else {
        buffer = BitmapFromDC(dc, {0, 0, width, bufferHeight});
        caption = {borders_.Left, 0, width - borders_.Right, borders_.Top};
    }
    TBitmapCanvas canvas(buffer);
    const TDataSkinBorder& top = skin_->Border(TSkinData::bdTop);
    if (!caption.IsEmpty() && !top.Bitmap.Empty()) {
        const TBitmap32& strip = strips_.Get(top, caption.Width(), caption.Height(), true, isActive_);
        if (top.Trans)
            TransparentDraw(canvas, caption, strip, clMagenta);
        else
            canvas.Draw(caption.Left, caption.Top, strip);
    }

    // The title: measured with the caption font, placed by the skin's rules.
    const std::wstring text = L" " + WindowText() + L"  ";
    SIZE extent{TitleTextWidth(), 0};
    {
        unique_hdc measure(::CreateCompatibleDC(nullptr));
        ScopedSelectObject font(measure.get(), captionFont_.get());
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(measure.get(), &metrics);
        extent.cy = metrics.tmHeight;
    }
    const frame::TCaptionState state = CaptionState();
    rightButtonsExtent_ = 0;
    for (const auto& o : captionObjects_) {
        if (o->Element.Align == 1 && !o->Element.Bitmap.Empty() &&
            frame::CaptionButtonVisible(o->Element, state).Visible)
            rightButtonsExtent_ = std::max(rightButtonsExtent_, o->Element.XCoord);
    }
    const TDataSkinTitle& title = skin_->Title();
    frame::TTitleInput in;
    in.Caption = caption;
    in.TextWidth = extent.cx;
    in.TextHeight = extent.cy;
    in.RightButtonsExtent = rightButtonsExtent_;
    in.RightToLeft = rightToLeft_;
    in.Popup = (static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE)) & WS_POPUP) != 0;
    in.FrameKind = frameKind_;
    const frame::TTitleLayout layout = frame::LayoutTitle(title, in);
    titleRect_ = layout.TitleRect;
    if (!title.Bitmap.Empty())
        DrawElementStrip(canvas, layout.TitleRect, title.Bitmap, true, true, 2, isActive_ ? 1 : 2,
                         {title.TextBackLeft, 0, title.TextBackRight, 0});

    LayoutCaptionButtons(titleRect_, width);
    for (const auto& o : captionObjects_) {
        if (!o->Visible || o->Element.Align == 100) continue;
        if (o->Element.Action == 3 || o->Element.Action == 11) {
            if (!icon_.Empty()) DrawFrameStretched(canvas, o->Rect, icon_, true, 1, 1);
        } else if (!o->Element.Bitmap.Empty()) {
            DrawFrameStretched(canvas, o->Rect, o->Element.Bitmap, true, std::max(1, o->Element.FrameCount),
                               frame::CaptionButtonFrame(o->Element, isActive_, o->Enabled));
        }
    }

    TDibSection dib(buffer);
    if (!dib.Valid()) return;
    {
        ScopedSelectObject font(dib.DC(), captionFont_.get());
        ::SetBkMode(dib.DC(), TRANSPARENT);
        ::SetTextColor(dib.DC(),
                       Rgb(skin_->SkinColours[isActive_ ? scTitleTextActive : scTitleTextNoActive]));
        RECT textRect{layout.TextRect.Left, layout.TextRect.Top, layout.TextRect.Right,
                      layout.TextRect.Bottom};
        UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
        if (rightToLeft_) format |= DT_RIGHT | DT_RTLREADING;
        ::DrawTextW(dib.DC(), text.c_str(), int(text.size()), &textRect, format);
        ::SetBkMode(dib.DC(), OPAQUE);
    }
    ::GdiFlush();
    ::BitBlt(dc, 0, 0, width, bufferHeight, dib.DC(), 0, 0, SRCCOPY);
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
    if (!button.Visible || skinState_ != 1 || button.Element.Bitmap.Empty()) return;
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

std::wstring TWinSkinForm::WindowText() const {
    const int n = ::GetWindowTextLengthW(window_);
    std::wstring text(size_t(n) + 1, L'\0');
    const int got = ::GetWindowTextW(window_, text.data(), n + 1);
    text.resize(size_t(std::max(0, got)));
    return text;
}

// ---- Pointer ----

POINT TWinSkinForm::ToWindowPoint(POINT screen) const {
    const RECT outer = WindowRect(window_);
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
            const RECT outer = WindowRect(window_);
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
        showState_ = Maximised() ? 0 : 1;
        ::PostMessageW(window_, WM_SYSCOMMAND, showState_ == 1 ? SC_MAXIMIZE : SC_RESTORE, 0);
        break;
    case 2:
    case 23:
        if (!button.Enabled) break;
        if (Minimised()) {
            showState_ = 0;
            ::PostMessageW(window_, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else {
            showState_ = 2;
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
    if (TSkinManage* manager = Manager()) manager->SetMenuOpenKind(mkSystemMenu);
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

// ---- Menu bar and menu items ----

void TWinSkinForm::CreateMenuBar() {
    menuBar_ = std::make_unique<TWinSkinMenu>(*this, window_, skin_);
    menuBarHeight_ = ::GetSystemMetrics(SM_CYMENU);
    menuBar_->SetMenuComponent(form_ ? form_->Menu() : nullptr);
    menuBar_->BuildMenuButtons();
}

bool TWinSkinForm::MenuTracking() const {
    return menuBar_ && menuBar_->TrackingMenu();
}

void TWinSkinForm::OpenMenuBarButton(TMenuBtn& button) {
    if (!isActive_ && ::GetActiveWindow() != window_) ::SetForegroundWindow(window_);
    button.Press();
    menuBar_->OpenMenuButton(button);
}

bool TWinSkinForm::MenuItemMessage(UINT msg, LPARAM lParam, LRESULT& result) {
    TMainMenu* component = form_ ? form_->Menu() : nullptr;
    if (msg == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!item || item->CtlType != ODT_MENU || !MeasureMenuItem(*skin_, component, *item)) return false;
    } else {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlType != ODT_MENU || !DrawMenuItem(*skin_, component, *item, rightToLeft_))
            return false;
    }
    result = TRUE;
    return true;
}

void TWinSkinForm::FreeMenus(bool restoreNative) {
    skinSystemMenu_.reset();
    if (!menuBar_) return;
    HMENU native = menuBar_->NativeMenu();
    menuBar_.reset();
    if (currentNc_ && !dynamic_cast<TWinSysButton*>(currentNc_)) currentNc_ = nullptr;
    if (!native || !::IsMenu(native)) return;
    if (restoreNative && ::IsWindow(window_)) {
        ::SetMenu(window_, native);
    } else if (!(form_ && form_->Menu() && form_->Menu()->HandleAllocated() &&
                 form_->Menu()->Handle() == native)) {
        // The window would have destroyed its own menu with itself; nobody else holds it.
        ::DestroyMenu(native);
    }
}

// ---- Letting go ----

void TWinSkinForm::DetachFrame() {
    RestoreHandlers();
    FreeControls(true);
    if (!frameSkinned_) return;
    if (!::IsWindow(window_)) return;
    // The client size before the native menu bar takes its row back.
    RECT client;
    ::GetClientRect(window_, &client);
    const bool hadMenuBar = menuBar_ != nullptr;
    FreeMenus(true);
    if (form_) form_->Invalidate();
    if (savedStyle_ & WS_SYSMENU)
        ::SetWindowLongW(window_, GWL_STYLE, ::GetWindowLongW(window_, GWL_STYLE) | WS_SYSMENU);
    if (!(child_ && windowKind_ != 2) && skinState_ != 4) {
        const int width = (client.right - client.left) + nativeExtents_.cx;
        const int height = (client.bottom - client.top) + nativeExtents_.cy +
                           (hadMenuBar && ::GetMenu(window_) ? ::GetSystemMetrics(SM_CYMENU) : 0);
        ::SetWindowRgn(window_, nullptr, TRUE);
        ::SetWindowPos(window_, nullptr, 0, 0, width, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    } else {
        ::SetWindowRgn(window_, nullptr, TRUE);
    }
    ::RedrawWindow(window_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    regionSize_ = {-1, -1};
}

void TWinSkinForm::ReleaseWindow() {
    skin_->HideCaptionHint();
    ReportHeldMemory();
    RestoreHandlers();
    FreeControls(false);
    FreeMenus(false);
}

void TWinSkinForm::ReportHeldMemory() const {
    std::size_t controls = 0;
    for (const TSkinControl* control : controls_)
        controls += control->HeldBytes();
    const std::size_t images = skin_->ImageBytes(), frame = strips_.Bytes() + icon_.Bytes();
    DebugReport("skin engine held " + std::to_string((images + frame + controls + 1023) / 1024) + " KB for " +
                className_ + ": skin images " + std::to_string((images + 1023) / 1024) +
                " KB, frame pictures " + std::to_string((frame + 1023) / 1024) + " KB, pictures of " +
                std::to_string(controls_.size()) + " control skins " +
                std::to_string((controls + 1023) / 1024) + " KB");
}

void TWinSkinForm::RegisterControl(TSkinControl* control) {
    if (std::find(controls_.begin(), controls_.end(), control) == controls_.end())
        controls_.push_back(control);
}

void TWinSkinForm::UnregisterControl(TSkinControl* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TWinSkinForm::FreeControls(bool restore) {
    // Newest first; each skin leaves the list as it goes.
    while (!controls_.empty()) {
        TSkinControl* control = controls_.back();
        if (restore) {
            control->Unskin();
        }
        delete control;
    }
}
