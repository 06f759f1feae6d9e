#include "net/HTTPGet_win.h"

#include "framework/DebugSink_win.h"
#include "framework/Files_win.h"
#include "framework/Handle_win.h"
#include "framework/MessageWait_win.h"
#include "framework/WinError_win.h"
#include "net/InternetHandle_win.h"
#include "net/HTTPGet.h"

#include <wininet.h>

#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace {

constexpr DWORD kReadPiece = 1025;
const char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";

unique_handle OpenSharedForReading(const std::string& name) {
    unique_handle f(::CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) ThrowLastError("CreateFileA", name);
    return f;
}

int64_t FileSizeOf(const std::string& name) {
    unique_handle f = OpenSharedForReading(name);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size)) ThrowLastError("GetFileSizeEx", name);
    return size.QuadPart;
}

// The stamp is one short line; anything beyond a few KB is not one of ours.
std::string ReadStampFile(const std::string& name) {
    unique_handle f = OpenSharedForReading(name);
    std::string text(4096, '\0');
    DWORD got = 0;
    if (!::ReadFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr))
        ThrowLastError("ReadFile", name);
    text.resize(got);
    return text;
}

void WriteStampFile(const std::string& name, const std::string& lastModified) {
    ::DeleteFileA(name.c_str());
    unique_handle f(::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) ThrowLastError("CreateFileA", name);
    const std::string content = ResumeStampContent(lastModified);
    DWORD written = 0;
    if (!::WriteFile(f.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written != content.size())
        ThrowLastError("WriteFile", name);
}

void SeekAndCut(HANDLE file, int64_t offset) {
    LARGE_INTEGER pos{};
    pos.QuadPart = offset;
    if (!::SetFilePointerEx(file, pos, nullptr, FILE_BEGIN) || !::SetEndOfFile(file))
        ThrowLastError("SetEndOfFile", "the target file");
}

unique_handle OpenTarget(const std::string& name, const TTransferPlan& plan) {
    if (plan.Open == TTargetOpen::Create) {
        unique_handle f(::CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) ThrowLastError("CreateFileA", name);
        return f;
    }
    unique_handle f(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) ThrowLastError("CreateFileA", name);
    // Bytes beyond the write position are stale: a transfer from 0 must not leave an old tail.
    SeekAndCut(f.get(), plan.StartOffset);
    return f;
}

void WriteAll(HANDLE file, const char* data, DWORD size) {
    DWORD written = 0;
    if (!::WriteFile(file, data, size, &written, nullptr) || written != size)
        ThrowLastError("WriteFile", "the target file");
}

} // namespace

void SetNoProgressTimeouts(void* handle) {
    // Per wait, not per transfer: a slow transfer that keeps receiving is never cut off, and one
    // that stalls (a server that holds the connection and sends nothing) ends after the time-out.
    DWORD ms = kNoProgressTimeoutMs;
    for (int option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
          INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        ::InternetSetOptionA(handle, static_cast<DWORD>(option), &ms, sizeof ms);
}

namespace {

bool QueryStatus(HINTERNET request, unsigned& status) {
    DWORD value = 0, size = sizeof(value);
    if (!::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
        return false;
    status = value;
    return true;
}

bool QueryText(HINTERNET request, DWORD query, size_t bufferSize, std::string& text) {
    std::vector<char> buffer(bufferSize, '\0');
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!::HttpQueryInfoA(request, query, buffer.data(), &size, nullptr)) return false;
    text.assign(buffer.data(), size < buffer.size() ? size : buffer.size());
    return true;
}

} // namespace

THTTPGetThread::THTTPGetThread(THTTPGet* component, THTTPProgressEvent progress)
    : component_(component), progress_(std::move(progress)) {}

void THTTPGetThread::Execute() {
    try {
        Transfer();
    } catch (...) {
        // A file that cannot be read, opened or written, a bad Content-Length or an error from
        // a progress handler: the transfer did not deliver the file. The log shows the failure;
        // the debug report says why.
        DebugReportCurrentException(("download of " + URL).c_str());
        result_ = false;
    }
}

// The WinInet handles of one transfer, with what every request over them repeats. Declared in the
// order of opening; closed in reverse: request, connection, session.
struct THTTPGetThread::TConnection {
    unique_hinternet session, connection, request;
    std::string path, accept, postQuery;
    const char* referer = nullptr;
    DWORD flags = 0;

    bool Post() const { return !postQuery.empty(); }

    bool OpenRequest() {
        const char* acceptList[] = {accept.c_str(), nullptr};
        request.reset(::HttpOpenRequestA(connection.get(), Post() ? "POST" : "GET", path.c_str(), "HTTP/1.1",
                                         referer, acceptList, flags, 0));
        // The request's own reads follow its own time-outs, not the session's.
        if (request) SetNoProgressTimeouts(request.get());
        return static_cast<bool>(request);
    }

    bool Send(const std::string& headers) {
        const bool post = Post();
        return ::HttpSendRequestA(request.get(), headers.empty() ? nullptr : headers.c_str(),
                                  static_cast<DWORD>(headers.size()),
                                  post ? const_cast<char*>(postQuery.data()) : nullptr,
                                  post ? static_cast<DWORD>(postQuery.size()) : 0) != FALSE;
    }
};

namespace {

// Where an earlier, interrupted download of the file left off, from the file and its stamp.
TResumeStart ReadResumeStart(const std::string& fileName, const std::string& stampName) {
    const bool targetExists = FileExistsA(fileName);
    const bool stampExists = FileExistsA(stampName);
    std::string stampFile;
    int64_t targetSize = 0;
    if (targetExists && stampExists) {
        stampFile = ReadStampFile(stampName);
        if (!ResumeStampValue(stampFile).empty()) targetSize = FileSizeOf(fileName);
    }
    return ResumeStart(targetExists, stampExists, stampFile, targetSize);
}

// The answer's Content-Length (left as it was when there is none) and Last-Modified, which is
// kept in the stamp at once so that an interrupted transfer can resume.
void ReadAnswerHeaders(HINTERNET request, const std::string& stampName, int32_t& fileSize,
                       std::string& newStamp) {
    std::string lengthText;
    if (QueryText(request, HTTP_QUERY_CONTENT_LENGTH, 2048, lengthText)) {
        int32_t size = 0;
        if (!ParseContentLength(lengthText, size))
            throw std::runtime_error("bad Content-Length: " + lengthText);
        fileSize = size;
    }
    if (QueryText(request, HTTP_QUERY_LAST_MODIFIED, 256, newStamp)) {
        if (!newStamp.empty()) WriteStampFile(stampName, newStamp);
    } else {
        newStamp.clear();
    }
}

} // namespace

bool THTTPGetThread::Connect(TConnection& c) {
    std::string host, portText = DefaultPortText(URL);
    SplitUrl(URL, host, c.path, portText);
    const INTERNET_PORT port = static_cast<INTERNET_PORT>(UrlPortNumber(portText));
    c.accept = "Accept: " + AcceptTypes;
    c.postQuery = PostQuery;
    c.referer = Referer.empty() ? nullptr : Referer.c_str();
    c.flags = (UseCache ? 0 : INTERNET_FLAG_RELOAD) | (IsSecureUrl(URL) ? INTERNET_FLAG_SECURE : 0);

    c.session.reset(::InternetOpenA(Agent.empty() ? nullptr : Agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                    nullptr, nullptr, 0));
    if (!c.session) return false;
    SetNoProgressTimeouts(c.session.get());
    c.connection.reset(::InternetConnectA(c.session.get(), host.c_str(), port, UserName.c_str(),
                                          Password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
    return static_cast<bool>(c.connection);
}

bool THTTPGetThread::AskForRest(TConnection& c, HANDLE target, bool& readBody) {
    if (!c.OpenRequest()) return false;
    std::string headers = RangeHeader(startOffset_, fileSize_);
    if (c.Post()) headers = std::string(kFormContentType) + "\r\n" + headers;
    unsigned status = 0;
    if (!c.Send(headers) || !QueryStatus(c.request.get(), status)) return false;
    switch (ClassifyRangeAnswer(status, startOffset_, fileSize_)) {
    case TRangeAnswer::Append:
        return true;
    case TRangeAnswer::StartOver:
        // The whole file came instead of the range: appending it would corrupt the file.
        SeekAndCut(target, 0);
        startOffset_ = 0;
        return true;
    case TRangeAnswer::AlreadyComplete:
        readBody = false;
        return true;
    case TRangeAnswer::Fail:
        break;
    }
    return false;
}

bool THTTPGetThread::ReadBody(TConnection& c, HANDLE target) {
    std::vector<char> buffer(kReadPiece);
    for (;;) {
        if (Terminated()) return false;
        DWORD got = 0;
        if (!::InternetReadFile(c.request.get(), buffer.data(), kReadPiece, &got) || got == 0) return true;
        lastRead_ = got;
        WriteAll(target, buffer.data(), got);
        bytesRead_ += got;
        if (progress_) Synchronize([this] { ReportProgress(); });
    }
}

void THTTPGetThread::Transfer() {
    startOffset_ = 0;
    result_ = false;
    const std::string stampName = ResumeStampFileName(FileName);
    const TResumeStart start = ReadResumeStart(FileName, stampName);
    startOffset_ = start.StartOffset;
    if (Terminated()) {
        result_ = false;
        return;
    }

    TConnection c;
    if (!Connect(c) || !c.OpenRequest()) return;
    // A host that cannot be reached fails here; it is a failure, not an empty file.
    if (!c.Send(c.Post() ? kFormContentType : "")) return;
    if (Terminated()) {
        result_ = false;
        return;
    }
    unsigned status = 0;
    if (!QueryStatus(c.request.get(), status) || !IsSuccessStatus(status)) return;
    std::string newStamp;
    ReadAnswerHeaders(c.request.get(), stampName, fileSize_, newStamp);
    if (Terminated()) {
        result_ = false;
        return;
    }

    bytesRead_ = 0;
    const TTransferPlan plan = PlanTransfer(start.OldStamp, newStamp, startOffset_, FileExistsA(FileName));
    startOffset_ = plan.StartOffset;
    unique_handle target = OpenTarget(FileName, plan);
    bool readBody = true;
    if (plan.SendRange && !AskForRest(c, target.get(), readBody)) return;
    if (readBody && !ReadBody(c, target.get())) {
        result_ = false;
        return;
    }
    result_ = TransferComplete(bytesRead_, fileSize_, startOffset_);
}

void THTTPGetThread::ReportProgress() {
    if (!component_ || !progress_) return;
    // A handler may destroy the component (and so detach us); call through a copy.
    THTTPProgressEvent progress = progress_;
    progress(this, fileSize_, static_cast<int32_t>(startOffset_ + bytesRead_));
}

THTTPGet::THTTPGet(TComponent* owner) : TComponent(owner) {}

THTTPGet::~THTTPGet() {
    *alive_ = false;
    StopDownload();
    if (worker_) {
        worker_->component_ = nullptr;
        worker_ = nullptr;
    }
}

void THTTPGet::StartDownload() {
    if (worker_) return;
    auto* w = new THTTPGetThread(this, OnProgress);
    w->AcceptTypes = AcceptTypes;
    w->Agent = Agent;
    w->URL = URL;
    w->FileName = FileName;
    w->UserName = UserName;
    w->Password = Password;
    w->PostQuery = PostQuery;
    w->Referer = Referer;
    w->BinaryData = BinaryData;
    w->UseCache = UseCache;
    w->FreeOnTerminate = true;
    w->OnTerminate = [](TObject* sender) {
        auto* worker = static_cast<THTTPGetThread*>(sender);
        if (worker->component_) worker->component_->TransferFinished(worker);
    };
    worker_ = w;
    try {
        w->Resume();
    } catch (...) {
        worker_ = nullptr;
        delete w;
        throw;
    }
    if (WaitThread) WaitForWorker();
}

void THTTPGet::StopDownload() {
    if (!worker_) return;
    worker_->Terminate();
    worker_->result_ = false;
}

void THTTPGet::TransferFinished(THTTPGetThread* worker) {
    // Let go of the worker before raising anything: a handler may start the next transfer or
    // destroy this component, and neither may find the finished worker still attached.
    worker->component_ = nullptr;
    if (worker_ == worker) worker_ = nullptr;
    if (worker->Result()) {
        if (THTTPDoneFileEvent done = OnDoneFile) done(this, worker->FileName, worker->FileSize());
    } else {
        if (TNotifyEvent error = OnError) error(this);
    }
}

void THTTPGet::WaitForWorker() {
    std::shared_ptr<bool> alive = alive_;
    WaitPumpingMessages(nullptr, [&] { return !*alive || !worker_; });
}
