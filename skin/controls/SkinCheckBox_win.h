#pragma once
// Check boxes, radio buttons and the check or radio boxes of other component families, drawn
// from the Buttons element's check and radio strips.
#include <windows.h>

#include "skin/controls/SkinControl_win.h"
#include "skin/rules/SkinControlMap.h"

// What the check-like skins share: the box from a strip, the caption beside it, ButtonFace (or
// the parent's background) behind. Derived classes say which strip and which frame; none of them
// derives from another, so a check box skin is never taken for a radio skin.
class TSkinCheckLike : public TSkinControl {
public:
    explicit TSkinCheckLike(TComponent* owner) : TSkinControl(owner) {}

    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;

    // The strip frame the last paint showed (0 before the first).
    int LastFrame() const { return lastFrame_; }

protected:
    virtual const TBitmap32& Strip() const = 0;
    virtual int StripFrames() const = 0;
    virtual int ChooseFrame() const = 0;
    // How far in from the right edge the box sits for the left-text style.
    virtual int RightInset() const { return 0; }
    virtual bool FocusFrameWanted() const { return true; }
    void AfterAttach() override { transparent_ = TransparentBackgroundWanted(); }

    bool transparent_ = false;
    // The check state set on the window since attachment (-1: none).
    int setCheckState_ = -1;
    int lastFrame_ = 0;
};

class TSkinCheckBox : public TSkinCheckLike {
public:
    explicit TSkinCheckBox(TComponent* owner) : TSkinCheckLike(owner) {}

protected:
    const TBitmap32& Strip() const override;
    int StripFrames() const override;
    int ChooseFrame() const override;
    // No focus rectangle on Windows 6.x (Vista to 8.1), as that system's own boxes show none.
    bool FocusFrameWanted() const override;
};

class TSkinRadioButton : public TSkinCheckLike {
public:
    explicit TSkinRadioButton(TComponent* owner) : TSkinCheckLike(owner) {}

protected:
    const TBitmap32& Strip() const override;
    int StripFrames() const override;
    int ChooseFrame() const override;
    int RightInset() const override { return 1; }
};

// A check or radio box of another component family: the check kind and the third kind draw from
// the check strip, the radio kind from the radio strip; the state is the window's.
class TSkinObjImage : public TSkinCheckLike {
public:
    TSkinObjImage(TComponent* owner, TObjImageKind kind) : TSkinCheckLike(owner), Kind(kind) {}
    const TObjImageKind Kind;

protected:
    const TBitmap32& Strip() const override;
    int StripFrames() const override;
    int ChooseFrame() const override;
    int RightInset() const override { return Kind == TObjImageKind::Radio ? 1 : 0; }
};
