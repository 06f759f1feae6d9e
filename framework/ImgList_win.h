#pragma once
// A list of equally sized pictures (32-bit with alpha), as the tray icon draws from.
#include <windows.h>
#include <commctrl.h>

#include "framework/Component.h"
#include "framework/Graphics_win.h"

class TImageList : public TComponent {
public:
    TImageList(TComponent* owner, int width = 16, int height = 16, int initial = 4, int grow = 4);
    ~TImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;
    // Adds a copy of the icon's image; returns its index or -1.
    int AddIcon(HICON icon);
    // Copies picture `index` into the icon (false when there is none).
    bool GetIcon(int index, TIcon& icon) const;
    HIMAGELIST Handle() const { return list_; }

private:
    int width_;
    int height_;
    HIMAGELIST list_ = nullptr;
};
