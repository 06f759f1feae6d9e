// The skin lab: windows of every kind the skin manager decides about, under one skin data, for the
// end-to-end skin scenarios.
//
//   skinlab <packed skin> <report file> [--seconds N]
//   skinlab <packed skin> <report file> --bench N
//
// Shows, at fixed places: a form with a caption, an icon and every caption button (TLabMain, which
// carries the skin data); a form with Tag 99 (TLabTagged); a dialog from a template with
// DS_SETFOREGROUND; the page of controls (TLabControls); and, half a second later, a system message
// box. Two seconds after the start it writes one line per window to the report file (class, skin
// query answer, region, window and client rectangles), then one such line per control of the
// page, then keeps running until the time is up (default 60 s) or it is closed.
// With --bench it repaints the skinned and the native frame N times each instead and writes the
// time of one full non-client paint of each (microseconds, median of five rounds) to the report.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/Application_win.h"
#include "framework/ExtCtrls_win.h"
#include "framework/Forms_win.h"
#include "skin/format/SkinRead_win.h"
#include "skin/manager/SkinManage_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData_win.h"
#include "tests/win/skinlab/labcontrols_win.h"
#include "tests/win/skinlab/labmenu_win.h"

namespace {

INT_PTR CALLBACK LabDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

HWND MakeForegroundDialog() {
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title[8];
    } t{};
    t.header.style = DS_SETFOREGROUND | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    t.header.cx = 140;
    t.header.cy = 50;
    const wchar_t title[] = L"前台对话框";
    for (size_t i = 0; i < sizeof title / sizeof title[0]; ++i)
        t.title[i] = WORD(title[i]);
    HWND dialog =
        ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), &t.header, nullptr, LabDialogProc, 0);
    if (dialog) ::SetWindowPos(dialog, nullptr, 40, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return dialog;
}

BOOL CALLBACK CollectThreadWindow(HWND wnd, LPARAM out) {
    if (::IsWindowVisible(wnd)) *reinterpret_cast<std::string*>(out) += LabWindowLine(wnd);
    return TRUE;
}

void WriteReport(const std::wstring& path, const std::string& text) {
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

// One full non-client paint of the window, in microseconds: the median of five rounds of `paints`.
long long PaintMicroseconds(HWND wnd, int paints) {
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<long long> rounds;
    for (int round = 0; round < 5; ++round) {
        ::QueryPerformanceCounter(&start);
        for (int i = 0; i < paints; ++i)
            ::SendMessageW(wnd, WM_NCPAINT, 1, 0); // 1: the whole frame
        ::QueryPerformanceCounter(&end);
        rounds.push_back((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart / paints);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[2];
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv || argc < 3) return 2;
    const std::wstring skinPath = argv[1], reportPath = argv[2];
    const bool bench = argc >= 5 && std::wstring(argv[3]) == L"--bench";
    const int seconds = argc >= 5 && std::wstring(argv[3]) == L"--seconds" ? _wtoi(argv[4]) : 60;
    const int paints = bench ? std::max(1, _wtoi(argv[4])) : 0;
    ::LocalFree(argv);

    UsePlatformSysColours();
    UsePlatformSkinServices();
    InstallSkinReaderMessageBox();
    UseWin32SkinManager();
    {
        TApplication app;
        app.Initialize();
        auto* main = new TForm(&app, L"TLabMain");
        main->SetCaption(L"Skin Lab 主窗口");
        main->SetBounds(40, 40, 0, 0);
        main->SetClientSize(300, 160);
        HWND mainWnd = main->Handle();
        ::SetWindowLongW(mainWnd, GWL_STYLE,
                         ::GetWindowLongW(mainWnd, GWL_STYLE) | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
        HICON icon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION
        main->SetIcons(icon, icon);

        auto* skin = new TSkinData(main);
        skin->BeginReading();
        char path[MAX_PATH * 2] = {};
        ::WideCharToMultiByte(CP_ACP, 0, skinPath.c_str(), -1, path, sizeof path, nullptr, nullptr);
        skin->SetSkinFile(path);
        skin->SetActive(true);
        skin->Loaded();
        app.SetMainForm(main);

        // The page of controls: clear of the skinned windows (their corners show what lies under
        // them), above the dialog.
        std::unique_ptr<TLabControls> controls;
        if (!bench) {
            controls = std::make_unique<TLabControls>(&app);
            AttachLabMenu(controls->Form());
        }

        auto* tagged = new TForm(&app, L"TLabTagged");
        tagged->SetCaption(L"Tag 99 窗口");
        tagged->SetBounds(400, 40, 0, 0);
        tagged->SetClientSize(200, 100);
        tagged->Tag = 99;

        main->Show();
        tagged->Show();
        HWND dialog = MakeForegroundDialog();
        if (controls) controls->Form()->Show();
        main->Show();

        if (bench) {
            // Both forms shown and the skinned one started; then only the frames are painted.
            TTimer run(nullptr);
            run.SetOnTimer([&](TObject*) {
                run.SetEnabled(false);
                const std::string text =
                    "skinned_ncpaint_us=" + std::to_string(PaintMicroseconds(mainWnd, paints)) +
                    "\nnative_ncpaint_us=" + std::to_string(PaintMicroseconds(tagged->Handle(), paints)) +
                    "\n";
                WriteReport(reportPath, text);
                app.Terminate();
            });
            run.Arm(1500);
            app.Run();
            if (dialog) ::DestroyWindow(dialog);
            DestroySkinManager();
            return 0;
        }

        TTimer messageBox(nullptr);
        messageBox.SetOnTimer([&](TObject*) {
            messageBox.SetEnabled(false);
            ::MessageBoxW(mainWnd, L"系统消息框", L"Skin Lab", MB_OK);
        });
        messageBox.Arm(500);
        TTimer report(nullptr);
        report.SetOnTimer([&](TObject*) {
            report.SetEnabled(false);
            std::string text;
            ::EnumThreadWindows(::GetCurrentThreadId(), CollectThreadWindow, reinterpret_cast<LPARAM>(&text));
            if (controls) text += controls->Report();
            WriteReport(reportPath, text);
        });
        report.Arm(2000);
        TTimer end(nullptr);
        end.SetOnTimer([&](TObject*) { app.Terminate(); });
        end.Arm(unsigned(seconds) * 1000);
        app.Run();
        if (dialog) ::DestroyWindow(dialog);
        DestroySkinManager();
    }
    return 0;
}
