// A program that only waits: the process-ending tests start copies of it. It ends by itself after
// the number of seconds given as its argument (60 without one).
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (seconds <= 0 || seconds > 60) seconds = 60;
    ::Sleep(static_cast<DWORD>(seconds) * 1000);
    return 7;
}
