#include "skin/manager/SkinManage_win.h"

#include <memory>

#include "framework/Controls_win.h"
#include "framework/DebugSink_win.h"
#include "framework/ExtCtrls_win.h"
#include "framework/Forms_win.h"
#include "framework/Handle_win.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/menus/WinSkinPopMenu_win.h"
#include "skin/model/LateBoundUser32_win.h"
#include "skin/model/WinSkinData.h"

namespace {

class TWin32SkinWindows;
TWin32SkinWindows* g_windows = nullptr;

// The Win32 window system of the manager, and the manager itself.
class TWin32SkinWindows : public TSkinWindowSystem {
public:
    TWin32SkinWindows() { g_windows = this; }
    ~TWin32SkinWindows() override {
        if (g_windows == this) g_windows = nullptr;
    }

    std::string ClassName(TSkinWindow w) const override {
        char name[256] = {};
        const int n = ::GetClassNameA(Wnd(w), name, sizeof name);
        return std::string(name, size_t(n > 0 ? n : 0));
    }
    std::uint32_t Style(TSkinWindow w) const override {
        return std::uint32_t(::GetWindowLongW(Wnd(w), GWL_STYLE));
    }
    std::uint32_t ExStyle(TSkinWindow w) const override {
        return std::uint32_t(::GetWindowLongW(Wnd(w), GWL_EXSTYLE));
    }
    TSkinWindow Parent(TSkinWindow w) const override { return ::GetParent(Wnd(w)); }
    bool AnswersSkinQuery(TSkinWindow w) const override {
        return ::SendMessageA(Wnd(w), SkinQueryMessage, 0, 0) == 1;
    }
    TComponent* FindFrameworkForm(TSkinWindow w) const override {
        for (TForm* form : ::ScreenForms())
            if (form->HandleAllocated() && form->Handle() == Wnd(w)) return form;
        return FindControl(Wnd(w));
    }
    std::int32_t FormTag(TComponent* form) const override {
        auto* control = dynamic_cast<TWinControl*>(form);
        return control ? control->Tag : 0;
    }
    TSkinWindow FormWindow(TComponent* component) const override {
        auto* form = dynamic_cast<TForm*>(component);
        return form && form->HandleAllocated() ? form->Handle() : nullptr;
    }
    bool OwnModule(TSkinWindow w) const override {
        return HINSTANCE(::GetWindowLongPtrW(Wnd(w), GWLP_HINSTANCE)) == ::GetModuleHandleW(nullptr);
    }
    bool HasArea(TSkinWindow w) const override {
        RECT r{};
        return ::GetWindowRect(Wnd(w), &r) && r.right > r.left && r.bottom > r.top;
    }
    std::vector<TScreenForm> ScreenForms() const override {
        std::vector<TScreenForm> out;
        for (TForm* form : ::ScreenForms()) {
            if (!form->HandleAllocated()) continue;
            HWND wnd = form->Handle();
            out.push_back({form, wnd, ::IsWindowVisible(wnd) != FALSE,
                           (::GetWindowLongW(wnd, GWL_STYLE) & WS_CHILD) != 0});
        }
        return out;
    }
    TSkinnedFrame* CreateFrame(TSkinWindow w, TComponent* form, TSkinData* skin,
                               const std::string& cls) override {
        auto* frameworkForm = dynamic_cast<TForm*>(form);
        auto* frame = new TWinSkinForm(frameworkForm, Wnd(w), skin, cls, manager_);
        if (frameworkForm)
            frame->SetUpForm(frameworkForm);
        else
            frame->SetUpPlain();
        return frame;
    }
    void PostSkinStart(TSkinWindow w) override { ::PostMessageA(Wnd(w), SkinStartMessage, 0, 1000); }
    std::unique_ptr<TSkinnedMenu> CreateMenuSkin(TSkinWindow w, TSkinData* skin) override {
        return std::make_unique<TWinSkinPopMenu>(Wnd(w), skin, *manager_);
    }
    void InstallHook() override {
        if (hook_) return;
        hook_.reset(::SetWindowsHookExA(WH_CBT, &SkinWindowHook, nullptr, ::GetCurrentThreadId()));
        if (!hook_)
            DebugReport("skin manager: SetWindowsHookExA failed (" + std::to_string(::GetLastError()) + ")");
    }
    void RemoveHook() override { hook_.reset(); }
    void SetActionTimer(bool enabled, int intervalMs) override {
        if (!timer_) {
            timer_ = std::make_unique<TTimer>(nullptr);
            timer_->SetOnTimer([this](TObject*) {
                if (manager_) manager_->RunPendingAction();
            });
        }
        timer_->SetInterval(unsigned(intervalMs));
        timer_->SetEnabled(enabled);
    }

    TSkinManage* manager_ = nullptr;

private:
    static HWND Wnd(TSkinWindow w) { return static_cast<HWND>(w); }

    static LRESULT CALLBACK SkinWindowHook(int code, WPARAM wParam, LPARAM lParam) {
        TWin32SkinWindows* self = g_windows;
        if (code >= 0 && self && self->manager_) {
            try {
                HWND wnd = reinterpret_cast<HWND>(wParam);
                switch (code) {
                case HCBT_CREATEWND:
                    self->manager_->WindowCreated(wnd);
                    break;
                case HCBT_DESTROYWND:
                    self->manager_->WindowDestroying(wnd);
                    break;
                case HCBT_ACTIVATE:
                    self->manager_->WindowActivating(wnd);
                    break;
                default:
                    break;
                }
            } catch (...) {
                DebugReportCurrentException("skin manager hook");
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    unique_hhook hook_;
    std::unique_ptr<TTimer> timer_;
};

// The window system is a base listed before the manager, so it is made first and goes last.
struct TWindowSystemHolder {
    explicit TWindowSystemHolder(std::unique_ptr<TWin32SkinWindows> w) : windows(std::move(w)) {}
    std::unique_ptr<TWin32SkinWindows> windows;
};

class TWin32SkinManage : private TWindowSystemHolder, public TSkinManage {
public:
    explicit TWin32SkinManage(std::unique_ptr<TWin32SkinWindows> w)
        : TWindowSystemHolder(std::move(w)), TSkinManage(*windows) {
        windows->manager_ = this;
    }
    ~TWin32SkinManage() override { windows->manager_ = nullptr; }
};

} // namespace

void UseWin32SkinManager() {
    WindowControlAtom();
    TLateBoundUser32::Resolve();
    SetSkinManagerFactory([]() -> std::unique_ptr<TSkinManagerApi> {
        return std::make_unique<TWin32SkinManage>(std::make_unique<TWin32SkinWindows>());
    });
}

TSkinManage* Win32SkinManager() {
    return dynamic_cast<TSkinManage*>(CurrentSkinManager());
}
