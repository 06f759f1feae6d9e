#include "framework/WinError_win.h"

#include <windows.h>

namespace {

std::string Describe(const std::string& call, unsigned long code, const std::string& subject) {
    std::string text = call + " failed (" + std::to_string(code) + ")";
    if (!subject.empty()) text += ": " + subject;
    return text;
}

} // namespace

TWinError::TWinError(std::string call, unsigned long code, const std::string& subject)
    : std::runtime_error(Describe(call, code, subject)), call_(std::move(call)), code_(code) {}

void ThrowLastError(const std::string& call, const std::string& subject) {
    throw TWinError(call, ::GetLastError(), subject);
}
