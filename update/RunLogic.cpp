#include "update/RunLogic.h"

#include <cstdio>

#include "net/Unit_Function.h"
#include "update/ListSignature.h"

std::string DateStamp(int year, int month, int day) {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%04d%02d%02d", year, month, day);
    return buffer;
}

void RemoveEmptyLines(TStringList& list) {
    std::string text = list.Text();
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] == '\r') {
            ++i;
            continue;
        }
        out += text[i];
    }
    list.SetText(out);
}

namespace {

bool IsNumber(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string StripZeros(const std::string& s) {
    size_t i = 0;
    while (i + 1 < s.size() && s[i] == '0')
        ++i;
    return s.substr(i);
}

} // namespace

int ComparePingValues(const std::string& a, const std::string& b) {
    bool na = IsNumber(a), nb = IsNumber(b);
    if (na != nb) return na ? -1 : 1;
    if (!na) return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
    std::string x = StripZeros(a), y = StripZeros(b);
    if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
    int c = x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

const char* const TPingRanking::kNoAnswer = "500";

TPingRanking::Placement TPingRanking::Add(const std::string& value, const std::string& url) {
    Placement p{};
    // After equal items, as a sorted list inserts.
    size_t v = 0;
    while (v < values_.size() && ComparePingValues(values_[v], value) <= 0)
        ++v;
    values_.insert(values_.begin() + static_cast<std::ptrdiff_t>(v), value);
    p.valueIndex = v;
    size_t s = 0;
    while (s < servers_.size()) {
        int c = ComparePingValues(servers_[s].value, value);
        if (c > 0 || (c == 0 && CompareTextAscii(servers_[s].url, url) > 0)) break;
        ++s;
    }
    servers_.insert(servers_.begin() + static_cast<std::ptrdiff_t>(s), Entry{value, url});
    p.serverIndex = s;
    return p;
}

std::string LogSafeUrl(const std::string& url) {
    std::string cut = url.substr(0, 120);
    // A hostile list may hold control bytes; the log stays one readable line.
    for (char& c : cut)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return cut;
}

std::string RankingReport(const TPingRanking& ranking) {
    std::string report = "speed test of " + std::to_string(ranking.Servers().size()) + " servers:";
    const auto& values = ranking.Values();
    for (size_t i = 0; i < values.size();) {
        size_t same = i;
        while (same < values.size() && values[same] == values[i])
            ++same;
        report += " " + values[i] + " x" + std::to_string(same - i);
        i = same;
    }
    if (!ranking.Servers().empty()) {
        const auto& fastest = ranking.Servers().front();
        report += "; fastest " + fastest.value + " " + LogSafeUrl(fastest.url);
    }
    return report;
}

std::string TPingRanking::UrlOfEntry(const std::string& entry, const std::string& value) {
    std::string prefix = "0" + value + "0";
    if (entry.compare(0, prefix.size(), prefix) != 0) return entry;
    return entry.substr(prefix.size());
}

namespace {

bool ParseSize(std::string text, int32_t& out) {
    std::string digits;
    for (char c : text)
        if (c != ',') digits += c;
    if (digits.empty() || digits.size() > 10) return false;
    int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > INT32_MAX) return false;
    out = static_cast<int32_t>(value);
    return true;
}

bool IsDotSegment(const std::string& s) {
    return s == "." || s == "..";
}

// Splits at backslashes that are characters of their own, not trail bytes of a double-byte
// character.
std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        // A lead byte pairs only with a byte that can end a character: before "/" or a control
        // byte it stands alone, and the separator after it still counts.
        if (GbkLeadByte(c) && i + 1 < path.size() && GbkTrailByte(static_cast<unsigned char>(path[i + 1]))) {
            parts.back() += path.substr(i, 2);
            ++i;
        } else if (c == '\\' || c == '/') {
            parts.emplace_back();
        } else {
            parts.back() += path[i];
        }
    }
    return parts;
}

bool SafeName(const std::string& name) {
    // No file system takes a longer name than 255.
    if (name.empty() || name.size() > 255 || IsDotSegment(name)) return false;
    if (SplitPath(name).size() != 1) return false;
    for (char c : name)
        if (c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
    // Trailing dots and blanks vanish on Windows, so "..." or ". " could still mean the parent.
    if (name.find_first_not_of(". ") == std::string::npos) return false;
    return true;
}

bool SafeDir(const std::string& dir) {
    if (dir.empty()) return true;
    // Only backslashes are the list's separators; "/" would be one too, and is refused.
    if (dir.find('/') != std::string::npos) return false;
    std::vector<std::string> segments = SplitPath(dir);
    if (segments.size() > 1 && segments.back().empty()) segments.pop_back();
    for (const auto& seg : segments)
        if (!SafeName(seg)) return false;
    return true;
}

} // namespace

TLineError ParseUpdateLine(const std::string& line, TUpdateLine& out) {
    std::vector<std::string> fields = SplitToList(line, "|");
    if (fields.size() < 3) return TLineError::TooFewFields;
    if (!ParseSize(fields[1], out.size)) return TLineError::BadSize;
    if (!SafeName(fields[0])) return TLineError::UnsafeName;
    if (!SafeDir(fields[2])) return TLineError::UnsafeDir;
    out.name = fields[0];
    out.dir = fields[2];
    out.hashField = fields.size() > 3 ? fields[3] : std::string();
    return TLineError::None;
}

THashCheck HashCheckFor(const std::string& hashField, bool signedRun) {
    TSha256 hash{};
    if (ParseSha256Hex(hashField, hash)) return THashCheck::Check;
    return signedRun ? THashCheck::Refuse : THashCheck::Skip;
}

const char* LineErrorText(TLineError error) {
    switch (error) {
    case TLineError::None:
        return "";
    case TLineError::TooFewFields:
        return "字段不足三个";
    case TLineError::BadSize:
        return "文件大小不是整数";
    case TLineError::UnsafeName:
        return "文件名含有路径";
    case TLineError::UnsafeDir:
        return "目录不在程序目录之内";
    case TLineError::NoHash:
        return "缺少文件的SHA-256";
    }
    return "";
}

TLineVerdict ReadListLine(const std::string& line, bool signedRun, TUpdateLine& out, TLineError& error) {
    error = TLineError::None;
    if (IsBlankListLine(line)) return TLineVerdict::Skip;
    error = ParseUpdateLine(line, out);
    if (error == TLineError::None && HashCheckFor(out.hashField, signedRun) == THashCheck::Refuse)
        error = TLineError::NoHash;
    return error == TLineError::None ? TLineVerdict::Take : TLineVerdict::Refuse;
}

TInstalledAction InstalledActionFor(bool exists, int64_t installedSize, int32_t listedSize,
                                    const std::function<bool()>& contentMatches) {
    if (!exists) return TInstalledAction::Download;
    if (installedSize == listedSize && contentMatches()) return TInstalledAction::UpToDate;
    return TInstalledAction::Replace;
}

TDownloadVerdict JudgeDownload(int64_t downloadedSize, int32_t listedSize,
                               const std::function<bool()>& contentMatches) {
    if (downloadedSize != listedSize) return TDownloadVerdict::WrongSize;
    return contentMatches() ? TDownloadVerdict::Verified : TDownloadVerdict::WrongHash;
}
