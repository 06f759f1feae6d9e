#pragma once
// Media players. There is no media player control in this program; TWMediaPlayer is the panel
// that stands in for one: a row of play, pause, stop, previous, next and eject buttons, of which a
// set is shown and a set enabled, reporting clicks. Its class name is the one the mapping knows
// for media players. TSkinMP paints its buttons from the Buttons element (normal, hot, pressed,
// disabled) with simple glyphs in the ButtonText colour.
#include <functional>

#include "framework/Controls_win.h"
#include "skin/controls/SkinFamily_win.h"
#include "skin/rules/SkinFamily.h"

class TWMediaPlayer : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TMediaPlayer"; }

    TMPButtonSet VisibleButtons() const { return visible_; }
    void SetVisibleButtons(TMPButtonSet buttons);
    TMPButtonSet EnabledButtons() const { return enabled_; }
    void SetEnabledButtons(TMPButtonSet buttons);
    bool ButtonEnabled(int button) const;

    // A button was clicked (pressed and released over it while enabled).
    std::function<void(TMPBtnType)> OnButtonClick;

    int HotButton() const { return hot_; }
    int PressedButton() const { return pressed_; }
    std::vector<TMPButtonPlace> Layout() const;

    bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    void PaintPlain(HDC dc);

    TMPButtonSet visible_ = kMPAllButtons;
    TMPButtonSet enabled_ = kMPAllButtons;
    int hot_ = -1;
    int pressed_ = -1;
};

// A media button's glyph in `colour`, centred in `rect`.
void DrawMPGlyph(HDC dc, const RECT& rect, TMPBtnType button, COLORREF colour);

class TSkinMP : public TSkinPartControl {
public:
    using TSkinPartControl::TSkinPartControl;
    void PaintTo(HDC dc, const RECT& rect) override;
    // The Buttons frame `button` shows now.
    int ButtonFrame(int button) const;

protected:
    int PartAt(LPARAM lParam) const override;
    // Only the stand-in's buttons are known; with a Buttons image the skin paints them.
    bool PaintsItself() const override;

private:
    TWMediaPlayer* Player() const;
};
