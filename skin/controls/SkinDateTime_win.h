#pragma once
// Date-time pickers: a ButtonShadow frame around the control, and, for the drop-down kind, a
// TArrowButton laid over the control's own drop-down button that paints ComboxArrow on ButtonFace
// and hands presses on to the control. The up-down kind gets its up-down skinned instead.
#include "framework/Controls_win.h"
#include "skin/controls/SkinFamily_win.h"

class TSkinUpDown;

// The drop-down button of a skinned date-time picker: a child window of the picker over the
// picker's own button.
class TArrowButton : public TWinControl {
public:
    TArrowButton(TComponent* owner, HWND picker, TSkinData* skin);
    std::string ClassName() const override { return "TArrowButton"; }
    bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // 1 normal, 2 hot, 3 pressed or dropped, 4 disabled (the ComboxArrow frames).
    int Frame() const;
    void Paint(HDC dc);

protected:
    void CreateParams(TCreateParams& params) override;
    HWND ParentHandle() override { return picker_; }

private:
    // Hands a mouse message on to the picker, at the same point in the picker's client area.
    void Forward(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND picker_;
    TSkinData* skin_;
    bool hot_ = false;
    bool pressed_ = false;
};

class TSkinDateTime : public TSkinFamilyControl {
public:
    explicit TSkinDateTime(TComponent* owner);
    ~TSkinDateTime() override;

    void Unskin() override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;

    TArrowButton* ArrowButton() const { return arrow_; }
    // The picker's drop-down button in its client area.
    RECT DropButtonRect() const;

protected:
    void AfterAttach() override;

private:
    void PlaceArrow();
    // The arrow button goes, and the picker gets its style back while its window lives.
    void DropArrow();

    TArrowButton* arrow_ = nullptr;
    TSkinUpDown* upDown_ = nullptr;
    bool addedClipChildren_ = false;
};
