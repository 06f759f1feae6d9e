#pragma once
// The program's one way to take over a window's messages: a subclass in the system's subclass
// chain (SetWindowSubclass), so that several of them on one window can be put in and taken out
// in any order and each gets back exactly what was there. The object is the link from the window
// to its handler; the window's framework control is found through WindowControlAtom().
#include <windows.h>

#include <functional>

class TWindowSubclass {
public:
    // true: handled, `result` is the answer; false: the message goes on down the chain.
    using THandler = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

    TWindowSubclass() = default;
    ~TWindowSubclass() { Remove(); }
    TWindowSubclass(const TWindowSubclass&) = delete;
    TWindowSubclass& operator=(const TWindowSubclass&) = delete;

    // False when the system refuses (no such window, or one of another thread).
    [[nodiscard]] bool Install(HWND window, THandler handler);
    // Takes this handler out of the chain; after WM_NCDESTROY it is already out.
    void Remove();
    bool Installed() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    // Inside the handler: the message handled by the procedures below this one, in the character
    // set each of them was installed with.
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR self);

    HWND window_ = nullptr;
    THandler handler_;
};
