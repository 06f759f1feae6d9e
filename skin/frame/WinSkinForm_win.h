#pragma once
// The skinned frame of one top-level window (a framework form or a system dialog box): it
// subclasses the window, takes over the non-client messages and draws the borders, the caption,
// the title and the caption buttons from the skin, and shapes the window with a region cut from
// the border images. The rules without a window are in SkinFrame.h; this is the Win32 half.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Component.h"
#include "framework/Controls_win.h"
#include "framework/Handle_win.h"
#include "framework/Subclass_win.h"
#include "skin/SkinFrame.h"
#include "skin/SkinManage.h"

class TForm;
class TTimer;
class TSkinControl;
class TWinSkinForm;
class TWinSkinMenu;
class TMenuBtn;

// Private messages of the frame.
constexpr UINT SkinFrameRepaintMessage = 0x3502;
constexpr UINT CaptionActionMessage = 0x3514;
constexpr UINT CaptionVisibilityQuery = 0x3515;
constexpr UINT SkinControlNotice = 0x3517;
constexpr UINT FramePaintRequest = 0xBC4B;
constexpr UINT SkinIdentifyMessage = 0xBC4D;
constexpr UINT SkinAnnounceMessage = 0xBC4E;
constexpr LPARAM SkinMagic = 0x41A2;

// An object of the caption (or, later, the menu bar) that reacts to the pointer.
class TNCObject {
public:
    explicit TNCObject(TWinSkinForm& frame) : frame_(frame) {}
    virtual ~TNCObject() = default;
    TNCObject(const TNCObject&) = delete;
    TNCObject& operator=(const TNCObject&) = delete;

    void Press();
    void Release();
    void Hover();
    void Leave();
    virtual void Repaint() {}

    TRect Rect; // whole-window coordinates
    bool Visible = false;
    int State = 1;       // 1 normal, 2 pressed, 3 hot
    bool Enabled = true; // the window style allows the button's command

protected:
    TWinSkinForm& frame_;
};

// A caption button of the skin.
class TWinSysButton : public TNCObject {
public:
    TWinSysButton(TWinSkinForm& frame, const TDataSkinSysButton& element)
        : TNCObject(frame), Element(element) {}
    void Repaint() override;
    const TDataSkinSysButton& Element;
    int HoverMs = 0;
};

class TWinSkinForm : public TComponent, public TSkinnedFrame {
public:
    TWinSkinForm(TComponent* owner, HWND window, TSkinData* skin, std::string className);
    ~TWinSkinForm() override;

    // Set-up for a framework form (its message handler is wrapped too) or for a plain window.
    void SetUpForm(TForm* form);
    void SetUpPlain();

    // TSkinnedFrame
    TSkinWindow Window() const override { return window_; }
    TSkinData* Source() const override { return skin_; }
    bool Dead() const override { return skinState_ == 6; }
    bool OwnModule() const override;
    void DetachFrame() override;
    void ReleaseWindow() override;
    void ApplySkinMetrics() override;
    void RepaintFrame() override;
    void SizeGripCreated(TSkinWindow) override {}

    // For the menu bar, the controls and the tests.
    const frame::TBorders& Borders() const { return borders_; }
    int MenuBarHeight() const { return menuBarHeight_; }
    HFONT CaptionFont() const { return captionFont_.get(); }
    int SkinState() const { return skinState_; }
    int FrameKind() const { return frameKind_; }
    bool FrameSkinned() const { return frameSkinned_; }
    bool IsActive() const { return isActive_; }
    const std::vector<std::unique_ptr<TWinSysButton>>& CaptionObjects() const { return captionObjects_; }
    TNCObject* CurrentNcObject() const { return currentNc_; }
    void SetCurrentNcObject(TNCObject* object) { currentNc_ = object; }
    void PaintCaptionButton(TWinSysButton& button);

    // The control skins of this window: each registers on attachment and leaves on destruction.
    void RegisterControl(TSkinControl* control);
    void UnregisterControl(TSkinControl* control);
    const std::vector<TSkinControl*>& SkinnedControls() const { return controls_; }
    TForm* Form() const { return form_; }
    void ResetCaptionHint();
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
    bool Maximised() const { return showState_ == 1; }
    bool Minimised() const { return showState_ == 2; }

    HWND window_;
    TSkinData* skin_;
    std::string className_;
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
    int windowKind_ = 0;
    int frameKind_ = 0;
    int showState_ = 0;
    int skinState_ = 0;
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
