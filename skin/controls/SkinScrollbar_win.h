#pragma once
// Controls with scroll bars (memos, list boxes, list views, drop-down lists): the control keeps its
// own scroll bars and scrolls as always; panels of class TWScrollbar lie over them, painted from
// the skin's scroll-bar elements, and hand presses on to the control.
#include <array>
#include <memory>

#include "skin/controls/SkinControl_win.h"
#include "skin/rules/SkinControlLayout.h"

class TSkinScrollbar;

// The framework's notice that a control's scroll bars were rebuilt (passed on to the form).
constexpr UINT ScrollBarsRebuiltNotice = 0xB033;

// Which of a control's scroll bars an overlay covers.
enum class TScrollBarSide { Horizontal, Vertical };

// One overlay over one of the control's own scroll bars.
class TWScrollbar : public TWinControl {
public:
    TWScrollbar(TSkinScrollbar& skin, TScrollBarSide side, HWND parentWindow);
    ~TWScrollbar() override;
    std::string ClassName() const override { return "TWScrollbar"; }
    bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    TScrollBarSide Side() const { return side_; }
    bool Vertical() const { return side_ == TScrollBarSide::Vertical; }
    // Over the native bar when the control shows it, else hidden.
    void Place();
    // Repaints when the bar looks different from the last paint (or always with `force`).
    void Refresh(bool force);
    bool Shown() const { return handle_ && ::IsWindowVisible(handle_); }
    skinctl::TScrollPart Hot() const { return hot_; }
    bool Pressed() const { return pressed_; }
    // The look of the bar as it would be painted now; false when it is not to be painted.
    bool CurrentLook(skinctl::TScrollbarLook& look, SCROLLBARINFO& info) const;

protected:
    void CreateParams(TCreateParams& params) override;
    HWND ParentHandle() override { return parentWindow_; }

private:
    bool ReadInfo(SCROLLBARINFO& info) const;
    int Along(POINT client) const;
    void Paint(HDC dc);
    void Press(LPARAM lParam);
    TSkinScrollbar& skin_;
    TScrollBarSide side_;
    HWND parentWindow_;
    int arrow_;
    skinctl::TScrollPart hot_ = skinctl::spNone;
    bool pressed_ = false;
    POINT pressPoint_{};
    int pressThumbStart_ = 0;
    // What the last paint showed, to repaint only on a change.
    SCROLLBARINFO shown_{};
    // Cleared when the overlay goes, for the code that runs after the system's modal tracking.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TSkinScrollbar : public TSkinControl {
public:
    explicit TSkinScrollbar(TComponent* owner) : TSkinControl(owner) {}
    ~TSkinScrollbar() override;
    void AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                       bool changeColour) override;
    void AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form) override;
    void Unskin() override;
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;
    // The scroll-bar skins' own attach: `single` keeps the control's border its own.
    virtual void AttachScrollControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                                     bool single);

    TWScrollbar* Overlay(TScrollBarSide side) const { return overlays_[std::size_t(side)].get(); }
    bool KeepsBorder() const { return keepBorder_; }

protected:
    // Which of the control's bars get an overlay.
    virtual bool WantsBar(TScrollBarSide) const { return true; }
    // Whether the control keeps painting its border itself whatever its style.
    virtual bool KeepsOwnBorder() const { return false; }

private:
    void MakeOverlays();
    void PlaceOverlays();
    void PaintBorder(HDC dc);
    std::array<std::unique_ptr<TWScrollbar>, 2> overlays_;
    bool keepBorder_ = false;
};

// Controls with only a horizontal bar skinned (the vertical one is left to the system).
class TSkinScrollbarH : public TSkinScrollbar {
public:
    explicit TSkinScrollbarH(TComponent* owner) : TSkinScrollbar(owner) {}

protected:
    bool WantsBar(TScrollBarSide side) const override { return side == TScrollBarSide::Horizontal; }
};

// List views: both bars; the view draws its own border and header.
class TSkinListView : public TSkinScrollbar {
public:
    explicit TSkinListView(TComponent* owner) : TSkinScrollbar(owner) {}

protected:
    bool KeepsOwnBorder() const override { return true; }
};

// The drop-down list of a combo box: its vertical bar; the list's thin frame stays its own.
class TComboxScrollBar : public TSkinScrollbar {
public:
    explicit TComboxScrollBar(TComponent* owner) : TSkinScrollbar(owner) {}

protected:
    bool WantsBar(TScrollBarSide side) const override { return side == TScrollBarSide::Vertical; }
    bool KeepsOwnBorder() const override { return true; }
};

// Scroll boxes: both bars; the box's border is its own.
class TSkinScControl : public TSkinScrollbar {
public:
    explicit TSkinScControl(TComponent* owner) : TSkinScrollbar(owner) {}

protected:
    bool KeepsOwnBorder() const override { return true; }
};
