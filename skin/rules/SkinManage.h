#pragma once
// The skin manager: decides which top-level windows get a skinned frame and which popup menus a
// skinned menu, with which skin data, and runs the skin data components' deferred requests. It
// sees windows only through TSkinWindowSystem, so every decision here runs and is tested without
// a window system; the Win32 side feeds it the thread's window-hook events and does what it asks.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "skin/model/SkinManagerApi.h"

class TComponent;
class TSkinData;

// A window of the window system (an HWND on Windows).
using TSkinWindow = void*;

// Private messages of the skin engine.
constexpr std::uint32_t SkinQueryMessage = 0x3523; // answered 1 by a window that is skinned
constexpr std::uint32_t SkinStartMessage = 0x3503; // posted after a frame is attached (lParam 1000)

// What the manager keeps of an attached frame.
class TSkinnedFrame {
public:
    virtual ~TSkinnedFrame() = default;
    virtual TSkinWindow Window() const = 0;
    virtual TSkinData* Source() const = 0;
    // The window has gone (WM_NCDESTROY); the object waits to be freed.
    virtual bool Dead() const = 0;
    // Attached to a window of this module (not of another module in the process).
    virtual bool OwnModule() const = 0;
    // Skin switched off while the window lives: the native frame back, redrawn plainly.
    virtual void DetachFrame() = 0;
    // The manager goes first: let go of the window without touching its look.
    virtual void ReleaseWindow() = 0;
    // The skin changed: reload the element sizes and caption objects.
    virtual void ApplySkinMetrics() = 0;
    virtual void RepaintFrame() = 0;
    // A size grip was created inside the window.
    virtual void SizeGripCreated(TSkinWindow grip) = 0;
};

// What the manager keeps of a skinned popup-menu window.
class TSkinnedMenu {
public:
    virtual ~TSkinnedMenu() = default;
    virtual TSkinWindow Window() const = 0;
    // Gives the menu window back its own look (it is being destroyed).
    virtual void Restore() = 0;
    // Opened while a menu of a skinned menu bar is tracked.
    virtual void MarkFromMenuBar() = 0;
};

// A form of the screen's form list, as the skin-all request needs it.
struct TScreenForm {
    TComponent* Form = nullptr;
    TSkinWindow Window = nullptr;
    bool Visible = false;
    bool Child = false; // WS_CHILD
};

// Everything the manager asks of the window system.
class TSkinWindowSystem {
public:
    virtual ~TSkinWindowSystem() = default;

    virtual std::string ClassName(TSkinWindow window) const = 0;
    virtual std::uint32_t Style(TSkinWindow window) const = 0;
    virtual std::uint32_t ExStyle(TSkinWindow window) const = 0;
    virtual TSkinWindow Parent(TSkinWindow window) const = 0;
    // Sends SkinQueryMessage (0, 0); true when the window answers 1.
    virtual bool AnswersSkinQuery(TSkinWindow window) const = 0;
    // The framework form of the window (a screen form, else the control object stored under the
    // window's control property), or null.
    virtual TComponent* FindFrameworkForm(TSkinWindow window) const = 0;
    virtual std::int32_t FormTag(TComponent* form) const = 0;
    // The window of a framework form; null when `component` is not a form or has no window.
    virtual TSkinWindow FormWindow(TComponent* component) const = 0;
    virtual bool OwnModule(TSkinWindow window) const = 0;
    virtual bool HasArea(TSkinWindow window) const = 0;
    virtual std::vector<TScreenForm> ScreenForms() const = 0;

    // Attaches a frame; null when it cannot be made. The frame is owned by `form` when given.
    virtual TSkinnedFrame* CreateFrame(TSkinWindow window, TComponent* form, TSkinData* skin,
                                       const std::string& className) = 0;
    virtual void PostSkinStart(TSkinWindow window) = 0;
    // A skinned menu for a popup-menu window; null while menus are not skinned.
    virtual std::unique_ptr<TSkinnedMenu> CreateMenuSkin(TSkinWindow window, TSkinData* skin) = 0;

    virtual void InstallHook() = 0;
    virtual void RemoveHook() = 0;
    // The one-shot action timer: its tick calls TSkinManage::RunPendingAction.
    virtual void SetActionTimer(bool enabled, int intervalMs) = 0;
};

// Window style bits the rules read.
namespace skinstyle {
constexpr std::uint32_t kChild = 0x40000000;
constexpr std::uint32_t kExMdiChild = 0x40;
constexpr std::uint32_t kSizeGrip = 0x10;
constexpr std::uint32_t kSetForeground = 0x200;
} // namespace skinstyle

// Kind of popup menu about to open.
enum TMenuOpenKind : std::int32_t { mkPopup = 0, mkMenuBar = 1, mkSystemMenu = 2 };

// Why TrySkinWindow left a window alone (for tests and the debug report).
enum class TSkinRefusal {
    None,
    NotEnabled,
    AlreadySkinned,
    PlainChild,
    ForeignWindow,
    NoArea,
    DisableTag,
    ExcludedClass,
    Declined,
    NoSkin,
    NotCreated,
};

class TSkinManage : public TSkinManagerApi {
public:
    explicit TSkinManage(TSkinWindowSystem& windows);
    ~TSkinManage() override;
    TSkinManage(const TSkinManage&) = delete;
    TSkinManage& operator=(const TSkinManage&) = delete;

    // ---- Requests of the skin data components ----
    void RegisterSkinData(TSkinData* skinData) override;
    void UnregisterSkinData(TSkinData* skinData) override;
    void InstallCbtHook() override;
    void RequestAction(std::uint32_t code, int intervalMs) override;
    void SetActionRequester(TSkinData* skinData) override { actionRequester_ = skinData; }
    void MarkActive() override { MarkStarted(); }
    bool SkinningEnabled() const override { return skinningEnabled_; }
    void ServeSingleForm() override;
    bool TrySkinOwnerForm(TComponent* owner) override;
    void PurgeSkinnedForms() override;

    // ---- The thread's window events ----
    void WindowCreated(TSkinWindow window);
    void WindowDestroying(TSkinWindow window);
    void WindowActivating(TSkinWindow window);
    // The action timer's tick.
    void RunPendingAction();

    // ---- Frames and menus ----
    bool TrySkinWindow(TSkinWindow window) { return TrySkinWindowWhy(window) == TSkinRefusal::None; }
    TSkinRefusal TrySkinWindowWhy(TSkinWindow window);
    bool TrySkinForm(const TScreenForm& form);
    bool MaySkinWindow(TSkinWindow window, const std::string& className);
    TSkinData* PickSkinData(TSkinWindow window, const std::string& className) const;
    void TrySkinMenuWindow(TSkinWindow window);
    bool DropMenuSkin(TSkinWindow window);
    TSkinnedFrame* FindSkinnedForm(TSkinWindow window) const;
    // A frame tells the manager it is being destroyed.
    void ForgetSkinnedForm(TSkinWindow window);
    // A frame finished its set-up.
    void MarkStarted();
    void UnskinAll();

    // ---- State for the frames and menus ----
    std::int32_t ManagerState() const { return managerState_; }
    bool ScanMode() const { return scanMode_; }
    std::int32_t MenuOpenKind() const { return menuOpenKind_; }
    void SetMenuOpenKind(std::int32_t kind) { menuOpenKind_ = kind; }
    bool MenuBarTracking() const { return menuBarTracking_; }
    void SetMenuBarTracking(bool tracking) { menuBarTracking_ = tracking; }
    bool IsSkinnedMenu(TSkinWindow window) const;
    std::uint32_t PendingAction() const { return pendingAction_; }
    TSkinData* ActionRequester() const { return actionRequester_; }
    TSkinData* MainSkinData() const { return mainSkinData_; }
    const std::vector<TSkinData*>& SkinDatas() const { return skinDatas_; }
    const std::vector<TSkinnedFrame*>& SkinnedForms() const { return skinnedForms_; }
    size_t SkinnedMenuCount() const { return skinnedMenus_.size(); }
    const std::vector<std::unique_ptr<TSkinnedMenu>>& SkinnedMenus() const { return skinnedMenus_; }

private:
    void RemoveAndFree(size_t index, bool detach);
    void SkinAll(TSkinData* requester);
    void UnskinFor(TSkinData* requester);
    void Refresh(TSkinData* requester);
    void PurgeDead();

    TSkinWindowSystem& windows_;
    std::vector<TSkinnedFrame*> skinnedForms_;
    std::vector<std::unique_ptr<TSkinnedMenu>> skinnedMenus_;
    std::vector<TSkinData*> skinDatas_;
    bool skinningEnabled_ = false;
    bool scanMode_ = false;
    std::int32_t managerState_ = 0;
    std::int32_t menuOpenKind_ = mkPopup;
    bool menuBarTracking_ = false;
    std::uint32_t pendingAction_ = 0;
    TSkinData* actionRequester_ = nullptr;
    TSkinData* mainSkinData_ = nullptr;
};

// A window with WS_CHILD that is not a multi-document child of an "MDIClient".
bool IsPlainChild(std::uint32_t style, std::uint32_t exStyle, const std::string& parentClassName);
