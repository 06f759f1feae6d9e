#include "net/HTTPGet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/NetFault.h"

namespace {

struct SplitCase {
    const char* url;
    const char* host;
    const char* path;
    const char* portText; // after presetting "80"
    int port;
};

const SplitCase kSplitCases[] = {
    {"http://upd.example/files/a.exe?20261208", "upd.example", "/files/a.exe?20261208", "80", 80},
    {"HTTP://Upd.Example/a", "Upd.Example", "/a", "80", 80},
    {"http://127.0.0.1:8080/dir/f.bin", "127.0.0.1", "/dir/f.bin", "8080", 8080},
    // Without the scheme the text is split from its first character.
    {"host/x/y", "host", "/x/y", "80", 80},
    {"host:81/x", "host", "/x", "81", 81},
    // Nothing after the host but one "/".
    {"http://host/", "host", "/", "80", 80},
    // No "/" after the scheme: host empty, the whole text is the path.
    {"http://host", "", "host", "80", 80},
    {"http://host:90", "", "host:90", "", 80},
    // A ":" with no digits before the next "/".
    {"http://host:/a", "host", "/a", "", 80},
    {"http://host:abc/a", "host", "/a", "abc", 80},
    // The first ":" lies in the path and there is no port: the host is left empty.
    {"http://host/a:b", "", "/a:b", "", 80},
    // The scheme is removed as seven characters wherever "http://" stands.
    {"xhttp://host/a", "", "/host/a", "80", 80},
    {"http://host:70000/a", "host", "/a", "70000", 80},
};

TEST(SplitUrl, SplitsTheTableOfUrls) {
    for (const auto& c : kSplitCases) {
        SCOPED_TRACE(c.url);
        std::string host = "old", path = "old", port = "80";
        SplitUrl(c.url, host, path, port);
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(port, c.portText);
        EXPECT_EQ(UrlPortNumber(port), c.port);
    }
}

TEST(SplitUrl, PortNumberRejectsWhatIsNotAPort) {
    EXPECT_EQ(UrlPortNumber("8080"), 8080);
    EXPECT_EQ(UrlPortNumber("65535"), 65535);
    for (const char* bad : {"", "0", "-1", "65536", "99999999999", "8o", " 81", "0x50"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(UrlPortNumber(bad), 80);
    }
}

TEST(ResumeStamp, NameValueAndContent) {
    EXPECT_EQ(ResumeStampFileName("C:\\app\\Update\\a.exe"), "C:\\app\\Update\\a.exe.log");
    EXPECT_EQ(ResumeStampContent("Wed, 02 Dec 2026 10:00:00 GMT"), "Wed, 02 Dec 2026 10:00:00 GMT\r\n");
    EXPECT_EQ(ResumeStampValue("Wed, 02 Dec 2026 10:00:00 GMT\r\n"), "Wed, 02 Dec 2026 10:00:00 GMT");
    EXPECT_EQ(ResumeStampValue("L1\nL2\n"), "L1");
    EXPECT_EQ(ResumeStampValue("no line end"), "no line end");
    EXPECT_EQ(ResumeStampValue(""), "");
    EXPECT_EQ(ResumeStampValue("\r\nsecond"), "");
}

struct StartCase {
    const char* what;
    bool targetExists;
    bool stampExists;
    const char* stampFile;
    int64_t targetSize;
    const char* oldStamp;
    int64_t offset;
};

const StartCase kStartCases[] = {
    {"nothing there", false, false, "", 0, "", 0},
    {"target only", true, false, "", 400, "", 0},
    {"stamp only", false, true, "S\r\n", 0, "", 0},
    {"empty stamp", true, true, "", 400, "", 0},
    {"stamp with blank first line", true, true, "\r\nS\r\n", 400, "", 0},
    {"stamp and partial target", true, true, "S\r\n", 400, "S", 400},
    {"stamp and empty target", true, true, "S\r\n", 0, "S", 0},
    {"stamp and big target", true, true, "S\r\n", 3000000000LL, "S", 3000000000LL},
};

TEST(ResumeStart, ReadsAStampOnlyWhenTargetAndStampExist) {
    for (const auto& c : kStartCases) {
        SCOPED_TRACE(c.what);
        TResumeStart s = ResumeStart(c.targetExists, c.stampExists, c.stampFile, c.targetSize);
        EXPECT_EQ(s.OldStamp, c.oldStamp);
        EXPECT_EQ(s.StartOffset, c.offset);
    }
}

// The local files across attempts: what is there before, what the server reports, what happens.
struct AttemptCase {
    const char* what;
    bool targetExists;
    bool stampExists;
    const char* stampFile;
    int64_t targetSize;
    const char* lastModified; // "" = the server sends none
    int32_t fileSize;
    // expected
    TTargetOpen open;
    int64_t offset;
    bool range;
    const char* rangeHeader; // "" when none is sent
    int64_t bytesForSuccess;
};

const AttemptCase kAttempts[] = {
    {"no stamp read (nothing there), server L", false, false, "", 0, "L", 1000, TTargetOpen::Create, 0, false,
     "", 1000},
    {"no stamp read (stamp missing), server L", true, false, "", 400, "L", 1000, TTargetOpen::Create, 0,
     false, "", 1000},
    {"no stamp read (target missing), server L", false, true, "S\r\n", 0, "L", 1000, TTargetOpen::Create, 0,
     false, "", 1000},
    {"no stamp read (stamp empty), server L", true, true, "", 400, "L", 1000, TTargetOpen::Create, 0, false,
     "", 1000},
    {"stamp S, 400 of 1000 bytes, server S", true, true, "S\r\n", 400, "S", 1000, TTargetOpen::OpenAtOffset,
     400, true, "RANGE: bytes=400-1000\r\n", 600},
    {"stamp S, complete file, server S", true, true, "S\r\n", 1000, "S", 1000, TTargetOpen::OpenAtOffset,
     1000, true, "RANGE: bytes=1000-1000\r\n", 0},
    {"stamp S, 400 bytes, server L", true, true, "S\r\n", 400, "L", 1000, TTargetOpen::Create, 0, false, "",
     1000},
    {"stamp S, 400 bytes, server sends none", true, true, "S\r\n", 400, "", 1000, TTargetOpen::Create, 0,
     false, "", 1000},
    {"no stamp read, target present, server sends none", true, false, "", 400, "", 1000,
     TTargetOpen::OpenAtOffset, 0, true, "RANGE: bytes=0-1000\r\n", 1000},
};

TEST(PlanTransfer, FollowsTheLocalFilesAcrossAttempts) {
    for (const auto& c : kAttempts) {
        SCOPED_TRACE(c.what);
        TResumeStart s = ResumeStart(c.targetExists, c.stampExists, c.stampFile, c.targetSize);
        TTransferPlan p = PlanTransfer(s.OldStamp, c.lastModified, s.StartOffset, c.targetExists);
        EXPECT_EQ(p.Open, c.open);
        EXPECT_EQ(p.StartOffset, c.offset);
        EXPECT_EQ(p.SendRange, c.range);
        if (p.SendRange) {
            EXPECT_EQ(RangeHeader(p.StartOffset, c.fileSize), c.rangeHeader);
        }
        EXPECT_TRUE(TransferComplete(c.bytesForSuccess, c.fileSize, p.StartOffset));
        EXPECT_FALSE(TransferComplete(c.bytesForSuccess + 1, c.fileSize, p.StartOffset));
        if (c.bytesForSuccess > 0) {
            EXPECT_FALSE(TransferComplete(c.bytesForSuccess - 1, c.fileSize, p.StartOffset));
        }
    }
}

TEST(PlanTransfer, MissingTargetWithoutLastModifiedIsCreatedNotOpened) {
    // Neither a stamp nor a Last-Modified: the stamps are equal (both empty), but there is no
    // file to continue, so it must be created rather than fail to open.
    TResumeStart s = ResumeStart(false, false, "", 0);
    TTransferPlan p = PlanTransfer(s.OldStamp, "", s.StartOffset, false);
    EXPECT_EQ(p.Open, TTargetOpen::Create);
    EXPECT_EQ(p.StartOffset, 0);
    EXPECT_TRUE(TransferComplete(1000, 1000, p.StartOffset));
}

TEST(RangeAnswer, WholeFileInsteadOfRangeStartsTheFileOver) {
    EXPECT_EQ(ClassifyRangeAnswer(206, 400, 1000), TRangeAnswer::Append);
    EXPECT_EQ(ClassifyRangeAnswer(200, 400, 1000), TRangeAnswer::StartOver);
    // From offset 0 a whole-file answer is what was asked for.
    EXPECT_EQ(ClassifyRangeAnswer(200, 0, 1000), TRangeAnswer::Append);
    EXPECT_EQ(ClassifyRangeAnswer(206, 0, 1000), TRangeAnswer::Append);
    // After starting over, the success test counts the whole file.
    EXPECT_TRUE(TransferComplete(1000, 1000, 0));
    EXPECT_FALSE(TransferComplete(1000, 1000, 400));
}

TEST(RangeAnswer, RangeAtTheEndOfACompleteFile) {
    EXPECT_EQ(ClassifyRangeAnswer(416, 1000, 1000), TRangeAnswer::AlreadyComplete);
    EXPECT_EQ(ClassifyRangeAnswer(416, 0, 0), TRangeAnswer::AlreadyComplete);
    EXPECT_EQ(ClassifyRangeAnswer(416, 400, 1000), TRangeAnswer::Fail);
    EXPECT_EQ(ClassifyRangeAnswer(416, 1200, 1000), TRangeAnswer::Fail);
}

TEST(RangeAnswer, ErrorStatusesFail) {
    for (unsigned status : {404u, 500u, 403u, 302u, 0u}) {
        SCOPED_TRACE(status);
        EXPECT_EQ(ClassifyRangeAnswer(status, 400, 1000), TRangeAnswer::Fail);
    }
}

TEST(HttpStatus, OnlyTwoHundredsCarryTheFile) {
    EXPECT_TRUE(IsSuccessStatus(200));
    EXPECT_TRUE(IsSuccessStatus(206));
    for (unsigned status : {0u, 199u, 301u, 304u, 404u, 416u, 500u}) {
        SCOPED_TRACE(status);
        EXPECT_FALSE(IsSuccessStatus(status));
    }
}

TEST(ContentLength, ParsesOnlyNonNegative32BitDecimals) {
    struct {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {"1000", true, 1000},     {"0", true, 0},   {" 42 ", true, 42}, {"2147483647", true, INT32_MAX},
        {"2147483648", false, 0}, {"-1", false, 0}, {"+5", false, 0},   {"12a", false, 0},
        {"", false, 0},           {"   ", false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t v = -7;
        EXPECT_EQ(ParseContentLength(c.text, v), c.ok);
        EXPECT_EQ(v, c.ok ? c.value : -7);
    }
}

TEST(TransferComplete, WithoutContentLengthAFileWithContentNeverSucceeds) {
    EXPECT_FALSE(TransferComplete(1000, 0, 0));
    EXPECT_TRUE(TransferComplete(0, 0, 0));
    // Compared as 64-bit numbers: a large offset does not wrap.
    EXPECT_FALSE(TransferComplete(0, 1000, 3000000000LL));
}

TEST(NetFault, DescribesEachStageInOneLine) {
    struct {
        TNetFault fault;
        const char* codeText;
        const char* line;
    } cases[] = {
        {{}, "", "none"},
        {{TNetStage::Stopped, 0, 0, 0, -1}, "", "stopped"},
        {{TNetStage::Connect, 12029, 0, 0, -1},
         "A connection with the server could not be established\r\n",
         "connect: error 12029 (A connection with the server could not be established)"},
        {{TNetStage::Resolve, 12007, 0, 0, -1}, "", "resolve: error 12007"},
        {{TNetStage::Status, 0, 404, 0, -1}, "", "status: HTTP 404"},
        {{TNetStage::Status, 12150, 0, 0, -1},
         "The header\r\nwas not found. ",
         "status: error 12150 (The header was not found.)"},
        {{TNetStage::Receive, 12002, 200, 10000, -1},
         "The operation timed out",
         "receive: error 12002 (The operation timed out), HTTP 200, after 10000 bytes"},
        {{TNetStage::Length, 0, 206, 500, 600}, "", "length: HTTP 206, 500 of 600 bytes"},
        {{TNetStage::Length, 0, 200, 1000, -1}, "", "length: HTTP 200, 1000 bytes without a valid length"},
        {{TNetStage::Write, 3, 200, 10, -1},
         "The path was not found.",
         "write: error 3 (The path was not found.), HTTP 200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(c.fault.Describe(c.codeText), c.line);
    }
}

TEST(NetFault, SendErrorsTellResolvingFromConnectingFromTheExchange) {
    EXPECT_EQ(StageOfSendError(kInternetNameNotResolved), TNetStage::Resolve);
    EXPECT_EQ(StageOfSendError(kInternetCannotConnect), TNetStage::Connect);
    for (unsigned long code : {12002ul, 12030ul, 12152ul, 12175ul, 0ul}) {
        SCOPED_TRACE(code);
        EXPECT_EQ(StageOfSendError(code), TNetStage::Send);
    }
}

} // namespace
