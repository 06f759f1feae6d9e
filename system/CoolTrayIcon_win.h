#pragma once
// TCoolTrayIcon: keeps one notification-area icon in step with its properties, turns the shell's
// callbacks into events (TTrayIconLogic), shows the popup menu on the icon, shows balloons,
// animates through an image list and hides the taskbar button and the owner form on request.
// All icons share one hidden window (TTrayIconHandler) that receives the shell's callbacks.
//
// Texts: the std::string overloads take ANSI code page bytes (what the shell record holds); the
// std::wstring overloads take program texts and convert them to the ANSI code page.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Graphics_win.h"
#include "framework/Subclass_win.h"
#include "system/CoolTrayIcon.h"

class TImageList;
class TPopupMenu;
class TCoolTrayIcon;

// Window class of the shared callback window (a hidden top-level window).
constexpr char kTrayIconWindowClass[] = "TTrayIconHandler";

class TTrayIconHandler : public TObject {
public:
    TTrayIconHandler();
    ~TTrayIconHandler() override;
    HWND Handle() const { return window_; }
    int UserCount = 0;

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND window_ = nullptr;
};

// The shared handler, or null while no tray icon exists.
TTrayIconHandler* TrayIconHandler();
// The message number of "TaskbarCreated" (0 when the common controls are older than 4.71).
UINT TaskbarCreatedMessage();

class TCoolTrayIcon : public TComponent, private TTrayIconHost, public TTrayIconLogic {
public:
    explicit TCoolTrayIcon(TComponent* owner);
    ~TCoolTrayIcon() override;

    const TIcon& Icon() const { return icon_; }
    // Copies the icon's image into the owned icon.
    void SetIcon(const TIcon& icon);
    TImageList* IconList() const { return iconList_; }
    void SetIconList(TImageList* list);
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool visible);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu);
    using TTrayIconLogic::SetHint;
    void SetHint(const std::wstring& hint);
    bool DesignPreview = false; // only a visual designer would look at it

    TNotifyEvent OnMinimizeToTray;
    TStartupEvent OnStartup;

    bool PutBalloon(const std::string& title, const std::string& text, BalloonIconKind iconKind,
                    unsigned char timeoutSeconds);
    bool PutBalloon(const std::wstring& title, const std::wstring& text, BalloonIconKind iconKind,
                    unsigned char timeoutSeconds);
    void ClearBalloon();

    void HideAppButton();
    void HideOwnerForm();
    void PopupAt(int x, int y) override;
    using TTrayIconLogic::PopupAtPointer;

    virtual bool UseStockIcon();
    virtual bool AddTrayEntry();
    virtual bool RemoveTrayEntry();
    bool RefreshTrayEntry() override;
    virtual void SendToTray();

    void Loaded() override;

    // The record passed to the shell, and this icon's identifier in it.
    const NOTIFYICONDATAA& TrayRecord() const { return trayRecord_; }
    UINT TrayId() const { return trayRecord_.uID; }

    // Hooks: the owner form's subclassed procedure and the application window's hook call these.
    bool OwnerFormHook(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void AppWindowHook(UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    // TTrayIconHost
    bool ReadPointer(int& x, int& y) override;
    TShiftState ReadShiftState() override;
    unsigned DoubleClickTimeMs() override;
    bool HasPopupMenu() override;
    bool PopupAutoPopup() override;
    void ForegroundHandlerWindow() override;
    void ClickDefaultMenuItem() override;
    int IconListCount() override;
    void ShowListImage(int index) override;

    bool FillTrayRecord();
    bool NotifyShell(DWORD message);
    HWND OwnerWindow() const;
    static HWND AppWindow();

    NOTIFYICONDATAA trayRecord_{};
    TIcon icon_;
    TImageList* iconList_ = nullptr;
    TPopupMenu* popupMenu_ = nullptr;
    bool iconVisible_ = false;
    bool awaitingMainForm_ = true;
    bool previewInProgress_ = false;
    // The application window's messages reach AppWindowHook through this.
    TWindowSubclass appSubclass_;
    HWND hookedForm_ = nullptr;
    // The owner form's messages reach OwnerFormHook through this.
    TWindowSubclass formSubclass_;
};
