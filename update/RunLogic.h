#pragma once
// The decisions of the update run that need no platform: the date query, list clean-up, the
// ranking of update servers, and the reading and checking of update-list lines.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/StringList.h"

// "yyyymmdd": the query that varies list and file URLs once a day.
std::string DateStamp(int year, int month, int day);

// Removes empty lines the way the list loader always has: on the list's text (every line followed
// by CR LF) every LF directly followed by CR is deleted and the text is split again. An empty
// first line survives; a line of blanks is not empty.
void RemoveEmptyLines(TStringList& list);

// Ping values are decimal texts compared as whole numbers (any length, leading zeros ignored).
// Texts that are not numbers sort after all numbers, by bytes.
int ComparePingValues(const std::string& a, const std::string& b);

// The measured update servers, kept in the order of the two hidden lists: by ping value, then
// by URL without regard to letter case.
class TPingRanking {
public:
    struct Entry {
        std::string value;
        std::string url;
    };
    // Value given to a server that cannot be measured (no host, no address, no answer).
    static const char* const kNoAnswer;

    // Adds one server; returns its index in the value list and in the server list.
    struct Placement {
        size_t valueIndex;
        size_t serverIndex;
    };
    Placement Add(const std::string& value, const std::string& url);
    const std::vector<Entry>& Servers() const { return servers_; }
    const std::vector<std::string>& Values() const { return values_; }
    void Clear() {
        servers_.clear();
        values_.clear();
    }

    // The text of a server-list entry: "0" + value + "0" + URL.
    static std::string ServerEntry(const std::string& value, const std::string& url) {
        return "0" + value + "0" + url;
    }
    // The URL of an entry whose value is known: the entry without "0" + value + "0".
    static std::string UrlOfEntry(const std::string& entry, const std::string& value);

private:
    std::vector<Entry> servers_;
    std::vector<std::string> values_;
};

// A URL from a list as the debug log shows it: cut at 120 bytes, control bytes as '?'.
std::string LogSafeUrl(const std::string& url);

// One line for the debug log: how many servers were measured, how many got each value (in the
// ranking's order), and the fastest, its URL cut at 120 bytes with control bytes shown as '?'.
std::string RankingReport(const TPingRanking& ranking);

// One line of the update list: "name|size|dir", with a signed site "name|size|dir|sha256" (further
// fields ignored).
struct TUpdateLine {
    std::string name;
    int32_t size = 0;
    std::string dir;
    std::string hashField; // the fourth field as it stands, empty when there is none
};

enum class TLineError {
    None,
    TooFewFields, // fewer than three fields
    BadSize,      // not a whole number (after the "," are removed) or out of range
    UnsafeName,   // empty, a path, a drive, "." or ".."
    UnsafeDir,    // absolute, a drive, or stepping out with ".."
    NoHash,       // a signed run needs the file's SHA-256 as the fourth field
};

// Reads a line. Names and directories that would place a file outside the updater's folder are
// refused: the list comes from a server and is not trusted.
TLineError ParseUpdateLine(const std::string& line, TUpdateLine& out);
// With a public key configured every line must carry a valid SHA-256; without one a valid fourth
// field is still checked and anything else there is ignored, as it always was.
enum class THashCheck { Skip, Check, Refuse };
THashCheck HashCheckFor(const std::string& hashField, bool signedRun);

// What is wrong with a refused line, for the log (UTF-8).
const char* LineErrorText(TLineError error);

// A line that the download step skips: empty or exactly one blank.
inline bool IsBlankListLine(const std::string& line) {
    return line.empty() || line == " ";
}

// The download step's reading of the first line of the update list: a blank line is dropped, a
// line that fails its checks (a signed run also wants the SHA-256) stops the run, any other is
// fetched or found current.
enum class TLineVerdict { Skip, Refuse, Take };
TLineVerdict ReadListLine(const std::string& line, bool signedRun, TUpdateLine& out, TLineError& error);

// What a taken line does with the copy installed. Its content is compared (contentMatches) only
// when the sizes agree: hashing a large file that is bound to differ would stall the run.
enum class TInstalledAction {
    UpToDate, // same size and, when the line has a hash, same content: the line is done
    Replace,  // present but different: its process is ended and a new copy fetched
    Download, // not there yet
};
TInstalledAction InstalledActionFor(bool exists, int64_t installedSize, int32_t listedSize,
                                    const std::function<bool()>& contentMatches);

// A finished transfer against its line; the content is compared only at the listed size.
enum class TDownloadVerdict { WrongSize, WrongHash, Verified };
TDownloadVerdict JudgeDownload(int64_t downloadedSize, int32_t listedSize,
                               const std::function<bool()>& contentMatches);
