#pragma once
// The base of the control skins: an object that sits in front of one control's message handling
// (a framework control's message handler, or a bare window's procedure through the subclass
// chain), lets the control do its own work and replaces its painting by drawing from the skin.
// The wrapped control owns its skin, so the skin dies with the control; the skinned form keeps a
// list of the skins of its window.
#include <windows.h>

#include <string>

#include "framework/Component.h"
#include "framework/Controls_win.h"
#include "framework/Subclass_win.h"
#include "skin/controls/SkinControlHost_win.h"
#include "skin/model/WinSkinData.h"
#include "skin/rules/SkinManage.h" // SkinQueryMessage, which every skinned window answers

// Private messages of the control skins.
constexpr UINT SkinSwitchMessage = 0x3506; // wParam > 0: skin on (and repaint), else off
constexpr UINT TabCloseMessage = 0x3507;   // to the form: (control window, tab index); 0 frees the page
constexpr UINT EditPaintRequest = 0xBC4A;
// The framework's notices that a dialog key went to the control and that the focus moved.
constexpr UINT DialogKeyNotice = 0xB005;
constexpr UINT FocusChangedNotice = 0xB007; // lParam SkinMagic: the previous handler paints into wParam

// The skin's colour `slot` as a plain GDI colour.
COLORREF SkinColourRef(const TSkinData& skin, TSkinColourSlot slot);

class TSkinControl : public TComponent {
public:
    // `owner`: the wrapped framework control, or the form for a bare window.
    explicit TSkinControl(TComponent* owner);
    ~TSkinControl() override;

    // ---- The virtual operations, in their slot order ----
    virtual void AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                               bool changeColour);
    virtual void AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form);
    // Runs once: skinning off, the control's colour given back unless its window is gone.
    virtual void Unskin();
    // Whether the previous handler (and then AfterMessage) still runs; false: handled here, with
    // `result` the answer.
    virtual bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Paints the whole window into `dc`, or into a window device context when `dc` is null.
    virtual void PaintWindow(HDC dc);
    // Paints the control into `dc` at `rect` (the window rectangle moved to the origin).
    virtual void PaintTo(HDC /*dc*/, const RECT& /*rect*/) {}
    virtual void RefreshColours();
    virtual bool Query() const { return true; }
    // Bytes of the pictures this skin keeps between paints.
    virtual std::size_t HeldBytes() const { return 0; }

    // The replacement message handler of the control or window.
    bool SkinMessageProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The message handled by the handler this skin replaced.
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam);

    // Invalidates `Other` when set, else the whole window (with erasing), and updates at once.
    void Repaint();
    // A focus rectangle around `caption` as DrawText lays it out with `format` in `rect`.
    void DrawFocusFrame(HDC dc, UINT format, const RECT& rect);
    void FillFace(HDC dc, const RECT& rect) const;
    // The control's own colour when it has one, else ButtonFace (framework controls have none).
    void FillControlColour(HDC dc, const RECT& rect) const { FillFace(dc, rect); }
    // The parent's background under the control (origin moved, clipped to the control); a
    // failure abandons the painting silently.
    void PaintParentBackground(HDC dc, const RECT& rect) const;

    HWND Window() const { return window_; }
    TWinControl* Control() const { return control_; }
    TSkinData* Skin() const { return skin_; }
    TSkinControlHost* Form() const { return form_; }
    bool SkinningOn() const { return skinningOn_; }
    enum class TLifeState { Unattached, Attached, WindowGone };
    bool Attached() const { return lifeState_ != TLifeState::Unattached; }
    // The caption as last read (wide text).
    const std::wstring& CaptionText() const { return caption_; }
    // Reads the window text now (wide or ANSI by the window's kind).
    std::wstring ReadWindowText() const;

    // An optional other component whose window is invalidated instead of this one.
    TWinControl* Other = nullptr;

protected:
    void RegisterWithForm();
    // A paint message: PaintTo into `dc` when one came with it, else between BeginPaint and
    // EndPaint, over the window rectangle moved to the origin.
    void PaintFromMessage(HDC dc);
    // The background erase of a container: ButtonFace over the whole client area.
    void EraseWithFace(HDC dc) const;
    // For skins that paint the whole control: a paint message goes to PaintFromMessage and the
    // erase is answered 1 (after ButtonFace when `fillOnErase`). True when `msg` was one of them.
    bool HandlePaintMessages(UINT msg, WPARAM wParam, LRESULT& result, bool fillOnErase);
    // Runs at the end of both attach operations.
    virtual void AfterAttach() {}
    // Tag 5555 or the skin's xoTransparent: the parent's background instead of ButtonFace.
    bool TransparentBackgroundWanted() const;

    TWinControl* control_ = nullptr;
    HWND window_ = nullptr;
    bool unicode_ = true;
    TWinControl::TMessageHandler previousHandler_;
    bool handlerInstalled_ = false;
    TWindowSubclass subclass_;
    TSkinData* skin_ = nullptr;
    TSkinControlHost* form_ = nullptr;
    std::wstring caption_;
    bool skinningOn_ = true;
    bool enabled_ = true;
    bool focused_ = false;
    bool changeColour_ = false;
    TLifeState lifeState_ = TLifeState::Unattached;
    RECT windowRect_{};
    bool unskinned_ = false;
};
