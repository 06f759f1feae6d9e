#include "system/Unit_KillProcess_win.h"

#include <tlhelp32.h>

#include <cstring>

#include "framework/Handle_win.h"

namespace {

bool SystemCodePageLeadByte(unsigned char c) {
    return ::IsDBCSLeadByte(c) != FALSE;
}

// The 8-bit process entry, whatever the build's character set.
using ProcessEntryA = tagPROCESSENTRY32;

struct SnapshotApi {
    using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkFn = BOOL(WINAPI*)(HANDLE, ProcessEntryA*);
    SnapshotFn createSnapshot = nullptr;
    WalkFn first = nullptr;
    WalkFn next = nullptr;
};

template <typename Fn> Fn Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// Looked up once, at the first use; kernel32 stays loaded for the life of the process.
const SnapshotApi& Snapshots() {
    static const SnapshotApi api = [] {
        SnapshotApi a;
        if (HMODULE kernel = ::GetModuleHandleA("kernel32.dll")) {
            a.createSnapshot = Entry<SnapshotApi::SnapshotFn>(kernel, "CreateToolhelp32Snapshot");
            a.first = Entry<SnapshotApi::WalkFn>(kernel, "Process32First");
            a.next = Entry<SnapshotApi::WalkFn>(kernel, "Process32Next");
        }
        return a;
    }();
    return api;
}

} // namespace

bool SetTokenPrivilege(HANDLE Token, const std::string& PrivilegeName, bool Enable) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    if (!::LookupPrivilegeValueA(nullptr, PrivilegeName.c_str(), &privileges.Privileges[0].Luid))
        return false;
    privileges.Privileges[0].Attributes = Enable ? SE_PRIVILEGE_ENABLED : 0;
    DWORD returned = 0;
    ::SetLastError(ERROR_SUCCESS);
    const BOOL adjusted =
        ::AdjustTokenPrivileges(Token, FALSE, &privileges, sizeof(privileges), nullptr, &returned);
    // The call succeeds also when the privilege was not assigned; only the last error tells.
    return adjusted && ::GetLastError() == ERROR_SUCCESS;
}

bool EnableDebugPrivilege() {
    unique_handle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put())) return false;
    return SetTokenPrivilege(token.get(), "SeDebugPrivilege", true);
}

bool KillProcessByName(const std::string& ExeName) {
    bool result = false;
    const SnapshotApi& api = Snapshots();
    if (!api.createSnapshot || !api.first || !api.next) return false;
    unique_handle snapshot(api.createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    ProcessEntryA entry{};
    entry.dwSize = sizeof(entry);
    // A list entry named like the updater itself must not end the run that is replacing files.
    const DWORD self = ::GetCurrentProcessId();
    for (BOOL more = api.first(snapshot.get(), &entry); more; more = api.next(snapshot.get(), &entry)) {
        const std::string exeFile(entry.szExeFile, strnlen(entry.szExeFile, sizeof(entry.szExeFile)));
        if (entry.th32ProcessID != self && ProcessNameMatches(exeFile, ExeName, SystemCodePageLeadByte)) {
            unique_handle process(::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
            result = process && ::TerminateProcess(process.get(), 0);
        }
        entry.dwSize = sizeof(entry);
    }
    return result;
}
