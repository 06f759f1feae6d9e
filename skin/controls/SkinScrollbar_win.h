#pragma once
// Controls with scroll bars (memos, list boxes, list views, drop-down lists): the control keeps its
// own scroll bars and scrolls as always; panels of class TWScrollbar lie over them, painted from
// the skin's scroll-bar elements, and hand presses on to the control.
#include <array>
#include <memory>

#include "skin/rules/SkinControlLayout.h"
#include "skin/controls/SkinControl_win.h"

class TSkinScrollbar;

// The framework's notice that a control's scroll bars were rebuilt (passed on to the form).
constexpr UINT ScrollBarsRebuiltNotice = 0xB033;

// One overlay: over the control's horizontal bar (kind 0), its vertical bar (kind 1), or a
// stand-alone scroll-bar control (kind 2).
class TWScrollbar : public TWinControl {
public:
    TWScrollbar(TSkinScrollbar& skin, int kind, HWND parentWindow);
    ~TWScrollbar() override;
    std::string ClassName() const override { return "TWScrollbar"; }
    bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    int Kind() const { return kind_; }
    bool Vertical() const;
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
    int kind_;
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
    void AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin, bool changeColour) override;
    void AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form) override;
    void Unskin() override;
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;
    // The scroll-bar skins' own attach: `single` keeps the control's border its own.
    virtual void AttachScrollControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin, bool single);

    TWScrollbar* Overlay(int kind) const { return overlays_[std::size_t(kind)].get(); }
    bool KeepsBorder() const { return keepBorder_; }

protected:
    // Which of the control's bars get an overlay (0 horizontal, 1 vertical).
    virtual bool WantsBar(int kind) const { return kind == 0 || kind == 1; }
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
    bool WantsBar(int kind) const override { return kind == 0; }
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
    bool WantsBar(int kind) const override { return kind == 1; }
    bool KeepsOwnBorder() const override { return true; }
};

// Scroll boxes: both bars; the box's border is its own.
class TSkinScControl : public TSkinScrollbar {
public:
    explicit TSkinScControl(TComponent* owner) : TSkinScrollbar(owner) {}

protected:
    bool KeepsOwnBorder() const override { return true; }
};
