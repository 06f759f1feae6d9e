#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/Handle_win.h"
#include "system/Unit_KillProcess_win.h"

namespace {

std::string ProgramsDir() {
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

bool StillRunning(HANDLE process) {
    return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

// Copies of tests/win/programs/sleeper.exe under a name of their own, so that no other process of
// the Wine session can match it.
class Sleepers : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string source = ProgramsDir() + "sleeper.exe";
        ASSERT_NE(::GetFileAttributesA(source.c_str()), INVALID_FILE_ATTRIBUTES)
            << source << " is missing: build the sleeper target";
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        name_ = "kp" + std::to_string(::GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".exe";
        copy_ = std::string(temp) + name_;
        ASSERT_TRUE(::CopyFileA(source.c_str(), copy_.c_str(), FALSE)) << copy_;
    }

    void TearDown() override {
        for (auto& p : processes_) {
            if (StillRunning(p.get())) ::TerminateProcess(p.get(), 1);
            ::WaitForSingleObject(p.get(), 5000);
        }
        processes_.clear();
        if (!copy_.empty()) ::DeleteFileA(copy_.c_str());
    }

    void Start(int count) {
        for (int i = 0; i < count; ++i) {
            std::string commandLine = "\"" + copy_ + "\" 60";
            STARTUPINFOA si{};
            si.cb = sizeof(si);
            PROCESS_INFORMATION pi{};
            ASSERT_TRUE(::CreateProcessA(copy_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                         nullptr, &si, &pi))
                << ::GetLastError();
            ::CloseHandle(pi.hThread);
            processes_.emplace_back(pi.hProcess);
        }
        // Let them show up in the process list.
        ::Sleep(300);
    }

    std::string name_;
    std::string copy_;
    std::vector<unique_handle> processes_;
};

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

TEST_F(Sleepers, BothRunningCopiesAreEnded) {
    Start(2);
    ASSERT_TRUE(StillRunning(processes_[0].get()));
    ASSERT_TRUE(StillRunning(processes_[1].get()));
    EXPECT_TRUE(KillProcessByName(name_));
    for (auto& p : processes_) {
        ASSERT_EQ(::WaitForSingleObject(p.get(), 10000), WAIT_OBJECT_0);
        DWORD code = 99;
        ::GetExitCodeProcess(p.get(), &code);
        EXPECT_EQ(code, 0u) << "ended with exit code 0, not by its own end";
    }
}

TEST_F(Sleepers, NameInCapitalsMatches) {
    Start(1);
    EXPECT_TRUE(KillProcessByName(Upper(name_)));
    EXPECT_EQ(::WaitForSingleObject(processes_[0].get(), 10000), WAIT_OBJECT_0);
}

TEST_F(Sleepers, NonMatchingNameLeavesThemRunning) {
    Start(2);
    EXPECT_FALSE(KillProcessByName("x" + name_));
    EXPECT_FALSE(KillProcessByName(name_.substr(0, name_.size() - 4))) << "without .exe";
    EXPECT_FALSE(KillProcessByName(""));
    ::Sleep(200);
    EXPECT_TRUE(StillRunning(processes_[0].get()));
    EXPECT_TRUE(StillRunning(processes_[1].get()));
}

TEST_F(Sleepers, NameWithDirectoryDoesNotMatchFileNameEntry) {
    // The process list holds file names only; a name with a directory must equal the whole text.
    Start(1);
    EXPECT_FALSE(KillProcessByName(copy_));
    ::Sleep(200);
    EXPECT_TRUE(StillRunning(processes_[0].get()));
}

TEST(KillProcessByName, NoMatchGivesFalse) {
    EXPECT_FALSE(KillProcessByName("no_such_program_4711.exe"));
}

TEST(EnableDebugPrivilege, EnablesInOwnToken) {
    EXPECT_TRUE(EnableDebugPrivilege());
}

TEST(SetTokenPrivilege, UnknownPrivilegeIsFalse) {
    unique_handle token;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, token.put()));
    EXPECT_FALSE(SetTokenPrivilege(token.get(), "SeNoSuchPrivilege", true));
}

TEST(SetTokenPrivilege, TokenWithoutAdjustRightIsFalse) {
    unique_handle token;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()));
    EXPECT_FALSE(SetTokenPrivilege(token.get(), "SeDebugPrivilege", true));
}

TEST(SetTokenPrivilege, InvalidTokenIsFalse) {
    EXPECT_FALSE(SetTokenPrivilege(nullptr, "SeDebugPrivilege", true));
}

} // namespace

// The updater may be told to replace a file named like itself; ending its own process would end
// the run half-way.
TEST(KillProcessByName, NeverEndsTheCallingProcess) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string self(path);
    std::string name = self.substr(self.find_last_of("\\/") + 1);
    EXPECT_FALSE(KillProcessByName(name));
    SUCCEED() << "still running";
}
