#include "framework/Controls_win.h"

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

#include "framework/DebugSink_win.h"
#include "framework/Text_win.h"

namespace {

HINSTANCE ModuleInstance() {
    return ::GetModuleHandleW(nullptr);
}

} // namespace

const char* WindowControlAtom() {
    static const std::string name = [] {
        char text[32];
        std::snprintf(text, sizeof text, "ControlOfs%.8lX%.8lX",
                      static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(ModuleInstance())),
                      static_cast<unsigned long>(::GetCurrentThreadId()));
        ::RegisterWindowMessageA(text);
        ::GlobalAddAtomA(text);
        return std::string(text);
    }();
    return name.c_str();
}

TWinControl* FindControl(HWND wnd) {
    if (!wnd) return nullptr;
    return static_cast<TWinControl*>(::GetPropA(wnd, WindowControlAtom()));
}

void RegisterFrameworkClass(const std::wstring& className, UINT style, HBRUSH background, HICON icon) {
    static std::set<std::wstring> registered;
    if (registered.count(className)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = FrameworkWindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = className.c_str();
    if (::RegisterClassExW(&wc) || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        registered.insert(className);
}

LRESULT CALLBACK FrameworkWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* self = FindControl(wnd);
    if (!self && msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<TWinControl*>(cs->lpCreateParams);
        if (self) self->AttachHandle(wnd);
    }
    if (!self) return ::DefWindowProcW(wnd, msg, wParam, lParam);

    LRESULT result = 0;
    if (!self->Dispatch(msg, wParam, lParam, result)) result = self->DefaultHandler(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) self->DetachHandle();
    return result;
}

bool TWinControl::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    try {
        return MessageHandler ? MessageHandler(msg, wParam, lParam, result)
                              : WndProc(msg, wParam, lParam, result);
    } catch (...) {
        // A failing handler must not take the message loop down; the message gets default handling.
        DebugReportCurrentException("window message handler");
        return false;
    }
}

TWinControl::TWinControl(TComponent* owner) : TComponent(owner) {}

TWinControl::~TWinControl() {
    DestroyHandle();
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    HWND wnd = handle_;
    ::DestroyWindow(wnd);
    if (handle_) DetachHandle(); // the window belonged to another thread or was already gone
}

HWND TWinControl::Handle() {
    if (!handle_) CreateWnd();
    return handle_;
}

HWND TWinControl::ParentHandle() {
    return parent_ ? parent_->Handle() : nullptr;
}

void TWinControl::SetParent(TWinControl* parent) {
    parent_ = parent;
    if (handle_) ::SetParent(handle_, parent ? parent->Handle() : nullptr);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    DWORD style = params.style;
    if (visible_)
        style |= WS_VISIBLE;
    else
        style &= ~static_cast<DWORD>(WS_VISIBLE);
    if (!enabled_) style |= WS_DISABLED;
    HWND parentWnd = ParentHandle();
    HMENU idOrMenu =
        (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId_)) : params.menu;
    HWND wnd = ::CreateWindowExW(params.exStyle, params.className.c_str(), caption_.c_str(), style, left_,
                                 top_, width_, height_, parentWnd, idOrMenu, ModuleInstance(),
                                 params.ownClass ? this : nullptr);
    if (!wnd) return;
    if (!params.ownClass) {
        AttachHandle(wnd);
        const bool hooked =
            subclass_.Install(wnd, [this](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
                const bool handled = Dispatch(msg, wParam, lParam, result);
                if (msg != WM_NCDESTROY) return handled;
                if (!handled) result = subclass_.CallPrevious(msg, wParam, lParam);
                DetachHandle();
                return true;
            });
        // The control still works as the system draws it, without the framework's handlers.
        if (!hooked) DebugReport("could not subclass a control of class " + WideToAnsi(params.className));
    }
    HFONT font = font_;
    for (TWinControl* p = parent_; !font && p; p = p->parent_)
        font = p->font_;
    if (font) ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    InitializeWnd();
}

void TWinControl::AttachHandle(HWND wnd) {
    handle_ = wnd;
    ::SetPropA(wnd, WindowControlAtom(), this);
}

void TWinControl::DetachHandle() {
    HWND wnd = handle_;
    handle_ = nullptr;
    if (!wnd) return;
    ::RemovePropA(wnd, WindowControlAtom());
    // A system control gets exactly its own procedure chain back.
    subclass_.Remove();
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (subclass_.Installed()) return subclass_.CallPrevious(msg, wParam, lParam);
    return ::DefWindowProcW(handle_, msg, wParam, lParam);
}

bool TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        if (lParam) {
            TWinControl* child = FindControl(reinterpret_cast<HWND>(lParam));
            if (child && child != this) return child->HandleCommand(HIWORD(wParam), result);
        }
        return false;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        TWinControl* child = header ? FindControl(header->hwndFrom) : nullptr;
        if (child && child != this) return child->HandleNotify(header, result);
        return false;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
        TWinControl* child = FindControl(reinterpret_cast<HWND>(lParam));
        if (child && child != this) return child->HandleCtlColor(msg, reinterpret_cast<HDC>(wParam), result);
        return false;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        TWinControl* child = item ? FindControl(item->hwndItem) : nullptr;
        if (child && child != this) return child->HandleDrawItem(item, result);
        return false;
    }
    default:
        return false;
    }
}

bool TWinControl::HandleDrawItem(DRAWITEMSTRUCT*, LRESULT&) {
    return false;
}

HFONT TWinControl::EffectiveFont() const {
    if (font_) return font_;
    for (const TWinControl* p = parent_; p; p = p->parent_)
        if (p->font_) return p->font_;
    return nullptr;
}

bool TWinControl::HandleCommand(WORD, LRESULT&) {
    return false;
}
bool TWinControl::HandleNotify(NMHDR*, LRESULT&) {
    return false;
}
bool TWinControl::HandleCtlColor(UINT, HDC, LRESULT&) {
    return false;
}

void TWinControl::Click() {
    if (OnClick) OnClick(this);
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (handle_) ::SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::SetCaption(const std::wstring& text) {
    caption_ = text;
    textIsAnsi_ = false;
    if (handle_) ::SetWindowTextW(handle_, text.c_str());
}

std::wstring TWinControl::Caption() const {
    if (!handle_) return caption_;
    int n = ::GetWindowTextLengthW(handle_);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(handle_, text.data(), n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

void TWinControl::SetText(const std::string& ansiText) {
    text_ = ansiText;
    caption_ = AnsiToWide(ansiText);
    textIsAnsi_ = true;
    if (handle_) ::SetWindowTextW(handle_, caption_.c_str());
}

std::string TWinControl::Text() const {
    // The bytes that were set are the value, as long as the window still shows them.
    std::wstring shown = Caption();
    if (textIsAnsi_ && shown == caption_) return text_;
    return WideToAnsi(shown);
}

void TWinControl::SetVisible(bool visible) {
    visible_ = visible;
    if (handle_) ::ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (handle_) ::EnableWindow(handle_, enabled);
}

void TWinControl::SetFont(HFONT font) {
    font_ = font;
    if (handle_) ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TWinControl::Invalidate() {
    if (handle_) ::InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Repaint() {
    if (handle_)
        ::RedrawWindow(handle_, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

std::wstring TWinControl::WindowClassName() {
    wchar_t name[256] = {};
    if (handle_ && ::GetClassNameW(handle_, name, 256) > 0) return name;
    TCreateParams params;
    CreateParams(params);
    return params.className;
}
