#pragma once
// Text drawn at twice its size and reduced: some fonts carry hand-made bitmaps for small sizes
// that the platform draws instead of the outlines, and on some systems those come out with
// strokes missing. The outlines at double size, reduced 2:1, always give the whole glyph.
#include <cstdint>

// `big` holds black ink on white at twice the size of `out` (2*width x 2*height pixels, rows
// of `bigStride` pixels, 0x00RRGGBB). Each pixel of `out` (width x height, 0x00RRGGBB, holding
// the background) gets `colour` laid over it by the share of ink in its 2x2 block.
void BlendHalfScaleInk(const std::uint32_t* big, int bigStride, std::uint32_t* out, int width, int height,
                       std::uint32_t colour);
