#include "skin/SkinControlMap_win.h"

#include "skin/WinSkinForm_win.h"

void SkinChildControls(TWinSkinForm&, TForm*) {}
