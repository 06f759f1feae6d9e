#pragma once
// An owned icon whose changes can be observed.
#include <windows.h>

#include <functional>

#include "framework/Handle_win.h"

class TIcon {
public:
    TIcon() = default;
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    HICON Handle() const { return icon_.get(); }
    bool Empty() const { return !icon_; }
    // Takes ownership of the icon.
    void SetHandle(HICON icon);
    // Copies another icon's image into this one.
    void Assign(const TIcon& other);
    std::function<void()> OnChange;

private:
    unique_hicon icon_;
};
