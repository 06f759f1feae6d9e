#pragma once
// Sweeps the notification area with pointer moves so that icons of ended processes vanish.
#include <windows.h>

#include "system/Unit_RefreshTrayIcon.h"

// The window the sweep would move over on this system, or null.
HWND FindTraySweepWindow();
// Sends WM_MOUSEMOVE over every client pixel of the window; a message that is not answered
// within a short time ends the sweep, so a hung notification area cannot hang the program.
// Returns the number of messages sent.
long long SweepTrayWindow(HWND wnd);
void RefreshTrayIcon();
