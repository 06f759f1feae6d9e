// Window probe for the end-to-end tests: looks at the updater's main window from outside, the way
// a user (or an accessibility tool) would, and prints what it sees as JSON (UTF-8).
//
//   probe dump  [options]                 one snapshot of the form and every descendant control
//   probe watch <ms> <outfile> [options]  one snapshot per line every <ms> until the window is gone
//   probe list  [options]                 every matching top-level window (hwnd, pid, caption)
//   probe exists [options]                exit code 0 when a matching window exists, 1 otherwise
//   probe click <ControlName> [options]   posts a click to the control (BM_CLICK for buttons,
//                                         WM_LBUTTONDOWN/UP at its centre otherwise)
// Options: --pid <n> (Windows process id), --class <name> (default TForm1),
//          --appear <ms> (watch: how long to wait for the window to appear, default 60000).
//
// The probe only reads: it opens no process, keeps no handle and sends only query messages, each
// with a time-out so that a busy window thread cannot hang it.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/win/programs/ProgramSupport.h"
#include "update/ControlIds.h"

namespace {

using namespace program_support;

constexpr UINT kMessageTimeoutMs = 1000;

struct Options {
    std::wstring mode;
    std::vector<std::wstring> args;
    std::wstring className = L"TForm1";
    DWORD pid = 0;
    DWORD appearMs = 60000;
};

struct NamedControl {
    int id;
    const char* name;
};

const NamedControl kControls[] = {
#define PROBE_CONTROL_NAME(name, value) {value, #name},
    UPDATER_CONTROLS(PROBE_CONTROL_NAME)
#undef PROBE_CONTROL_NAME
};

std::wstring ControlName(int id) {
    for (const auto& c : kControls)
        if (c.id == id) return std::wstring(c.name, c.name + std::char_traits<char>::length(c.name));
    return L"id:" + std::to_wstring(id);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t buf[256] = {};
    int n = GetClassNameW(hwnd, buf, 256);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

std::string HwndText(HWND hwnd) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "\"0x%llx\"",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hwnd)));
    return buf;
}

// Sends one query message; after the first time-out the window thread counts as busy and the rest
// of the snapshot is taken without messages.
class Asker {
public:
    bool busy() const { return busy_; }
    bool ask(HWND hwnd, UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
        if (busy_) return false;
        DWORD_PTR r = 0;
        if (!SendMessageTimeoutW(hwnd, msg, w, l, SMTO_ABORTIFHUNG | SMTO_BLOCK, kMessageTimeoutMs, &r)) {
            if (GetLastError() == ERROR_TIMEOUT || GetLastError() == 0) busy_ = true;
            return false;
        }
        result = static_cast<LRESULT>(r);
        return true;
    }
    bool text(HWND hwnd, std::wstring& out) {
        LRESULT len = 0;
        if (!ask(hwnd, WM_GETTEXTLENGTH, 0, 0, len) || len < 0) return false;
        std::vector<wchar_t> buf(static_cast<size_t>(len) + 64, L'\0');
        LRESULT got = 0;
        if (!ask(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), got)) return false;
        if (got < 0) got = 0;
        out.assign(buf.data(), static_cast<size_t>(got) < buf.size() ? static_cast<size_t>(got) : buf.size());
        return true;
    }

private:
    bool busy_ = false;
};

struct Found {
    std::vector<HWND> windows;
    const Options* options;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    if (ClassOf(hwnd) != found->options->className) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (found->options->pid && pid != found->options->pid) return TRUE;
    found->windows.push_back(hwnd);
    return TRUE;
}

std::vector<HWND> FindForms(const Options& options) {
    Found found{{}, &options};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::string RectJson(const RECT& r) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "[%ld,%ld,%ld,%ld]", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return buf;
}

const char* Bool(bool b) {
    return b ? "true" : "false";
}

std::string ControlJson(HWND form, HWND hwnd, Asker& asker) {
    std::wstring cls = ClassOf(hwnd);
    int id = GetDlgCtrlID(hwnd);
    HWND parent = GetParent(hwnd);
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&r), 2);
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);

    std::string j = "{\"name\":" + JsonString(ControlName(id)) + ",\"id\":" + std::to_string(id) +
                    ",\"hwnd\":" + HwndText(hwnd) + ",\"parent\":" +
                    JsonString(parent == form ? std::wstring() : ControlName(GetDlgCtrlID(parent))) +
                    ",\"class\":" + JsonString(cls) + ",\"visible\":" + Bool(IsWindowVisible(hwnd) != FALSE) +
                    ",\"enabled\":" + Bool(IsWindowEnabled(hwnd) != FALSE) + ",\"rect\":" + RectJson(r) +
                    ",\"style\":" + std::to_string(static_cast<unsigned long>(style));

    std::wstring text;
    if (asker.text(hwnd, text)) j += ",\"text\":" + JsonString(text);
    // Whether a control skin draws it (its answer to the skin query; -1 without an answer in time).
    LRESULT skinAnswer = -1;
    if (!asker.ask(hwnd, 0x3523, 0, 0, skinAnswer)) skinAnswer = -1;
    j += ",\"skinned\":" + std::to_string(static_cast<long long>(skinAnswer));

    if (lstrcmpiW(cls.c_str(), L"ListBox") == 0) {
        LRESULT count = 0;
        if (asker.ask(hwnd, LB_GETCOUNT, 0, 0, count) && count >= 0) {
            j += ",\"count\":" + std::to_string(count) + ",\"items\":[";
            for (LRESULT i = 0; i < count; ++i) {
                LRESULT len = 0;
                std::wstring item;
                if (asker.ask(hwnd, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, len) && len >= 0) {
                    std::vector<wchar_t> buf(static_cast<size_t>(len) + 1, L'\0');
                    LRESULT got = 0;
                    if (asker.ask(hwnd, LB_GETTEXT, static_cast<WPARAM>(i),
                                  reinterpret_cast<LPARAM>(buf.data()), got) &&
                        got >= 0)
                        item.assign(buf.data(), static_cast<size_t>(got) <= static_cast<size_t>(len)
                                                    ? static_cast<size_t>(got)
                                                    : static_cast<size_t>(len));
                }
                j += (i ? "," : "") + JsonString(item);
            }
            j += "]";
        }
    } else if (lstrcmpiW(cls.c_str(), PROGRESS_CLASSW) == 0) {
        LRESULT pos = 0, lo = 0, hi = 0;
        if (asker.ask(hwnd, PBM_GETPOS, 0, 0, pos) && asker.ask(hwnd, PBM_GETRANGE, TRUE, 0, lo) &&
            asker.ask(hwnd, PBM_GETRANGE, FALSE, 0, hi))
            j += ",\"position\":" + std::to_string(pos) + ",\"range\":[" + std::to_string(lo) + "," +
                 std::to_string(hi) + "]";
    } else if (lstrcmpiW(cls.c_str(), L"Edit") == 0) {
        j += std::string(",\"readonly\":") + Bool((style & ES_READONLY) != 0);
    } else if (lstrcmpiW(cls.c_str(), WC_TABCONTROLW) == 0) {
        LRESULT sel = 0;
        if (asker.ask(hwnd, TCM_GETCURSEL, 0, 0, sel)) j += ",\"selected\":" + std::to_string(sel);
    }
    return j + "}";
}

std::string FormJson(HWND form, size_t formCount) {
    Asker asker;
    DWORD pid = 0;
    GetWindowThreadProcessId(form, &pid);
    RECT wr{}, cr{};
    GetWindowRect(form, &wr);
    GetClientRect(form, &cr);
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    wchar_t caption[512] = {};
    // InternalGetWindowText reads the stored caption without a message to the window thread.
    InternalGetWindowText(form, caption, 512);

    std::string j =
        "{\"t\":" + std::to_string(UnixNow()) + ",\"form_count\":" + std::to_string(formCount) +
        ",\"hwnd\":" + HwndText(form) + ",\"pid\":" + std::to_string(pid) +
        ",\"class\":" + JsonString(ClassOf(form)) + ",\"caption\":" + JsonString(caption) +
        ",\"visible\":" + Bool(IsWindowVisible(form) != FALSE) +
        ",\"iconic\":" + Bool(IsIconic(form) != FALSE) + ",\"rect\":" + RectJson(wr) + ",\"client\":[" +
        std::to_string(cr.right - cr.left) + "," + std::to_string(cr.bottom - cr.top) +
        "],\"client_origin\":[" + std::to_string(origin.x) + "," + std::to_string(origin.y) + "]" +
        ",\"style\":" + std::to_string(static_cast<unsigned long>(GetWindowLongW(form, GWL_STYLE))) +
        ",\"exstyle\":" + std::to_string(static_cast<unsigned long>(GetWindowLongW(form, GWL_EXSTYLE)));
    // Whether the skin engine drew this window's frame: its answer to the skin query (-1 when it
    // did not answer in time) and whether it has a window region.
    LRESULT skinAnswer = -1;
    if (!asker.ask(form, 0x3523, 0, 0, skinAnswer)) skinAnswer = -1;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const bool hasRegion = region && GetWindowRgn(form, region) != ERROR;
    if (region) DeleteObject(region);
    j += ",\"skinned\":" + std::to_string(static_cast<long long>(skinAnswer)) +
         ",\"region\":" + Bool(hasRegion);

    std::vector<HWND> children;
    EnumChildWindows(form, CollectChild, reinterpret_cast<LPARAM>(&children));
    j += ",\"controls\":[";
    bool first = true;
    for (HWND child : children) {
        if (!IsWindow(child)) continue;
        if (!first) j += ",";
        first = false;
        j += ControlJson(form, child, asker);
    }
    j += "],\"responding\":";
    j += Bool(!asker.busy());
    return j + "}";
}

void WriteOut(FILE* f, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fwrite("\n", 1, 1, f);
    std::fflush(f);
}

int Dump(const Options& options) {
    auto forms = FindForms(options);
    if (forms.empty()) {
        WriteOut(stdout, "null");
        return 1;
    }
    WriteOut(stdout, FormJson(forms.front(), forms.size()));
    return 0;
}

int List(const Options& options) {
    auto forms = FindForms(options);
    std::string j = "[";
    for (size_t i = 0; i < forms.size(); ++i) {
        DWORD pid = 0;
        GetWindowThreadProcessId(forms[i], &pid);
        wchar_t caption[512] = {};
        InternalGetWindowText(forms[i], caption, 512);
        j += std::string(i ? "," : "") + "{\"hwnd\":" + HwndText(forms[i]) +
             ",\"pid\":" + std::to_string(pid) + ",\"caption\":" + JsonString(caption) +
             ",\"visible\":" + Bool(IsWindowVisible(forms[i]) != FALSE) + "}";
    }
    WriteOut(stdout, j + "]");
    return 0;
}

// Follows one window: the first that matches. Ends when it is destroyed; a final line says so.
int Watch(const Options& options) {
    if (options.args.size() < 2) return 2;
    DWORD interval = static_cast<DWORD>(std::wcstoul(options.args[0].c_str(), nullptr, 10));
    if (interval < 20) interval = 20;
    FILE* out = _wfopen(options.args[1].c_str(), L"ab");
    if (!out) {
        std::fprintf(stderr, "probe: cannot open %ls\n", options.args[1].c_str());
        return 2;
    }
    ULONGLONG start = GetTickCount64();
    HWND form = nullptr;
    while (!form) {
        auto forms = FindForms(options);
        if (!forms.empty()) {
            form = forms.front();
            break;
        }
        if (GetTickCount64() - start > options.appearMs) {
            WriteOut(out, "{\"t\":" + std::to_string(UnixNow()) + ",\"never_appeared\":true}");
            std::fclose(out);
            return 1;
        }
        Sleep(50);
    }
    while (IsWindow(form)) {
        ULONGLONG began = GetTickCount64();
        std::string snap = FormJson(form, FindForms(options).size());
        if (!IsWindow(form)) break;
        WriteOut(out, snap);
        ULONGLONG spent = GetTickCount64() - began;
        if (spent < interval) Sleep(static_cast<DWORD>(interval - spent));
    }
    WriteOut(out, "{\"t\":" + std::to_string(UnixNow()) + ",\"gone\":true}");
    std::fclose(out);
    return 0;
}

struct ChildByName {
    std::wstring name;
    HWND found = nullptr;
};

BOOL CALLBACK FindChildByName(HWND hwnd, LPARAM param) {
    auto* look = reinterpret_cast<ChildByName*>(param);
    if (ControlName(GetDlgCtrlID(hwnd)) == look->name) {
        look->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

int Click(const Options& options) {
    if (options.args.empty()) return 2;
    auto forms = FindForms(options);
    if (forms.empty()) {
        std::fprintf(stderr, "probe: no window\n");
        return 1;
    }
    ChildByName look{options.args[0]};
    EnumChildWindows(forms.front(), FindChildByName, reinterpret_cast<LPARAM>(&look));
    if (!look.found) {
        std::fprintf(stderr, "probe: no control %ls\n", options.args[0].c_str());
        return 1;
    }
    if (lstrcmpiW(ClassOf(look.found).c_str(), L"Button") == 0) {
        PostMessageW(look.found, BM_CLICK, 0, 0);
    } else {
        RECT r{};
        GetClientRect(look.found, &r);
        LPARAM at = MAKELPARAM((r.right - r.left) / 2, (r.bottom - r.top) / 2);
        PostMessageW(look.found, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(look.found, WM_LBUTTONUP, 0, at);
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: probe dump|list|exists|watch <ms> <outfile>|click <ControlName>"
                         " [--pid N] [--class NAME] [--appear MS]\n");
    return 2;
}

} // namespace

int main() {
    auto argv = SplitCommandLine(GetCommandLineW());
    Options options;
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::wstring& a = argv[i];
        bool hasValue = i + 1 < argv.size();
        if (a == L"--pid" && hasValue) {
            options.pid = static_cast<DWORD>(std::wcstoul(argv[++i].c_str(), nullptr, 10));
        } else if (a == L"--class" && hasValue) {
            options.className = argv[++i];
        } else if (a == L"--appear" && hasValue) {
            options.appearMs = static_cast<DWORD>(std::wcstoul(argv[++i].c_str(), nullptr, 10));
        } else if (options.mode.empty()) {
            options.mode = a;
        } else {
            options.args.push_back(a);
        }
    }
    if (options.mode == L"dump") return Dump(options);
    if (options.mode == L"list") return List(options);
    if (options.mode == L"exists") return FindForms(options).empty() ? 1 : 0;
    if (options.mode == L"watch") return Watch(options);
    if (options.mode == L"click") return Click(options);
    return Usage();
}
