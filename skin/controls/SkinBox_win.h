#pragma once
// The container skins: group boxes, panels and embedded forms, dialogs and tool bars, size grips.
#include <windows.h>

#include "framework/Handle_win.h"
#include "skin/controls/SkinControl_win.h"
#include "skin/controls/SkinTab_win.h"

// A group box: ButtonFace inside, a rounded ButtonShadow frame and the caption on ButtonFace at the
// top left (top right for the right-aligned extended style).
class TSkinGroupBox : public TSkinControl {
public:
    explicit TSkinGroupBox(TComponent* owner) : TSkinControl(owner) {}
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;
    void RefreshColours() override;

protected:
    void AfterAttach() override;

private:
    // The labels inside sit on the group's face too.
    TLabelFace labels_;
};

// Panels, navigator bars and embedded forms: ButtonFace behind their children.
class TSkinBox : public TSkinControl {
public:
    explicit TSkinBox(TComponent* owner) : TSkinControl(owner) {}
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// Dialogs and tool bars found as bare windows: ButtonFace behind them, and their plain children
// (labels, check boxes) asked to draw on it too.
class TSkinBoxH : public TSkinControl {
public:
    explicit TSkinBoxH(TComponent* owner) : TSkinControl(owner) {}
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void RefreshColours() override;

private:
    unique_hbrush faceBrush_;
};

// A size grip: ButtonFace with the grip's diagonal ridges in ButtonHilight and ButtonShadow.
class TSkinSizer : public TSkinControl {
public:
    explicit TSkinSizer(TComponent* owner) : TSkinControl(owner) {}
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;
};
