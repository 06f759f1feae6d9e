#pragma once
// The standard controls of the main window, each a real window of its system class.
#include <string>

#include "framework/Controls_win.h"
#include "framework/StringList.h"

class TButton : public TWinControl {
public:
    std::string ClassName() const override { return "TButton"; }
    using TWinControl::TWinControl;

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleCommand(WORD code, LRESULT& result) override;
};

class TGroupBox : public TWinControl {
public:
    std::string ClassName() const override { return "TGroupBox"; }
    using TWinControl::TWinControl;
    bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
};

class TLabel : public TWinControl {
public:
    std::string ClassName() const override { return "TLabel"; }
    using TWinControl::TWinControl;
    void SetTextColor(COLORREF colour) { textColour_ = colour; }
    void SetCursor(LPCWSTR cursorId) { cursor_ = cursorId; }
    // Lays the caption out on a grid of half-width cells (a wide character takes two), as the
    // form was designed with, whatever the widths of the font that draws it. 0: plain text.
    void SetCellWidth(int pixels) { cellWidth_ = pixels; }
    bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleCommand(WORD code, LRESULT& result) override;
    bool HandleCtlColor(UINT msg, HDC dc, LRESULT& result) override;
    bool HandleDrawItem(DRAWITEMSTRUCT* item, LRESULT& result) override;

private:
    int cellWidth_ = 0;
    COLORREF textColour_ = CLR_INVALID;
    LPCWSTR cursor_ = nullptr;
};

enum class TEditFrame { Border, Bevel };

class TEdit : public TWinControl {
public:
    std::string ClassName() const override { return "TEdit"; }
    using TWinControl::TWinControl;
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return readOnly_; }
    void SetFrame(TEditFrame frame) { frame_ = frame; }

protected:
    void CreateParams(TCreateParams& params) override;
    bool HandleCtlColor(UINT msg, HDC dc, LRESULT& result) override;
    bool readOnly_ = false;
    TEditFrame frame_ = TEditFrame::Border;
};

class TMemo : public TEdit {
public:
    std::string ClassName() const override { return "TMemo"; }
    using TEdit::TEdit;
    // Appends a line at the end (every line is followed by CR LF) and scrolls to it.
    void AddLine(const std::wstring& line);
    void Clear();
    std::wstring AllText() const { return Caption(); }
    void SetScrollBars(bool vertical) { vscroll_ = vertical; }

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWnd() override;

private:
    bool vscroll_ = true;
};

// A list box whose items are byte strings in the ANSI code page. The list keeps the exact bytes;
// the window shows them. With an order set, items are kept sorted by that order.
class TListBox : public TWinControl {
public:
    std::string ClassName() const override { return "TListBox"; }
    using TWinControl::TWinControl;

    const TStringList& Items() const { return items_; }
    size_t Count() const { return items_.Count(); }
    const std::string& Strings(size_t i) const { return items_[i]; }
    size_t Add(const std::string& s);
    void Delete(size_t index);
    void Clear();
    // Replaces the items by the lines of a text (CR, LF or CR LF line ends).
    void SetText(const std::string& text);
    std::string AllText() const { return items_.Text(); }
    void SetSorted(TStringList::Compare order);

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWnd() override;

private:
    void Refill();
    TStringList items_;
};
