#pragma once
// Holds a slim reader/writer lock exclusively for a scope (the win32 thread model of this
// toolchain has no std::mutex).
#include <windows.h>

class SrwGuard {
public:
    explicit SrwGuard(SRWLOCK& l) : l_(l) { ::AcquireSRWLockExclusive(&l_); }
    SrwGuard(const SrwGuard&) = delete;
    SrwGuard& operator=(const SrwGuard&) = delete;
    ~SrwGuard() { ::ReleaseSRWLockExclusive(&l_); }

private:
    SRWLOCK& l_;
};
