#pragma once
// The product's stored skin, read from the built updater's resources, for the tests that need a
// real skin.
#include <windows.h>

#include <string>

#include "framework/Handle_win.h"

// Build-tree paths are Unix paths; under Wine drive Z: is the Unix root.
inline std::string HostPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// A module loaded for its resources only; freed on every path.
class TDataModule {
public:
    explicit TDataModule(const std::string& path)
        : module_(LoadLibraryExA(path.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    HMODULE get() const { return module_.get(); }

private:
    unique_hmodule module_;
};

// The built updater, whose resources hold the product's stored skin.
#ifdef UPDATER_EXE_PATH
constexpr const char* kUpdaterExe = UPDATER_EXE_PATH;
#else
constexpr const char* kUpdaterExe = nullptr;
#endif
