#pragma once
// The skinned frame's rules that need no window: the frame kind and style bits of a window, the
// border sizes a skin gives it, which caption buttons show and where, where the title goes, the
// client rectangle and hit-test answers, the border images and the rows of a window region. The
// Win32 frame (WinSkinForm_win) gathers the facts, asks here, and paints what comes back.
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "skin/model/Bitmap.h"

class TDataSkinBorder;
class TDataSkinSysButton;
class TDataSkinTitle;
class TSkinData;

namespace frame {

// Window style bits the frame reads.
constexpr std::uint32_t kCaption = 0xC00000;    // WS_CAPTION (border + dialog frame)
constexpr std::uint32_t kThickFrame = 0x40000;  // WS_THICKFRAME
constexpr std::uint32_t kModalFrame = 0x80;     // DS_MODALFRAME
constexpr std::uint32_t kSysMenu = 0x80000;     // WS_SYSMENU
constexpr std::uint32_t kMinimizeBox = 0x20000; // WS_MINIMIZEBOX
constexpr std::uint32_t kMaximizeBox = 0x10000; // WS_MAXIMIZEBOX
constexpr std::uint32_t kPopup = 0x80000000;    // WS_POPUP
constexpr std::uint32_t kExDlgModalFrame = 0x1; // WS_EX_DLGMODALFRAME
constexpr std::uint32_t kExContextHelp = 0x400; // WS_EX_CONTEXTHELP
constexpr std::uint32_t kExLayoutRtl = 0x4000;  // right-to-left reading
constexpr std::uint32_t kExAppWindow = 0x40000; // WS_EX_APPWINDOW
constexpr std::uint32_t kExMdiChild = 0x40;     // WS_EX_MDICHILD

// StyleBits.
constexpr std::uint8_t kBitMaximize = 1;
constexpr std::uint8_t kBitMinimize = 2;
constexpr std::uint8_t kBitContextHelp = 4;
constexpr std::uint8_t kBitSysMenu = 8;
constexpr std::uint8_t kBitKeepStyles = 0x10;

// Hit-test answers.
constexpr int kHtNowhere = 0;
constexpr int kHtCaption = 2;
constexpr int kHtMenu = 5;

enum class TFrameKind { Sizeable, Fixed, Captionless, DialogFrame };
// `dialogLike` is set for the system dialog class and message forms.
TFrameKind FrameKindOf(std::uint32_t style, std::uint32_t exStyle, const std::string& className,
                       bool& dialogLike);
std::uint8_t StyleBitsOf(std::uint32_t style, std::uint32_t exStyle, bool systemMenuKnown);
enum class TShowState { Normal, Maximised, Minimised };
// The show state from a window placement's show command.
TShowState ShowStateOf(int showCommand);
// The show state from WM_SIZE's size type.
TShowState ShowStateOfSizeType(int sizeType);

struct TBorders {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};
// The skinned frame's thickness: each border image's frame size (captionless windows get none).
TBorders BorderSizes(const TSkinData& skin, TFrameKind frameKind);

// What decides whether a caption button shows.
struct TCaptionState {
    bool Maximised = false;
    bool Active = false;
    std::uint8_t StyleBits = 0;
    TFrameKind FrameKind = TFrameKind::Sizeable;
    bool DialogLike = false;
    // A multi-document frame whose active child is maximised, with a skinned menu bar.
    bool MdiChildMaximisedWithMenuBar = false;
    // The window's answer to the visibility query (wParam the code, lParam the action).
    std::function<long(int code, int action)> QueryVisibility;
};
struct TButtonShow {
    bool Visible = false;
    // The style allows the button's command (maximise and minimise need their box and a system
    // menu); other buttons are always enabled.
    bool Enabled = true;
};
TButtonShow CaptionButtonVisible(const TDataSkinSysButton& button, const TCaptionState& state);

// The caption button's cell in window coordinates (`Align` 100 is placed in the menu bar).
TRect CaptionButtonRect(const TDataSkinSysButton& button, int windowWidth, const TRect& titleRect,
                        const TBorders& borders, int menuBarHeight);
// Frame of the button image to draw: 1 normally; 4 (when the image has it) for a button the style
// disables or for any button of an inactive window.
int CaptionButtonFrame(const TDataSkinSysButton& button, bool active, bool enabled);
// The pointer's state of a caption or menu-bar button; the number is the image frame it shows.
enum class TNcState { Normal = 1, Pressed = 2, Hot = 3 };
// Frame of a button in `state`.
int CaptionObjectFrame(const TDataSkinSysButton& button, TNcState state, bool enabled);

// The title's place in the caption rectangle (`caption` in caption-buffer coordinates).
struct TTitleInput {
    TRect Caption;
    int TextWidth = 0;
    int TextHeight = 0;
    int RightButtonsExtent = 0;
    bool RightToLeft = false;
    bool Popup = false;
    TFrameKind FrameKind = TFrameKind::Sizeable;
};
struct TTitleLayout {
    TRect TitleRect; // the text background's place (full caption height)
    TRect TextRect;  // where the text is drawn
};
TTitleLayout LayoutTitle(const TDataSkinTitle& title, const TTitleInput& in);
// The width a dialog needs to show its whole title: TextShift + the text + TextRightClip.
int TitleWidth(const TDataSkinTitle& title, int textWidth);

// WM_NCCALCSIZE: the client rectangle of a window at (x, y) sized cx by cy.
TRect NcClientRect(int x, int y, int cx, int cy, const TBorders& borders, int menuBarHeight);
// WM_NCHITTEST: the answer after the previous window procedure's, for a point `y` pixels below
// the window's top.
int NcHitTest(int previous, int y, int borderTop, bool hasMenuBar);

// A border strip of the window: the element's image fitted to width x height (top and bottom
// stacked), frame 1 when active or when it has one frame only, else frame 2.
TBitmap32 BorderStrip(const TDataSkinBorder& border, int width, int height, bool stacked, bool active);

// The border strips of the frame, each rebuilt only when its size or its frame (active or not)
// changed since it was last asked for. A strip handed out stays valid until it is asked for at
// another size or Clear() is called (after the skin changed).
class TBorderStripCache {
public:
    const TBitmap32& Get(const TDataSkinBorder& border, int width, int height, bool stacked, bool active);
    void Clear() { entries_.clear(); }
    // How many strips were built so far (for the benchmark and the tests).
    int Builds() const { return builds_; }
    std::size_t Bytes() const {
        std::size_t bytes = 0;
        for (const Entry& e : entries_)
            bytes += e.Image.Bytes();
        return bytes;
    }

private:
    struct Entry {
        const TDataSkinBorder* Border;
        bool Stacked;
        bool Active;
        TBitmap32 Image;
    };
    // A deque, so that a strip handed out stays where it is while others are added.
    std::deque<Entry> entries_;
    int builds_ = 0;
};

// The non-key runs of `bitmap` row by row, each a rectangle one pixel high moved by (dx, dy). A
// pixel is key when each channel lies between the key's and the key's plus the tolerance.
std::vector<TRect> OpaqueRuns(const TBitmap32& bitmap, int dx, int dy, TColor key, int tolerance);

} // namespace frame
