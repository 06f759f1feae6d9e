#include "framework/Application_win.h"

#include <commctrl.h>

#include <memory>

#include "framework/DebugSink_win.h"
#include "framework/Forms_win.h"

TApplication* Application = nullptr;

namespace {

const wchar_t kAppClass[] = L"TApplication";
const wchar_t kUtilityClass[] = L"TPUtilWindow";
TUtilityTimerProc g_timerDispatcher = nullptr;

} // namespace

void SetUtilityTimerDispatcher(TUtilityTimerProc proc) {
    g_timerDispatcher = proc;
}

TApplication::TApplication() : TComponent(nullptr) {
    if (!Application) Application = this;
}

TApplication::~TApplication() {
    // Forms go first: their handlers may still talk to the application window.
    DestroyComponents();
    if (utility_) ::DestroyWindow(utility_);
    if (handle_) ::DestroyWindow(handle_);
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                              ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (handle_) return;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TApplication::AppWindowProc;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kAppClass;
    ::RegisterClassExW(&wc);
    // Zero-sized, like the classic application window: it exists for the taskbar and the title.
    handle_ = ::CreateWindowExW(0, kAppClass, title_.c_str(),
                                WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                                0, 0, nullptr, nullptr, instance, this);
}

bool TApplication::PostCall(std::function<void()> fn) {
    auto call = std::make_unique<std::function<void()>>(std::move(fn));
    HWND wnd = UtilityWindow();
    if (!wnd || !::PostMessageW(wnd, kUtilityCall, 1, reinterpret_cast<LPARAM>(call.get()))) return false;
    (void)call.release(); // the message owns it now
    return true;
}

HWND TApplication::UtilityWindow() {
    if (utility_) return utility_;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &TApplication::UtilityWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kUtilityClass;
    ::RegisterClassExW(&wc);
    utility_ =
        ::CreateWindowExW(0, kUtilityClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    return utility_;
}

void TApplication::SetTitle(const std::wstring& title) {
    title_ = title;
    if (handle_) ::SetWindowTextW(handle_, title.c_str());
}

void TApplication::Run() {
    if (mainForm_ && ShowMainForm) {
        if (handle_) ::ShowWindow(handle_, SW_SHOWNORMAL);
        mainForm_->Show();
    }
    MSG msg;
    while (!terminated_) {
        BOOL r = ::GetMessageW(&msg, nullptr, 0, 0);
        if (r <= 0) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    terminated_ = true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void TApplication::Terminate() {
    if (!terminated_) ::PostQuitMessage(0);
    terminated_ = true;
}

LRESULT CALLBACK TApplication::AppWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TApplication* app = nullptr;
    if (msg == WM_NCCREATE) {
        app = static_cast<TApplication*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
    } else {
        app = reinterpret_cast<TApplication*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
    }
    if (app) {
        try {
            switch (msg) {
            case WM_CLOSE:
                if (app->mainForm_) app->mainForm_->Close();
                return 0;
            case WM_ACTIVATEAPP:
                break;
            case WM_SYSCOMMAND:
                if ((wParam & 0xFFF0) == SC_CLOSE && app->mainForm_) {
                    app->mainForm_->Close();
                    return 0;
                }
                break;
            default:
                break;
            }
        } catch (...) {
            DebugReportCurrentException("application window message");
        }
    }
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK TApplication::UtilityWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    try {
        if (msg == WM_TIMER) {
            if (g_timerDispatcher) g_timerDispatcher(static_cast<UINT_PTR>(wParam));
            return 0;
        }
        if (msg == kUtilityCall) {
            auto* fn = reinterpret_cast<std::function<void()>*>(lParam);
            std::unique_ptr<std::function<void()>> owned(wParam == 1 ? fn : nullptr);
            if (fn && *fn) (*fn)();
            return 0;
        }
    } catch (...) {
        DebugReportCurrentException("timer or queued call");
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}
