#pragma once
// The decisions of the notification-area sweep at close: which Windows version is running, which
// window of the taskbar to sweep for it, and the points to move the pointer over.
#include <functional>
#include <string>
#include <vector>

// GetVersionExA's platform identifiers.
constexpr unsigned kPlatformWin32Windows = 1;
constexpr unsigned kPlatformWin32NT = 2;

// 1: 95, 2: 98, 3: Me, 4: NT 3.x, 5: NT 4, 6: 2000, 7: XP, 8: Server 2003 / XP x64; 0: anything else.
int ClassifyWindowsVersion(unsigned platformId, unsigned major, unsigned minor);

// The window classes to descend through below "Shell_TrayWnd" for a version code, outermost first.
std::vector<std::string> TraySweepPath(int versionCode);

// Calls visit(x, y) for every x from 1 to right - 1 and, within it, every y from 1 to bottom - 1,
// until visit returns false. Returns the number of points visited.
long long SweepClientPoints(int right, int bottom, const std::function<bool(int x, int y)>& visit);
