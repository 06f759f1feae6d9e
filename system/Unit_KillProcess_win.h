#pragma once
// Ending every running process started from a file of a given name, and the debug privilege that
// lets the program open processes of other users.
#include <windows.h>

#include <string>

#include "system/Unit_KillProcess.h"

// Enables "SeDebugPrivilege" in the program's own access token. False when the token cannot be
// opened for adjusting or the privilege could not be enabled.
bool EnableDebugPrivilege();

// Enables or disables one privilege of Token. True only when the adjustment reports no error (also
// not "not all assigned").
bool SetTokenPrivilege(HANDLE Token, const std::string& PrivilegeName, bool Enable);

// Ends (exit code 0) every process whose executable's file name or whole executable text equals
// ExeName (letters without regard to case). The outcome of the last termination tried; false when
// nothing matched. Does not wait for the processes to go.
bool KillProcessByName(const std::string& ExeName);
