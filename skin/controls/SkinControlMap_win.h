#pragma once
// Hands the controls of a skinned window to the control skins: the frame calls this when it
// starts. A framework form's components are walked (then the plain child windows of the form and
// of its containers); a plain window's child windows are mapped by their window class.
#include <windows.h>

#include "skin/controls/SkinControlHost_win.h"

void SkinChildControls(TSkinControlHost& host);

// The control skin of `window` is freed and a scroll-bar skin (the list-view kind for list views)
// takes its place; a control the walk left alone is left alone here too.
void ReplaceWithScrollbarSkin(TSkinControlHost& host, HWND window);
