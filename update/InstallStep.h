#pragma once
// Putting a verified download in place never loses the installed file: the new file is first
// written beside it ("<installed>.new"), then swapped in with one replace that the system does
// atomically. When either step fails the installed file is exactly as it was, and the log says
// which step failed and why.
#include <string>

enum class TInstallStage {
    WriteBeside, // the copy beside the installed file could not be written
    Replace,     // the swap failed (the file is held open, access denied, ...)
};

// Where the new file is written first.
[[nodiscard]] std::string InstallScratchPath(const std::string& installedPath);

// The reason for the log line (UTF-8), from the stage and the system's error code.
[[nodiscard]] std::string InstallFailureText(TInstallStage stage, unsigned long errorCode);
