#pragma once
// The hidden windows through which the system hands a component its messages (timer ticks, tray
// notifications): one window per component class, shared by every instance.
#include <windows.h>

#include <memory>

// A hidden top-level window of its own class (top-level rather than message-only, so FindWindow
// sees it). Registering a class that exists already fails harmlessly. Null when it cannot be made.
HWND CreateHandlerWindow(const char* className, WNDPROC proc);

// The shared handler: made by its first user, destroyed with its last. THandler counts its
// users in UserCount.
template <class THandler> void AcquireSharedHandler(std::unique_ptr<THandler>& handler) {
    if (!handler) handler = std::make_unique<THandler>();
    ++handler->UserCount;
}

template <class THandler> void ReleaseSharedHandler(std::unique_ptr<THandler>& handler) {
    if (!handler) return;
    if (handler->UserCount > 0) --handler->UserCount;
    if (handler->UserCount == 0) handler.reset();
}
