#include "framework/ImgList_win.h"

TImageList::TImageList(TComponent* owner, int width, int height, int initial, int grow)
    : TComponent(owner), width_(width), height_(height) {
    list_ = ::ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, initial, grow);
}

TImageList::~TImageList() {
    if (list_) ::ImageList_Destroy(list_);
}

int TImageList::Count() const {
    return list_ ? ::ImageList_GetImageCount(list_) : 0;
}

int TImageList::AddIcon(HICON icon) {
    return list_ && icon ? ::ImageList_AddIcon(list_, icon) : -1;
}

bool TImageList::GetIcon(int index, TIcon& icon) const {
    if (!list_ || index < 0 || index >= Count()) return false;
    HICON copy = ::ImageList_GetIcon(list_, index, ILD_NORMAL);
    if (!copy) return false;
    icon.SetHandle(copy);
    return true;
}
