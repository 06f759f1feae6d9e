#pragma once
// A form: a top-level window owned by the application window, with the classic create, close and
// destroy events and the framework's own visible flag (separate from the system's window state).
#include <functional>
#include <string>
#include <vector>

#include "framework/Controls_win.h"
#include "framework/Handle_win.h"

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm;
class TMainMenu;
// Every form that exists, in the order they were created (the screen's form list).
const std::vector<TForm*>& ScreenForms();

class TForm : public TWinControl {
public:
    std::string ClassName() const override { return "TForm"; }
    TForm(TComponent* owner, std::wstring className);
    ~TForm() override;

    void SetClientSize(int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    void CenterOnDesktop();
    // The form's menu bar (not owned; null for none). Menu commands run the items' clicks.
    void SetMenu(TMainMenu* menu);
    TMainMenu* Menu() const { return menu_; }

    void SetStayOnTop(bool onTop);
    bool StayOnTop() const { return stayOnTop_; }
    void SetIcons(HICON big, HICON small);
    // The form's font, owned by the form and inherited by its controls.
    void SetFormFont(const std::wstring& face, int height, BYTE charSet);
    HFONT FormFont() const { return formFont_.get(); }

    // Framework visibility: sets the visible flag, shows the window and brings it to the front.
    void Show();
    void Hide();
    // Closes the form: OnClose decides the action; closing the main form ends the application.
    void Close();

    std::function<void(TObject* sender, TCloseAction& action)> OnClose;
    TNotifyEvent OnDestroy;

    bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;
    HWND ParentHandle() override;
    // Derived forms call this first thing in their destructor, so OnDestroy runs while every
    // component of the form is still there.
    void DoDestroy();
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::wstring className_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    bool stayOnTop_ = false;
    bool destroyDone_ = false;
    bool closing_ = false;
    unique_hfont formFont_;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    TMainMenu* menu_ = nullptr;
};
