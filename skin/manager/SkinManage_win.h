#pragma once
// The skin manager on Windows: the GUI thread's WH_CBT hook feeds it window creation, activation
// and destruction; frames are TWinSkinForm; the deferred requests run on a window timer.
#include <windows.h>

#include "skin/rules/SkinManage.h"

// Lets the first skin data that finishes loading create the manager (call once at start, on the
// GUI thread). DestroySkinManager() takes it down again before the application goes.
void UseWin32SkinManager();

// The manager of this process, or null when none has been made.
TSkinManage* Win32SkinManager();
