#pragma once
// A contact sheet of a skin: every element as the engine loaded it (TSkinData), each frame at its
// own size and enlarged, with the colour table, so a person can judge a skin at a glance.
#include <string>

#include "skin/model/Bitmap.h"

class TSkinData;

// Loads a skin folder (skin.ini and its bitmaps, packed in memory as skinpack does) or a packed
// skin stream file into `data`. False with a reason in `error`.
bool LoadSkinForSheet(const std::string& path, TSkinData& data, std::string& error);

// The sheet, `width` pixels wide and as high as it needs.
TBitmap32 RenderSkinSheet(const TSkinData& data, const std::string& title, int width = 1100);

// Draws `text` with the built-in 5 x 7 font (upper case; other letters as "?"), each font pixel
// `scale` pixels square, top-left at (x, y). Returns the x after the text.
int DrawSheetText(TBitmap32& target, int x, int y, const std::string& text, TColor colour, int scale = 1);
