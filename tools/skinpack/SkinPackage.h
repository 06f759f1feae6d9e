#pragma once
// Building and reading skin packages (the expanded form of a skin stream) for the skin tools.
#include <cstdint>
#include <string>
#include <vector>

class TSkinReader;

struct TSkinEntry {
    std::string name;
    std::vector<uint8_t> data;
};

// Lays out a package: header (version, name list length, 8 zero bytes), the version's opaque
// block (zeros), names each ended by CR LF, 32-bit sizes, then the data. Throws
// std::invalid_argument naming the offending entry for an empty name, a name with a line
// break, a name repeated (in any letter case), more than 1001 entries, or an unknown version.
std::vector<uint8_t> BuildSkinPackage(const std::vector<TSkinEntry>& entries, uint32_t version = 70000);

// Every entry of a loaded package, in package order (names as the reader holds them: lower case).
std::vector<TSkinEntry> ReadSkinEntries(const TSkinReader& reader);

// False with a message when `name` could escape the folder it is written to.
bool IsSafeEntryFileName(const std::string& name, std::string& why);
