#include "framework/StdCtrls_win.h"

#include "framework/HalfScaleText_win.h"
#include "framework/Handle_win.h"
#include "framework/Text_win.h"

void TButton::CreateParams(TCreateParams& params) {
    params.className = L"Button";
    params.style |= WS_TABSTOP | BS_PUSHBUTTON;
}

bool TButton::HandleCommand(WORD code, LRESULT& result) {
    if (code != BN_CLICKED) return false;
    Click();
    result = 0;
    return true;
}

void TGroupBox::CreateParams(TCreateParams& params) {
    params.className = L"Button";
    params.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
    params.exStyle |= WS_EX_CONTROLPARENT;
}

bool TGroupBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The system group box paints only its frame and caption; the inside is ours to fill.
    if (msg == WM_ERASEBKGND) {
        RECT r;
        ::GetClientRect(handle_, &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, ::GetSysColorBrush(COLOR_BTNFACE));
        result = 1;
        return true;
    }
    return TWinControl::WndProc(msg, wParam, lParam, result);
}

void TLabel::CreateParams(TCreateParams& params) {
    params.className = L"Static";
    params.style |= SS_NOTIFY | SS_NOPREFIX | (cellWidth_ > 0 ? SS_OWNERDRAW : SS_LEFT);
}

bool TLabel::HandleDrawItem(DRAWITEMSTRUCT* item, LRESULT& result) {
    HDC dc = item->hDC;
    ::FillRect(dc, &item->rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    ScopedSelectObject font(dc, EffectiveFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColour_ != CLR_INVALID ? textColour_ : ::GetSysColor(COLOR_WINDOWTEXT));
    std::wstring text = Caption();
    // Centred in the label's height: some CJK fonts draw above their nominal cell.
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    int height = item->rcItem.bottom - item->rcItem.top;
    int y = item->rcItem.top + (height - metrics.tmHeight) / 2;
    int x = item->rcItem.left;
    const COLORREF colour = textColour_ != CLR_INVALID ? textColour_ : ::GetSysColor(COLOR_WINDOWTEXT);
    const THalfScaleText whole(dc);
    for (wchar_t c : text) {
        // Characters of the ASCII range and the half-width forms take one cell, others two.
        bool half = c < 0x1100 || (c >= 0xFF61 && c <= 0xFFDC);
        int advance = half ? cellWidth_ : 2 * cellWidth_;
        if (c != L' ' && !whole.Draw(x, y, &c, 1, colour)) ::TextOutW(dc, x, y, &c, 1);
        x += advance;
    }
    result = TRUE;
    return true;
}

bool TLabel::HandleCommand(WORD code, LRESULT& result) {
    if (code != STN_CLICKED) return false;
    Click();
    result = 0;
    return true;
}

bool TLabel::HandleCtlColor(UINT, HDC dc, LRESULT& result) {
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, textColour_ != CLR_INVALID ? textColour_ : ::GetSysColor(COLOR_WINDOWTEXT));
    result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

bool TLabel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_SETCURSOR && cursor_) {
        ::SetCursor(::LoadCursorW(nullptr, cursor_));
        result = TRUE;
        return true;
    }
    return TWinControl::WndProc(msg, wParam, lParam, result);
}

void TEdit::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    if (handle_) ::SendMessageW(handle_, EM_SETREADONLY, readOnly, 0);
}

void TEdit::CreateParams(TCreateParams& params) {
    params.className = L"Edit";
    params.style |= WS_TABSTOP | ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0);
    if (frame_ == TEditFrame::Border)
        params.exStyle |= WS_EX_CLIENTEDGE;
    else
        params.exStyle |= WS_EX_STATICEDGE;
}

bool TEdit::HandleCtlColor(UINT msg, HDC dc, LRESULT& result) {
    // Read-only edits keep the window colour, as the size fields did.
    if (msg != WM_CTLCOLORSTATIC) return false;
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
    result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    return true;
}

void TMemo::CreateParams(TCreateParams& params) {
    TEdit::CreateParams(params);
    params.style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    params.style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | (vscroll_ ? WS_VSCROLL : 0);
}

void TMemo::InitializeWnd() {
    // The log has no length limit.
    ::SendMessageW(handle_, EM_SETLIMITTEXT, 0, 0);
}

void TMemo::AddLine(const std::wstring& line) {
    HWND wnd = Handle();
    if (!wnd) return;
    std::wstring piece = line + L"\r\n";
    const int end = ::GetWindowTextLengthW(wnd);
    ::SendMessageW(wnd, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(wnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    ::SendMessageW(wnd, EM_SCROLLCARET, 0, 0);
}

void TMemo::Clear() {
    SetCaption(L"");
}

void TListBox::CreateParams(TCreateParams& params) {
    params.className = L"ListBox";
    params.style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::InitializeWnd() {
    Refill();
}

size_t TListBox::Add(const std::string& s) {
    size_t index = items_.Add(s);
    if (handle_) {
        std::wstring w = AnsiToWide(s);
        ::SendMessageW(handle_, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(w.c_str()));
    }
    return index;
}

void TListBox::Delete(size_t index) {
    items_.Delete(index);
    if (handle_) ::SendMessageW(handle_, LB_DELETESTRING, index, 0);
}

void TListBox::Clear() {
    items_.Clear();
    if (handle_) ::SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
}

void TListBox::SetText(const std::string& text) {
    items_.SetText(text);
    Refill();
}

void TListBox::SetSorted(TStringList::Compare order) {
    items_.SetSorted(std::move(order));
    Refill();
}

void TListBox::Refill() {
    if (!handle_) return;
    ::SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(handle_, LB_RESETCONTENT, 0, 0);
    for (const auto& s : items_.Items()) {
        std::wstring w = AnsiToWide(s);
        ::SendMessageW(handle_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
    ::SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
}
