#pragma once
// Waiting on the window thread without freezing it: the wait serves the thread's messages until
// what it waits for has happened.
#include <windows.h>

#include <functional>

// Dispatches this thread's messages until `handle` is signalled or `done` holds (either may be
// null; `done` is asked between messages). With a window or a message range only those messages
// are served; the rest stay queued for the caller's own loop. A WM_QUIT taken out on the way is
// posted again before returning, so that loop still ends.
void WaitPumpingMessages(HANDLE handle, const std::function<bool()>& done, HWND window = nullptr,
                         UINT first = 0, UINT last = 0);
