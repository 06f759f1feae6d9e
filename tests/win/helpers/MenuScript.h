#pragma once
// Drives open menus from a timer: a menu's modal loop keeps the test thread until the menu closes,
// so what the test does inside it runs as steps of a script. Every menu loop of the tests runs
// under one, which also bounds it.
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "skin/menus/WinSkinMenu_win.h"

inline HWND OpenMenuWindow() {
    HWND wnd = ::FindWindowW(L"#32768", nullptr);
    return wnd && ::IsWindowVisible(wnd) ? wnd : nullptr;
}

// Steps run one after the other from a timer while menus are open: each returns true when it is
// done. The timer also notes every drop-down index of a skinned menu bar that opens.
struct MenuScript {
    std::vector<std::function<bool()>> steps;
    size_t next = 0;
    std::vector<int> opened;
    UINT_PTR timer = 0;
    int ticks = 0;
};
inline MenuScript* g_script = nullptr;

inline void CALLBACK RunScript(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_script) return;
    // A script that stalls must not leave the test in a modal menu loop: after about ten seconds
    // every open menu is closed (the unfinished script then fails its check).
    if (++g_script->ticks > 500) {
        ::EndMenu();
        return;
    }
    const int open = TWinSkinMenu::OpenIndex();
    if (open >= 0 && OpenMenuWindow() && (g_script->opened.empty() || g_script->opened.back() != open))
        g_script->opened.push_back(open);
    if (g_script->next < g_script->steps.size() && g_script->steps[g_script->next]()) ++g_script->next;
}

class ScriptRun {
public:
    explicit ScriptRun(std::vector<std::function<bool()>> steps) {
        script_.steps = std::move(steps);
        g_script = &script_;
        script_.timer = ::SetTimer(nullptr, 0, 20, RunScript);
    }
    ~ScriptRun() {
        ::KillTimer(nullptr, script_.timer);
        g_script = nullptr;
    }
    ScriptRun(const ScriptRun&) = delete;
    ScriptRun& operator=(const ScriptRun&) = delete;
    bool Done() const { return script_.next == script_.steps.size(); }
    const std::vector<int>& Opened() const { return script_.opened; }

private:
    MenuScript script_;
};
