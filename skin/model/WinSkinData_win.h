#pragma once
// The Win32 side of TSkinData: platform facts from the system, and the skin stored in the
// executable's resources.
#include <windows.h>

#include "skin/model/WinSkinData.h"

// The resource (RCDATA) that holds the main window's packed skin.
constexpr int kStoredSkinResourceId = 200;

// Installs, once, the platform facts (metrics, caption font, application icon, hint window) and
// makes system colour references resolve through GetSysColor.
void UsePlatformSkinServices();

// Stores the packed skin of RCDATA resource `id` in `skinData` and loads it, as streaming the form
// does. False (the skin data left unloaded) when the resource is missing or the skin is refused.
bool LoadSkinFromResource(TSkinData& skinData, HMODULE module = nullptr, int id = kStoredSkinResourceId);
