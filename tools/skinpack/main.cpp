#include <iostream>
#include <string>
#include <vector>

#include "tools/skinpack/SkinPackTool.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // `cat` writes entries as they are.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunSkinPack(args, std::cout, std::cerr);
}
