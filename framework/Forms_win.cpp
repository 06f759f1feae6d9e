#include "framework/Forms_win.h"

#include <algorithm>

#include "framework/Application_win.h"
#include "framework/DebugSink_win.h"
#include "framework/Menus_win.h"

namespace {
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_BORDER | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

std::vector<TForm*>& Forms() {
    static std::vector<TForm*> forms;
    return forms;
}
} // namespace

const std::vector<TForm*>& ScreenForms() {
    return Forms();
}

TForm::TForm(TComponent* owner, std::wstring className)
    : TWinControl(owner), className_(std::move(className)) {
    visible_ = false;
    Forms().push_back(this);
}

TForm::~TForm() {
    Forms().erase(std::remove(Forms().begin(), Forms().end(), this), Forms().end());
    DoDestroy();
    // Controls go before the window they sit in.
    DestroyComponents();
    DestroyHandle();
}

void TForm::DoDestroy() {
    if (destroyDone_) return;
    destroyDone_ = true;
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
            DebugReportCurrentException("OnDestroy");
        }
    }
}

void TForm::CreateParams(TCreateParams& params) {
    params.className = className_;
    params.ownClass = true;
    params.style = kFormStyle;
    params.exStyle = WS_EX_DLGMODALFRAME | (stayOnTop_ ? WS_EX_TOPMOST : 0);
    // The bar is there before the window is shown (and before it is skinned).
    if (menu_) params.menu = menu_->Handle();
    RegisterFrameworkClass(className_, CS_DBLCLKS, ::GetSysColorBrush(COLOR_BTNFACE), bigIcon_);
}

HWND TForm::ParentHandle() {
    return Application ? Application->Handle() : nullptr;
}

void TForm::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    RECT r{0, 0, width, height};
    DWORD ex = WS_EX_DLGMODALFRAME | (stayOnTop_ ? WS_EX_TOPMOST : 0);
    ::AdjustWindowRectEx(&r, kFormStyle, menu_ ? TRUE : FALSE, ex);
    SetBounds(left_, top_, r.right - r.left, r.bottom - r.top);
}

void TForm::SetMenu(TMainMenu* menu) {
    if (menu_ == menu) return;
    if (menu_) menu_->RemoveFreeNotification(this);
    if (handle_ && menu_ && ::GetMenu(handle_) == menu_->Handle()) ::SetMenu(handle_, nullptr);
    menu_ = menu;
    if (menu_) menu_->FreeNotification(this);
    // A window made later gets the bar from its creation parameters.
    if (handle_ && menu_) ::SetMenu(handle_, menu_->Handle());
}

void TForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != TOperation::opRemove || component != menu_) return;
    // The menu owns its native handle: the window must not keep (and later destroy) it.
    if (handle_ && ::GetMenu(handle_) == menu_->Handle()) ::SetMenu(handle_, nullptr);
    menu_ = nullptr;
}

void TForm::CenterOnDesktop() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (work.right <= work.left) {
        work.right = ::GetSystemMetrics(SM_CXSCREEN);
        work.bottom = ::GetSystemMetrics(SM_CYSCREEN);
    }
    int x = work.left + ((work.right - work.left) - width_) / 2;
    int y = work.top + ((work.bottom - work.top) - height_) / 2;
    SetBounds(x < 0 ? 0 : x, y < 0 ? 0 : y, width_, height_);
}

void TForm::SetStayOnTop(bool onTop) {
    stayOnTop_ = onTop;
    if (handle_)
        ::SetWindowPos(handle_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetIcons(HICON big, HICON small) {
    bigIcon_ = big;
    smallIcon_ = small;
    if (handle_) {
        ::SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
        ::SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
}

void TForm::SetFormFont(const std::wstring& face, int height, BYTE charSet) {
    formFont_.reset(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charSet,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
    SetFont(formFont_.get());
}

void TForm::Show() {
    visible_ = true;
    HWND wnd = Handle();
    ::ShowWindow(wnd, SW_SHOW);
    ::SetWindowPos(wnd, stayOnTop_ ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(wnd);
}

void TForm::Hide() {
    visible_ = false;
    if (handle_) ::ShowWindow(handle_, SW_HIDE);
}

void TForm::Close() {
    // Closing runs once: a close requested while the close handler runs is the same close.
    if (closing_) return;
    closing_ = true;
    TCloseAction action =
        (Application && Application->MainForm() == this) ? TCloseAction::caFree : TCloseAction::caHide;
    if (OnClose) OnClose(this, action);
    if (action == TCloseAction::caNone) {
        closing_ = false;
        return;
    }
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
    } else if (action == TCloseAction::caMinimize) {
        if (handle_) ::ShowWindow(handle_, SW_MINIMIZE);
    } else {
        Hide();
    }
    if (!(Application && Application->MainForm() == this)) closing_ = false;
}

bool TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CLOSE:
        Close();
        result = 0;
        return true;
    case WM_COMMAND:
        // A menu's command (no control, notification code 0).
        if (lParam == 0 && HIWORD(wParam) == 0 && menu_ && menu_->DispatchCommand(LOWORD(wParam))) {
            result = 0;
            return true;
        }
        return TWinControl::WndProc(msg, wParam, lParam, result);
    case WM_DESTROY:
        // The menu owns its native handle: the window must not destroy it with itself.
        if (menu_ && menu_->HandleAllocated() && ::GetMenu(handle_) == menu_->Handle())
            ::SetMenu(handle_, nullptr);
        return TWinControl::WndProc(msg, wParam, lParam, result);
    case WM_CREATE:
        if (bigIcon_) ::SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
        if (smallIcon_) ::SendMessageW(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
        return false;
    default:
        return TWinControl::WndProc(msg, wParam, lParam, result);
    }
}
