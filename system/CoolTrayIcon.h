#pragma once
// The platform-free half of the tray icon: the rules that turn the shell's callbacks into events
// (single versus double click, enter and leave), the picture index and animation rules, and the
// byte limits of the shell record's text fields. The Windows component (CoolTrayIcon_win.h)
// supplies the shell, the pointer, the images and the menu through TTrayIconHost.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "framework/Component.h"
#include "framework/Events.h"
#include "system/SimpleTimer.h"

enum TMouseButton { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Set over ssShift .. ssDouble, bit i for member i.
using TShiftState = std::uint8_t;
enum TShiftStateBit : TShiftState {
    ssShift = 1 << 0,
    ssAlt = 1 << 1,
    ssCtrl = 1 << 2,
    ssLeft = 1 << 3,
    ssRight = 1 << 4,
    ssMiddle = 1 << 5,
    ssDouble = 1 << 6,
};

using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TCycleEvent = std::function<void(TObject* sender, int nextIndex)>;
using TStartupEvent = std::function<void(TObject* sender, bool& showMainForm)>;

enum BalloonIconKind { bitNone = 0, bitInfo = 1, bitWarning = 2, bitError = 3 };

// The message the shell sends the handler window about an icon.
constexpr unsigned TrayCallbackMessage = 0x0800;

// What the callback's second parameter carries (classic callback protocol).
namespace traymsg {
constexpr unsigned MouseMove = 0x0200;
constexpr unsigned LButtonDown = 0x0201;
constexpr unsigned LButtonUp = 0x0202;
constexpr unsigned LButtonDblClk = 0x0203;
constexpr unsigned RButtonDown = 0x0204;
constexpr unsigned RButtonUp = 0x0205;
constexpr unsigned MButtonDown = 0x0207;
constexpr unsigned MButtonUp = 0x0208;
constexpr unsigned BalloonShow = 0x0402;
constexpr unsigned BalloonHide = 0x0403;
constexpr unsigned BalloonTimeout = 0x0404;
constexpr unsigned BalloonUserClick = 0x0405;
} // namespace traymsg

// Sizes of the shell record's text fields (ANSI bytes, terminator included).
constexpr std::size_t kTrayTipSize = 128;
constexpr std::size_t kTrayInfoSize = 256;
constexpr std::size_t kTrayInfoTitleSize = 64;

// Copies at most fieldSize - 1 bytes of text (cut in bytes) and zero-fills the rest of the field.
void CopyTrayField(const std::string& text, char* field, std::size_t fieldSize);
// The tip as sent: empty unless there is a hint and it is to be shown.
void FillTrayTip(const std::string& hint, bool showHint, char* tip, std::size_t tipSize);
// The shell's balloon icon flag for a BalloonIconKind (NIIF_NONE .. NIIF_ERROR).
std::uint32_t BalloonInfoFlags(int iconKind);
// An index past the end of a list of `count` pictures means the last one.
int ClampIconIndex(int index, int count);
// The index shown after `index` in an animation over `count` pictures.
int NextCycleIndex(int index, int count);

// What the tray logic needs from the platform.
class TTrayIconHost {
public:
    virtual ~TTrayIconHost() = default;
    virtual bool ReadPointer(int& x, int& y) = 0;
    // Shift, Alt and Ctrl as held now.
    virtual TShiftState ReadShiftState() = 0;
    virtual unsigned DoubleClickTimeMs() = 0;
    // Whether a popup menu is set, and whether it pops up by itself.
    virtual bool HasPopupMenu() = 0;
    virtual bool PopupAutoPopup() = 0;
    // Brings the handler window to the foreground (so the menu closes on a click elsewhere).
    virtual void ForegroundHandlerWindow() = 0;
    virtual void PopupAt(int x, int y) = 0;
    // Clicks the menu's default item, if it has one.
    virtual void ClickDefaultMenuItem() = 0;
    // Picture source: -1 without a list, else its picture count.
    virtual int IconListCount() = 0;
    virtual void ShowListImage(int index) = 0;
    // Sends the current picture and tip to the shell (NIM_MODIFY).
    virtual bool RefreshTrayEntry() = 0;
};

// State, properties and events of the tray icon that do not depend on the platform.
class TTrayIconLogic {
public:
    TTrayIconLogic(TObject* sender, TTrayIconHost& host);
    virtual ~TTrayIconLogic();
    TTrayIconLogic(const TTrayIconLogic&) = delete;
    TTrayIconLogic& operator=(const TTrayIconLogic&) = delete;

    bool Enabled = true;
    bool LeftPopup = false;
    bool MinimizeToTray = false;

    int IconIndex() const { return iconIndex_; }
    void SetIconIndex(int index);
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool cycle);
    std::uint32_t CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(std::uint32_t ms);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    bool WantEnterExitEvents() const { return wantEnterExit_; }
    void SetWantEnterExitEvents(bool want);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TCycleEvent OnCycle;
    TNotifyEvent OnBalloonHintShow;
    TNotifyEvent OnBalloonHintHide;
    TNotifyEvent OnBalloonHintTimeout;
    TNotifyEvent OnBalloonHintClick;

    // One shell callback about the icon (its second parameter).
    void HandleTrayCallback(unsigned message);
    void PopupAtPointer();

    // The tickers' work (public so the platform side and tests can see their state).
    void CycleTick();
    void ClickTick();
    void LeaveTick();
    const TSimpleTimer& CycleTicker() const { return cycleTicker_; }
    const TSimpleTimer& ClickTicker() const { return clickTicker_; }
    const TSimpleTimer& LeaveTicker() const { return leaveTicker_; }

    bool PointerOutside() const { return pointerOutside_; }

    // Event dispatchers: each raises its event with the component as sender, if assigned.
    virtual void FireClick();
    virtual void FireDblClick();
    virtual void FireCycle(int nextIndex);
    virtual void FireMouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void FireMouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void FireMouseMove(TShiftState shift, int x, int y);
    virtual void FireMouseEnter();
    virtual void FireMouseExit();

protected:
    TObject* Sender() const { return sender_; }
    void StopTickers();

private:
    void FireNotify(const TNotifyEvent& event);
    void MouseButton(bool down, TMouseButton button, TShiftState buttonBit);

    TObject* sender_;
    TTrayIconHost& host_;
    int iconIndex_ = 0;
    bool cycleIcons_ = false;
    std::uint32_t cycleInterval_ = 0;
    std::string hint_;
    bool showHint_ = true;
    bool wantEnterExit_ = false;

    TSimpleTimer cycleTicker_;
    TSimpleTimer clickTicker_;
    TSimpleTimer leaveTicker_;
    bool buttonDownSeen_ = false;
    bool clickPending_ = false;
    bool doubleClickSeen_ = false;
    bool pointerOutside_ = true;
    int lastPointerX_ = 0;
    int lastPointerY_ = 0;
};
