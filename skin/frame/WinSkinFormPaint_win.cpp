// TWinSkinForm's size, shape and painting: the skin's borders around the client area, the window region cut
// from the border images, the frame and caption.
#include <algorithm>
#include <climits>

#include "framework/DebugSink_win.h"
#include "framework/Forms_win.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData.h"

namespace {

COLORREF Rgb(TColor colour) {
    return COLORREF(ColourToRGB(colour) & 0xFFFFFF);
}

// A region made of one-pixel-high runs, built in batches as the platform wants them.
HRGN RegionFromRuns(const std::vector<TRect>& runs) {
    unique_hrgn result(::CreateRectRgn(0, 0, 0, 0));
    constexpr size_t kBatch = 2000;
    for (size_t start = 0; start < runs.size(); start += kBatch) {
        const size_t count = std::min(kBatch, runs.size() - start);
        std::vector<char> buffer(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        data->rdh.dwSize = sizeof(RGNDATAHEADER);
        data->rdh.iType = RDH_RECTANGLES;
        data->rdh.nCount = DWORD(count);
        data->rdh.nRgnSize = DWORD(count * sizeof(RECT));
        RECT bounds{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
        auto* rects = reinterpret_cast<RECT*>(data->Buffer);
        for (size_t i = 0; i < count; ++i) {
            const TRect& r = runs[start + i];
            rects[i] = {r.Left, r.Top, r.Right, r.Bottom};
            bounds.left = std::min<LONG>(bounds.left, r.Left);
            bounds.top = std::min<LONG>(bounds.top, r.Top);
            bounds.right = std::max<LONG>(bounds.right, r.Right);
            bounds.bottom = std::max<LONG>(bounds.bottom, r.Bottom);
        }
        data->rdh.rcBound = bounds;
        unique_hrgn part(::ExtCreateRegion(nullptr, DWORD(buffer.size()), data));
        if (part) ::CombineRgn(result.get(), result.get(), part.get(), RGN_OR);
    }
    return result.release();
}

} // namespace

void TWinSkinForm::ResizeForSkin(bool keepCurrentClient) {
    const UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
    if (Maximised()) {
        ::SetWindowPos(window_, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE);
        return;
    }
    int cw = clientRect_.right - clientRect_.left, ch = clientRect_.bottom - clientRect_.top;
    if (keepCurrentClient) {
        RECT r;
        ::GetClientRect(window_, &r);
        cw = r.right - r.left;
        ch = r.bottom - r.top;
    } else if (form_ && form_->ClientWidth() > 0) {
        cw = form_->ClientWidth();
        // A framework form's client size leaves its menu bar out already.
        ch = form_->ClientHeight();
    }
    int width = cw + borders_.Left + borders_.Right;
    const int height = ch + borders_.Top + borders_.Bottom + menuBarHeight_;
    // A message box is as wide as its text; its title in the skin's caption may need more.
    if (dialogLike_) {
        const int needed = frame::TitleWidth(skin_->Title(), TitleTextWidth());
        if (needed > width) {
            const int added = needed - width;
            width = needed;
            for (HWND child = ::GetWindow(window_, GW_CHILD); child;
                 child = ::GetWindow(child, GW_HWNDNEXT)) {
                RECT r;
                ::GetWindowRect(child, &r);
                POINT p{r.left, r.top};
                ::ScreenToClient(window_, &p);
                ::SetWindowPos(child, nullptr, p.x + added / 2, p.y, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
    }
    ::SetWindowPos(window_, nullptr, 0, 0, width, height, flags);
}

int TWinSkinForm::TitleTextWidth() const {
    const std::wstring text = L" " + WindowText() + L"  ";
    unique_hdc measure(::CreateCompatibleDC(nullptr));
    SIZE extent{0, 0};
    ScopedSelectObject font(measure.get(), captionFont_.get());
    ::GetTextExtentPoint32W(measure.get(), text.c_str(), int(text.size()), &extent);
    return extent.cx;
}

void TWinSkinForm::BuildFrameRegion(bool force) {
    if (Dead() || !frameSkinned_ ||
        (windowKind_ == TWindowKind::MdiChild && showState_ != frame::TShowState::Normal))
        return;
    const RECT outer = OuterRect(window_);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    if (w <= 0 || h <= 0) return;
    if (!force && windowKind_ != TWindowKind::MdiChild && regionSize_.cx == w && regionSize_.cy == h) return;
    const TDataSkinBorder& left = skin_->Border(TSkinData::bdLeft);
    const TDataSkinBorder& right = skin_->Border(TSkinData::bdRight);
    const TDataSkinBorder& top = skin_->Border(TSkinData::bdTop);
    const TDataSkinBorder& bottom = skin_->Border(TSkinData::bdBottom);
    unique_hrgn region;
    if (!left.Trans && !right.Trans && !top.Trans) {
        region.reset(::CreateRectRgn(0, 0, w, h));
    } else {
        const frame::TBorders& b = borders_;
        region.reset(::CreateRectRgn(b.Left, b.Top, w - b.Right, h - b.Bottom));
        auto unite = [&](HRGN part) {
            unique_hrgn owned(part);
            if (owned) ::CombineRgn(region.get(), region.get(), owned.get(), RGN_OR);
        };
        auto side = [&](const TDataSkinBorder& element, const TRect& strip, bool stacked, bool shaped) {
            if (strip.IsEmpty()) return;
            if (element.Trans && shaped) {
                const TBitmap32& image =
                    strips_.Get(element, strip.Width(), strip.Height(), stacked, isActive_);
                unite(RegionFromRuns(frame::OpaqueRuns(image, strip.Left, strip.Top, clMagenta, 1)));
            } else {
                unite(::CreateRectRgn(strip.Left, strip.Top, strip.Right, strip.Bottom));
            }
        };
        side(left, {0, 0, b.Left, h}, false, h > 1);
        side(right, {w - b.Right, 0, w, h}, false, h > 1);
        side(bottom, {b.Left, h - b.Bottom, w - b.Right, h}, true, b.Bottom >= 2);
        side(top, {b.Left, 0, w - b.Right, b.Top}, true, b.Top > 1);
    }
    // From here on the region belongs to the system.
    if (::SetWindowRgn(window_, region.get(), TRUE)) region.release();
    regionSize_ = {w, h};
}

// ---- Painting ----

void TWinSkinForm::RepaintFrame() {
    if (!::IsWindow(window_)) return;
    ScopedGetWindowDC dc(window_);
    PaintFrame(dc.get());
}

void TWinSkinForm::PaintFrame(HDC dc) {
    if (!dc || skinState_ != TFrameState::Running || frameKind_ == frame::TFrameKind::Captionless ||
        !frameSkinned_)
        return;
    try {
        const RECT outer = OuterRect(window_);
        const int w = outer.right - outer.left, h = outer.bottom - outer.top;
        if (w <= 0 || h <= 0) return;
        if (!Minimised()) {
            const frame::TBorders& b = borders_;
            if (b.Left > 0)
                PaintBitmap(dc, 0, 0,
                            strips_.Get(skin_->Border(TSkinData::bdLeft), b.Left, h, false, isActive_));
            if (b.Right > 0)
                PaintBitmap(dc, w - b.Right, 0,
                            strips_.Get(skin_->Border(TSkinData::bdRight), b.Right, h, false, isActive_));
            if (b.Bottom > 0 && w - b.Left - b.Right > 0)
                PaintBitmap(dc, b.Left, h - b.Bottom,
                            strips_.Get(skin_->Border(TSkinData::bdBottom), w - b.Left - b.Right, b.Bottom,
                                        true, isActive_));
        }
        PaintCaption(dc, w, h);
        if (!Minimised() && menuBarHeight_ > 0) {
            RECT bar{borders_.Left, borders_.Top, w - borders_.Right, borders_.Top + menuBarHeight_};
            if (menuBar_)
                menuBar_->PaintMenuBar(dc, ToTRect(bar));
            else if (faceBrush_)
                ::FillRect(dc, &bar, faceBrush_.get());
        }
    } catch (...) {
        DebugReportCurrentException("painting the skinned frame");
    }
    currentNc_ = nullptr;
}

void TWinSkinForm::PaintCaption(HDC dc, int width, int height) {
    const int bufferHeight = Minimised() ? height : borders_.Top;
    if (bufferHeight <= 0) return;
    TBitmap32 buffer;
    TRect caption;
    if (Minimised()) {
        buffer = TBitmap32(width, height, ColourToRGB(skin_->SkinColours[scButtonFace]));
        caption = {0, 0, width, borders_.Top};
    } else {
        buffer = BitmapFromDC(dc, {0, 0, width, bufferHeight});
        caption = {borders_.Left, 0, width - borders_.Right, borders_.Top};
    }
    TBitmapCanvas canvas(buffer);
    const TDataSkinBorder& top = skin_->Border(TSkinData::bdTop);
    if (!caption.IsEmpty() && !top.Bitmap.Empty()) {
        const TBitmap32& strip = strips_.Get(top, caption.Width(), caption.Height(), true, isActive_);
        if (top.Trans)
            TransparentDraw(canvas, caption, strip, clMagenta);
        else
            canvas.Draw(caption.Left, caption.Top, strip);
    }

    // The title: measured with the caption font, placed by the skin's rules.
    const std::wstring text = L" " + WindowText() + L"  ";
    SIZE extent{TitleTextWidth(), 0};
    {
        unique_hdc measure(::CreateCompatibleDC(nullptr));
        ScopedSelectObject font(measure.get(), captionFont_.get());
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(measure.get(), &metrics);
        extent.cy = metrics.tmHeight;
    }
    const frame::TCaptionState state = CaptionState();
    rightButtonsExtent_ = 0;
    for (const auto& o : captionObjects_) {
        if (o->Element.Align == 1 && !o->Element.Bitmap.Empty() &&
            frame::CaptionButtonVisible(o->Element, state).Visible)
            rightButtonsExtent_ = std::max(rightButtonsExtent_, o->Element.XCoord);
    }
    const TDataSkinTitle& title = skin_->Title();
    frame::TTitleInput in;
    in.Caption = caption;
    in.TextWidth = extent.cx;
    in.TextHeight = extent.cy;
    in.RightButtonsExtent = rightButtonsExtent_;
    in.RightToLeft = rightToLeft_;
    in.Popup = (static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE)) & WS_POPUP) != 0;
    in.FrameKind = frameKind_;
    const frame::TTitleLayout layout = frame::LayoutTitle(title, in);
    titleRect_ = layout.TitleRect;
    if (!title.Bitmap.Empty())
        DrawElementStrip(canvas, layout.TitleRect, title.Bitmap, true, true, 2, isActive_ ? 1 : 2,
                         {title.TextBackLeft, 0, title.TextBackRight, 0});

    LayoutCaptionButtons(titleRect_, width);
    for (const auto& o : captionObjects_) {
        if (!o->Visible || o->Element.Align == 100) continue;
        if (o->Element.Action == 3 || o->Element.Action == 11) {
            if (!icon_.Empty()) DrawFrameStretched(canvas, o->Rect, icon_, true, 1, 1);
        } else if (!o->Element.Bitmap.Empty()) {
            DrawFrameStretched(canvas, o->Rect, o->Element.Bitmap, true, std::max(1, o->Element.FrameCount),
                               frame::CaptionButtonFrame(o->Element, isActive_, o->Enabled));
        }
    }

    TDibSection dib(buffer);
    if (!dib.Valid()) return;
    {
        ScopedSelectObject font(dib.DC(), captionFont_.get());
        ::SetBkMode(dib.DC(), TRANSPARENT);
        ::SetTextColor(dib.DC(),
                       Rgb(skin_->SkinColours[isActive_ ? scTitleTextActive : scTitleTextNoActive]));
        RECT textRect{layout.TextRect.Left, layout.TextRect.Top, layout.TextRect.Right,
                      layout.TextRect.Bottom};
        UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
        if (rightToLeft_) format |= DT_RIGHT | DT_RTLREADING;
        ::DrawTextW(dib.DC(), text.c_str(), int(text.size()), &textRect, format);
        ::SetBkMode(dib.DC(), OPAQUE);
    }
    ::GdiFlush();
    ::BitBlt(dc, 0, 0, width, bufferHeight, dib.DC(), 0, 0, SRCCOPY);
}

std::wstring TWinSkinForm::WindowText() const {
    const int n = ::GetWindowTextLengthW(window_);
    std::wstring text(size_t(n) + 1, L'\0');
    const int got = ::GetWindowTextW(window_, text.data(), n + 1);
    text.resize(size_t(std::max(0, got)));
    return text;
}
