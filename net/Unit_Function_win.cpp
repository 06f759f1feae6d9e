#include <winsock2.h>

#include "net/Unit_Function_win.h"

#include <windows.h>
#include <shellapi.h>
#include <urlmon.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>

#include "framework/Handle_win.h"
#include "net/HTTPGet.h"
#include "net/WinInetRequest_win.h"

bool SystemLeadByte(unsigned char c) {
    return ::IsDBCSLeadByte(c) != FALSE;
}

bool ShellDeletePath(const std::string& Path) {
    // Asking the shell about a path that is not there can bring up its error box, and the update
    // run shows none; a missing path simply was not deleted.
    if (Path.empty() || ::GetFileAttributesA(Path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::string from = Path;
    from.push_back('\0'); // with the string's own NUL the list ends in two
    SHFILEOPSTRUCTA op{};
    op.hwnd = nullptr;
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.pTo = "";
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
    return ::SHFileOperationA(&op) == 0;
}

std::int32_t GetFileSizeByName(const std::string& FileName) {
    if (FileName.empty()) return -1;
    char full[MAX_PATH];
    const DWORD n = ::GetFullPathNameA(FileName.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH) return -1;
    WIN32_FIND_DATAA found{};
    unique_find search(::FindFirstFileA(full, &found));
    if (!search) return -1;
    return static_cast<std::int32_t>(found.nFileSizeLow);
}

namespace {

constexpr std::size_t kHostNameBufferSize = 256;

std::string RemoveAll(std::string text, const std::string& what) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t hit = text.find(what); hit != std::string::npos; hit = text.find(what, start)) {
        out.append(text, start, hit - start);
        start = hit + what.size();
    }
    out.append(text, start, std::string::npos);
    return out;
}

class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        started_ = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~WinsockSession() {
        if (started_) ::WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool started() const { return started_; }

private:
    bool started_ = false;
};

} // namespace

bool HostToIP(const std::string& Host, std::string& Address) {
    const std::string name = RemoveAll(RemoveAll(Host, "http://"), "/");
    // An empty name would resolve to this machine and rank a broken server line as the fastest;
    // a longer one than the resolver's buffer takes is no host name, and a NUL would cut it short.
    if (name.empty() || name.size() >= kHostNameBufferSize || name.find('\0') != std::string::npos)
        return false;
    WinsockSession winsock;
    if (!winsock.started()) return false;
    char buffer[kHostNameBufferSize];
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    const hostent* host = ::gethostbyname(buffer);
    if (!host || host->h_addrtype != AF_INET || host->h_length < 4 || !host->h_addr_list ||
        !host->h_addr_list[0])
        return false;
    const auto* b = reinterpret_cast<const unsigned char*>(host->h_addr_list[0]);
    char text[16];
    std::snprintf(text, sizeof(text), "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
    Address = text;
    return true;
}

bool IsOnline() {
    DWORD flags = 0;
    return ::InternetGetConnectedState(&flags, 0) != FALSE;
}

bool CanConnectTo(const std::string& Url, TNetFault& fault) {
    fault = TNetFault();
    if (::InternetCheckConnectionA(Url.c_str(), FLAG_ICC_FORCE_CONNECTION, 0)) return true;
    const DWORD code = ::GetLastError();
    fault =
        TNetFault::Error(code == kInternetNameNotResolved ? TNetStage::Resolve : TNetStage::Connect, code);
    return false;
}

namespace {

// A scratch file beside the target, removed unless it has been moved into place.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& directory) {
        char name[MAX_PATH];
        if (::GetTempFileNameA(directory.c_str(), "dtf", 0, name) != 0)
            path_ = name;
        else
            error_ = ::GetLastError();
    }
    ~ScratchFile() {
        if (!path_.empty()) ::DeleteFileA(path_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& path() const { return path_; }
    // Why there is no path.
    unsigned long error() const { return error_; }
    bool MoveTo(const std::string& target) {
        if (!::MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
            return false;
        path_.clear();
        return true;
    }

private:
    std::string path_;
    unsigned long error_ = 0;
};

// The user agent the system's URL download sends, so servers see the lists asked for as before.
std::string BrowserAgent() {
    char agent[512] = {};
    DWORD size = sizeof agent;
    return ::ObtainUserAgentString(0, agent, &size) == S_OK ? std::string(agent) : std::string("Mozilla/4.0");
}

// The body of a successful answer into `file`; false for an error status, a failed or stalled
// read, or fewer bytes than the Content-Length promised.
bool FetchInto(const std::string& url, HANDLE file, TNetFault& fault) {
    TWinInetRequest http;
    TRequestSettings settings;
    settings.Agent = BrowserAgent();
    settings.Flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI;
    const bool fetched = [&] {
        if (!http.Open(url, settings) || !http.Send()) return false;
        // An answer without a readable status is taken as it comes.
        if (http.Status() != 0 && !http.RequireStatus(IsSuccessStatus)) return false;
        DWORD length = 0;
        const bool haveLength = http.QueryNumber(HTTP_QUERY_CONTENT_LENGTH, length);
        char buffer[16384];
        for (;;) {
            DWORD got = 0;
            // A read that waits longer than the time-out without a byte fails here.
            if (!http.Read(buffer, sizeof buffer, got)) return false;
            if (got == 0) break;
            DWORD written = 0;
            if (!::WriteFile(file, buffer, got, &written, nullptr) || written != got)
                return http.Fail(TNetStage::Write, ::GetLastError());
        }
        return !haveLength || http.Received() == length || http.FailLength(length);
    }();
    fault = http.Fault();
    return fetched;
}

} // namespace

bool DownloadToFile(const std::string& Url, const std::string& FileName) {
    TNetFault fault;
    return DownloadToFile(Url, FileName, fault);
}

bool DownloadToFile(const std::string& Url, const std::string& FileName, TNetFault& fault) {
    fault = TNetFault();
    // The target's folder, the scratch file beside it or the move into place failed.
    const auto localFault = [&fault](unsigned long code) {
        fault = TNetFault::Error(TNetStage::Write, code);
        return false;
    };
    try {
        if (Url.empty()) {
            fault.Stage = TNetStage::Resolve;
            return false;
        }
        if (FileName.empty()) return localFault(ERROR_INVALID_NAME);
        char full[MAX_PATH];
        char* filePart = nullptr;
        const DWORD n = ::GetFullPathNameA(FileName.c_str(), MAX_PATH, full, &filePart);
        if (n == 0 || n >= MAX_PATH || !filePart)
            return localFault(n == 0 ? ::GetLastError() : ERROR_INVALID_NAME);
        const std::string target(full);
        // Download beside the target and move it into place only when it is good, so an error page
        // or a broken transfer never replaces the copy from an earlier run.
        ScratchFile scratch(std::string(full, filePart));
        if (scratch.path().empty()) return localFault(scratch.error());
        {
            unique_handle file(::CreateFileA(scratch.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return localFault(::GetLastError());
            if (!FetchInto(Url, file.get(), fault)) return false;
        }
        return scratch.MoveTo(target) || localFault(::GetLastError());
    } catch (...) {
        return false;
    }
}
