#include "framework/Graphics_win.h"

void TIcon::SetHandle(HICON icon) {
    icon_.reset(icon);
    if (OnChange) OnChange();
}

void TIcon::Assign(const TIcon& other) {
    SetHandle(other.Handle() ? ::CopyIcon(other.Handle()) : nullptr);
}
