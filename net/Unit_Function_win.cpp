#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>
#include <urlmon.h>
#include <wininet.h>

#include "net/Unit_Function_win.h"

#include <cstdio>
#include <cstring>

#include "framework/Handle_win.h"

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

namespace {

// COM objects are destroyed by their own Release, never through a base pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Watches one URL download for the HTTP status: the moniker download reports success for an
// error page on some platforms, so the status must be looked at directly.
class HttpStatusWatcher final : public IBindStatusCallback, public IHttpNegotiate, public IServiceProvider {
public:
    DWORD status() const { return status_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IBindStatusCallback))
            *ppv = static_cast<IBindStatusCallback*>(this);
        else if (riid == __uuidof(IHttpNegotiate))
            *ppv = static_cast<IHttpNegotiate*>(this);
        else if (riid == __uuidof(IServiceProvider))
            *ppv = static_cast<IServiceProvider*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IServiceProvider: the download asks its callback for the HTTP negotiation this way.
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override {
        if (service == __uuidof(IHttpNegotiate) || service == __uuidof(IBindStatusCallback))
            return QueryInterface(riid, ppv);
        if (ppv) *ppv = nullptr;
        return E_NOINTERFACE;
    }

    // IBindStatusCallback
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override {
        ReleaseBinding();
        binding_ = binding;
        if (binding_) binding_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG statusCode, LPCWSTR) override {
        if (statusCode == BINDSTATUS_ENDDOWNLOADDATA) ReadStatusFromBinding();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override {
        ReadStatusFromBinding();
        ReleaseBinding();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    // IHttpNegotiate
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                   LPWSTR* additionalHeaders) override {
        if (additionalHeaders) *additionalHeaders = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD responseCode, LPCWSTR, LPCWSTR,
                                         LPWSTR* additionalRequestHeaders) override {
        if (additionalRequestHeaders) *additionalRequestHeaders = nullptr;
        status_ = responseCode;
        return S_OK;
    }

private:
    ~HttpStatusWatcher() { ReleaseBinding(); }

    void ReleaseBinding() {
        if (binding_) binding_->Release();
        binding_ = nullptr;
    }

    void ReadStatusFromBinding() {
        if (status_ != 0 || !binding_) return;
        IWinInetHttpInfo* info = nullptr;
        if (FAILED(binding_->QueryInterface(__uuidof(IWinInetHttpInfo), reinterpret_cast<void**>(&info))) ||
            !info)
            return;
        DWORD code = 0;
        DWORD size = sizeof(code);
        if (SUCCEEDED(info->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr,
                                      nullptr)))
            status_ = code;
        info->Release();
    }

    LONG refs_ = 1;
    IBinding* binding_ = nullptr;
    DWORD status_ = 0;
};

#pragma GCC diagnostic pop

struct WatcherRef {
    HttpStatusWatcher* p = new HttpStatusWatcher();
    WatcherRef() = default;
    WatcherRef(const WatcherRef&) = delete;
    WatcherRef& operator=(const WatcherRef&) = delete;
    ~WatcherRef() { p->Release(); }
};

class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialised_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

// A scratch file beside the target, removed unless it has been moved into place.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& directory) {
        char name[MAX_PATH];
        if (::GetTempFileNameA(directory.c_str(), "dtf", 0, name) != 0) path_ = name;
    }
    ~ScratchFile() {
        if (!path_.empty()) ::DeleteFileA(path_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& path() const { return path_; }
    bool MoveTo(const std::string& target) {
        if (!::MoveFileExA(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
            return false;
        path_.clear();
        return true;
    }

private:
    std::string path_;
};

bool SuccessStatus(DWORD status) {
    return status == 0 || (status >= 200 && status < 300);
}

} // namespace

bool DownloadToFile(const std::string& Url, const std::string& FileName) {
    try {
        if (Url.empty() || FileName.empty()) return false;
        char full[MAX_PATH];
        char* filePart = nullptr;
        const DWORD n = ::GetFullPathNameA(FileName.c_str(), MAX_PATH, full, &filePart);
        if (n == 0 || n >= MAX_PATH || !filePart) return false;
        const std::string target(full);
        // Download beside the target and move it into place only when it is good, so an error page
        // or a broken transfer never replaces the copy from an earlier run.
        ScratchFile scratch(std::string(full, filePart));
        if (scratch.path().empty()) return false;

        ComApartment com;
        WatcherRef watcher;
        const HRESULT hr = ::URLDownloadToFileA(nullptr, Url.c_str(), scratch.path().c_str(), 0,
                                                static_cast<IBindStatusCallback*>(watcher.p));
        if (hr != S_OK || !SuccessStatus(watcher.p->status())) return false;
        return scratch.MoveTo(target);
    } catch (...) {
        return false;
    }
}
