#pragma once
// The owner of a WinInet handle (session, connection or request).
#include <windows.h>
#include <wininet.h>

#include "framework/Handle_win.h"

struct InternetHandleTraits {
    using type = HINTERNET;
    static type invalid() { return nullptr; }
    static bool valid(type h) { return h != nullptr; }
    static void close(type h) { ::InternetCloseHandle(h); }
};
using unique_hinternet = unique_any<InternetHandleTraits>;
