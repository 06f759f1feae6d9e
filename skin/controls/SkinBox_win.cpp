#include "skin/controls/SkinBox_win.h"

#include <algorithm>

void TSkinGroupBox::AfterAttach() {
    if (skin_) labels_.Refresh(*skin_);
}

void TSkinGroupBox::RefreshColours() {
    if (skin_) labels_.Refresh(*skin_);
    TSkinControl::RefreshColours();
}

bool TSkinGroupBox::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (HandlePaintMessages(msg, wParam, result, true)) return false;
    if (msg == WM_DRAWITEM && labels_.DrawItem(*this, wParam, lParam, result)) return false;
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinGroupBox::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_CTLCOLORSTATIC) labels_.AfterCtlColor(wParam, lParam, result);
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}

void TSkinGroupBox::PaintTo(HDC dc, const RECT& rect) {
    // Framework and bare group boxes alike are painted whole: the face covers the system's frame.
    FillFace(dc, rect);
    caption_ = ReadWindowText();
    if (caption_.empty() && control_) caption_ = control_->Caption();
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
    ScopedSelectObject fontSelected(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE zero{};
    ::GetTextExtentPoint32W(dc, L"0", 1, &zero);
    const int h = zero.cy;
    unique_hpen pen(::CreatePen(PS_SOLID, 1, SkinColourRef(*skin_, scButtonShadow)));
    {
        ScopedSelectObject penSelected(dc, pen.get());
        ScopedSelectObject brush(dc, ::GetStockObject(NULL_BRUSH));
        ::RoundRect(dc, rect.left + 1, rect.top + h / 2, rect.right - 1, rect.bottom - 1, 5, 5);
    }
    if (caption_.empty()) return;
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, SkinColourRef(*skin_, scButtonFace));
    ::SetTextColor(dc, SkinColourRef(*skin_, scButtonText));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, caption_.c_str(), int(caption_.size()), &extent);
    const bool right = (::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_RIGHT) != 0;
    RECT text{rect.left + 8, rect.top, rect.left + 8 + extent.cx, rect.top + extent.cy};
    if (right) text = {rect.right - 8 - extent.cx, rect.top, rect.right - 8, rect.top + extent.cy};
    ::DrawTextW(dc, caption_.c_str(), int(caption_.size()), &text, DT_SINGLELINE | DT_NOCLIP);
}

bool TSkinBox::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_ERASEBKGND) {
        EraseWithFace(reinterpret_cast<HDC>(wParam));
        result = 1;
        return false;
    }
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

bool TSkinBoxH::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        EraseWithFace(reinterpret_cast<HDC>(wParam));
        result = 1;
        return false;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (!faceBrush_) faceBrush_.reset(::CreateSolidBrush(SkinColourRef(*skin_, scButtonFace)));
        ::SetBkColor(reinterpret_cast<HDC>(wParam), SkinColourRef(*skin_, scButtonFace));
        ::SetTextColor(reinterpret_cast<HDC>(wParam), SkinColourRef(*skin_, scButtonText));
        result = reinterpret_cast<LRESULT>(faceBrush_.get());
        return false;
    default:
        return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
    }
}

void TSkinBoxH::RefreshColours() {
    faceBrush_.reset();
    TSkinControl::RefreshColours();
}

bool TSkinSizer::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (HandlePaintMessages(msg, wParam, result, false)) return false;
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinSizer::PaintTo(HDC dc, const RECT& rect) {
    FillFace(dc, rect);
    unique_hpen light(::CreatePen(PS_SOLID, 1, SkinColourRef(*skin_, scButtonHilight)));
    unique_hpen dark(::CreatePen(PS_SOLID, 1, SkinColourRef(*skin_, scButtonShadow)));
    const int size = std::min(rect.right - rect.left, rect.bottom - rect.top);
    // Three ridges from the bottom-right corner, each a light line over two dark ones.
    for (int ridge = 0; ridge < 3; ++ridge) {
        for (int line = 0; line < 3; ++line) {
            const int d = 4 * ridge + line + 2;
            if (d >= size) return;
            ScopedSelectObject pen(dc, line == 0 ? light.get() : dark.get());
            ::MoveToEx(dc, rect.right - d, rect.bottom - 1, nullptr);
            ::LineTo(dc, rect.right, rect.bottom - d - 1);
        }
    }
}
