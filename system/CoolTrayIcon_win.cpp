#include "system/CoolTrayIcon_win.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "framework/Application_win.h"
#include "framework/Controls_win.h"
#include "framework/DebugSink_win.h"
#include "framework/Forms_win.h"
#include "framework/HandlerWindow_win.h"
#include "framework/ImgList_win.h"
#include "framework/Menus_win.h"
#include "framework/Text_win.h"

namespace {

constexpr UINT kBaseFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
// The record as the shell knew it before the Vista fields: 488 bytes on 32-bit Windows.
constexpr DWORD kTrayRecordSize = NOTIFYICONDATAA_V2_SIZE;
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == 488, "32-bit tray record with balloon fields");
#endif

// Shell identifiers are 32 bits even on 64-bit Windows, so an icon is known by a number of its
// own rather than by its address; the handler maps the number back to the live component.
std::map<UINT, TCoolTrayIcon*>& LiveIcons() {
    static std::map<UINT, TCoolTrayIcon*> icons;
    return icons;
}

UINT NextTrayId() {
    static UINT next = 0;
    do {
        ++next;
    } while (next == 0 || LiveIcons().count(next));
    return next;
}

TCoolTrayIcon* FindLiveIcon(UINT id) {
    auto it = LiveIcons().find(id);
    return it == LiveIcons().end() ? nullptr : it->second;
}

std::unique_ptr<TTrayIconHandler>& SharedHandler() {
    static std::unique_ptr<TTrayIconHandler> handler;
    return handler;
}

DWORD CommonControlsVersion() {
    HMODULE lib = ::GetModuleHandleA("comctl32.dll");
    if (!lib) lib = ::LoadLibraryA("comctl32.dll"); // kept loaded: the program links it anyway
    if (!lib) return 0;
    auto getVersion =
        reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(::GetProcAddress(lib, "DllGetVersion")));
    if (!getVersion) return 0;
    DLLVERSIONINFO info{};
    info.cbSize = sizeof(info);
    if (FAILED(getVersion(&info))) return 0;
    return (info.dwMajorVersion << 16) | (info.dwMinorVersion & 0xFFFF);
}

} // namespace

UINT TaskbarCreatedMessage() {
    static const UINT message =
        CommonControlsVersion() >= MAKELONG(71, 4) ? ::RegisterWindowMessageA("TaskbarCreated") : 0;
    return message;
}

TTrayIconHandler* TrayIconHandler() {
    return SharedHandler().get();
}

TTrayIconHandler::TTrayIconHandler()
    : window_(CreateHandlerWindow(kTrayIconWindowClass, &TTrayIconHandler::WindowProc)) {}

TTrayIconHandler::~TTrayIconHandler() {
    if (window_) ::DestroyWindow(window_);
}

LRESULT CALLBACK TTrayIconHandler::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case TrayCallbackMessage:
        try {
            if (TCoolTrayIcon* icon = FindLiveIcon(static_cast<UINT>(wParam)))
                icon->HandleTrayCallback(static_cast<unsigned>(lParam));
        } catch (...) {
            DebugReportCurrentException("tray icon message");
        }
        return 0;
    // Nobody closes this window from outside, and it never objects to ending the session.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
        return 1;
    default:
        return ::DefWindowProcA(wnd, msg, wParam, lParam);
    }
}

TCoolTrayIcon::TCoolTrayIcon(TComponent* owner) : TComponent(owner), TTrayIconLogic(this, *this) {
    AcquireSharedHandler(SharedHandler());
    UINT id = NextTrayId();
    LiveIcons()[id] = this;
    icon_.OnChange = [this] { RefreshTrayEntry(); };

    trayRecord_ = NOTIFYICONDATAA{};
    trayRecord_.cbSize = kTrayRecordSize;
    trayRecord_.hWnd = TrayIconHandler() ? TrayIconHandler()->Handle() : nullptr;
    trayRecord_.uID = id;
    trayRecord_.uFlags = kBaseFlags;
    trayRecord_.uCallbackMessage = TrayCallbackMessage;

    TaskbarCreatedMessage(); // registered before the first broadcast can arrive

    // Without a hook the icon still shows; only what that window's messages drive is missing.
    if (Application && Application->Handle()) {
        const bool hooked = appSubclass_.Install(Application->Handle(),
                                                 [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT&) {
                                                     AppWindowHook(msg, wParam, lParam);
                                                     return false;
                                                 });
        if (!hooked) DebugReport("tray icon: could not subclass the application window");
    }
    if (auto* control = dynamic_cast<TWinControl*>(owner)) {
        hookedForm_ = control->Handle();
        const bool hooked = formSubclass_.Install(
            hookedForm_, [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
                return OwnerFormHook(hookedForm_, msg, wParam, lParam, result);
            });
        if (!hooked) DebugReport("tray icon: could not subclass the owner form");
    }
}

TCoolTrayIcon::~TCoolTrayIcon() {
    try {
        SetIconVisible(false);
        StopTickers();
        icon_.OnChange = nullptr;
        icon_.SetHandle(nullptr);
    } catch (...) {
        DebugReportCurrentException("removing the tray icon");
    }
    appSubclass_.Remove();
    formSubclass_.Remove();
    LiveIcons().erase(trayRecord_.uID);
    if (iconList_) iconList_->RemoveFreeNotification(this);
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    ReleaseSharedHandler(SharedHandler());
}

void TCoolTrayIcon::SetIcon(const TIcon& icon) {
    auto onChange = std::move(icon_.OnChange);
    icon_.OnChange = nullptr;
    icon_.Assign(icon);
    icon_.OnChange = std::move(onChange);
    RefreshTrayEntry();
}

void TCoolTrayIcon::SetIconList(TImageList* list) {
    if (iconList_ && iconList_ != list) iconList_->RemoveFreeNotification(this);
    iconList_ = list;
    if (list) list->FreeNotification(this);
    SetIconIndex(0);
}

void TCoolTrayIcon::SetIconVisible(bool visible) {
    if (visible)
        AddTrayEntry();
    else
        RemoveTrayEntry();
}

void TCoolTrayIcon::SetPopupMenu(TPopupMenu* menu) {
    if (popupMenu_ && popupMenu_ != menu) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = menu;
    if (menu) menu->FreeNotification(this);
}

void TCoolTrayIcon::SetHint(const std::wstring& hint) {
    SetHint(WideToAnsi(hint));
}

void TCoolTrayIcon::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == popupMenu_) popupMenu_ = nullptr;
    if (component == iconList_) {
        iconList_ = nullptr;
        SetIconIndex(0);
    }
}

bool TCoolTrayIcon::FillTrayRecord() {
    trayRecord_.hIcon = icon_.Handle();
    FillTrayTip(Hint(), ShowHint(), trayRecord_.szTip, sizeof(trayRecord_.szTip));
    return true;
}

bool TCoolTrayIcon::NotifyShell(DWORD message) {
    FillTrayRecord();
    return ::Shell_NotifyIconA(message, &trayRecord_) != FALSE;
}

bool TCoolTrayIcon::UseStockIcon() {
    return true;
}

bool TCoolTrayIcon::AddTrayEntry() {
    if (!previewInProgress_) iconVisible_ = true;
    return NotifyShell(NIM_ADD);
}

bool TCoolTrayIcon::RemoveTrayEntry() {
    if (!previewInProgress_) iconVisible_ = false;
    return NotifyShell(NIM_DELETE);
}

bool TCoolTrayIcon::RefreshTrayEntry() {
    return NotifyShell(NIM_MODIFY);
}

bool TCoolTrayIcon::PutBalloon(const std::string& title, const std::string& text, BalloonIconKind iconKind,
                               unsigned char timeoutSeconds) {
    ClearBalloon();
    trayRecord_.uFlags |= NIF_INFO;
    CopyTrayField(text, trayRecord_.szInfo, sizeof(trayRecord_.szInfo));
    CopyTrayField(title, trayRecord_.szInfoTitle, sizeof(trayRecord_.szInfoTitle));
    trayRecord_.uTimeout = static_cast<UINT>(timeoutSeconds) * 1000u;
    trayRecord_.dwInfoFlags = BalloonInfoFlags(iconKind);
    bool ok = RefreshTrayEntry();
    trayRecord_.uFlags = kBaseFlags;
    return ok;
}

bool TCoolTrayIcon::PutBalloon(const std::wstring& title, const std::wstring& text, BalloonIconKind iconKind,
                               unsigned char timeoutSeconds) {
    return PutBalloon(WideToAnsi(title), WideToAnsi(text), iconKind, timeoutSeconds);
}

void TCoolTrayIcon::ClearBalloon() {
    trayRecord_.uFlags |= NIF_INFO;
    CopyTrayField(std::string(), trayRecord_.szInfo, sizeof(trayRecord_.szInfo));
    RefreshTrayEntry();
    // Later refreshes of the picture must not carry a balloon request.
    trayRecord_.uFlags = kBaseFlags;
}

HWND TCoolTrayIcon::AppWindow() {
    return Application ? Application->Handle() : nullptr;
}

HWND TCoolTrayIcon::OwnerWindow() const {
    auto* control = dynamic_cast<TWinControl*>(Owner());
    return control && control->HandleAllocated() ? control->Handle() : nullptr;
}

void TCoolTrayIcon::HideAppButton() {
    HWND app = AppWindow();
    if (app && ::IsWindowVisible(app)) ::ShowWindow(app, SW_HIDE);
}

void TCoolTrayIcon::HideOwnerForm() {
    if (!dynamic_cast<TWinControl*>(Owner()) || !Application || !Application->MainForm()) return;
    Application->MainForm()->Hide();
    HideAppButton();
}

void TCoolTrayIcon::SendToTray() {
    HideOwnerForm();
    SetIconVisible(true);
}

void TCoolTrayIcon::PopupAt(int x, int y) {
    if (!popupMenu_) return;
    HWND handler = trayRecord_.hWnd;
    ::SetForegroundWindow(handler);
    if (Application) Application->ProcessMessages();
    if (!popupMenu_) return; // the menu went while messages ran
    popupMenu_->PopupComponent = this;
    popupMenu_->Popup(x, y, handler);
    if (HWND owner = OwnerWindow()) ::PostMessageA(owner, WM_NULL, 0, 0);
}

void TCoolTrayIcon::Loaded() {
    TComponent::Loaded();
    if (dynamic_cast<TWinControl*>(Owner())) {
        bool showMainForm = true;
        if (OnStartup) OnStartup(this, showMainForm);
        if (!showMainForm) {
            if (Application) Application->ShowMainForm = false;
            HideOwnerForm();
        }
    }
    RefreshTrayEntry();
    SetIconVisible(iconVisible_);
    SetCycleIcons(CycleIcons());
    SetWantEnterExitEvents(WantEnterExitEvents());
    // Classic callback protocol: the second parameter is the mouse message itself.
    trayRecord_.uVersion = 0;
    ::Shell_NotifyIconA(NIM_SETVERSION, &trayRecord_);
}

bool TCoolTrayIcon::OwnerFormHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
        if (HWND app = AppWindow()) ::SetForegroundWindow(app);
        ::SetForegroundWindow(wnd);
        return false;
    }
    bool parentClosing = msg == WM_SHOWWINDOW && wParam == 0 && lParam == SW_PARENTCLOSING &&
                         !(Application && Application->Terminated());
    bool minimize = msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE;
    if ((parentClosing || minimize) && MinimizeToTray && OnMinimizeToTray) {
        OnMinimizeToTray(this);
        SendToTray();
        result = 1;
        return true;
    }
    return false;
}

void TCoolTrayIcon::AppWindowHook(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_SIZE && wParam == SIZE_MINIMIZED && MinimizeToTray) SendToTray();
    if (msg == WM_WINDOWPOSCHANGED && awaitingMainForm_ && Application && Application->MainForm()) {
        // The start-up question is asked here only for MDI main forms, which this framework has
        // none of; for every other form Loaded has asked it already.
        awaitingMainForm_ = false;
    }
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_RESTORE && Application && Application->MainForm()) {
        TForm* form = Application->MainForm();
        if (form->HandleAllocated() && ::IsIconic(form->Handle())) ::ShowWindow(form->Handle(), SW_RESTORE);
        form->SetVisible(true);
    }
    UINT taskbarCreated = TaskbarCreatedMessage();
    if (taskbarCreated != 0 && msg == taskbarCreated && iconVisible_) AddTrayEntry();
}

bool TCoolTrayIcon::ReadPointer(int& x, int& y) {
    POINT p{};
    if (!::GetCursorPos(&p)) return false;
    x = p.x;
    y = p.y;
    return true;
}

TShiftState TCoolTrayIcon::ReadShiftState() {
    TShiftState shift = 0;
    if (::GetAsyncKeyState(VK_SHIFT) & 0x8000) shift |= ssShift;
    if (::GetAsyncKeyState(VK_MENU) & 0x8000) shift |= ssAlt;
    if (::GetAsyncKeyState(VK_CONTROL) & 0x8000) shift |= ssCtrl;
    return shift;
}

unsigned TCoolTrayIcon::DoubleClickTimeMs() {
    return ::GetDoubleClickTime();
}
bool TCoolTrayIcon::HasPopupMenu() {
    return popupMenu_ != nullptr;
}
bool TCoolTrayIcon::PopupAutoPopup() {
    return popupMenu_ && popupMenu_->AutoPopup;
}
void TCoolTrayIcon::ForegroundHandlerWindow() {
    ::SetForegroundWindow(trayRecord_.hWnd);
}

void TCoolTrayIcon::ClickDefaultMenuItem() {
    if (!popupMenu_) return;
    TMenuItem* chosen = nullptr;
    for (size_t i = popupMenu_->Count(); i-- > 0;)
        if (popupMenu_->Items(i)->Default) chosen = popupMenu_->Items(i);
    if (chosen) chosen->Click();
}

int TCoolTrayIcon::IconListCount() {
    return iconList_ ? iconList_->Count() : -1;
}

void TCoolTrayIcon::ShowListImage(int index) {
    if (iconList_) iconList_->GetIcon(index, icon_);
}
