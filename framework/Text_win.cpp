#include "framework/Text_win.h"

#include <windows.h>

namespace {

std::wstring ToWide(const std::string& text, UINT codePage) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string FromWide(const std::wstring& text, UINT codePage) {
    if (text.empty()) return {};
    int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                  nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

} // namespace

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(text, CP_ACP);
}
std::string WideToAnsi(const std::wstring& text) {
    return FromWide(text, CP_ACP);
}
std::wstring Utf8ToWide(const std::string& text) {
    return ToWide(text, CP_UTF8);
}
std::string Utf8ToAnsi(const std::string& text) {
    return WideToAnsi(Utf8ToWide(text));
}

std::string AnsiLowerCase(const std::string& text) {
    std::string out = text;
    if (!out.empty()) ::CharLowerBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::wstring LastErrorText(unsigned long error) {
    wchar_t* buffer = nullptr;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = L"error " + std::to_wstring(error);
    if (n && buffer) {
        std::wstring msg(buffer, n);
        while (!msg.empty() && (msg.back() == L'\n' || msg.back() == L'\r' || msg.back() == L' '))
            msg.pop_back();
        text += L": " + msg;
    }
    if (buffer) ::LocalFree(buffer);
    return text;
}
