#pragma once
// One HTTP exchange over WinInet, shared by the downloads: the session (the system's proxy
// settings, the agent, the no-progress time-outs), the connection to one server, requests sent
// over it and the reads of the answer. Every failure is kept as a TNetFault (Fault()), with the
// stage it reached, the code of the failed call and the answer's status.
//
// Use: Open, then Send (again for every further request over the connection), RequireStatus,
// the queries, and Read until it delivers 0 bytes. The handles close in reverse order of opening
// when the object goes.
#include <windows.h>
#include <wininet.h>

#include <optional>
#include <string>
#include <vector>

#include "net/InternetHandle_win.h"
#include "net/NetFault.h"

// Gives a session or request handle the run's no-progress time-outs (net/HTTPGet.h) for
// connecting, sending and every read.
void SetNoProgressTimeouts(HINTERNET handle);

// Where the requests go.
struct TRequestTarget {
    std::string Host;
    INTERNET_PORT Port = INTERNET_DEFAULT_HTTP_PORT;
    std::string Path; // with the query
    bool Secure = false;
};

// What every request of one exchange repeats. Empty texts are passed to WinInet as none (null).
struct TRequestSettings {
    std::string Agent; // empty: WinInet's own
    std::optional<std::string> UserName, Password;
    std::string Verb = "GET";
    std::string Version; // empty: WinInet's default
    std::string Referer;
    std::vector<std::string> AcceptTypes; // the accept list as given; empty: none
    DWORD Flags = 0;                      // request flags; INTERNET_FLAG_SECURE is added for Secure
};

class TWinInetRequest {
public:
    TWinInetRequest() = default;
    TWinInetRequest(const TWinInetRequest&) = delete;
    TWinInetRequest& operator=(const TWinInetRequest&) = delete;

    // Splits an absolute http or https URL with the system's parser (the query stays on the path),
    // then opens as below. A URL that does not split is a Resolve fault.
    bool Open(const std::string& url, const TRequestSettings& settings);
    // Opens the session and the connection. Nothing goes over the network yet: WinInet resolves
    // and connects when the first request is sent. A failure is a Connect fault.
    bool Open(const TRequestTarget& target, const TRequestSettings& settings);

    // Opens a new request over the connection (the earlier one closes) and sends it with the
    // extra header lines (each ended by CR LF, or one line without) and the body, then reads the
    // answer's status. A failure is a Resolve, Connect or Send fault, by its code.
    bool Send(const std::string& headers = {}, const std::string& body = {});
    // The latest answer's status; 0 when it had none that could be read.
    unsigned Status() const { return status_; }
    // False with a Status fault when the answer has no status, or when accept (if given) refuses
    // it.
    bool RequireStatus(bool (*accept)(unsigned) = nullptr);

    // A header of the latest answer (HttpQueryInfoA); these record no fault, a missing header is
    // the caller's to judge.
    bool QueryText(DWORD query, size_t bufferSize, std::string& text) const;
    bool QueryNumber(DWORD query, DWORD& value) const;

    // Reads the next piece of the body; got is 0 at its end. A failed read is a Receive fault.
    bool Read(void* buffer, DWORD size, DWORD& got);
    // Body bytes delivered by Read since the latest Send.
    int64_t Received() const { return received_; }

    // Records a fault found by the caller (a refused answer, a wrong length, a local file), with
    // the latest status and the bytes received. Returns false, for "return http.Fail(...)".
    bool Fail(TNetStage stage, unsigned long code = 0);
    // A Length fault: the body was not the expected bytes (-1 when no length was announced).
    bool FailLength(int64_t expected);
    const TNetFault& Fault() const { return fault_; }

    // For options of the caller's own (credentials, proxy settings).
    HINTERNET Session() const { return session_.get(); }
    HINTERNET Connection() const { return connection_.get(); }
    HINTERNET Request() const { return request_.get(); }

private:
    bool FailWithLastError(TNetStage stage);

    TRequestSettings settings_;
    TRequestTarget target_;
    // In the order of opening, so they close request, connection, session.
    unique_hinternet session_, connection_, request_;
    unsigned status_ = 0;
    unsigned long statusError_ = 0;
    int64_t received_ = 0;
    TNetFault fault_;
};
