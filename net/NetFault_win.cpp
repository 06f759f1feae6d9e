#include "net/NetFault_win.h"

#include <windows.h>

#include "framework/Text_win.h"

namespace {

constexpr unsigned long kFirstInternetCode = 12000, kLastInternetCode = 12999;

std::wstring MessageText(unsigned long code, HMODULE module, DWORD language) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                        (module ? FORMAT_MESSAGE_FROM_HMODULE : FORMAT_MESSAGE_FROM_SYSTEM);
    const DWORD n =
        ::FormatMessageW(flags, module, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    return text;
}

} // namespace

std::string NetErrorText(unsigned long code) {
    if (code == 0) return {};
    // The WinInet texts live in its own module, which every caller of WinInet has loaded.
    HMODULE module =
        code >= kFirstInternetCode && code <= kLastInternetCode ? ::GetModuleHandleA("wininet.dll") : nullptr;
    // The debug log is read by support: English first, the system's language when there is none.
    std::wstring text = MessageText(code, module, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (text.empty()) text = MessageText(code, module, 0);
    return WideToAnsi(text);
}

std::string DescribeNetFault(const TNetFault& fault) {
    return fault.Describe(NetErrorText(fault.Code));
}
