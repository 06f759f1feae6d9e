#pragma once
// Windowed controls: every control is a real Win32 window linked to its object.
//
// Message handling rule: WndProc(msg, wParam, lParam, result) returns true when it handled the
// message and set `result`; otherwise the window's previous procedure (for subclassed system
// controls) or the default procedure runs. The link from HWND to object is made on WM_NCCREATE (our
// own classes) or right after creation (system classes), and cleared on WM_NCDESTROY.
// Notifications that a control sends its parent (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*) are reflected
// to the control's own object.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Subclass_win.h"

class TWinControl;

// The object linked to a window of this framework, or null.
// The framework object that owns a window, stored as a window property under WindowControlAtom().
TWinControl* FindControl(HWND wnd);
// The property's name: "ControlOfs" + this module's instance handle + the GUI thread's identifier
// (eight upper-case hexadecimal digits each), registered as a message and a global atom, so that
// code which was not given the object can still find it from the window.
const char* WindowControlAtom();

struct TCreateParams {
    std::wstring className;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    bool ownClass = false; // registered by the framework (linked on WM_NCCREATE)
    HMENU menu = nullptr;  // a top-level window's menu bar, there from the start
};

class TWinControl : public TComponent {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, created on first use (with its parent's window).
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void DestroyHandle();

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);

    int ControlId() const { return controlId_; }
    void SetControlId(int id) { controlId_ = id; }

    void SetBounds(int left, int top, int width, int height);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Caption or text: program texts in UTF-16; data texts in the ANSI code page.
    void SetCaption(const std::wstring& text);
    std::wstring Caption() const;
    void SetText(const std::string& ansiText);
    std::string Text() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    void SetFont(HFONT font);
    void Invalidate();
    void Repaint();

    // The Win32 class of the window (for code that treats controls by kind).
    std::wstring WindowClassName();

    // The control's class name, as code that treats controls by their class reads it.
    virtual std::string ClassName() const { return "TWinControl"; }

    TNotifyEvent OnClick;
    // Runs the click behaviour of the control from code, as a user's click would.
    virtual void Click();
    // Free for the program's own use; the skin engine reads a few values (99: never skinned).
    std::int32_t Tag = 0;

    // The message handler: when set it receives the window's messages instead of WndProc (a wrapper
    // keeps the handler it replaced and calls it, or WndProc when there was none).
    using TMessageHandler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    TMessageHandler MessageHandler;

    // Called by the window procedure; see the rule at the top.
    virtual bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Runs the previous or default procedure.
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    virtual void CreateParams(TCreateParams& params) = 0;
    virtual void CreateWnd();
    // The window exists: apply what was set before it did.
    virtual void InitializeWnd() {}
    // Notifications reflected from the parent.
    virtual bool HandleCommand(WORD code, LRESULT& result);
    virtual bool HandleNotify(NMHDR* header, LRESULT& result);
    virtual bool HandleCtlColor(UINT msg, HDC dc, LRESULT& result);
    virtual bool HandleDrawItem(DRAWITEMSTRUCT* item, LRESULT& result);

    virtual HWND ParentHandle();
    void AttachHandle(HWND wnd);
    void DetachHandle();

    HWND handle_ = nullptr;
    // A system control (a class the framework did not register) is subclassed through this.
    TWindowSubclass subclass_;
    TWinControl* parent_ = nullptr;
    int controlId_ = 0;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::wstring caption_;
    std::string text_;
    bool textIsAnsi_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    HFONT font_ = nullptr;
    // The font the window shows: its own or the nearest parent's.
    HFONT EffectiveFont() const;

private:
    friend LRESULT CALLBACK FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
    // The message handler, or WndProc, with failures reported and the message left unhandled.
    bool Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

LRESULT CALLBACK FrameworkWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Registers (once) a window class of the framework whose procedure links windows to objects.
void RegisterFrameworkClass(const std::wstring& className, UINT style = CS_DBLCLKS,
                            HBRUSH background = nullptr, HICON icon = nullptr);
