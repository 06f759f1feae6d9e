// Stand-in for the self-extracting package that the updater runs after installing it. Each start
// appends one line to "<exe stem>.ran.txt" beside the executable: the whole command line as UTF-8,
// then CR LF. The updater runs it with " -y" and does not wait for it.
//
// A GUI-subsystem program: started by the updater, it opens no console.
#include <windows.h>

#include <string>

namespace {

std::wstring MarkerPath() {
    wchar_t buf[MAX_PATH * 2] = {};
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH * 2);
    std::wstring path(buf, n);
    size_t slash = path.find_last_of(L"\\/");
    size_t dot = path.find_last_of(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash)) path.erase(dot);
    return path + L".ran.txt";
}

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                            nullptr);
    return out;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string line = Utf8(GetCommandLineW()) + "\r\n";
    // The updater may still be copying files beside it: retry while the marker is held elsewhere.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE f = CreateFileW(MarkerPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            BOOL ok = WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(f);
            return ok && written == line.size() ? 0 : 2;
        }
        Sleep(100);
    }
    return 1;
}
