#pragma once
// The one error type of the platform layer: which call failed, with which Win32 (or WinInet)
// code, and about what. Thrown inside the program only; every Win32 boundary catches it.
#include <stdexcept>
#include <string>

class TWinError : public std::runtime_error {
public:
    // what() reads "<call> failed (<code>): <subject>" (the subject part only when given).
    TWinError(std::string call, unsigned long code, const std::string& subject = {});
    const std::string& Call() const noexcept { return call_; }
    unsigned long Code() const noexcept { return code_; }

private:
    std::string call_;
    unsigned long code_;
};

// Throws TWinError for call with the calling thread's last error.
[[noreturn]] void ThrowLastError(const std::string& call, const std::string& subject = {});
