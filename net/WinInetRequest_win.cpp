#include "net/WinInetRequest_win.h"

#include "net/HTTPGet.h"

void SetNoProgressTimeouts(HINTERNET handle) {
    // Per wait, not per transfer: a slow transfer that keeps receiving is never cut off, and one
    // that stalls (a server that holds the connection and sends nothing) ends after the time-out.
    DWORD ms = kNoProgressTimeoutMs;
    for (int option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
          INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        ::InternetSetOptionA(handle, static_cast<DWORD>(option), &ms, sizeof ms);
}

namespace {

const char* OrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

const char* OrNull(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
}

} // namespace

bool TWinInetRequest::Open(const std::string& url, const TRequestSettings& settings) {
    char host[256] = {}, path[2048] = {};
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.dwExtraInfoLength = 1; // the query stays part of the path
    if (!::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return FailWithLastError(TNetStage::Resolve);
    TRequestTarget target;
    target.Host = host;
    target.Port = parts.nPort;
    target.Path = std::string(path) + (parts.lpszExtraInfo ? parts.lpszExtraInfo : "");
    target.Secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return Open(target, settings);
}

bool TWinInetRequest::Open(const TRequestTarget& target, const TRequestSettings& settings) {
    target_ = target;
    settings_ = settings;
    session_.reset(
        ::InternetOpenA(OrNull(settings_.Agent), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session_) return FailWithLastError(TNetStage::Connect);
    SetNoProgressTimeouts(session_.get());
    connection_.reset(::InternetConnectA(session_.get(), target_.Host.c_str(), target_.Port,
                                         OrNull(settings_.UserName), OrNull(settings_.Password),
                                         INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection_) return FailWithLastError(TNetStage::Connect);
    return true;
}

bool TWinInetRequest::Send(const std::string& headers, const std::string& body) {
    status_ = 0;
    statusError_ = 0;
    received_ = 0;
    std::vector<const char*> accept;
    for (const std::string& type : settings_.AcceptTypes)
        accept.push_back(type.c_str());
    accept.push_back(nullptr);
    const DWORD flags = settings_.Flags | (target_.Secure ? INTERNET_FLAG_SECURE : 0);
    request_.reset(::HttpOpenRequestA(connection_.get(), settings_.Verb.c_str(), target_.Path.c_str(),
                                      OrNull(settings_.Version), OrNull(settings_.Referer),
                                      settings_.AcceptTypes.empty() ? nullptr : accept.data(), flags, 0));
    if (!request_) return FailWithLastError(TNetStage::Send);
    // The request's own waits follow its own time-outs, not the session's; set before sending,
    // they hold for the connection it opens.
    SetNoProgressTimeouts(request_.get());
    if (!::HttpSendRequestA(request_.get(), OrNull(headers), static_cast<DWORD>(headers.size()),
                            body.empty() ? nullptr : const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size()))) {
        const DWORD code = ::GetLastError();
        return Fail(StageOfSendError(code), code);
    }
    DWORD status = 0;
    if (QueryNumber(HTTP_QUERY_STATUS_CODE, status))
        status_ = status;
    else
        statusError_ = ::GetLastError();
    return true;
}

bool TWinInetRequest::RequireStatus(bool (*accept)(unsigned)) {
    if (status_ == 0) return Fail(TNetStage::Status, statusError_);
    if (accept && !accept(status_)) return Fail(TNetStage::Status);
    return true;
}

bool TWinInetRequest::QueryText(DWORD query, size_t bufferSize, std::string& text) const {
    std::vector<char> buffer(bufferSize, '\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!::HttpQueryInfoA(request_.get(), query, buffer.data(), &size, nullptr)) return false;
    text.assign(buffer.data(), size < buffer.size() ? size : buffer.size());
    return true;
}

bool TWinInetRequest::QueryNumber(DWORD query, DWORD& value) const {
    DWORD number = 0, size = sizeof number;
    if (!::HttpQueryInfoA(request_.get(), query | HTTP_QUERY_FLAG_NUMBER, &number, &size, nullptr))
        return false;
    value = number;
    return true;
}

bool TWinInetRequest::Read(void* buffer, DWORD size, DWORD& got) {
    got = 0;
    if (!::InternetReadFile(request_.get(), buffer, size, &got)) return FailWithLastError(TNetStage::Receive);
    received_ += got;
    return true;
}

bool TWinInetRequest::Fail(TNetStage stage, unsigned long code) {
    fault_ = TNetFault::Error(stage, code);
    fault_.Status = status_;
    fault_.Received = received_;
    return false;
}

bool TWinInetRequest::FailLength(int64_t expected) {
    Fail(TNetStage::Length);
    fault_.Expected = expected;
    return false;
}

bool TWinInetRequest::FailWithLastError(TNetStage stage) {
    return Fail(stage, ::GetLastError());
}
