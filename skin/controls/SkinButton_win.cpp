#include "skin/controls/SkinButton_win.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/AsciiText.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"
#include "skin/rules/SkinControlRules.h"

namespace {

UINT ReadingOrder(HWND window) {
    return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_RTLREADING) ? UINT(DT_RTLREADING) : 0u;
}

HFONT WindowFont(HWND window) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
    return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace

TSkinButton::TSkinButton(TComponent* owner) : TSkinControl(owner) {}

void TSkinButton::AfterAttach() {
    transparent_ = TransparentBackgroundWanted();
    const std::string name = control_ ? LowerAscii(control_->ClassName()) : std::string();
    noForwarding_ = name.compare(0, 3, "trz") == 0 || name.compare(0, 3, "tel") == 0;
}

std::size_t TSkinButton::HeldBytes() const {
    return offscreen_ ? std::size_t(offscreenSize_.cx) * std::size_t(offscreenSize_.cy) * 4u : 0u;
}

bool TSkinButton::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // Without a Buttons picture the button keeps the look its own handler gives it.
    if (!skin_->Buttons().Bitmap.Empty() && HandlePaintMessages(msg, wParam, result, false)) return false;
    switch (msg) {
    case WM_TIMER:
        if (wParam == 1) ::KillTimer(window_, 1);
        result = 0;
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (::GetFocus() != window_) ::SetFocus(window_);
        state_ |= kPressed;
        PaintWindow(nullptr);
        // The framework has no mouse-down event to report to (noForwarding_ keeps the foreign
        // families that would take it twice apart once it has).
        result = 0;
        return false;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinButton::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SETTEXT:
        caption_ = ReadWindowText();
        PaintWindow(nullptr);
        return;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wParam != VK_SPACE) break;
        if (msg == WM_KEYDOWN)
            state_ |= kPressed;
        else
            state_ &= ~kPressed;
        Repaint();
        return;
    case WM_MOUSEMOVE:
        if (::IsWindowEnabled(window_) && !Hot()) {
            state_ |= kHot;
            Repaint();
        }
        TLateBoundUser32::RequestLeaveNotice(window_);
        return;
    case WM_LBUTTONUP:
        if (!Pressed()) return;
        state_ &= ~kPressed;
        Repaint();
        DoClick();
        return;
    case WM_MOUSELEAVE:
        state_ &= ~(kHot | kPressed);
        Repaint();
        return;
    case DialogKeyNotice:
    case FocusChangedNotice:
        Repaint();
        return;
    default:
        break;
    }
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}

void TSkinButton::DoClick() {
    if (control_) {
        control_->Click();
        return;
    }
    HWND parent = ::GetParent(window_);
    if (!parent) return;
    wchar_t className[32] = {};
    ::GetClassNameW(window_, className, 32);
    const bool vclButton = ::lstrcmpiW(className, L"TButton") == 0;
    // A framework button knows itself by its window: its click comes with no identifier.
    const WORD id = vclButton ? WORD(0) : WORD(::GetDlgCtrlID(window_));
    ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window_));
}

int TSkinButton::ChooseFrame(bool focused, bool enabled, bool isDefault) const {
    return ButtonFrame({Hot(), Pressed(), focused, isDefault, enabled});
}

void TSkinButton::PaintTo(HDC dc, const RECT& rect) {
    const TDataSkinButton& element = skin_->Buttons();
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (element.Bitmap.Empty() || w <= 0 || h <= 0) return;
    const LONG style = ::GetWindowLongW(window_, GWL_STYLE);
    focused_ = ::GetFocus() == window_;
    enabled_ = !(style & WS_DISABLED);
    const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    // The window text is the caption of framework and bare buttons alike.
    caption_ = ReadWindowText();
    const int frame = ChooseFrame(focused_, enabled_, isDefault);
    lastFrame_ = frame;
    lastCaption_ = SplitButtonCaption(caption_);

    unique_hdc memory(::CreateCompatibleDC(dc));
    if (!memory) return;
    if (!offscreen_ || offscreenSize_.cx != w || offscreenSize_.cy != h) {
        offscreen_.reset(::CreateCompatibleBitmap(dc, w, h));
        offscreenSize_ = {w, h};
    }
    if (!offscreen_) return;
    ScopedSelectObject bitmap(memory.get(), offscreen_.get());
    const RECT local{0, 0, w, h};
    const bool face = DrawFace(frame);
    if (transparent_ || !face)
        PaintParentBackground(memory.get(), local);
    else
        FillFace(memory.get(), local);
    if (face)
        DrawElement(memory.get(), local, element.Bitmap, false, element.Tile != 0, element.Trans == 1,
                    element.FrameCount, frame, element.Margins());

    ScopedSelectObject font(memory.get(), WindowFont(window_));
    ::SetBkMode(memory.get(), TRANSPARENT);
    SelectTextColour(memory.get(), frame, enabled_);
    RECT text = local;
    ::InflateRect(&text, -2, -2);
    PaintContent(memory.get(), text, frame, lastCaption_, focused_, enabled_);
    ::BitBlt(dc, rect.left, rect.top, w, h, memory.get(), 0, 0, SRCCOPY);
}

void TSkinButton::SelectTextColour(HDC dc, int frame, bool enabled) const {
    const TDataSkinButton& element = skin_->Buttons();
    COLORREF colour = SkinColourRef(*skin_, scButtonText);
    auto plain = [](TColor c) { return COLORREF(ColourToRGB(c) & 0xFFFFFF); };
    if (element.NormalColour2Given) colour = plain(element.NormalColour2);
    if (frame == 4 && element.MouseOverColour2Given) colour = plain(element.MouseOverColour2);
    if (frame == 2 && element.PressedColour2Given) colour = plain(element.PressedColour2);
    if (!enabled) colour = ::GetSysColor(COLOR_BTNSHADOW);
    ::SetTextColor(dc, colour);
}

RECT TSkinButton::DrawCaptionBlock(HDC dc, const RECT& area, const std::wstring& caption) {
    const UINT format = DT_WORDBREAK | DT_CENTER | ReadingOrder(window_);
    RECT measured = area;
    ::DrawTextW(dc, caption.c_str(), int(caption.size()), &measured, format | DT_CALCRECT);
    RECT placed =
        ToRECT(CentreBlock(ToTRect(area), measured.right - measured.left, measured.bottom - measured.top));
    ::DrawTextW(dc, caption.c_str(), int(caption.size()), &placed, format);
    return placed;
}

void TSkinButton::PaintContent(HDC dc, const RECT& text, int, const std::wstring& caption, bool focused,
                               bool) {
    RECT placed = DrawCaptionBlock(dc, text, caption);
    if (focused && !skin_->Options.Has(xoNoFocusRect) && !caption.empty()) {
        ::InflateRect(&placed, 2, 2);
        ::DrawFocusRect(dc, &placed);
    }
}

int TSkinBitButton::GlyphFrame(int buttonFrame) const {
    int frame = 1;
    if (buttonFrame == 3) frame = 2;
    if (buttonFrame == 2) frame = 3;
    return frame <= NumGlyphs ? frame : 1;
}

void TSkinBitButton::PaintContent(HDC dc, const RECT& text, int frame, const std::wstring& caption,
                                  bool focused, bool) {
    const int count = std::max(NumGlyphs, 1);
    const int gw = Glyph.Empty() ? 0 : Glyph.Width() / count, gh = Glyph.Empty() ? 0 : Glyph.Height();
    RECT measured = text;
    const UINT format = DT_WORDBREAK | DT_CENTER | ReadingOrder(window_);
    if (!caption.empty())
        ::DrawTextW(dc, caption.c_str(), int(caption.size()), &measured, format | DT_CALCRECT);
    const int tw = caption.empty() ? 0 : measured.right - measured.left;
    const int th = caption.empty() ? 0 : measured.bottom - measured.top;
    const TGlyphLayout layout = GlyphLayout(ToTRect(text), gw, gh, tw, th, Layout, Margin, Spacing);
    if (gw > 0) DrawGlyph(dc, ToRECT(layout.glyph), Glyph, true, count, GlyphFrame(frame));
    if (caption.empty()) return;
    RECT placed = ToRECT(layout.caption);
    ::DrawTextW(dc, caption.c_str(), int(caption.size()), &placed, format);
    if (focused && !skin_->Options.Has(xoNoFocusRect)) {
        ::InflateRect(&placed, 2, 2);
        ::DrawFocusRect(dc, &placed);
    }
}

void TSkinMenuButton::PaintContent(HDC dc, const RECT& text, int frame, const std::wstring& caption,
                                   bool focused, bool enabled) {
    RECT body = text;
    body.right = std::max(body.left, body.right - kArrowPart);
    TSkinButton::PaintContent(dc, body, frame, caption, focused, enabled);
    // The separator in ButtonShadow, then a small arrow in the caption colour.
    const int x = body.right;
    unique_hpen pen(::CreatePen(PS_SOLID, 1, SkinColourRef(*skin_, scButtonShadow)));
    {
        ScopedSelectObject selected(dc, pen.get());
        ::MoveToEx(dc, x, text.top + 2, nullptr);
        ::LineTo(dc, x, text.bottom - 2);
    }
    unique_hbrush arrow(::CreateSolidBrush(::GetTextColor(dc)));
    const int cx = x + kArrowPart / 2, cy = (text.top + text.bottom) / 2;
    for (int row = 0; row < 4; ++row) {
        const RECT line{cx - 3 + row, cy - 1 + row, cx + 4 - row, cy + row};
        ::FillRect(dc, &line, arrow.get());
    }
}

int TSkinSpeedButton::ChooseFrame(bool, bool enabled, bool) const {
    // A speed button never holds the focus; `Down` keeps it pressed.
    return ButtonFrame({Hot(), Pressed() || Down, false, false, enabled});
}

int TSkinSpeedButton::GlyphFrame(int buttonFrame) const {
    if (Down && buttonFrame == 2 && NumGlyphs >= 4) return 4;
    return TSkinBitButton::GlyphFrame(buttonFrame);
}
