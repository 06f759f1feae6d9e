// A program that only waits: the process-ending tests start copies of it. It ends by itself after
// the number of seconds given as its first argument (60 without one). With a second argument it
// holds that file open without sharing meanwhile, as another program can hold an installed file.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (seconds <= 0 || seconds > 60) seconds = 60;
    HANDLE held = INVALID_HANDLE_VALUE;
    if (argc > 2) {
        held =
            ::CreateFileA(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) return 3;
    }
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    return 7;
}
