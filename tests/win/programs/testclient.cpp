// Stand-in for the client application that the updater starts and ends. Each start appends one
// line to "<exe stem>.started.txt" beside the executable: a local time stamp, a tab, and the
// whole command line. Copies under other names (client.exe, ...) keep their own marker files.
//
//   testclient                   record the start and exit
//   testclient stay <seconds>    record the start, then keep running (something for the updater to end)
//   testclient exit <code>       record the start and exit with the given code
//   testclient window <seconds>  record the start, then show a small window of class
//                                "ProbeTestForm" (an edit, a list box, a status bar, a progress bar,
//                                a button) for checking the window probe against known contents
//
// A GUI-subsystem program without a window: starting it never opens a console.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/win/programs/ProgramSupport.h"

namespace {

void RecordStart() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%04u-%02u-%02u %02u:%02u:%02u.%03u\t", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    std::wstring line = stamp;
    line += GetCommandLineW();
    line += L"\r\n";
    program_support::AppendToMarker(program_support::MarkerPath(L".started.txt"),
                                    program_support::ToUtf8(line), 20);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// Control ids 1004 (a log), 1010 (status bar), 1008 (progress), 1201 (button) and 1214 (list) on a
// visible form; 1104 (an edit) on a panel outside the client area, as the updater keeps its state.
int ShowWindowFor(DWORD seconds) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc{};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"ProbeTestForm";
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassW(&wc);
    RECT r{0, 0, 393, 253};
    DWORD style = WS_POPUP | WS_CAPTION | WS_BORDER;
    AdjustWindowRectEx(&r, style, FALSE, 0);
    HWND form = CreateWindowExW(0, L"ProbeTestForm", L"探针测试 Probe", style, 100, 100, r.right - r.left,
                                r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (!form) return 3;
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD extra, int x, int y, int w, int h, int id,
                     HWND parent) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | extra, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    };
    child(L"Edit", L"第一行\r\nline two", ES_MULTILINE | ES_READONLY | WS_VSCROLL, 4, 4, 381, 115, 1004,
          form);
    HWND progress = child(PROGRESS_CLASSW, L"", 0, 4, 130, 381, 19, 1008, form);
    SendMessageW(progress, PBM_SETRANGE32, 0, 200);
    SendMessageW(progress, PBM_SETPOS, 50, 0);
    child(STATUSCLASSNAMEW, L"状态 ready", 0, 0, 0, 0, 0, 1010, form);
    HWND hidden = child(L"Static", L"", 0, 424, 16, 489, 497, 1100, form);
    child(L"Edit", L"http://127.0.0.1/", 0, 8, 8, 200, 21, 1104, hidden);
    child(L"Button", L"检测网络状态", BS_PUSHBUTTON, 8, 40, 120, 25, 1201, hidden);
    HWND list = child(L"ListBox", L"", 0, 8, 80, 200, 100, 1214, hidden);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"a.dll|1,234|"));
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"数据.dat|5|sub\\"));
    ShowWindow(form, SW_SHOW);
    SetTimer(form, 1, seconds * 1000, nullptr);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}

// Arguments after the program name.
std::wstring Argument(size_t index) {
    const auto args = program_support::Arguments();
    return index + 1 < args.size() ? args[index + 1] : std::wstring();
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RecordStart();
    std::wstring mode = Argument(0);
    DWORD value = static_cast<DWORD>(std::wcstoul(Argument(1).c_str(), nullptr, 10));
    if (mode == L"stay") {
        Sleep(value * 1000);
    } else if (mode == L"exit") {
        return static_cast<int>(value);
    } else if (mode == L"window") {
        return ShowWindowFor(value ? value : 10);
    }
    return 0;
}
