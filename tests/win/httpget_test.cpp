// THTTPGet against the fault-injecting test server (tests/support/faultserver.py), whose base URL
// comes in UPDATER_TEST_FAULT. The test thread is the window thread: it pumps messages while the
// worker runs, as the updater's message loop does.
#include "net/HTTPGet.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Handle_win.h"
#include "helpers/MessagePump.h"
#include "net/HTTPGet_win.h"
#include "net/WinInetRequest_win.h"

namespace {

const char kLastModified[] = "Wed, 02 Dec 2026 10:00:00 GMT";

std::string FaultBase() {
    const char* v = std::getenv("UPDATER_TEST_FAULT");
    std::string base = v ? v : "";
    if (!base.empty() && base.back() != '/') base += '/';
    return base;
}

#define REQUIRE_FAULT_SERVER()                                                                               \
    if (FaultBase().empty()) GTEST_SKIP() << "UPDATER_TEST_FAULT is not set"

// The server's content for a file of `size` bytes.
std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(((i % 251) + (i / 251) * 17) % 256);
    return s;
}

std::string ReadFile(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteFile(const std::string& name, const std::string& data) {
    std::ofstream f(name, std::ios::binary | std::ios::trunc);
    f << data;
}

bool Exists(const std::string& name) {
    return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct InternetCloser {
    using type = HINTERNET;
    static type invalid() { return nullptr; }
    static bool valid(type h) { return h != nullptr; }
    static void close(type h) { ::InternetCloseHandle(h); }
};

// The server's request log: one "request line <TAB> Range or -" per request.
std::vector<std::string> ServerLogLinesWith(const std::string& tag) {
    unique_any<InternetCloser> session(
        ::InternetOpenA("httpget_test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    unique_any<InternetCloser> url(::InternetOpenUrlA(session.get(), (FaultBase() + "__log").c_str(), nullptr,
                                                      0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE,
                                                      0));
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (url && ::InternetReadFile(url.get(), buf, sizeof(buf), &got) && got)
        text.append(buf, got);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find(tag) != std::string::npos) lines.push_back(line);
    return lines;
}

// A fresh directory per test, removed afterwards.
class HTTPGetTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, tmp);
        static int counter = 0;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // Unique across runs, since the server's log outlives this process.
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        tag_ =
            std::string(info->name()) + "_" + std::to_string(now.QuadPart) + "_" + std::to_string(++counter);
        dir_ = std::string(tmp) + "httpget_" + tag_ + "\\";
        ::CreateDirectoryA(dir_.c_str(), nullptr);
        baseline_ = TThread::LiveCount();
    }

    void TearDown() override {
        // Every worker frees itself once its completion has run on this thread.
        EXPECT_TRUE(PumpUntil([&] { return TThread::LiveCount() == baseline_; }, 30000)) << "worker leaked";
        for (const char* n : {"a.bin", "a.bin.log", "b.bin", "b.bin.log"})
            ::DeleteFileA((dir_ + n).c_str());
        ::RemoveDirectoryA(dir_.c_str());
    }

    std::string Url(const std::string& path) const { return FaultBase() + path + "?" + tag_; }
    std::string Target() const { return dir_ + "a.bin"; }
    std::string Stamp() const { return dir_ + "a.bin.log"; }

    // Records every event with the thread it arrived on.
    struct Events {
        std::vector<std::pair<int32_t, int32_t>> progress; // total, readed
        std::vector<TObject*> progressSenders;
        int done = 0, errors = 0;
        std::string doneName;
        int32_t doneSize = -1;
        TObject* doneSender = nullptr;
        TObject* errorSender = nullptr;
        TNetFault fault;
        bool offThread = false;
        bool finished() const { return done + errors > 0; }
    };

    void Connect(THTTPGet& get, const std::shared_ptr<Events>& ev) {
        const DWORD me = ::GetCurrentThreadId();
        get.OnProgress = [ev, me](TObject* s, int32_t total, int32_t readed) {
            if (::GetCurrentThreadId() != me) ev->offThread = true;
            ev->progress.emplace_back(total, readed);
            ev->progressSenders.push_back(s);
        };
        get.OnDoneFile = [ev, me](TObject* s, const std::string& name, int32_t size) {
            if (::GetCurrentThreadId() != me) ev->offThread = true;
            ++ev->done;
            ev->doneName = name;
            ev->doneSize = size;
            ev->doneSender = s;
        };
        get.OnError = [ev, me](TObject* s, const TNetFault& fault) {
            if (::GetCurrentThreadId() != me) ev->offThread = true;
            ++ev->errors;
            ev->errorSender = s;
            ev->fault = fault;
        };
    }

    // Runs one transfer of `path` into Target() and returns what it reported.
    std::shared_ptr<Events> Fetch(const std::string& path, const std::string& url = "") {
        auto ev = std::make_shared<Events>();
        THTTPGet get(nullptr);
        get.BinaryData = true;
        get.UseCache = false;
        get.FileName = Target();
        get.URL = url.empty() ? Url(path) : url;
        Connect(get, ev);
        get.StartDownload();
        EXPECT_TRUE(PumpUntil([&] { return ev->finished(); })) << "no completion";
        EXPECT_FALSE(get.Busy());
        EXPECT_FALSE(ev->offThread);
        return ev;
    }

    std::string tag_, dir_;
    int baseline_ = 0;
};

TEST_F(HTTPGetTest, FullDownloadReportsProgressInOrderOnTheWindowThread) {
    REQUIRE_FAULT_SERVER();
    auto ev = Fetch("files/data5000");
    ASSERT_EQ(ev->done, 1);
    EXPECT_EQ(ev->errors, 0);
    EXPECT_EQ(ev->doneName, Target());
    EXPECT_EQ(ev->doneSize, 5000);
    EXPECT_EQ(ReadFile(Target()), Pattern(5000));
    EXPECT_EQ(ReadFile(Stamp()), std::string(kLastModified) + "\r\n");
    ASSERT_FALSE(ev->progress.empty());
    int32_t last = 0;
    for (auto [total, readed] : ev->progress) {
        EXPECT_EQ(total, 5000);
        EXPECT_GT(readed, last);
        EXPECT_LE(readed - last, 1025) << "pieces of at most 1025 bytes";
        last = readed;
    }
    EXPECT_EQ(last, 5000);
    // Progress comes from the worker, completion from the component.
    EXPECT_NE(ev->progressSenders.front(), ev->doneSender);
    auto lines = ServerLogLinesWith(tag_);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("GET /files/data5000?"), std::string::npos);
    EXPECT_NE(lines[0].find("\t-"), std::string::npos) << "a fresh download sends no range";
}

TEST_F(HTTPGetTest, ResumeAsksOnlyForTheMissingBytes) {
    REQUIRE_FAULT_SERVER();
    WriteFile(Target(), Pattern(1000).substr(0, 400));
    WriteFile(Stamp(), std::string(kLastModified) + "\r\n");
    auto ev = Fetch("files/data1000");
    ASSERT_EQ(ev->done, 1);
    EXPECT_EQ(ev->doneSize, 1000) << "the whole file's length, also when only a part was fetched";
    EXPECT_EQ(ReadFile(Target()), Pattern(1000));
    ASSERT_FALSE(ev->progress.empty());
    EXPECT_GT(ev->progress.front().second, 400);
    EXPECT_EQ(ev->progress.back().second, 1000);
    auto lines = ServerLogLinesWith(tag_);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("\tbytes=400-1000"), std::string::npos) << lines[1];
}

TEST_F(HTTPGetTest, ChangedStampStartsTheFileOver) {
    REQUIRE_FAULT_SERVER();
    WriteFile(Target(), std::string(700, 'x'));
    WriteFile(Stamp(), "Mon, 01 Jan 2024 00:00:00 GMT\r\n");
    auto ev = Fetch("files/data1000");
    ASSERT_EQ(ev->done, 1);
    EXPECT_EQ(ReadFile(Target()), Pattern(1000));
    EXPECT_EQ(ReadFile(Stamp()), std::string(kLastModified) + "\r\n");
    auto lines = ServerLogLinesWith(tag_);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\t-"), std::string::npos);
}

TEST_F(HTTPGetTest, CompleteStampedFileAsksForTheEmptyRangeAtItsEnd) {
    REQUIRE_FAULT_SERVER();
    WriteFile(Target(), Pattern(1000));
    WriteFile(Stamp(), std::string(kLastModified) + "\r\n");
    auto ev = Fetch("files/data1000");
    EXPECT_EQ(ev->done, 1);
    EXPECT_EQ(ev->doneSize, 1000);
    EXPECT_EQ(ReadFile(Target()), Pattern(1000)) << "the server's 416 page must not be appended";
    auto lines = ServerLogLinesWith(tag_);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("\tbytes=1000-1000"), std::string::npos) << lines[1];
}

TEST_F(HTTPGetTest, NoLastModifiedStillDownloadsAMissingFile) {
    REQUIRE_FAULT_SERVER();
    auto ev = Fetch("nolm/data1000");
    ASSERT_EQ(ev->done, 1);
    EXPECT_EQ(ReadFile(Target()), Pattern(1000));
    EXPECT_FALSE(Exists(Stamp())) << "no Last-Modified, no stamp";
    auto lines = ServerLogLinesWith(tag_);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("\tbytes=0-1000"), std::string::npos) << lines[1];
}

TEST_F(HTTPGetTest, NoLastModifiedOverwritesALongerOldFileFromTheStart) {
    REQUIRE_FAULT_SERVER();
    WriteFile(Target(), std::string(3000, 'x'));
    auto ev = Fetch("nolm/data1000");
    ASSERT_EQ(ev->done, 1);
    EXPECT_EQ(ReadFile(Target()), Pattern(1000)) << "no stale tail behind the new content";
}

TEST_F(HTTPGetTest, RangeAnsweredWithTheWholeFileIsNotAppended) {
    REQUIRE_FAULT_SERVER();
    WriteFile(Target(), Pattern(1000).substr(0, 400));
    WriteFile(Stamp(), std::string(kLastModified) + "\r\n");
    auto ev = Fetch("ignorerange/data1000");
    ASSERT_EQ(ev->done, 1);
    EXPECT_EQ(ev->errors, 0);
    EXPECT_EQ(ReadFile(Target()), Pattern(1000));
    ASSERT_FALSE(ev->progress.empty());
    EXPECT_EQ(ev->progress.back().second, 1000) << "counted from 0 after starting over";
}

TEST_F(HTTPGetTest, UnreachableHostIsAnErrorOfItsStage) {
    const struct {
        const char* url;
        TNetStage stage;
        unsigned long code;
    } cases[] = {
        // Nothing listens on port 1 of the loopback address.
        {"http://127.0.0.1:1/files/data100?x", TNetStage::Connect, kInternetCannotConnect},
        {"http://no-such-host.invalid/files/data100?x", TNetStage::Resolve, kInternetNameNotResolved},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        auto ev = Fetch("", c.url);
        EXPECT_EQ(ev->done, 0);
        EXPECT_EQ(ev->errors, 1);
        EXPECT_EQ(ev->fault.Stage, c.stage) << ev->fault.Describe();
        EXPECT_EQ(ev->fault.Code, c.code);
        EXPECT_FALSE(Exists(Target())) << "no empty file for a transfer that never started";
    }
}

TEST_F(HTTPGetTest, HttpErrorStatusIsAnErrorNotAFile) {
    REQUIRE_FAULT_SERVER();
    for (unsigned status : {404u, 500u}) {
        SCOPED_TRACE(status);
        auto ev = Fetch("status/" + std::to_string(status));
        EXPECT_EQ(ev->done, 0);
        EXPECT_EQ(ev->errors, 1);
        EXPECT_EQ(ev->fault.Stage, TNetStage::Status);
        EXPECT_EQ(ev->fault.Status, status);
        EXPECT_FALSE(Exists(Target()));
    }
}

TEST_F(HTTPGetTest, HttpErrorStatusLeavesAPartialFileAlone) {
    REQUIRE_FAULT_SERVER();
    WriteFile(Target(), "partial");
    WriteFile(Stamp(), "S\r\n");
    auto ev = Fetch("status/404");
    EXPECT_EQ(ev->errors, 1);
    EXPECT_EQ(ReadFile(Target()), "partial");
    EXPECT_EQ(ReadFile(Stamp()), "S\r\n");
}

TEST_F(HTTPGetTest, ServerDroppingMidFileIsAnErrorAndLeavesTheStartForResume) {
    REQUIRE_FAULT_SERVER();
    auto ev = Fetch("drop/3000/data10000");
    EXPECT_EQ(ev->done, 0);
    EXPECT_EQ(ev->errors, 1);
    EXPECT_EQ(ev->fault.Stage, TNetStage::Length) << ev->fault.Describe();
    EXPECT_EQ(ev->fault.Expected, 10000);
    const std::string got = ReadFile(Target());
    EXPECT_EQ(ev->fault.Received, static_cast<int64_t>(got.size()));
    EXPECT_LE(got.size(), 3000u);
    EXPECT_EQ(got, Pattern(10000).substr(0, got.size()));
    EXPECT_EQ(ReadFile(Stamp()), std::string(kLastModified) + "\r\n");
    // The next attempt continues where this one stopped.
    auto again = Fetch("files/data10000");
    EXPECT_EQ(again->done, 1);
    EXPECT_EQ(ReadFile(Target()), Pattern(10000));
    auto lines = ServerLogLinesWith(tag_);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[2].find("\tbytes=" + std::to_string(got.size()) + "-10000"), std::string::npos)
        << lines[2];
}

TEST_F(HTTPGetTest, MissingOrWrongContentLengthFails) {
    REQUIRE_FAULT_SERVER();
    const struct {
        const char* path;
        int64_t expected; // -1: no length announced
    } cases[] = {{"nolength/data1000", -1}, {"wronglength/500/data1000", 1500}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ::DeleteFileA(Target().c_str());
        ::DeleteFileA(Stamp().c_str());
        auto ev = Fetch(c.path);
        EXPECT_EQ(ev->done, 0);
        EXPECT_EQ(ev->errors, 1);
        EXPECT_EQ(ev->fault.Stage, TNetStage::Length) << ev->fault.Describe();
        EXPECT_EQ(ev->fault.Received, 1000);
        EXPECT_EQ(ev->fault.Expected, c.expected);
    }
}

TEST_F(HTTPGetTest, SecondStartDownloadWhileRunningDoesNothing) {
    REQUIRE_FAULT_SERVER();
    auto ev = std::make_shared<Events>();
    THTTPGet get(nullptr);
    get.FileName = Target();
    get.URL = Url("slow/20/data4000");
    Connect(get, ev);
    get.StartDownload();
    EXPECT_TRUE(get.Busy());
    get.URL = Url("files/data1000");
    get.StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return ev->finished(); }));
    PumpFor(300);
    EXPECT_EQ(ev->done, 1);
    EXPECT_EQ(ev->doneSize, 4000);
    EXPECT_EQ(ReadFile(Target()), Pattern(4000));
    EXPECT_EQ(ServerLogLinesWith(tag_).size(), 1u);
    // Idle again: the component takes the next transfer.
    get.FileName = dir_ + "b.bin";
    get.StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return ev->done == 2; }));
    EXPECT_EQ(ev->doneSize, 1000);
    EXPECT_EQ(ReadFile(dir_ + "b.bin"), Pattern(1000));
}

TEST_F(HTTPGetTest, StopDownloadMidTransferRaisesOnError) {
    REQUIRE_FAULT_SERVER();
    auto ev = std::make_shared<Events>();
    THTTPGet get(nullptr);
    get.FileName = Target();
    get.URL = Url("slow/30/data20000");
    Connect(get, ev);
    get.StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return !ev->progress.empty(); }));
    get.StopDownload();
    ASSERT_TRUE(PumpUntil([&] { return ev->finished(); }));
    EXPECT_EQ(ev->done, 0);
    EXPECT_EQ(ev->errors, 1);
    EXPECT_EQ(ev->errorSender, &get);
    EXPECT_EQ(ev->fault.Stage, TNetStage::Stopped);
    EXPECT_LT(ReadFile(Target()).size(), 20000u);
}

TEST_F(HTTPGetTest, WaitThreadReturnsOnlyAfterTheTransfer) {
    REQUIRE_FAULT_SERVER();
    auto ev = std::make_shared<Events>();
    THTTPGet get(nullptr);
    get.FileName = Target();
    get.URL = Url("slow/10/data3000");
    get.WaitThread = true;
    Connect(get, ev);
    // A window message posted meanwhile is dispatched by the wait.
    bool timerSeen = false;
    static bool* s_timerSeen = nullptr;
    s_timerSeen = &timerSeen;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { *s_timerSeen = true; });
    get.StartDownload();
    ::KillTimer(nullptr, timer);
    EXPECT_FALSE(get.Busy());
    EXPECT_EQ(ev->done, 1);
    EXPECT_EQ(ev->progress.back().second, 3000);
    EXPECT_TRUE(timerSeen);
    EXPECT_EQ(ReadFile(Target()), Pattern(3000));
}

TEST_F(HTTPGetTest, WaitThreadOnUnreachableHostReturnsWithTheError) {
    auto ev = std::make_shared<Events>();
    THTTPGet get(nullptr);
    get.FileName = Target();
    get.URL = "http://127.0.0.1:1/x";
    get.WaitThread = true;
    Connect(get, ev);
    get.StartDownload();
    EXPECT_EQ(ev->errors, 1);
    EXPECT_EQ(ev->fault.Stage, TNetStage::Connect);
    EXPECT_FALSE(get.Busy());
}

TEST_F(HTTPGetTest, DestroyedComponentMidTransferReceivesNothing) {
    REQUIRE_FAULT_SERVER();
    auto ev = std::make_shared<Events>();
    auto* owner = new TComponent(nullptr);
    auto* get = new THTTPGet(owner);
    get->FileName = Target();
    get->URL = Url("slow/20/data20000");
    Connect(*get, ev);
    get->StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return !ev->progress.empty(); }));
    const size_t progressBefore = ev->progress.size();
    delete owner; // the owner destroys the component, as the main window does
    // The worker ends at its next check point and frees itself (checked in TearDown).
    ASSERT_TRUE(PumpUntil([&] { return TThread::LiveCount() == baseline_; }));
    PumpFor(200);
    EXPECT_EQ(ev->done + ev->errors, 0);
    EXPECT_EQ(ev->progress.size(), progressBefore);
}

TEST_F(HTTPGetTest, ComponentDestroyedByItsOwnCompletionHandler) {
    REQUIRE_FAULT_SERVER();
    auto* get = new THTTPGet(nullptr);
    int done = 0;
    get->FileName = Target();
    get->URL = Url("files/data2000");
    get->OnDoneFile = [&](TObject* sender, const std::string&, int32_t) {
        ++done;
        delete static_cast<THTTPGet*>(sender);
    };
    get->StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return done == 1; }));
    EXPECT_EQ(ReadFile(Target()), Pattern(2000));
}

TEST_F(HTTPGetTest, ErrorInAProgressHandlerFailsTheTransfer) {
    REQUIRE_FAULT_SERVER();
    auto ev = std::make_shared<Events>();
    THTTPGet get(nullptr);
    get.FileName = Target();
    get.URL = Url("files/data5000");
    Connect(get, ev);
    get.OnProgress = [](TObject*, int32_t, int32_t) { throw std::runtime_error("handler failed"); };
    get.StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return ev->finished(); }));
    EXPECT_EQ(ev->done, 0);
    EXPECT_EQ(ev->errors, 1);
    EXPECT_FALSE(ev->fault.Failed()) << "the handler's error is not the transfer's: " << ev->fault.Describe();
}

TEST_F(HTTPGetTest, DefaultsAndPropertiesReachTheServer) {
    THTTPGet get(nullptr);
    EXPECT_EQ(get.AcceptTypes, "*/*");
    EXPECT_EQ(get.Agent, "Veltrio HTTPGet");
    EXPECT_FALSE(get.BinaryData);
    EXPECT_FALSE(get.UseCache);
    EXPECT_FALSE(get.WaitThread);
    EXPECT_TRUE(get.URL.empty() && get.FileName.empty() && get.PostQuery.empty());
    if (FaultBase().empty()) return;
    // A POST sends the form body and is logged with its verb.
    auto ev = std::make_shared<Events>();
    get.FileName = Target();
    get.URL = Url("files/data700");
    get.PostQuery = "a=1&b=2";
    Connect(get, ev);
    get.StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return ev->finished(); }));
    EXPECT_EQ(ev->done, 1);
    EXPECT_EQ(ReadFile(Target()), Pattern(700));
    auto lines = ServerLogLinesWith(tag_);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("POST /files/data700?", 0), 0u) << lines[0];
}

TEST_F(HTTPGetTest, TargetThatCannotBeCreatedIsAnErrorNotASuccess) {
    REQUIRE_FAULT_SERVER();
    // The Content-Length query has succeeded by the time the file is opened; failing to open it
    // must still end as an error.
    auto ev = std::make_shared<Events>();
    THTTPGet get(nullptr);
    get.FileName = dir_ + "no such folder\\a.bin";
    get.URL = Url("files/data1000");
    Connect(get, ev);
    get.StartDownload();
    ASSERT_TRUE(PumpUntil([&] { return ev->finished(); }));
    EXPECT_EQ(ev->done, 0);
    EXPECT_EQ(ev->errors, 1);
    EXPECT_EQ(ev->fault.Stage, TNetStage::Write);
    EXPECT_EQ(ev->fault.Code, static_cast<unsigned long>(ERROR_PATH_NOT_FOUND));
}

// The shared request on its own, as the downloads drive it: one connection, a second request over
// it, each answer's status and body counted for itself.
TEST(WinInetRequest, SendsAgainOverItsConnectionAndJudgesEachAnswer) {
    REQUIRE_FAULT_SERVER();
    TWinInetRequest http;
    TRequestSettings settings;
    settings.Agent = "httpget_test";
    settings.Flags = INTERNET_FLAG_RELOAD;
    ASSERT_TRUE(http.Open(FaultBase() + "files/data3000?request", settings)) << http.Fault().Describe();
    ASSERT_TRUE(http.Send()) << http.Fault().Describe();
    EXPECT_TRUE(http.RequireStatus(IsSuccessStatus));
    EXPECT_EQ(http.Status(), 200u);
    std::string body;
    char piece[700];
    DWORD got = 0;
    while (http.Read(piece, sizeof piece, got) && got)
        body.append(piece, got);
    EXPECT_EQ(body, Pattern(3000));
    EXPECT_EQ(http.Received(), 3000);

    ASSERT_TRUE(http.Send("Range: bytes=1000-\r\n"));
    EXPECT_EQ(http.Status(), 206u);
    EXPECT_EQ(http.Received(), 0) << "counted per request";
    EXPECT_FALSE(http.RequireStatus([](unsigned status) { return status == 200; }));
    EXPECT_EQ(http.Fault().Stage, TNetStage::Status);
    EXPECT_EQ(http.Fault().Status, 206u);
    EXPECT_EQ(http.Fault().Code, 0u);
}

} // namespace
