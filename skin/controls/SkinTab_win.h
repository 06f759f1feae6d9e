#pragma once
// Tab controls and page controls drawn from the skin's Tabs element and page picture, their tab
// sheets on the skin's face, and the labels on them on that face too.
#include <string>

#include "framework/Handle_win.h"
#include "skin/controls/SkinControl_win.h"
#include "skin/model/Bitmap.h"
#include "skin/rules/SkinControlLayout.h"

// Labels (static windows) of a container that the skin paints with its face: their background
// becomes the face. Plain labels get the face brush from their WM_CTLCOLORSTATIC; owner-drawn ones
// draw off-screen in their own font and colour and only their background pixels change colour, so
// every glyph stays whole.
class TLabelFace {
public:
    void Refresh(const TSkinData& skin);
    // After the container's own answer to WM_CTLCOLORSTATIC.
    void AfterCtlColor(WPARAM wParam, LPARAM lParam, LRESULT& result) const;
    // WM_DRAWITEM of the container; false when the item is not a label (the message goes on).
    bool DrawItem(TSkinControl& container, WPARAM wParam, LPARAM lParam, LRESULT& result) const;
    HBRUSH Brush() const { return brush_.get(); }

private:
    unique_hbrush brush_;
    COLORREF face_ = 0;
};

class TSkinTab : public TSkinControl {
public:
    explicit TSkinTab(TComponent* owner) : TSkinControl(owner) {}
    void AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                       bool changeColour) override;
    void AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form) override;
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void PaintTo(HDC dc, const RECT& rect) override;
    void RefreshColours() override;
    std::size_t HeldBytes() const override { return tabImage_.Bytes() + pageImage_.Bytes(); }

    skinctl::TTabSide Side() const { return side_; }
    // The tab under a client point, or -1.
    int TabAt(POINT client) const;

protected:
    // The picture of one tab into the strip being composed (as if the tabs were on top, or at
    // the bottom for bottom tabs).
    virtual void DrawTab(HDC dc, const RECT& tab, bool selected, bool hot);
    // Whether the page area gets the page picture.
    virtual bool PaintsPage() const { return true; }
    // Whether the tab under the pointer is tracked (and repainted).
    virtual bool TracksHot() const { return false; }
    TBitmap32 tabImage_;
    TBitmap32 pageImage_;

private:
    void Prepare();
    void SkinUpDown();
    bool CloseMarks() const;
    // The left click on a tab's close mark: true when it was one.
    bool CloseClick(POINT client);
    skinctl::TTabSide side_ = skinctl::tsTop;
    int hot_ = -1;
    TSkinControl* upDown_ = nullptr;
};

// Page controls whose tabs are buttons: the Buttons element, pressed for the selected tab; no page
// picture, the area under the buttons is the face.
class TSkinTabBtn : public TSkinTab {
public:
    explicit TSkinTabBtn(TComponent* owner) : TSkinTab(owner) {}

protected:
    void DrawTab(HDC dc, const RECT& tab, bool selected, bool hot) override;
    bool PaintsPage() const override { return false; }
};

// Tab sets: the tabs alone, from the Tabs element; the rest of the control is the face.
class TSkinTab31 : public TSkinTab {
public:
    explicit TSkinTab31(TComponent* owner) : TSkinTab(owner) {}

protected:
    bool PaintsPage() const override { return false; }
};

// Page controls of the richer kind: as TSkinTab, and the tab under the pointer shows the Tabs
// element's frame 3.
class TSkinAdvPage : public TSkinTab {
public:
    explicit TSkinAdvPage(TComponent* owner) : TSkinTab(owner) {}

protected:
    bool TracksHot() const override { return true; }
};

// Tab sheets: the face colour everywhere, labels on it included.
class TSkinTabSheet : public TSkinControl {
public:
    explicit TSkinTabSheet(TComponent* owner) : TSkinControl(owner) {}
    void AttachControl(TWinControl* control, TSkinControlHost* form, TSkinData* skin,
                       bool changeColour) override;
    void AttachWindow(HWND window, TSkinData* skin, TSkinControlHost* form) override;
    bool BeforeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void AfterMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void RefreshColours() override;

private:
    TLabelFace labels_;
};
