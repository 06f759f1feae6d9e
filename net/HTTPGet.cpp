#include "net/HTTPGet.h"

#include "framework/AsciiText.h"

namespace {

// Optional sign, then decimal digits only; no overflow.
bool ParseDecimal(const std::string& text, int64_t& value, int64_t limit) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > limit) return false;
    }
    value = negative ? -v : v;
    return true;
}

} // namespace

bool IsSecureUrl(const std::string& url) {
    return LowerAscii(url.substr(0, 8)) == "https://";
}

void SplitUrl(std::string url, std::string& host, std::string& path, std::string& port) {
    if (IsSecureUrl(url))
        url.erase(0, 8);
    else if (LowerAscii(url).find("http://") != std::string::npos)
        url.erase(0, 7);
    const size_t slash = url.find('/');
    if (slash == std::string::npos) {
        host.clear();
        path = url;
    } else {
        host = url.substr(0, slash);
        path = url.substr(slash);
    }
    const size_t colon = url.find(':');
    if (colon != std::string::npos) {
        // Between the colon and the first slash; a slash before the colon leaves nothing.
        port = (slash != std::string::npos && slash > colon) ? url.substr(colon + 1, slash - colon - 1) : "";
        // Cut before the host's own colon; a host without one (the colon is in the path) ends
        // up empty.
        const size_t hostColon = host.find(':');
        host = hostColon == std::string::npos ? std::string() : host.substr(0, hostColon);
    }
}

int UrlPortNumber(const std::string& portText) {
    int64_t v = 0;
    if (!ParseDecimal(portText, v, 0xFFFFFFFFLL) || v < 1 || v > 65535) return 80;
    return static_cast<int>(v);
}

std::string ResumeStampFileName(const std::string& fileName) {
    return fileName + ".log";
}

std::string ResumeStampValue(const std::string& stampFileContent) {
    const size_t end = stampFileContent.find_first_of("\r\n");
    return end == std::string::npos ? stampFileContent : stampFileContent.substr(0, end);
}

std::string ResumeStampContent(const std::string& lastModified) {
    return lastModified + "\r\n";
}

TResumeStart ResumeStart(bool targetExists, bool stampExists, const std::string& stampFileContent,
                         int64_t targetSize) {
    TResumeStart start;
    if (targetExists && stampExists) {
        start.OldStamp = ResumeStampValue(stampFileContent);
        if (!start.OldStamp.empty()) start.StartOffset = targetSize;
    }
    return start;
}

TTransferPlan PlanTransfer(const std::string& oldStamp, const std::string& newStamp, int64_t startOffset,
                           bool targetExists) {
    TTransferPlan plan;
    if (newStamp != oldStamp) return plan; // fresh file, whole transfer, offset 0
    plan.SendRange = true;
    if (targetExists) {
        plan.Open = TTargetOpen::OpenAtOffset;
        plan.StartOffset = startOffset;
    }
    return plan;
}

std::string RangeHeader(int64_t startOffset, int32_t fileSize) {
    return "RANGE: bytes=" + std::to_string(startOffset) + "-" + std::to_string(fileSize) + "\r\n";
}

bool IsSuccessStatus(unsigned status) {
    return status >= 200 && status <= 299;
}

TRangeAnswer ClassifyRangeAnswer(unsigned status, int64_t startOffset, int32_t fileSize) {
    if (status == 206) return TRangeAnswer::Append;
    if (status == 200) return startOffset == 0 ? TRangeAnswer::Append : TRangeAnswer::StartOver;
    if (status == 416 && startOffset == fileSize) return TRangeAnswer::AlreadyComplete;
    return TRangeAnswer::Fail;
}

bool ParseContentLength(const std::string& text, int32_t& value) {
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    const std::string digits = text.substr(b, e - b + 1);
    if (digits[0] == '+' || digits[0] == '-') return false;
    int64_t v = 0;
    if (!ParseDecimal(digits, v, 0x7FFFFFFFLL)) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool TransferComplete(int64_t bytesRead, int32_t fileSize, int64_t startOffset) {
    return bytesRead == static_cast<int64_t>(fileSize) - startOffset;
}
