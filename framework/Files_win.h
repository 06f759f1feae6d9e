#pragma once
// The file system calls the update run makes on ANSI code page paths, as the update lists and the
// INI file hold them.
#include <string>

// A file (not a folder) at `path`.
bool FileExistsA(const std::string& path);
bool DirectoryExistsA(const std::string& path);

// Creates the folder at `path` with any missing parents; a part that cannot be made is passed over.
void ForceDirectoriesA(const std::string& path);

// Starts the program or batch file at `path` with `arguments` appended as they are; the path goes
// in quotes, so blanks in it do not split the command. `show` is the window's SW_ value. False
// when the system refused to start it.
[[nodiscard]] bool RunQuotedA(const std::string& path, const std::string& arguments, int show);
