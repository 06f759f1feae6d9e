#include "tools/skinpack/SkinPackTool.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <stdexcept>

#include "framework/AsciiText.h"
#include "skin/format/LZH.h"
#include "skin/format/SkinRead.h"
#include "tools/skinpack/SkinCheck.h"
#include "tools/skinpack/SkinEncoder.h"
#include "tools/skinpack/SkinPackage.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage:\n"
    "  skinpack pack [--no-check] <folder> <out>  pack a skin folder (one INI and its bitmaps)\n"
    "  skinpack unpack <stream> <folder>          write every entry of a packed skin to a folder\n"
    "  skinpack list <stream>                     list the entries with their sizes\n"
    "  skinpack cat <stream> <entry>              write one entry to standard output\n"
    "  skinpack encode <in> <out>                 pack a single file into the stream format\n"
    "  skinpack decode <in> <out>                 expand a packed stream into a file\n"
    "  skinpack check [-v] <folder or stream>     check a skin against what the engine reads\n";

std::string LowerExt(const fs::path& p) {
    return LowerAscii(p.extension().string());
}

bool ReadWholeFile(const fs::path& path, std::vector<uint8_t>& data, std::ostream& err) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        err << "skinpack: cannot open '" << path.string() << "'\n";
        return false;
    }
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        err << "skinpack: cannot read '" << path.string() << "'\n";
        return false;
    }
    return true;
}

bool WriteWholeFile(const fs::path& path, const std::vector<uint8_t>& data, std::ostream& err) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (out) out.close();
    if (!out) {
        err << "skinpack: cannot write '" << path.string() << "'\n";
        return false;
    }
    return true;
}

// The INI first, then the bitmaps by name; anything else is left out with a warning.
bool LoadFolder(const fs::path& folder, std::vector<TSkinEntry>& entries, std::ostream& err) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        err << "skinpack: '" << folder.string() << "' is not a folder\n";
        return false;
    }
    std::vector<fs::path> inis;
    std::vector<fs::path> bitmaps;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        if (!item.is_regular_file()) continue;
        const std::string ext = LowerExt(item.path());
        if (ext == ".ini") {
            inis.push_back(item.path());
        } else if (ext == ".bmp") {
            bitmaps.push_back(item.path());
        } else {
            err << "skinpack: warning: '" << item.path().filename().string()
                << "' is not an INI or BMP file; left out\n";
        }
    }
    if (ec) {
        err << "skinpack: cannot list '" << folder.string() << "': " << ec.message() << "\n";
        return false;
    }
    if (inis.size() != 1) {
        err << "skinpack: '" << folder.string() << "' must hold exactly one .ini file, found " << inis.size();
        for (const auto& p : inis)
            err << " '" << p.filename().string() << "'";
        err << "\n";
        return false;
    }
    std::sort(bitmaps.begin(), bitmaps.end());
    entries.clear();
    for (const auto& p : {inis.front()}) {
        TSkinEntry e{p.filename().string(), {}};
        if (!ReadWholeFile(p, e.data, err)) return false;
        entries.push_back(std::move(e));
    }
    for (const auto& p : bitmaps) {
        TSkinEntry e{p.filename().string(), {}};
        if (!ReadWholeFile(p, e.data, err)) return false;
        entries.push_back(std::move(e));
    }
    return true;
}

bool LoadStream(const fs::path& path, TSkinReader& reader, std::ostream& err) {
    std::vector<uint8_t> packed;
    if (!ReadWholeFile(path, packed, err)) return false;
    TSkinReader::TMessageHook previous = TSkinReader::SetMessageHook([&err](const std::string& text) {
        std::string line = text;
        std::replace(line.begin(), line.end(), '\r', ' ');
        err << "skinpack: " << line << "\n";
    });
    bool ok = false;
    try {
        ok = reader.LoadPackage(packed);
    } catch (const std::exception& e) {
        err << "skinpack: " << e.what() << "\n";
    }
    TSkinReader::SetMessageHook(std::move(previous));
    if (!ok)
        err << "skinpack: '" << path.string()
            << "' is not a readable skin stream (unknown version, damaged, or over the size limit)\n";
    return ok;
}

bool LoadEntries(const fs::path& path, std::vector<TSkinEntry>& entries, std::ostream& err) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) return LoadFolder(path, entries, err);
    TSkinReader reader;
    if (!LoadStream(path, reader, err)) return false;
    entries = ReadSkinEntries(reader);
    return true;
}

int ReportCheck(const std::vector<TSkinCheckMessage>& messages, bool verbose, std::ostream& out,
                std::ostream& err) {
    size_t errors = 0;
    size_t warnings = 0;
    for (const auto& m : messages) {
        switch (m.kind) {
        case TSkinCheckMessage::Error:
            ++errors;
            err << "error: " << m.text << "\n";
            break;
        case TSkinCheckMessage::Warning:
            ++warnings;
            err << "warning: " << m.text << "\n";
            break;
        case TSkinCheckMessage::Note:
            if (verbose) out << "  " << m.text << "\n";
            break;
        }
    }
    if (errors > 0) {
        err << errors << " error(s), " << warnings << " warning(s)\n";
        return 1;
    }
    out << "skin OK (" << warnings << " warning(s))\n";
    return 0;
}

int Pack(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    bool check = true;
    std::vector<std::string> rest;
    for (const auto& s : a) {
        if (s == "--no-check")
            check = false;
        else
            rest.push_back(s);
    }
    if (rest.size() != 2) {
        err << kUsage;
        return 2;
    }
    std::vector<TSkinEntry> entries;
    if (!LoadFolder(rest[0], entries, err)) return 1;
    if (check) {
        const auto messages = CheckSkin(entries);
        if (HasErrors(messages)) {
            ReportCheck(messages, false, out, err);
            err << "skinpack: not packed; fix the errors or pack with --no-check\n";
            return 1;
        }
    }
    std::vector<uint8_t> package = BuildSkinPackage(entries);
    std::vector<uint8_t> packed = PackSkinStream(package);
    // Prove the stream before writing it.
    std::vector<uint8_t> again;
    if (!UnpackPackedStream(packed.data(), packed.size(), TSkinReader::kMaxPackageSize, again) ||
        again != package) {
        err << "skinpack: internal error: the packed stream does not expand to the package\n";
        return 1;
    }
    if (!WriteWholeFile(rest[1], packed, err)) return 1;
    out << "packed " << entries.size() << " entries: " << package.size() << " bytes -> " << packed.size()
        << " bytes\n";
    return 0;
}

int Unpack(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    TSkinReader reader;
    if (!LoadStream(a[0], reader, err)) return 1;
    const fs::path folder = a[1];
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        err << "skinpack: cannot create '" << folder.string() << "': " << ec.message() << "\n";
        return 1;
    }
    std::set<std::string> written;
    int status = 0;
    for (const auto& e : ReadSkinEntries(reader)) {
        std::string why;
        if (!IsSafeEntryFileName(e.name, why)) {
            err << "skinpack: entry '" << e.name << "' not written: " << why << "\n";
            status = 1;
            continue;
        }
        if (!written.insert(e.name).second) {
            err << "skinpack: warning: second entry named '" << e.name
                << "' skipped; the engine reads only the first\n";
            continue;
        }
        if (!WriteWholeFile(folder / e.name, e.data, err)) return 1;
    }
    out << "unpacked " << written.size() << " entries into '" << folder.string() << "'\n";
    return status;
}

int List(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    TSkinReader reader;
    if (!LoadStream(a[0], reader, err)) return 1;
    out << "version " << reader.Version() << ", " << reader.Count() << " entries, " << reader.Data().size()
        << " bytes of entry data\n";
    for (int32_t i = 0; i < reader.Count(); ++i)
        out << reader.EntrySize(i) << "\t" << reader.Names()[static_cast<size_t>(i)] << "\n";
    return 0;
}

int Cat(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    TSkinReader reader;
    if (!LoadStream(a[0], reader, err)) return 1;
    std::vector<uint8_t> data;
    const auto& names = reader.Names();
    const std::string lowered = LowerAscii(a[1]);
    if (std::find(names.begin(), names.end(), lowered) == names.end()) {
        err << "skinpack: no entry named '" << a[1] << "'\n";
        return 1;
    }
    reader.ExtractEntry(a[1], data);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return out ? 0 : 1;
}

int Encode(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    std::vector<uint8_t> data;
    if (!ReadWholeFile(a[0], data, err)) return 1;
    const std::vector<uint8_t> packed = PackSkinStream(data);
    if (!WriteWholeFile(a[1], packed, err)) return 1;
    out << data.size() << " bytes -> " << packed.size() << " bytes\n";
    return 0;
}

int Decode(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    std::vector<uint8_t> packed;
    if (!ReadWholeFile(a[0], packed, err)) return 1;
    std::vector<uint8_t> data;
    if (!UnpackPackedStream(packed.data(), packed.size(), TSkinReader::kMaxPackageSize, data)) {
        err << "skinpack: '" << a[0]
            << "' is not a packed stream (shorter than its 4-byte size, or expands past "
            << TSkinReader::kMaxPackageSize << " bytes)\n";
        return 1;
    }
    if (!WriteWholeFile(a[1], data, err)) return 1;
    out << packed.size() << " bytes -> " << data.size() << " bytes\n";
    return 0;
}

int Check(const std::vector<std::string>& a, std::ostream& out, std::ostream& err) {
    bool verbose = false;
    std::vector<std::string> rest;
    for (const auto& s : a) {
        if (s == "-v")
            verbose = true;
        else
            rest.push_back(s);
    }
    if (rest.size() != 1) {
        err << kUsage;
        return 2;
    }
    std::vector<TSkinEntry> entries;
    if (!LoadEntries(rest[0], entries, err)) return 1;
    return ReportCheck(CheckSkin(entries), verbose, out, err);
}

} // namespace

int RunSkinPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    struct TCommand {
        const char* name;
        size_t argCount; // 0: the command checks its own arguments
        int (*run)(const std::vector<std::string>&, std::ostream&, std::ostream&);
    };
    static const TCommand commands[] = {
        {"pack", 0, Pack},     {"unpack", 2, Unpack}, {"list", 1, List},   {"cat", 2, Cat},
        {"encode", 2, Encode}, {"decode", 2, Decode}, {"check", 0, Check},
    };
    if (args.empty()) {
        err << kUsage;
        return 2;
    }
    for (const auto& c : commands) {
        if (args[0] != c.name) continue;
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        if (c.argCount != 0 && rest.size() != c.argCount) {
            err << kUsage;
            return 2;
        }
        try {
            return c.run(rest, out, err);
        } catch (const std::exception& e) {
            err << "skinpack: " << e.what() << "\n";
            return 1;
        }
    }
    err << "skinpack: unknown command '" << args[0] << "'\n" << kUsage;
    return 2;
}
