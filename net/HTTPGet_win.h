#pragma once
// THTTPGet downloads one URL into one local file on a worker thread (THTTPGetThread), continuing
// an interrupted download when the server still reports the Last-Modified value kept in the
// resume stamp beside the file. Every event is raised on the window thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Thread_win.h"
#include "net/NetFault.h"

using THTTPProgressEvent = std::function<void(TObject* sender, int32_t totalSize, int32_t readed)>;
using THTTPDoneFileEvent =
    std::function<void(TObject* sender, const std::string& fileName, int32_t fileSize)>;
// A failed or stopped transfer, with why it failed.
using THTTPErrorEvent = std::function<void(TObject* sender, const TNetFault& fault)>;

class THTTPGet;
class TWinInetRequest;

class THTTPGetThread : public TThread {
public:
    // Copies of the component's properties at start.
    std::string AcceptTypes, Agent, URL, FileName, UserName, Password, PostQuery, Referer;
    bool BinaryData = false;
    bool UseCache = false;

    bool Result() const { return result_; }
    int32_t FileSize() const { return fileSize_; }
    int64_t StartOffset() const { return startOffset_; }
    int64_t BytesRead() const { return bytesRead_; }
    // Why the body failed; no fault for a success (or a stop, which TransferFinished names).
    const TNetFault& Fault() const { return fault_; }

protected:
    void Execute() override;

private:
    friend class THTTPGet;
    THTTPGetThread(THTTPGet* component, THTTPProgressEvent progress);

    void Transfer(TWinInetRequest& http);
    // Opens the session and the connection to the URL's server.
    bool Connect(TWinInetRequest& http);
    // Asks again for the part of the file not yet here; false when the answer cannot be used.
    // readBody is cleared when the file turns out complete already.
    bool AskForRest(TWinInetRequest& http, HANDLE target, bool& readBody);
    // Writes the answer's body into the target; false when the transfer was stopped.
    bool ReadBody(TWinInetRequest& http, HANDLE target);
    void ReportProgress();

    // Window-thread only: cleared when the component goes, so nothing reaches it any more.
    THTTPGet* component_;
    THTTPProgressEvent progress_;
    // Written by StopDownload on the window thread while the worker runs.
    std::atomic<bool> result_{false};
    int32_t fileSize_ = 0;
    int64_t startOffset_ = 0;
    uint32_t lastRead_ = 0;
    int64_t bytesRead_ = 0;
    TNetFault fault_;
    // While the progress handler runs: its errors are not the transfer's faults.
    bool inHandler_ = false;
};

class THTTPGet : public TComponent {
public:
    explicit THTTPGet(TComponent* owner);
    // Stops a running transfer and detaches it: its progress and completion no longer reach
    // this component, and the worker frees itself when it has ended.
    ~THTTPGet() override;

    // Starts a transfer; does nothing while one runs. With WaitThread it returns only after the
    // transfer has ended, dispatching the window thread's messages meanwhile.
    void StartDownload();
    // Asks a running transfer to stop; it ends at its next check point and raises OnError (with
    // a Stopped fault unless it had failed already).
    void StopDownload();
    bool Busy() const { return worker_ != nullptr; }

    std::string AcceptTypes = "*/*";
    std::string Agent = "Veltrio HTTPGet";
    bool BinaryData = false;
    std::string URL;
    bool UseCache = false;
    std::string FileName;
    std::string UserName;
    std::string Password;
    std::string PostQuery;
    std::string Referer;
    bool WaitThread = false;

    THTTPProgressEvent OnProgress; // Sender is the worker
    THTTPDoneFileEvent OnDoneFile;
    THTTPErrorEvent OnError;

private:
    friend class THTTPGetThread;
    void TransferFinished(THTTPGetThread* worker);
    void WaitForWorker();

    THTTPGetThread* worker_ = nullptr;
    // Lets a wait loop notice that a handler destroyed the component.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
