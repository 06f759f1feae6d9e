#pragma once
// Why a transfer failed: how far it got, the WinInet or Win32 code of the failed call and the
// HTTP status of the answer. Filled by the WinInet request (net/WinInetRequest_win.h) and the
// downloads built on it, so a caller can decide by the kind of fault (another server, another
// attempt, give up) and the debug log can say what happened.
#include <cstdint>
#include <string>

enum class TNetStage {
    None,    // no fault recorded (a success, or a failure outside the network and the files)
    Resolve, // the address could not be split or its host name did not resolve
    Connect, // no session or no connection to the server
    Send,    // the request could not be made or sent, or no answer came back
    Status,  // the answer has no status, or one the caller does not take
    Receive, // a read of the body failed (the connection broke, the time-out ran out)
    Length,  // the body ended with another length than the answer announced
    Write,   // a local file (the target or its stamp) could not be opened, read or written
    Stopped, // the caller asked the transfer to stop
};

// WinInet codes that decide a stage; the names are those of wininet.h.
constexpr unsigned long kInternetNameNotResolved = 12007; // ERROR_INTERNET_NAME_NOT_RESOLVED
constexpr unsigned long kInternetCannotConnect = 12029;   // ERROR_INTERNET_CANNOT_CONNECT

struct TNetFault {
    TNetStage Stage = TNetStage::None;
    unsigned long Code = 0; // WinInet (12000-12999) or Win32 code of the failed call; 0 for none
    unsigned Status = 0;    // HTTP status of the answer; 0 when none was read
    int64_t Received = 0;   // body bytes that arrived before the fault
    int64_t Expected = -1;  // Length: the bytes the answer announced; -1 for none or no number

    bool Failed() const { return Stage != TNetStage::None; }

    static TNetFault Error(TNetStage stage, unsigned long code) {
        TNetFault f;
        f.Stage = stage;
        f.Code = code;
        return f;
    }

    // One line for the debug log, such as "connect: error 12029 (text)" or "length: HTTP 200,
    // 500 of 1000 bytes". codeText is the system's text for Code (NetErrorText on Windows).
    std::string Describe(const std::string& codeText = {}) const;
};

// The stage that a failed send of a request reached, by its code: WinInet resolves the name and
// connects only when the request is sent.
TNetStage StageOfSendError(unsigned long code);

// "resolve", "connect", ...; "none" for no fault.
const char* NetStageName(TNetStage stage);
