// Stand-in for the self-extracting package that the updater runs after installing it. Each start
// appends one line to "<exe stem>.ran.txt" beside the executable: the whole command line as UTF-8,
// then CR LF. The updater runs it with " -y" and does not wait for it.
//
// A GUI-subsystem program: started by the updater, it opens no console.
#include <windows.h>

#include <string>

#include "tests/win/programs/ProgramSupport.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::string line = program_support::ToUtf8(GetCommandLineW()) + "\r\n";
    // The updater may still be copying files beside it when it starts this.
    return program_support::AppendToMarker(program_support::MarkerPath(L".ran.txt"), line, 100) ? 0 : 1;
}
