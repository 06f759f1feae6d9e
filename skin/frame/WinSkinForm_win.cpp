#include "skin/frame/WinSkinForm_win.h"

#include <algorithm>

#include "framework/DebugSink_win.h"
#include "framework/ExtCtrls_win.h"
#include "framework/Forms_win.h"
#include "framework/Menus_win.h"
#include "skin/controls/SkinControlFactory_win.h"
#include "skin/controls/SkinControlMap_win.h"
#include "skin/controls/SkinControl_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData.h"

namespace {

COLORREF Rgb(TColor colour) {
    return COLORREF(ColourToRGB(colour) & 0xFFFFFF);
}

} // namespace

// ---- Attachment ----

TWinSkinForm::TWinSkinForm(TComponent* owner, HWND window, TSkinData* skin, std::string className,
                           TSkinManage* manager)
    : TComponent(owner), window_(window), skin_(skin), className_(std::move(className)), manager_(manager) {
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
    if (manager_) manager_->ForgetSkinnedForm(window_);
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
    if (manager_) manager_->MarkStarted();
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
        windowKind_ = TWindowKind::MdiFrame;
    } else if (exStyle & WS_EX_MDICHILD) {
        windowKind_ = TWindowKind::MdiChild;
        if (skin_->Options.Has(xoMDIChildBorder)) frameSkinned_ = false;
    }
    frameKind_ = frame::FrameKindOf(style, exStyle, className_, dialogLike_);

    // Keep the system menu style on the systems whose taskbar needs it.
    const DWORD version = ::GetVersion();
    const int major = int(version & 0xFF), minor = int((version >> 8) & 0xFF);
    if (major > 4 && minor == 0 &&
        ((exStyle & frame::kExAppWindow) || (!owner_ && windowKind_ != TWindowKind::MdiChild)))
        styleBits_ |= frame::kBitKeepStyles;

    InstallWindowProc();
    if (frameSkinned_) {
        if (::GetMenu(window_) && windowKind_ != TWindowKind::MdiChild) CreateMenuBar();
        ApplySkinMetrics();
    } else {
        skinState_ = TFrameState::Running; // only the controls are skinned
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
    if (frameKind_ == frame::TFrameKind::Captionless) menuBarHeight_ = 0;
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

RECT TWinSkinForm::OuterRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

// ---- Start, size and shape ----

void TWinSkinForm::Start() {
    systemMenu_ = ::GetSystemMenu(window_, FALSE);
    ReadIcon();
    ::GetClientRect(window_, &clientRect_);
    const RECT outer = OuterRect(window_);
    nativeExtents_ = {(outer.right - outer.left) - (clientRect_.right - clientRect_.left),
                      (outer.bottom - outer.top) - (clientRect_.bottom - clientRect_.top)};
    SkinChildControls(*this);
    if (skinState_ == TFrameState::Waiting && frameSkinned_ && !child_ &&
        frameKind_ != frame::TFrameKind::Captionless && !Minimised()) {
        skinState_ = TFrameState::Resizing;
        ResizeForSkin(false);
        skinState_ = TFrameState::Running;
        if (showState_ == frame::TShowState::Normal)
            BuildFrameRegion();
        else
            RepaintFrame();
    }
    ::SendMessageW(window_, SkinAnnounceMessage, 0, SkinMagic);
    if (skin_->OnAfterSkinForm) skin_->OnAfterSkinForm(skin_, window_, className_);
    skinState_ = TFrameState::Running;
    SetHoverTimer(isActive_ || ::GetActiveWindow() == window_);
    if (::IsWindowVisible(window_)) RepaintFrame();
}

// ---- Menu bar and menu items ----

void TWinSkinForm::CreateMenuBar() {
    menuBar_ = std::make_unique<TWinSkinMenu>(*this, window_, skin_, manager_);
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
        if (!item || item->CtlType != ODT_MENU ||
            !DrawMenuItem(*skin_, component, *item, rightToLeft_, manager_))
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
    if (!(child_ && windowKind_ != TWindowKind::MdiChild) && skinState_ != TFrameState::Destroying) {
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

TSkinControl* TWinSkinForm::MakeSubSkin(TSkinWrapperKind kind, TComponent* owner) {
    return CreateSkinWrapper(kind, owner, TSkinMapDecision{});
}
