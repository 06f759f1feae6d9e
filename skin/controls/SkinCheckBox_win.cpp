#include "skin/controls/SkinCheckBox_win.h"

#include <algorithm>

#include "framework/Handle_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/rules/SkinControlRules.h"

namespace {

int WindowCheckFrame(HWND window, bool enabled, int frames) {
    TCheckFacts facts;
    facts.buttonState = int(::SendMessageW(window, BM_GETCHECK, 0, 0));
    facts.enabled = enabled;
    return CheckBoxFrame(facts, std::max(frames, 1));
}

int WindowRadioFrame(HWND window, bool enabled, int frames) {
    const bool checked = ::SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
    return RadioButtonFrame(checked, enabled, std::max(frames, 1));
}

} // namespace

bool TSkinCheckLike::BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!Strip().Empty()) {
        switch (msg) {
        case WM_PAINT:
        case WM_PRINTCLIENT:
            PaintFromMessage(reinterpret_cast<HDC>(wParam));
            result = 0;
            return false;
        case WM_ERASEBKGND:
            if (transparent_) {
                RECT client;
                ::GetClientRect(window_, &client);
                PaintParentBackground(reinterpret_cast<HDC>(wParam), client);
            }
            result = 1;
            return false;
        default:
            break;
        }
    }
    return TSkinControl::BeforeMessage(msg, wParam, lParam, result);
}

void TSkinCheckLike::AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case BM_SETCHECK:
        setCheckState_ = int(wParam);
        Repaint();
        return;
    // The system control draws its pressed and checked looks straight away; ours goes over them.
    case BM_SETSTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYUP:
    case DialogKeyNotice:
    case FocusChangedNotice:
        Repaint();
        return;
    default:
        break;
    }
    TSkinControl::AfterMessage(msg, wParam, lParam, result);
}

void TSkinCheckLike::PaintTo(HDC dc, const RECT& rect) {
    const TBitmap32& strip = Strip();
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (strip.Empty() || w <= 0 || h <= 0) return;
    const int frames = std::max(StripFrames(), 1);
    const LONG style = ::GetWindowLongW(window_, GWL_STYLE);
    enabled_ = !(style & WS_DISABLED);
    focused_ = ::GetFocus() == window_;
    caption_ = ReadWindowText();
    lastFrame_ = ChooseFrame();

    unique_hdc memory(::CreateCompatibleDC(dc));
    unique_hbitmap picture(::CreateCompatibleBitmap(dc, w, h));
    if (!memory || !picture) return;
    ScopedSelectObject selected(memory.get(), picture.get());
    const RECT local{0, 0, w, h};
    if (transparent_)
        PaintParentBackground(memory.get(), local);
    else
        FillFace(memory.get(), local);
    const TCheckLayout layout = CheckLayout(ToTRect(local), strip.Width() / frames, strip.Height(),
                                            (style & BS_LEFTTEXT) != 0, RightInset());
    DrawGlyph(memory.get(), ToRECT(layout.box), strip, true, frames, lastFrame_);

    if (!caption_.empty()) {
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
        ScopedSelectObject fontSelected(memory.get(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(memory.get(), TRANSPARENT);
        ::SetTextColor(memory.get(),
                       enabled_ ? SkinColourRef(*skin_, scButtonText) : ::GetSysColor(COLOR_BTNSHADOW));
        const UINT format =
            DT_WORDBREAK |
            ((::GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_RTLREADING) ? UINT(DT_RTLREADING) : 0u);
        RECT area = ToRECT(layout.caption);
        RECT measured = area;
        ::DrawTextW(memory.get(), caption_.c_str(), int(caption_.size()), &measured, format | DT_CALCRECT);
        const int tw = measured.right - measured.left, th = measured.bottom - measured.top;
        RECT text{area.left, area.top + (area.bottom - area.top - th) / 2, area.right, 0};
        text.bottom = text.top + th;
        ::DrawTextW(memory.get(), caption_.c_str(), int(caption_.size()), &text, format);
        if (focused_ && FocusFrameWanted() && !skin_->Options.Has(xoNoFocusRect)) {
            const RECT focus =
                ToRECT(TRect{text.left - 2, text.top - 1, text.left + tw + 2, text.bottom + 1}.Intersect(
                    ToTRect(local)));
            ::DrawFocusRect(memory.get(), &focus);
        }
    }
    ::BitBlt(dc, rect.left, rect.top, w, h, memory.get(), 0, 0, SRCCOPY);
}

const TBitmap32& TSkinCheckBox::Strip() const {
    return skin_->Buttons().CheckBitmap;
}

int TSkinCheckBox::StripFrames() const {
    return skin_->Buttons().CheckButtonFrame;
}

int TSkinCheckBox::ChooseFrame() const {
    return WindowCheckFrame(window_, enabled_, StripFrames());
}

bool TSkinCheckBox::FocusFrameWanted() const {
    return LOBYTE(LOWORD(::GetVersion())) != 6;
}

const TBitmap32& TSkinRadioButton::Strip() const {
    return skin_->Buttons().RadioBitmap;
}

int TSkinRadioButton::StripFrames() const {
    return skin_->Buttons().RadioButtonFrame;
}

int TSkinRadioButton::ChooseFrame() const {
    return WindowRadioFrame(window_, enabled_, StripFrames());
}

const TBitmap32& TSkinObjImage::Strip() const {
    return Kind == TObjImageKind::Radio ? skin_->Buttons().RadioBitmap : skin_->Buttons().CheckBitmap;
}

int TSkinObjImage::StripFrames() const {
    return Kind == TObjImageKind::Radio ? skin_->Buttons().RadioButtonFrame
                                        : skin_->Buttons().CheckButtonFrame;
}

int TSkinObjImage::ChooseFrame() const {
    return Kind == TObjImageKind::Radio ? WindowRadioFrame(window_, enabled_, StripFrames())
                                        : WindowCheckFrame(window_, enabled_, StripFrames());
}
