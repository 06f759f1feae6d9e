#pragma once
// The decisions of the HTTP download that do not need the network: splitting the URL, the resume
// stamp, where a transfer starts, how the target file is opened, the range request and when a
// transfer counts as complete. The transfer itself is THTTPGet (HTTPGet_win.h).
#include <cstdint>
#include <string>

// Splits "http://host:port/path" (or "https://...") into host, path and port text. `port` is left
// alone when the URL names no port, so the caller presets it (DefaultPortText).
void SplitUrl(std::string url, std::string& host, std::string& path, std::string& port);
// Whether the URL starts with "https://" (letter case aside): then the transfer uses TLS.
bool IsSecureUrl(const std::string& url);
// "443" for a secure URL, else "80".
inline std::string DefaultPortText(const std::string& url) {
    return IsSecureUrl(url) ? "443" : "80";
}

// A network wait of the run (connecting, sending, each read) ends after this long without
// progress; a transfer that keeps receiving, however slowly, goes on.
constexpr unsigned long kNoProgressTimeoutMs = 30000;
// The port text as a number; anything that is not a port number gives 80.
int UrlPortNumber(const std::string& portText);

// The resume stamp sits beside the target: its name with ".log" appended.
std::string ResumeStampFileName(const std::string& fileName);
// The stamp's value: the first line of the stamp file (empty for an empty file).
std::string ResumeStampValue(const std::string& stampFileContent);
// What is written to the stamp file: the Last-Modified value and CR LF.
std::string ResumeStampContent(const std::string& lastModified);

struct TResumeStart {
    std::string OldStamp;    // empty when no stamp was read
    int64_t StartOffset = 0; // bytes already present that the transfer may keep
};

// Before the request: a stamp is read only when both target and stamp exist; a non-empty stamp
// makes the present target size the start offset.
TResumeStart ResumeStart(bool targetExists, bool stampExists, const std::string& stampFileContent,
                         int64_t targetSize);

enum class TTargetOpen {
    Create,       // create empty, truncating what is there
    OpenAtOffset, // open the existing file and write from the start offset on
};

struct TTransferPlan {
    TTargetOpen Open = TTargetOpen::Create;
    int64_t StartOffset = 0;
    bool SendRange = false; // ask again with a range request from StartOffset
};

// After the first response: a changed stamp starts the file over; an unchanged one (both may be
// empty) continues at the start offset with a range request. A target that does not exist is
// created, since there is nothing to continue.
TTransferPlan PlanTransfer(const std::string& oldStamp, const std::string& newStamp, int64_t startOffset,
                           bool targetExists);

// "RANGE: bytes=" n "-" N CR LF; N is the whole length, as the update servers expect it.
std::string RangeHeader(int64_t startOffset, int32_t fileSize);

// Statuses that carry the file.
bool IsSuccessStatus(unsigned status);

enum class TRangeAnswer {
    Append,          // 206: the missing bytes follow
    StartOver,       // 200: the server sent the whole file; rewrite it from byte 0
    AlreadyComplete, // 416 for a range that starts at the file's end: nothing is missing
    Fail,            // any other answer
};

TRangeAnswer ClassifyRangeAnswer(unsigned status, int64_t startOffset, int32_t fileSize);

// A Content-Length header value; false when it is not a non-negative 32-bit number.
bool ParseContentLength(const std::string& text, int32_t& value);

// Complete when exactly the missing bytes arrived: bytes read = size - start offset.
bool TransferComplete(int64_t bytesRead, int32_t fileSize, int64_t startOffset);
