#pragma once
// The test thread stands in for the program's window thread: it runs the messages that timers,
// workers and the shell post to it.
#include <windows.h>

#include <functional>

// Dispatches this thread's messages until done() holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000);

// Dispatches this thread's messages for the given time.
void PumpFor(DWORD ms);
