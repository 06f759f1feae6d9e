#include "framework/Files_win.h"

#include <windows.h>

bool FileExistsA(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExistsA(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ForceDirectoriesA(const std::string& path) {
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            const std::string part = path.substr(0, i);
            if (!part.empty() && part.back() != ':' && !DirectoryExistsA(part))
                ::CreateDirectoryA(part.c_str(), nullptr);
        }
        // Skip the second byte of a double-byte character: it may be a backslash.
        if (i < path.size() && ::IsDBCSLeadByte(static_cast<BYTE>(path[i]))) ++i;
    }
}

bool RunQuotedA(const std::string& path, const std::string& arguments, int show) {
    const std::string command = "\"" + path + "\"" + arguments;
    // WinExec answers 32 or more when the program started.
    return ::WinExec(command.c_str(), static_cast<UINT>(show)) > 31;
}
