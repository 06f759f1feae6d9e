#include "framework/ComCtrls_win.h"

#include <commctrl.h>

void TProgressBar::CreateParams(TCreateParams& params) {
    params.className = PROGRESS_CLASSW;
}

void TProgressBar::InitializeWnd() {
    ::SendMessageW(handle_, PBM_SETRANGE32, 0, max_);
    ::SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetMax(int max) {
    max_ = max;
    if (handle_) ::SendMessageW(handle_, PBM_SETRANGE32, 0, max);
}

void TProgressBar::SetPosition(int position) {
    position_ = position;
    if (handle_) ::SendMessageW(handle_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TStatusBar::CreateParams(TCreateParams& params) {
    params.className = STATUSCLASSNAMEW;
    params.style |= CCS_BOTTOM;
}

void TStatusBar::InitializeWnd() {
    // The last (only) panel reaches to the right end, so a long notice is readable in full.
    int edges[1] = {-1};
    ::SendMessageW(handle_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(edges));
    ::SendMessageW(handle_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(panelText_.c_str()));
}

void TStatusBar::SetPanelText(const std::wstring& text) {
    panelText_ = text;
    if (handle_) ::SendMessageW(handle_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(panelText_.c_str()));
}

TTabSheet::TTabSheet(TComponent* owner, TPageControl* pageControl, const std::wstring& caption)
    : TWinControl(owner), pageControl_(pageControl) {
    caption_ = caption;
    SetParent(pageControl);
    pageControl->AddPage(this);
}

void TTabSheet::CreateParams(TCreateParams& params) {
    params.className = L"TTabSheet";
    params.ownClass = true;
    params.style |= WS_CLIPCHILDREN;
    params.exStyle |= WS_EX_CONTROLPARENT;
    RegisterFrameworkClass(L"TTabSheet", CS_DBLCLKS, ::GetSysColorBrush(COLOR_BTNFACE));
}

void TPageControl::CreateParams(TCreateParams& params) {
    params.className = WC_TABCONTROLW;
    params.style |= WS_CLIPCHILDREN | TCS_TABS;
    params.exStyle |= WS_EX_CONTROLPARENT;
}

void TPageControl::AddPage(TTabSheet* page) {
    pages_.push_back(page);
    if (handle_) InitializeWnd();
}

void TPageControl::InitializeWnd() {
    ::SendMessageW(handle_, TCM_DELETEALLITEMS, 0, 0);
    for (size_t i = 0; i < pages_.size(); ++i) {
        std::wstring caption = pages_[i]->Caption();
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        ::SendMessageW(handle_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    LayoutPages();
}

void TPageControl::LayoutPages() {
    if (!handle_) return;
    RECT r{0, 0, width_, height_};
    ::SendMessageW(handle_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    for (size_t i = 0; i < pages_.size(); ++i) {
        TTabSheet* page = pages_[i];
        page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        page->SetVisible(i == active_);
        page->Handle();
    }
    ::SendMessageW(handle_, TCM_SETCURSEL, active_, 0);
}

void TPageControl::SetActivePage(size_t index) {
    if (index >= pages_.size()) return;
    active_ = index;
    LayoutPages();
}

void TPageControl::RemovePage(size_t index) {
    if (index >= pages_.size()) return;
    TTabSheet* page = pages_[index];
    pages_.erase(pages_.begin() + static_cast<std::ptrdiff_t>(index));
    if (active_ > index || (active_ == index && active_ == pages_.size() && active_ > 0)) --active_;
    if (handle_) ::SendMessageW(handle_, TCM_DELETEITEM, index, 0);
    LayoutPages();
    delete page;
}

bool TPageControl::HandleNotify(NMHDR* header, LRESULT& result) {
    if (header->code != TCN_SELCHANGE) return false;
    LRESULT sel = ::SendMessageW(handle_, TCM_GETCURSEL, 0, 0);
    if (sel >= 0) SetActivePage(static_cast<size_t>(sel));
    result = 0;
    return true;
}
