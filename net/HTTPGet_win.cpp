#include "net/HTTPGet_win.h"

#include <stdexcept>
#include <vector>

#include "framework/DebugSink_win.h"
#include "framework/Files_win.h"
#include "framework/Handle_win.h"
#include "framework/MessageWait_win.h"
#include "framework/WinError_win.h"
#include "net/HTTPGet.h"
#include "net/WinInetRequest_win.h"

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

THTTPGetThread::THTTPGetThread(THTTPGet* component, THTTPProgressEvent progress)
    : component_(component), progress_(std::move(progress)) {}

void THTTPGetThread::Execute() {
    TWinInetRequest http;
    try {
        Transfer(http);
    } catch (const TWinError& e) {
        // Outside WinInet the body's own calls are those of the local files; a handler's error
        // is not one of the transfer's faults.
        if (!inHandler_) http.Fail(TNetStage::Write, e.Code());
        DebugReportCurrentException(("download of " + URL).c_str());
        result_ = false;
    } catch (...) {
        // A bad Content-Length or an error from a progress handler: the transfer did not
        // deliver the file. The log shows the failure; the debug report says why.
        DebugReportCurrentException(("download of " + URL).c_str());
        result_ = false;
    }
    fault_ = http.Fault();
}

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

// The answer's Content-Length (left as it was when there is none; haveLength tells) and
// Last-Modified, which is kept in the stamp at once so that an interrupted transfer can resume.
void ReadAnswerHeaders(TWinInetRequest& http, const std::string& stampName, int32_t& fileSize,
                       bool& haveLength, std::string& newStamp) {
    std::string lengthText;
    haveLength = http.QueryText(HTTP_QUERY_CONTENT_LENGTH, 2048, lengthText);
    if (haveLength) {
        int32_t size = 0;
        if (!ParseContentLength(lengthText, size)) {
            http.FailLength(-1);
            throw std::runtime_error("bad Content-Length: " + lengthText);
        }
        fileSize = size;
    }
    if (http.QueryText(HTTP_QUERY_LAST_MODIFIED, 256, newStamp)) {
        if (!newStamp.empty()) WriteStampFile(stampName, newStamp);
    } else {
        newStamp.clear();
    }
}

} // namespace

bool THTTPGetThread::Connect(TWinInetRequest& http) {
    TRequestTarget target;
    std::string portText = DefaultPortText(URL);
    SplitUrl(URL, target.Host, target.Path, portText);
    target.Port = static_cast<INTERNET_PORT>(UrlPortNumber(portText));
    target.Secure = IsSecureUrl(URL);
    TRequestSettings settings;
    settings.Agent = Agent;
    settings.UserName = UserName;
    settings.Password = Password;
    settings.Verb = PostQuery.empty() ? "GET" : "POST";
    settings.Version = "HTTP/1.1";
    settings.Referer = Referer;
    settings.AcceptTypes = {"Accept: " + AcceptTypes};
    settings.Flags = UseCache ? 0 : INTERNET_FLAG_RELOAD;
    return http.Open(target, settings);
}

bool THTTPGetThread::AskForRest(TWinInetRequest& http, HANDLE target, bool& readBody) {
    std::string headers = RangeHeader(startOffset_, fileSize_);
    if (!PostQuery.empty()) headers = std::string(kFormContentType) + "\r\n" + headers;
    if (!http.Send(headers, PostQuery) || !http.RequireStatus()) return false;
    switch (ClassifyRangeAnswer(http.Status(), startOffset_, fileSize_)) {
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
    return http.Fail(TNetStage::Status);
}

bool THTTPGetThread::ReadBody(TWinInetRequest& http, HANDLE target) {
    std::vector<char> buffer(kReadPiece);
    for (;;) {
        if (Terminated()) return false;
        DWORD got = 0;
        // A failed read ends the body like its end: the length then decides, and a short body
        // keeps the read's fault.
        if (!http.Read(buffer.data(), kReadPiece, got) || got == 0) return true;
        lastRead_ = got;
        WriteAll(target, buffer.data(), got);
        bytesRead_ += got;
        if (progress_) {
            inHandler_ = true;
            Synchronize([this] { ReportProgress(); });
            inHandler_ = false;
        }
    }
}

void THTTPGetThread::Transfer(TWinInetRequest& http) {
    startOffset_ = 0;
    result_ = false;
    const std::string stampName = ResumeStampFileName(FileName);
    const TResumeStart start = ReadResumeStart(FileName, stampName);
    startOffset_ = start.StartOffset;
    if (Terminated()) {
        result_ = false;
        return;
    }

    // A host that cannot be reached fails here; it is a failure, not an empty file.
    if (!Connect(http) || !http.Send(PostQuery.empty() ? "" : kFormContentType, PostQuery)) return;
    if (Terminated()) {
        result_ = false;
        return;
    }
    if (!http.RequireStatus(IsSuccessStatus)) return;
    std::string newStamp;
    bool haveLength = false;
    ReadAnswerHeaders(http, stampName, fileSize_, haveLength, newStamp);
    if (Terminated()) {
        result_ = false;
        return;
    }

    bytesRead_ = 0;
    const TTransferPlan plan = PlanTransfer(start.OldStamp, newStamp, startOffset_, FileExistsA(FileName));
    startOffset_ = plan.StartOffset;
    unique_handle target = OpenTarget(FileName, plan);
    bool readBody = true;
    if (plan.SendRange && !AskForRest(http, target.get(), readBody)) return;
    if (readBody && !ReadBody(http, target.get())) {
        result_ = false;
        return;
    }
    result_ = TransferComplete(bytesRead_, fileSize_, startOffset_);
    if (!result_ && !http.Fault().Failed()) http.FailLength(haveLength ? fileSize_ - startOffset_ : -1);
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
    } else if (THTTPErrorEvent error = OnError) {
        TNetFault fault = worker->Fault();
        if (!fault.Failed() && worker->Terminated()) fault.Stage = TNetStage::Stopped;
        error(this, fault);
    }
}

void THTTPGet::WaitForWorker() {
    std::shared_ptr<bool> alive = alive_;
    WaitPumpingMessages(nullptr, [&] { return !*alive || !worker_; });
}
