#include "skin/controls/SkinProgress_win.h"

#include <commctrl.h>

#include "framework/Handle_win.h"
#include "skin/controls/SkinControlPaint_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/rules/SkinControlLayout.h"

bool TSkinProgress::CanPaint() const {
    if (!skin_ || !skin_->Progress || skin_->Progress->Bitmap.Empty()) return false;
    return skin_->Progress->Style != 1 || (skin_->ProgressChunk && !skin_->ProgressChunk->Bitmap.Empty());
}

bool TSkinProgress::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1;
        return false;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (!CanPaint()) break;
        PaintClientWith(window_, wParam, [this](HDC dc, const RECT& rect) { PaintTo(dc, rect); });
        result = 0;
        return false;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinProgress::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // Our own paint handled it; the base would paint a second time into the window DC.
    if (msg == WM_PAINT) return;
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}

void TSkinProgress::PaintTo(HDC dc, const RECT& rect) {
    const LONG_PTR style = ::GetWindowLongPtrW(window_, GWL_STYLE);
    const int position = int(::SendMessageW(window_, PBM_GETPOS, 0, 0));
    const int lower = int(::SendMessageW(window_, PBM_GETRANGE, TRUE, 0));
    const int upper = int(::SendMessageW(window_, PBM_GETRANGE, FALSE, 0));
    const TBitmap32 picture = skinctl::ComposeProgress(*skin_, rect.right - rect.left, rect.bottom - rect.top,
                                                       (style & PBS_VERTICAL) != 0, position, lower, upper);
    if (!picture.Empty()) PaintBitmap(dc, rect.left, rect.top, picture);
}
