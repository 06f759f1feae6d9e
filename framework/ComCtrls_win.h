#pragma once
// Common controls: progress bar, status bar, and the page control with its tab sheets.
#include <string>
#include <vector>

#include "framework/Controls_win.h"

class TProgressBar : public TWinControl {
public:
    std::string ClassName() const override { return "TProgressBar"; }
    using TWinControl::TWinControl;
    void SetMax(int max);
    void SetPosition(int position);
    int Max() const { return max_; }
    int Position() const { return position_; }

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWnd() override;

private:
    int max_ = 100;
    int position_ = 0;
};

class TStatusBar : public TWinControl {
public:
    std::string ClassName() const override { return "TStatusBar"; }
    using TWinControl::TWinControl;
    // One panel of the given width; the panel's text is also the window's text.
    void SetPanelWidth(int width) { panelWidth_ = width; }
    void SetPanelText(const std::wstring& text);
    std::wstring PanelText() const { return panelText_; }

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWnd() override;

private:
    int panelWidth_ = 50;
    std::wstring panelText_;
};

class TPageControl;

class TTabSheet : public TWinControl {
public:
    std::string ClassName() const override { return "TTabSheet"; }
    TTabSheet(TComponent* owner, TPageControl* pageControl, const std::wstring& caption);
    TPageControl* PageControl() const { return pageControl_; }

protected:
    void CreateParams(TCreateParams& params) override;

private:
    TPageControl* pageControl_;
};

class TPageControl : public TWinControl {
public:
    std::string ClassName() const override { return "TPageControl"; }
    using TWinControl::TWinControl;
    size_t PageCount() const { return pages_.size(); }
    TTabSheet* Pages(size_t i) const { return pages_.at(i); }
    void SetActivePage(size_t index);
    size_t ActivePageIndex() const { return active_; }
    // Takes page `index` off and frees it (its tab goes too); the active page stays where it was.
    void RemovePage(size_t index);

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWnd() override;
    bool HandleNotify(NMHDR* header, LRESULT& result) override;

private:
    friend class TTabSheet;
    void AddPage(TTabSheet* page);
    void LayoutPages();
    std::vector<TTabSheet*> pages_;
    size_t active_ = 0;
};
