// Program entry: one instance at a time, then the main window and its message loop.
#include <windows.h>

#include <string>

#include "framework/Application_win.h"
#include "framework/DebugSink_win.h"
#include "framework/Handle_win.h"
#include "skin/format/SkinRead_win.h"
#include "skin/manager/SkinManage_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData_win.h"
#include "system/SimpleTimer_win.h"
#include "update/Unit1_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Held, and owned, until the process ends.
    unique_handle mutex(::CreateMutexW(nullptr, TRUE, L"Quenbry更新程序"));
    if (!mutex) return 0;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return 0;
    const long heldAtStart = LiveOwnedHandles();

    try {
        // The skin engine's platform links: system colours and the reader's one message.
        UsePlatformSysColours();
        UsePlatformSkinServices();
        InstallSkinReaderMessageBox();
        UseWin32SkinManager();
        // The tray icon's tickers run on the system's timers.
        UsePlatformTimers();
        TApplication app;
        app.Initialize();
        app.SetTitle(L"Quenbry更新程序");
        auto* form = new TForm1(&app);
        app.SetMainForm(form);
        app.Run();
        // The manager lets go of the windows while the application still stands.
        DestroySkinManager();
    } catch (...) {
        // The updater shows no message boxes: support finds it in the debug report.
        DebugReportCurrentException("WinMain");
    }
    // Every window, picture and device context of the run has been given back by now; only the
    // debug log itself is still open.
    DebugReport("handles still held at the end: " +
                std::to_string(LiveOwnedHandles() - heldAtStart - (DebugLogFileOpen() ? 1 : 0)));
    return 0;
}
