#pragma once
// The application: its hidden top-level window (which carries the taskbar button and the title),
// the main form, and the message loop.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Component.h"

class TForm;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Creates the application window and readies the common controls.
    void Initialize();
    HWND Handle() const { return handle_; }
    // A message-only window of the window thread for timers and cross-thread hand-offs.
    HWND UtilityWindow();

    void SetTitle(const std::wstring& title);
    const std::wstring& Title() const { return title_; }

    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Whether Run shows the main form when the loop starts.
    bool ShowMainForm = true;

    // Runs the message loop until Terminate or the main form closes.
    void Run();
    // Lets the pending messages of this thread run, then returns.
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Runs `fn` on the window thread after the messages already queued (a deferred call); false
    // when it cannot be queued, and then it never runs.
    bool PostCall(std::function<void()> fn);

private:
    static LRESULT CALLBACK AppWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK UtilityWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    HWND utility_ = nullptr;
    std::wstring title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

extern TApplication* Application;

// Messages of the utility window: WM_TIMER goes to the timer whose id it names; kUtilityCall runs
// a function handed over by another thread (lParam points at a std::function<void()>; with wParam
// 1 the message owns it, as PostCall's do).
constexpr UINT kUtilityCall = WM_APP + 0x301;
using TUtilityTimerProc = void (*)(UINT_PTR id);
// The utility window sends each WM_TIMER to this dispatcher (set by the timer unit).
void SetUtilityTimerDispatcher(TUtilityTimerProc proc);
