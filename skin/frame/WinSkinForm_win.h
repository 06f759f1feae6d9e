#pragma once
// The skinned frame of one top-level window (a framework form or a system dialog box): it
// subclasses the window, takes over the non-client messages and draws the borders, the caption,
// the title and the caption buttons from the skin, and shapes the window with a region cut from
// the border images. The rules without a window are in SkinFrame.h; this is the Win32 half, in
// one file per job: WinSkinForm_win.cpp (set-up, start, menu bar, letting go), ...Messages_win.cpp,
// ...Paint_win.cpp (size, region, frame and caption) and ...Caption_win.cpp (caption buttons).
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Controls_win.h"
#include "framework/Handle_win.h"
#include "framework/Subclass_win.h"
#include "skin/controls/SkinControlHost_win.h"
#include "skin/menus/NcObject_win.h"
#include "skin/menus/WinSkinMenu_win.h"
#include "skin/rules/SkinFrame.h"
#include "skin/rules/SkinManage.h"

class TForm;
class TTimer;
class TSkinControl;
class TWinSkinForm;

// Private messages of the frame.
constexpr UINT SkinFrameRepaintMessage = 0x3502;
constexpr UINT CaptionActionMessage = 0x3514;
constexpr UINT CaptionVisibilityQuery = 0x3515;
constexpr UINT SkinIdentifyMessage = 0xBC4D;
constexpr UINT SkinAnnounceMessage = 0xBC4E;

// Where a frame is in its life.
enum class TFrameState {
    Waiting,    // attached; starts on SkinStartMessage
    Running,    // started: the skin is painted
    Resizing,   // starting: the window takes the skin's border sizes
    Destroying, // WM_NCDESTROY is being handled
    Dead,       // the window has gone; the object waits to be freed
};

// A caption button of the skin.
class TWinSysButton : public TNCObject {
public:
    TWinSysButton(TWinSkinForm& frame, const TDataSkinSysButton& element);
    void Repaint() override;
    const TDataSkinSysButton& Element;
    int HoverMs = 0;

private:
    TWinSkinForm& form_;
};

class TWinSkinForm : public TComponent, public TSkinnedFrame, public TSkinControlHost, public TMenuBarHost {
public:
    // `manager`: the skin manager that attaches the frame and keeps it in its list.
    TWinSkinForm(TComponent* owner, HWND window, TSkinData* skin, std::string className,
                 TSkinManage* manager);
    ~TWinSkinForm() override;

    // Set-up for a framework form (its message handler is wrapped too) or for a plain window.
    void SetUpForm(TForm* form);
    void SetUpPlain();

    // TSkinnedFrame
    TSkinWindow Window() const override { return window_; }
    TSkinData* Source() const override { return skin_; }
    bool Dead() const override { return skinState_ == TFrameState::Dead; }
    bool OwnModule() const override;
    void DetachFrame() override;
    void ReleaseWindow() override;
    void ApplySkinMetrics() override;
    void RepaintFrame() override;
    void SizeGripCreated(TSkinWindow) override {}

    // For the menu bar, the controls and the tests.
    // TMenuBarHost
    const frame::TBorders& Borders() const override { return borders_; }
    int MenuBarHeight() const override { return menuBarHeight_; }
    bool IsActive() const override { return isActive_; }
    bool FrameRunning() const override { return skinState_ == TFrameState::Running; }
    TNCObject* CurrentNcObject() const override { return currentNc_; }
    void SetCurrentNcObject(TNCObject* object) override { currentNc_ = object; }
    void ResetCaptionHint() override;

    // TSkinControlHost
    HWND HostWindow() const override { return window_; }
    TSkinData* HostSkin() const override { return skin_; }
    TForm* HostForm() const override { return form_; }
    TComponent& HostComponent() override { return *this; }
    void RegisterControl(TSkinControl* control) override;
    void UnregisterControl(TSkinControl* control) override;
    const std::vector<TSkinControl*>& SkinnedControls() const override { return controls_; }
    TSkinControl* MakeSubSkin(TSkinWrapperKind kind, TComponent* owner) override;

    HFONT CaptionFont() const { return captionFont_.get(); }
    TFrameState SkinState() const { return skinState_; }
    frame::TFrameKind FrameKind() const { return frameKind_; }
    bool FrameSkinned() const { return frameSkinned_; }
    const std::vector<std::unique_ptr<TWinSysButton>>& CaptionObjects() const { return captionObjects_; }
    void PaintCaptionButton(TWinSysButton& button);

    TForm* Form() const { return form_; }
    // The skinned menu bar, when the window had a native menu.
    TWinSkinMenu* MenuBar() const { return menuBar_.get(); }

private:
    LRESULT FrameWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT PassOn(UINT msg, WPARAM wParam, LPARAM lParam);
    bool FormProcHook(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool FrameMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool NonClientMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void CommonSetUp();
    void InstallWindowProc();
    void RestoreHandlers();
    void Start();
    // Frees the control skins; `restore` gives each control its own look back first.
    void FreeControls(bool restore);
    // The pictures this window's skin holds, to the debug report (support and the benchmark).
    void ReportHeldMemory() const;
    void ResizeForSkin(bool keepCurrentClient);
    void BuildFrameRegion(bool force = false);
    void PaintFrame(HDC dc);
    void PaintCaption(HDC dc, int width, int height);
    void LayoutCaptionButtons(const TRect& titleRect, int windowWidth);
    void ReadIcon();
    std::wstring WindowText() const;
    // Width of " " + the window text + "  " in the caption font.
    int TitleTextWidth() const;
    POINT ToWindowPoint(POINT screen) const;
    TNCObject* FindNcObjectAt(POINT windowPoint) const;
    TWinSysButton* CaptionButtonAt(POINT windowPoint) const;
    // Menu-bar pieces: the bar made at set-up, a button pressed open, owner-drawn menu items.
    void CreateMenuBar();
    void OpenMenuBarButton(TMenuBtn& button);
    bool MenuTracking() const;
    bool MenuItemMessage(UINT msg, LPARAM lParam, LRESULT& result);
    void FreeMenus(bool restoreNative);
    frame::TCaptionState CaptionState() const;
    void HoverTick();
    void RunCaptionAction(TWinSysButton& button, POINT releasePoint);
    void ShowSkinSystemMenu(POINT screenPoint);
    void SetHoverTimer(bool running);
    static RECT OuterRect(HWND window);
    bool Maximised() const { return showState_ == frame::TShowState::Maximised; }
    bool Minimised() const { return showState_ == frame::TShowState::Minimised; }

    // A multi-document frame (it holds an "MDIClient") or child.
    enum class TWindowKind { Plain, MdiFrame, MdiChild };

    HWND window_;
    TSkinData* skin_;
    std::string className_;
    TSkinManage* manager_;
    TForm* form_ = nullptr;
    TWinControl::TMessageHandler previousHandler_;
    bool handlerInstalled_ = false;
    TWindowSubclass subclass_;
    bool ownModule_ = false;

    unique_hfont captionFont_;
    unique_hbrush faceBrush_;
    TTimer* hoverTimer_ = nullptr;
    RECT clientRect_{};
    SIZE nativeExtents_{};
    frame::TBorders borders_;
    frame::TBorderStripCache strips_;
    int menuBarHeight_ = 0;
    int rightButtonsExtent_ = 0;
    TRect titleRect_;
    DWORD lastIconClick_ = 0;
    UINT doubleClickTime_ = 500;
    std::uint8_t styleBits_ = 0;
    TWindowKind windowKind_ = TWindowKind::Plain;
    frame::TFrameKind frameKind_ = frame::TFrameKind::Sizeable;
    frame::TShowState showState_ = frame::TShowState::Normal;
    TFrameState skinState_ = TFrameState::Waiting;
    bool isActive_ = false;
    bool frameSkinned_ = false;
    bool rightToLeft_ = false;
    bool dialogLike_ = false;
    bool child_ = false;
    DWORD savedStyle_ = 0;
    HWND owner_ = nullptr;
    HMENU systemMenu_ = nullptr;
    std::vector<std::unique_ptr<TWinSysButton>> captionObjects_;
    TNCObject* currentNc_ = nullptr;
    SIZE regionSize_{-1, -1};
    TBitmap32 icon_;
    std::vector<TSkinControl*> controls_;
    std::unique_ptr<TWinSkinMenu> menuBar_;
    unique_hmenu skinSystemMenu_;
};
