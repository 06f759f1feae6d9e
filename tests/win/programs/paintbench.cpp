// Paint benchmark of the updater's window, from outside (not a test): repaints the whole visible
// window with every control N times, first as the skin draws it, then with the control skins
// switched off (message 0x3506 with 0, which the skin engine takes from any sender) so that the
// system draws the controls, and prints the median time of one full paint of each (microseconds,
// five rounds). The frame stays skinned in both: its own cost is measured by bench-skin.sh.
//
//   paintbench <paints> <report file> [--wait-position N]
// With --wait-position it waits (up to 90 s) until the window's progress bar stands at N; it asks
// the window to close when done.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr UINT kSkinSwitch = 0x3506;
constexpr UINT kSkinQuery = 0x3523;

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

double MedianPaintMicroseconds(HWND form, int paints) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        for (int i = 0; i < paints; ++i)
            ::RedrawWindow(form, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::QueryPerformanceCounter(&end);
        rounds.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                         static_cast<double>(frequency.QuadPart) / paints);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[2];
}

HWND FindProgressBar(HWND form) {
    std::vector<HWND> children;
    ::EnumChildWindows(form, Collect, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        wchar_t cls[64] = {};
        ::GetClassNameW(child, cls, 64);
        if (std::wcscmp(cls, PROGRESS_CLASSW) == 0) return child;
    }
    return nullptr;
}

// The visible updater window, once its progress bar stands at `position` (any, when negative).
HWND WaitForWindow(long position) {
    for (int i = 0; i < 900; ++i, ::Sleep(100)) {
        HWND form = ::FindWindowW(L"TForm1", nullptr);
        if (!form || !::IsWindowVisible(form)) continue;
        if (position < 0) return form;
        HWND bar = FindProgressBar(form);
        DWORD_PTR pos = 0;
        if (bar && ::SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000, &pos) &&
            static_cast<long>(pos) == position)
            return form;
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const int paints = std::max(1, std::atoi(argv[1]));
    FILE* out = std::fopen(argv[2], "w");
    if (!out) return 2;
    const long position = argc > 4 && std::strcmp(argv[3], "--wait-position") == 0 ? std::atol(argv[4]) : -1;
    HWND form = WaitForWindow(position);
    if (!form) {
        std::fprintf(out, "paintbench: the updater's window was not seen\n");
        std::fclose(out);
        return 1;
    }
    std::vector<HWND> children;
    ::EnumChildWindows(form, Collect, reinterpret_cast<LPARAM>(&children));
    std::vector<HWND> skinned;
    std::size_t visible = 0;
    for (HWND child : children) {
        if (!::IsWindowVisible(child)) continue;
        ++visible;
        DWORD_PTR answer = 0;
        if (::SendMessageTimeoutW(child, kSkinQuery, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) && answer == 1)
            skinned.push_back(child);
    }
    std::fprintf(out, "controls drawn by the skin: %zu of %zu visible\n", skinned.size(), visible);
    const double withSkin = MedianPaintMicroseconds(form, paints);
    for (HWND child : skinned)
        ::SendMessageW(child, kSkinSwitch, 0, 0);
    const double withoutSkin = MedianPaintMicroseconds(form, paints);
    for (HWND child : skinned)
        ::SendMessageW(child, kSkinSwitch, 1, 0);
    std::fprintf(out, "one full paint (frame and every control), controls skinned: %.0f us\n", withSkin);
    std::fprintf(out, "one full paint (frame and every control), controls drawn by the system: %.0f us\n",
                 withoutSkin);
    std::fclose(out);
    ::PostMessageW(form, WM_CLOSE, 0, 0);
    return 0;
}
