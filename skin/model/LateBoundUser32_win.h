#pragma once
// The user-interface functions that older systems lack, looked up in "user32.dll" once (at the
// first use, or at start through Resolve). A window program has user32 loaded for its whole life,
// so the module is looked up, not loaded, and nothing is held to the end of the process.
#include <windows.h>

struct TLateBoundUser32 {
    // Looks the functions up now.
    static void Resolve();
    // Whether the system has GetScrollBarInfo.
    static bool HasScrollBarInfo();
    // GetScrollBarInfo when the system has it; false otherwise.
    static bool QueryScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO* info);
    // Asks for a WM_MOUSELEAVE when the pointer leaves the window (TrackMouseEvent).
    static void RequestLeaveNotice(HWND window);
    // GetComboBoxInfo when the system has it; false otherwise.
    static bool QueryComboBoxInfo(HWND window, COMBOBOXINFO* info);
};
