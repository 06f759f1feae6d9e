// The download benchmark's own yardstick: fetches one URL into one file with WinInet the way the
// updater's transfer does (request with the reload flag, reads of a fixed size, each piece written
// to the file), with or without handing every piece to a window thread and waiting for it.
//
//   benchfetch <url> <outfile> <piece bytes> <mode>
//     none      reads and writes only
//     handoff   plus one post-and-wait per piece to a message window of the main thread, whose
//               handler only keeps the two values (the floor of a transfer that reports progress)
//     shown     handoff, with a shown window (bar and two KB fields) on the main thread that the
//               handler does not touch
//     paint     plus, in that handler, the bar and the two KB fields of that window written for
//               every piece (what a progress handler without a throttle costs)
//
// Prints "<seconds> <bytes>": the time from the target file's creation to its close.
#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/bench/BenchWindow.h"

namespace {

constexpr UINT kPieceMessage = WM_APP + 1;
constexpr UINT kDoneMessage = WM_APP + 2;

struct Shared {
    HWND sync = nullptr;
    HANDLE taken = nullptr;
    long long total = 0;
    long long readed = 0;
    bool paint = false;
    bool show = false;
    HWND bar = nullptr, editA = nullptr, editB = nullptr;
    std::string url, out;
    DWORD piece = 1025;
    bool handoff = false;
    double seconds = -1;
    long long bytes = 0;
    bool ok = false;
};

Shared g;

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

void SetNumber(HWND edit, long long value) {
    char text[32], shown[32] = {};
    std::snprintf(text, sizeof(text), "%lld", value);
    ::GetWindowTextA(edit, shown, sizeof(shown));
    if (std::strcmp(text, shown) != 0) ::SetWindowTextA(edit, text);
}

LRESULT CALLBACK SyncProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kPieceMessage) {
        if (g.paint) {
            ::SendMessageW(g.bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(g.total));
            ::SendMessageW(g.bar, PBM_SETPOS, static_cast<WPARAM>(g.readed), 0);
            SetNumber(g.editA, g.readed / 1024);
            SetNumber(g.editB, g.total / 1024);
        }
        ::SetEvent(g.taken);
        return 0;
    }
    if (msg == kDoneMessage) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

unsigned long __stdcall Fetch(void*) {
    URL_COMPONENTSA parts{};
    char host[256] = {}, path[2048] = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof(path);
    HINTERNET session = nullptr, connection = nullptr, request = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (::InternetCrackUrlA(g.url.c_str(), 0, 0, &parts) &&
        (session = ::InternetOpenA("benchfetch", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) &&
        (connection = ::InternetConnectA(session, host, parts.nPort, "", "", INTERNET_SERVICE_HTTP, 0, 0)) &&
        (request = ::HttpOpenRequestA(connection, "GET", path, "HTTP/1.1", nullptr, nullptr,
                                      INTERNET_FLAG_RELOAD, 0)) &&
        ::HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
        char length[64] = {};
        DWORD size = sizeof(length);
        if (::HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr))
            g.total = std::atoll(length);
        file = ::CreateFileA(g.out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file != INVALID_HANDLE_VALUE) {
        const double started = Now();
        std::vector<char> buffer(g.piece);
        DWORD got = 0;
        while (::InternetReadFile(request, buffer.data(), g.piece, &got) && got > 0) {
            DWORD written = 0;
            if (!::WriteFile(file, buffer.data(), got, &written, nullptr) || written != got) break;
            g.bytes += got;
            if (g.handoff) {
                g.readed = g.bytes;
                ::PostMessageW(g.sync, kPieceMessage, 0, 0);
                ::WaitForSingleObject(g.taken, INFINITE);
            }
        }
        ::CloseHandle(file);
        g.seconds = Now() - started;
        g.ok = g.total == 0 || g.bytes == g.total;
    }
    if (request) ::InternetCloseHandle(request);
    if (connection) ::InternetCloseHandle(connection);
    if (session) ::InternetCloseHandle(session);
    ::PostMessageW(g.sync, kDoneMessage, 0, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: benchfetch <url> <outfile> <piece bytes> <none|handoff|shown|paint>\n");
        return 2;
    }
    g.url = argv[1];
    g.out = argv[2];
    g.piece = static_cast<DWORD>(std::atoi(argv[3]));
    const std::string mode = argv[4];
    g.handoff = mode != "none";
    g.paint = mode == "paint";
    g.show = g.paint || mode == "shown";
    if (g.piece == 0 || (mode != "none" && mode != "handoff" && mode != "shown" && mode != "paint")) return 2;

    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = SyncProc;
    wc.hInstance = inst;
    wc.lpszClassName = L"BenchFetchSync";
    ::RegisterClassW(&wc);
    g.sync = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
    g.taken = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HWND shown = nullptr;
    if (g.show) {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&icc);
        shown = bench::CreatePlainWindow(L"BenchFetchWindow", 400, 280);
        g.editB = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_READONLY, 60,
                                    130, 56, 18, shown, nullptr, inst, nullptr);
        g.editA = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_READONLY, 190,
                                    130, 56, 18, shown, nullptr, inst, nullptr);
        g.bar = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 2, 170, 385, 19, shown,
                                  nullptr, inst, nullptr);
        ::ShowWindow(shown, SW_SHOW);
        ::UpdateWindow(shown);
    }

    HANDLE worker = ::CreateThread(nullptr, 0, Fetch, nullptr, 0, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    ::WaitForSingleObject(worker, INFINITE);
    ::CloseHandle(worker);
    if (shown) ::DestroyWindow(shown);
    std::printf("%.4f %lld\n", g.seconds, g.bytes);
    return g.ok ? 0 : 1;
}
