#pragma once
// One move-only owner for every kind of Win32 handle, and scope objects for the paired calls
// (GetDC/ReleaseDC, BeginPaint/EndPaint, SelectObject).
#include <windows.h>

#include <atomic>
#include <utility>

// How many handles the owners below hold right now (every kind together): a loop that makes and
// frees windows, pictures or device contexts must leave it where it was. The platform's own
// counters (GetGuiResources, GetProcessHandleCount) are not kept under Wine.
inline std::atomic<long> g_liveOwnedHandles{0};
inline long LiveOwnedHandles() {
    return g_liveOwnedHandles.load();
}

// Traits for handles whose "no handle" value is null and whose closer takes the handle.
template <typename T, auto CloseFn> struct NullHandleTraits {
    using type = T;
    static constexpr type invalid() { return nullptr; }
    static bool valid(type h) { return h != nullptr; }
    static void close(type h) { CloseFn(h); }
};

// Kernel handles: some calls return null on failure, others INVALID_HANDLE_VALUE.
struct KernelHandleTraits {
    using type = HANDLE;
    static type invalid() { return nullptr; }
    static bool valid(type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(type h) { ::CloseHandle(h); }
};

template <typename Traits> class unique_any {
public:
    using pointer = typename Traits::type;

    unique_any() = default;
    explicit unique_any(pointer h) : h_(h) {
        if (Traits::valid(h_)) ++g_liveOwnedHandles;
    }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept {
        other.Settle();
        h_ = other.h_;
        other.h_ = Traits::invalid();
    }
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    pointer get() const {
        Settle();
        return h_;
    }
    explicit operator bool() const { return Traits::valid(get()); }
    pointer release() {
        Settle();
        pointer h = h_;
        if (Traits::valid(h)) --g_liveOwnedHandles;
        h_ = Traits::invalid();
        return h;
    }
    void reset(pointer h = Traits::invalid()) {
        Settle();
        if (Traits::valid(h_)) {
            Traits::close(h_);
            --g_liveOwnedHandles;
        }
        h_ = h;
        if (Traits::valid(h_)) ++g_liveOwnedHandles;
    }
    // For out-parameters: releases what is held and hands out the slot; whatever the call writes
    // there is counted at the next use.
    pointer* put() {
        reset();
        unsettled_ = true;
        return &h_;
    }

private:
    void Settle() const {
        if (!unsettled_) return;
        unsettled_ = false;
        if (Traits::valid(h_)) ++g_liveOwnedHandles;
    }

    pointer h_ = Traits::invalid();
    mutable bool unsettled_ = false;
};

struct FindHandleTraits {
    using type = HANDLE;
    static type invalid() { return INVALID_HANDLE_VALUE; }
    static bool valid(type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(type h) { ::FindClose(h); }
};

using unique_handle = unique_any<KernelHandleTraits>;
using unique_find = unique_any<FindHandleTraits>;
using unique_hmodule = unique_any<NullHandleTraits<HMODULE, ::FreeLibrary>>;
using unique_hwnd = unique_any<NullHandleTraits<HWND, ::DestroyWindow>>;
using unique_hdc = unique_any<NullHandleTraits<HDC, ::DeleteDC>>;
using unique_hbitmap = unique_any<NullHandleTraits<HBITMAP, ::DeleteObject>>;
using unique_hbrush = unique_any<NullHandleTraits<HBRUSH, ::DeleteObject>>;
using unique_hfont = unique_any<NullHandleTraits<HFONT, ::DeleteObject>>;
using unique_hpen = unique_any<NullHandleTraits<HPEN, ::DeleteObject>>;
using unique_hrgn = unique_any<NullHandleTraits<HRGN, ::DeleteObject>>;
using unique_hicon = unique_any<NullHandleTraits<HICON, ::DestroyIcon>>;
using unique_hcursor = unique_any<NullHandleTraits<HCURSOR, ::DestroyCursor>>;
using unique_hmenu = unique_any<NullHandleTraits<HMENU, ::DestroyMenu>>;
using unique_hhook = unique_any<NullHandleTraits<HHOOK, ::UnhookWindowsHookEx>>;

// GetDC/ReleaseDC: remembers the window whose DC it must give back.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND wnd) : wnd_(wnd), dc_(::GetDC(wnd)) {
        if (dc_) ++g_liveOwnedHandles;
    }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    ~ScopedGetDC() {
        if (dc_ && ::ReleaseDC(wnd_, dc_)) --g_liveOwnedHandles;
    }
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// GetWindowDC/ReleaseDC, for painting the non-client area.
class ScopedGetWindowDC {
public:
    explicit ScopedGetWindowDC(HWND wnd) : wnd_(wnd), dc_(::GetWindowDC(wnd)) {
        if (dc_) ++g_liveOwnedHandles;
    }
    ScopedGetWindowDC(const ScopedGetWindowDC&) = delete;
    ScopedGetWindowDC& operator=(const ScopedGetWindowDC&) = delete;
    ~ScopedGetWindowDC() {
        if (dc_ && ::ReleaseDC(wnd_, dc_)) --g_liveOwnedHandles;
    }
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

class ScopedPaint {
public:
    explicit ScopedPaint(HWND wnd) : wnd_(wnd) { dc_ = ::BeginPaint(wnd, &ps_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    ~ScopedPaint() { ::EndPaint(wnd_, &ps_); }
    HDC get() const { return dc_; }
    const PAINTSTRUCT& info() const { return ps_; }

private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// What SelectObject returns on failure (the platform's HGDI_ERROR, spelt without its sign-changing cast).
inline HGDIOBJ GdiErrorHandle() {
    return reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1));
}

// SelectObject that restores the previous object at the end of the scope.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject() {
        if (old_ && old_ != GdiErrorHandle()) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};
