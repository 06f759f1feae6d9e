#include "skin/format/SkinRead_win.h"

#include <windows.h>

#include <string>

#include "framework/Text_win.h"
#include "skin/format/SkinRead.h"

namespace {

// Captioned like the runtime's own messages: the executable's name without its extension.
std::wstring ApplicationTitle() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n);
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

} // namespace

void InstallSkinReaderMessageBox() {
    TSkinReader::SetMessageHook([](const std::string& text) {
        MessageBoxW(GetActiveWindow(), AnsiToWide(text).c_str(), ApplicationTitle().c_str(), MB_OK);
    });
}
