#include "net/NetFault.h"

const char* NetStageName(TNetStage stage) {
    switch (stage) {
    case TNetStage::None:
        return "none";
    case TNetStage::Resolve:
        return "resolve";
    case TNetStage::Connect:
        return "connect";
    case TNetStage::Send:
        return "send";
    case TNetStage::Status:
        return "status";
    case TNetStage::Receive:
        return "receive";
    case TNetStage::Length:
        return "length";
    case TNetStage::Write:
        return "write";
    case TNetStage::Stopped:
        return "stopped";
    }
    return "unknown";
}

TNetStage StageOfSendError(unsigned long code) {
    if (code == kInternetNameNotResolved) return TNetStage::Resolve;
    if (code == kInternetCannotConnect) return TNetStage::Connect;
    return TNetStage::Send;
}

namespace {

// Message texts end in a line break and may hold several lines; the log takes one.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        const bool blank = c == '\r' || c == '\n' || c == '\t' || c == ' ';
        if (blank) {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

} // namespace

std::string TNetFault::Describe(const std::string& codeText) const {
    std::string text = NetStageName(Stage);
    std::string details;
    const auto add = [&details](const std::string& part) { details += (details.empty() ? "" : ", ") + part; };
    if (Code != 0) {
        const std::string line = OneLine(codeText);
        add("error " + std::to_string(Code) + (line.empty() ? "" : " (" + line + ")"));
    }
    if (Status != 0) add("HTTP " + std::to_string(Status));
    if (Stage == TNetStage::Length)
        add(Expected < 0 ? std::to_string(Received) + " bytes without a valid length"
                         : std::to_string(Received) + " of " + std::to_string(Expected) + " bytes");
    else if (Stage == TNetStage::Receive)
        add("after " + std::to_string(Received) + " bytes");
    return details.empty() ? text : text + ": " + details;
}
