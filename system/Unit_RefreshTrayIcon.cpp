#include "system/Unit_RefreshTrayIcon.h"

int ClassifyWindowsVersion(unsigned platformId, unsigned major, unsigned minor) {
    if (platformId == kPlatformWin32Windows) {
        if (major == 4 && minor == 0) return 1;
        if (major == 4 && minor == 10) return 2;
        if (major == 4 && minor == 90) return 3;
        return 0;
    }
    if (platformId == kPlatformWin32NT) {
        if (major == 3) return 4;
        if (major == 4) return 5;
        if (major == 5 && minor == 0) return 6;
        if (major == 5 && minor == 1) return 7;
        if (major == 5 && minor == 2) return 8;
        return 0;
    }
    return 0;
}

std::vector<std::string> TraySweepPath(int versionCode) {
    std::vector<std::string> path{"TrayNotifyWnd"};
    if (versionCode == 7 || versionCode == 8) path.push_back("SysPager");
    if (versionCode == 6 || versionCode == 7 || versionCode == 8) path.push_back("ToolbarWindow32");
    return path;
}

long long SweepClientPoints(int right, int bottom, const std::function<bool(int x, int y)>& visit) {
    long long visited = 0;
    for (int x = 1; x < right; ++x) {
        for (int y = 1; y < bottom; ++y) {
            ++visited;
            if (!visit(x, y)) return visited;
        }
    }
    return visited;
}
