#pragma once
// The images the engine draws itself where a skin gives none.
#include "skin/model/Bitmap.h"

// The 16 x 4 and 4 x 16 track grooves used when a skin has no [Track] or [TRACKVERT].
TBitmap32 BuiltinTrackBitmap(bool vertical);
// Four 16 x 16 glyphs side by side (restore, maximise, minimise, close), black on white; white is
// transparent.
TBitmap32 BuiltinMenuGlyphs();
