#pragma once
// The skinpack command line: pack, unpack, list, cat, encode, decode and check skins.
#include <iosfwd>
#include <string>
#include <vector>

// `args` without the program name. Returns the exit status: 0 on success, 1 on failure, 2 on a
// usage error. Results go to `out`, messages to `err`.
int RunSkinPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
