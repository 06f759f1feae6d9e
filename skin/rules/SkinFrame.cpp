#include "skin/rules/SkinFrame.h"

#include <algorithm>

#include "skin/model/ImgUtil.h"
#include "skin/model/WinSkinData.h"

namespace frame {

TFrameKind FrameKindOf(std::uint32_t style, std::uint32_t exStyle, const std::string& className,
                       bool& dialogLike) {
    TFrameKind kind;
    if ((style & kCaption) != kCaption)
        kind = TFrameKind::Captionless;
    else if (style & kThickFrame)
        kind = TFrameKind::Sizeable;
    else if (style & kModalFrame)
        kind = TFrameKind::DialogFrame;
    else
        kind = TFrameKind::Fixed;
    if (exStyle & kExDlgModalFrame) kind = TFrameKind::DialogFrame;
    dialogLike = className == "#32770" || className == "TMessageForm";
    if (dialogLike) kind = TFrameKind::DialogFrame;
    return kind;
}

std::uint8_t StyleBitsOf(std::uint32_t style, std::uint32_t exStyle, bool systemMenuKnown) {
    std::uint8_t bits = 0;
    if ((style & kSysMenu) || systemMenuKnown) bits |= kBitSysMenu;
    if (style & kMinimizeBox) bits |= kBitMinimize;
    if (style & kMaximizeBox) bits |= kBitMaximize;
    if (exStyle & kExContextHelp) bits |= kBitContextHelp;
    return bits;
}

TShowState ShowStateOf(int showCommand) {
    if (showCommand == 2 || showCommand == 6 || showCommand == 7) return TShowState::Minimised;
    return showCommand == 3 ? TShowState::Maximised : TShowState::Normal;
}

TShowState ShowStateOfSizeType(int sizeType) {
    return sizeType == 1 ? TShowState::Minimised : sizeType == 2 ? TShowState::Maximised : TShowState::Normal;
}

TBorders BorderSizes(const TSkinData& skin, TFrameKind frameKind) {
    if (frameKind == TFrameKind::Captionless) return {};
    auto frames = [](const TDataSkinBorder& b) { return std::max(1, b.FrameCount); };
    const TDataSkinBorder& left = skin.Border(TSkinData::bdLeft);
    const TDataSkinBorder& top = skin.Border(TSkinData::bdTop);
    const TDataSkinBorder& right = skin.Border(TSkinData::bdRight);
    const TDataSkinBorder& bottom = skin.Border(TSkinData::bdBottom);
    return {left.Bitmap.Width() / frames(left), top.Bitmap.Height() / frames(top),
            right.Bitmap.Width() / frames(right), bottom.Bitmap.Height() / frames(bottom)};
}

namespace {

// One visibility code against the window: `first` for the Visibility field, else Visibility1.
bool Allows(int code, bool first, const TCaptionState& s, int action) {
    const bool hasBox = s.StyleBits & (kBitMinimize | kBitMaximize);
    const bool sysMenu = s.StyleBits & kBitSysMenu;
    switch (code) {
    case -1:
        // No defined effect for the first field; skins pair it with a hidden second one.
        return first;
    case 0:
        return true;
    case 1:
        return s.Maximised;
    case 2:
        return !s.Maximised;
    case 3:
        return s.Active;
    case 4:
        return !s.Active;
    case 6:
    case 8:
        return first ? hasBox && sysMenu : hasBox;
    case 7:
        return !(s.StyleBits & kBitMaximize);
    case 9:
        return !(s.StyleBits & kBitMinimize);
    case 10:
        return first ? (s.StyleBits & kBitContextHelp) && !hasBox : (s.StyleBits & kBitContextHelp) != 0;
    case 100:
        return s.MdiChildMaximisedWithMenuBar;
    case 200:
        return s.FrameKind == TFrameKind::DialogFrame && !s.DialogLike;
    default:
        if (code >= 201 && code <= 999) return true;
        if (code >= 1000 && code <= 2000)
            return !first || (s.QueryVisibility && s.QueryVisibility(code, action) > 0);
        return false;
    }
}

} // namespace

TButtonShow CaptionButtonVisible(const TDataSkinSysButton& button, const TCaptionState& state) {
    TButtonShow show;
    const bool firstAllows = Allows(button.Visibility, true, state, button.Action);
    // Code 100 in the second field follows the first.
    const bool secondAllows =
        button.Visibility1 == 100 ? firstAllows : Allows(button.Visibility1, false, state, button.Action);
    show.Visible = firstAllows && secondAllows;
    const bool sysMenu = state.StyleBits & kBitSysMenu;
    switch (button.Action) {
    case 0:
        if (!sysMenu) show.Visible = false;
        break;
    case 1:
        show.Enabled = (state.StyleBits & kBitMaximize) && sysMenu;
        break;
    case 2:
        show.Enabled = (state.StyleBits & kBitMinimize) && sysMenu;
        break;
    case 3:
    case 11:
    case 12:
        if (state.FrameKind == TFrameKind::DialogFrame) show.Visible = false;
        break;
    default:
        break;
    }
    return show;
}

TRect CaptionButtonRect(const TDataSkinSysButton& button, int windowWidth, const TRect& titleRect,
                        const TBorders& borders, int menuBarHeight) {
    const int w = button.FrameWidth();
    const int h = button.Bitmap.Height();
    int x = button.XCoord;
    int y = button.YCoord;
    switch (button.Align) {
    case 1:
        x = windowWidth - button.XCoord;
        break;
    case 2:
    case 8:
        x = titleRect.Left - w - button.XCoord;
        break;
    case 3:
    case 9:
        x = titleRect.Right + button.XCoord;
        break;
    case 100:
        x = windowWidth - button.XCoord - borders.Right;
        y = borders.Top + (menuBarHeight - h) / 2;
        break;
    default:
        break;
    }
    return {x, y, x + w, y + h};
}

int CaptionButtonFrame(const TDataSkinSysButton& button, bool active, bool enabled) {
    if (std::max(1, button.FrameCount) < 4 || (active && enabled)) return 1;
    return 4;
}

int CaptionObjectFrame(const TDataSkinSysButton& button, TNcState state, bool enabled) {
    if (!enabled) return button.FrameCount > 3 ? 4 : 1;
    if (button.Align == 100 && state == TNcState::Hot) return 4;
    return static_cast<int>(state);
}

TTitleLayout LayoutTitle(const TDataSkinTitle& title, const TTitleInput& in) {
    // The title element keeps TextShift in LeftWidth, TextShiftVert in TopHeight and
    // TextRightClip in RightWidth.
    const int shift = title.LeftWidth;
    const int shiftVert = title.TopHeight;
    const int rightClip = title.RightWidth;
    const int t = in.TextWidth + title.TextBackLeft + title.TextBackRight;
    const int width = in.Caption.Width();
    int x;
    if (!in.RightToLeft) {
        x = title.TextAlignment == 1   ? (width - t) / 2
            : title.TextAlignment == 2 ? width - rightClip - t
                                       : shift;
    } else {
        x = title.TextAlignment == 1   ? (width - in.RightButtonsExtent - t) / 2
            : title.TextAlignment == 2 ? shift
                                       : width - in.RightButtonsExtent - t;
    }
    const int y = (in.Caption.Height() - in.TextHeight) / 2 + shiftVert / 2;
    TRect r{in.Caption.Left + x, in.Caption.Top + y, in.Caption.Left + x + t,
            in.Caption.Top + y + in.TextHeight};
    if (in.RightToLeft) {
        if (r.Left - in.Caption.Left < 1) {
            r.Right += shift - (r.Left - in.Caption.Left);
            r.Left = in.Caption.Left + shift;
        }
        r.Left += 10;
        r.Right += 10;
    } else if (in.Popup) {
        if (in.RightButtonsExtent > 5)
            r.Right = std::min(r.Right, in.Caption.Right - in.RightButtonsExtent - 5);
    } else {
        r.Right = std::min(r.Right, in.Caption.Right - rightClip);
    }
    if (in.FrameKind == TFrameKind::DialogFrame && title.TextAlignment == 0) r.Left -= 16;
    TTitleLayout out;
    out.TitleRect = {r.Left, in.Caption.Top, r.Right, in.Caption.Bottom};
    out.TextRect = {r.Left + title.TextBackLeft, r.Top, r.Right - title.TextBackRight, r.Bottom};
    return out;
}

int TitleWidth(const TDataSkinTitle& title, int textWidth) {
    return title.LeftWidth + textWidth + title.RightWidth;
}

TRect NcClientRect(int x, int y, int cx, int cy, const TBorders& borders, int menuBarHeight) {
    return {x + borders.Left, y + borders.Top + menuBarHeight, x + cx - borders.Right,
            y + cy - borders.Bottom};
}

int NcHitTest(int previous, int y, int borderTop, bool hasMenuBar) {
    if (previous != kHtNowhere && previous != kHtCaption) return previous;
    if (y < 3) return kHtCaption;
    if (y >= borderTop && hasMenuBar) return kHtMenu;
    return previous;
}

TBitmap32 BorderStrip(const TDataSkinBorder& border, int width, int height, bool stacked, bool active) {
    const int frames = std::max(1, border.FrameCount);
    const int frameNo = active || frames == 1 ? 1 : 2;
    // Borders read Tile the other way round from the controls: 1 stretches the middle.
    return BuildElementBitmap(width, height, border.Bitmap, border.Margins(), stacked, border.Tile != 1,
                              frames, frameNo);
}

const TBitmap32& TBorderStripCache::Get(const TDataSkinBorder& border, int width, int height, bool stacked,
                                        bool active) {
    // An element with one frame looks the same active or not.
    const bool frameActive = active || border.FrameCount <= 1;
    for (Entry& e : entries_) {
        if (e.Border != &border || e.Stacked != stacked || e.Active != frameActive) continue;
        if (e.Image.Width() != width || e.Image.Height() != height) {
            e.Image = BorderStrip(border, width, height, stacked, frameActive);
            ++builds_;
        }
        return e.Image;
    }
    entries_.push_back(
        {&border, stacked, frameActive, BorderStrip(border, width, height, stacked, frameActive)});
    ++builds_;
    return entries_.back().Image;
}

std::vector<TRect> OpaqueRuns(const TBitmap32& bitmap, int dx, int dy, TColor key, int tolerance) {
    auto inRange = [tolerance](int value, int low) {
        return value >= low && value <= std::min(255, low + tolerance);
    };
    const int kr = ColourRed(key), kg = ColourGreen(key), kb = ColourBlue(key);
    std::vector<TRect> runs;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint32_t* row = bitmap.ScanLine(y);
        int start = -1;
        for (int x = 0; x <= bitmap.Width(); ++x) {
            bool isKey = true;
            if (x < bitmap.Width()) {
                const TColor c = TColor(row[x] & 0xFFFFFF);
                isKey =
                    inRange(ColourRed(c), kr) && inRange(ColourGreen(c), kg) && inRange(ColourBlue(c), kb);
            }
            if (!isKey && start < 0) start = x;
            if (isKey && start >= 0) {
                runs.push_back({start + dx, y + dy, x + dx, y + 1 + dy});
                start = -1;
            }
        }
    }
    return runs;
}

} // namespace frame
