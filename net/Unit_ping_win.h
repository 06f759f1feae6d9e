#pragma once
// Tping: the round-trip time to one IPv4 address by a single ICMP echo through "icmp.dll",
// which is loaded at construction and released at destruction.
#include <windows.h>
#include <ipexport.h>

#include <string>

#include "framework/Handle_win.h"

class Tping {
public:
    // Loads "icmp.dll" and opens an ICMP handle. Without the library, one of its entries or a
    // handle, the object still works: every echo then gives "500".
    Tping();
    ~Tping();
    Tping(const Tping&) = delete;
    Tping& operator=(const Tping&) = delete;

    // One echo to the dotted-quad Address. Result becomes the round-trip time in ms as decimal
    // digits, or "500" when no usable reply came; it is left as it was for an empty Address and
    // for a reply that does not carry our payload. Blocks up to 4000 ms.
    void PingAddress(const std::string& Address, std::string& Result);

    bool HasIcmpHandle() const { return icmpHandle_ != INVALID_HANDLE_VALUE; }

private:
    using CreateFileFn = HANDLE(WINAPI*)();
    using CloseHandleFn = BOOL(WINAPI*)(HANDLE);
    using SendEchoFn = DWORD(WINAPI*)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID, DWORD,
                                      DWORD);

    unique_hmodule library_;
    HANDLE icmpHandle_ = INVALID_HANDLE_VALUE;
    CreateFileFn create_ = nullptr;
    CloseHandleFn close_ = nullptr;
    SendEchoFn send_ = nullptr;
};
