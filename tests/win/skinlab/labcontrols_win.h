#pragma once
// The skin lab's page of controls: one of every control family the skins draw, on one form at a
// fixed place, and the report lines that tell which of them the skin took.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handle_win.h"

class TComponent;
class TForm;

class TLabControls {
public:
    // The form "控件页 Controls" (window class TLabControls) with all its controls; owned by `owner`.
    explicit TLabControls(TComponent* owner);
    // The form goes first, then the font it shows.
    ~TLabControls();
    TLabControls(const TLabControls&) = delete;
    TLabControls& operator=(const TLabControls&) = delete;
    TForm* Form() const { return form_; }
    // The page's controls in the order they were made (framework controls and bare windows).
    const std::vector<HWND>& Controls() const { return controls_; }
    // One line per control: window class, answer to the skin query, 0, window rectangle, client
    // size (the fields of the lab's other report lines).
    std::string Report() const;

private:
    HWND Common(const char* name, const wchar_t* windowClass, DWORD style, int x, int y, int w, int h);
    HWND Bare(const wchar_t* windowClass, const wchar_t* text, DWORD style, int x, int y, int w, int h);
    void Add(HWND window) { controls_.push_back(window); }
    void MakeButtons();
    void MakeChecks();
    void MakeTextControls();
    void MakeRanges();
    void MakePages();
    void MakeLists();

    unique_hfont font_;
    TForm* form_ = nullptr;
    std::vector<HWND> controls_;
    int nextId_ = 1000;
};

// The report line of one window: class, skin query answer, whether it has a region, window
// rectangle and client size, tab separated.
std::string LabWindowLine(HWND window);
