#include <winsock2.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "net/Unit_Function_win.h"

namespace {

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out) << path;
    out << content;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int CountEntries(const std::string& directory) {
    WIN32_FIND_DATAA found;
    HANDLE h = ::FindFirstFileA((directory + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do {
        if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..") ++n;
    } while (::FindNextFileA(h, &found));
    ::FindClose(h);
    return n;
}

// A fresh directory under the temporary folder, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        static int counter = 0;
        path_ = std::string(base) + "uf_" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(++counter);
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempDir() { ShellDeletePath(path_); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// The nginx that tests/support/with-servers.sh starts; tests that need it skip without it.
struct TestServer {
    std::string url;    // ends in "/"
    std::string folder; // as a Windows path
    static bool Find(TestServer& server) {
        const char* url = std::getenv("UPDATER_TEST_HTTP");
        const char* root = std::getenv("UPDATER_TEST_HTTP_ROOT");
        if (!url || !*url || !root || !*root) return false;
        server.url = url;
        server.folder = std::string("Z:") + root; // Wine's drive for the Unix root
        for (char& c : server.folder)
            if (c == '/') c = '\\';
        return true;
    }
};

#define REQUIRE_TEST_SERVER(server)                                                                          \
    TestServer server;                                                                                       \
    if (!TestServer::Find(server))                                                                           \
    GTEST_SKIP() << "no test server: run through tests/support/with-servers.sh (UPDATER_TEST_HTTP is not "   \
                    "set)"

// A loopback port on which nothing listens: bound once to get a free number, then closed.
int ClosedLoopbackPort() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    int port = 0;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = ::inet_addr("127.0.0.1");
        addr.sin_port = 0;
        int len = sizeof(addr);
        if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
            ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port = ntohs(addr.sin_port);
        ::closesocket(s);
    }
    ::WSACleanup();
    return port;
}

TEST(ShellDeletePath, RemovesDirectoryTreeForGood) {
    TempDir tmp;
    const std::string tree = tmp / "Update";
    ASSERT_TRUE(::CreateDirectoryA(tree.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((tree + "\\sub").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA((tree + "\\sub\\deeper").c_str(), nullptr));
    WriteFile(tree + "\\a.txt", "a");
    WriteFile(tree + "\\sub\\b.bin", std::string(5000, 'b'));
    WriteFile(tree + "\\sub\\deeper\\c.txt", "");
    ::SetFileAttributesA((tree + "\\sub\\b.bin").c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_TRUE(ShellDeletePath(tree));
    EXPECT_FALSE(Exists(tree));
    EXPECT_TRUE(Exists(tmp.path())) << "only the named directory goes";
}

TEST(ShellDeletePath, RemovesSingleFile) {
    TempDir tmp;
    WriteFile(tmp / "one.txt", "x");
    WriteFile(tmp / "two.txt", "y");
    EXPECT_TRUE(ShellDeletePath(tmp / "one.txt"));
    EXPECT_FALSE(Exists(tmp / "one.txt"));
    EXPECT_TRUE(Exists(tmp / "two.txt"));
}

TEST(ShellDeletePath, MissingPathGivesFalse) {
    TempDir tmp;
    EXPECT_FALSE(ShellDeletePath(tmp / "Update"));
    EXPECT_FALSE(ShellDeletePath(""));
    EXPECT_TRUE(Exists(tmp.path()));
}

TEST(GetFileSizeByName, EmptyFileIsZeroNotMinusOne) {
    TempDir tmp;
    WriteFile(tmp / "empty.dat", "");
    EXPECT_EQ(GetFileSizeByName(tmp / "empty.dat"), 0);
}

TEST(GetFileSizeByName, SizesOfFiles) {
    TempDir tmp;
    WriteFile(tmp / "five.dat", "12345");
    WriteFile(tmp / "big.dat", std::string(70000, 'z'));
    EXPECT_EQ(GetFileSizeByName(tmp / "five.dat"), 5);
    EXPECT_EQ(GetFileSizeByName(tmp / "big.dat"), 70000);
    EXPECT_EQ(GetFileSizeByName(tmp / "FIVE.DAT"), 5) << "names match without regard to case";
}

TEST(GetFileSizeByName, MissingFileIsMinusOne) {
    TempDir tmp;
    EXPECT_EQ(GetFileSizeByName(tmp / "missing.dat"), -1);
    EXPECT_EQ(GetFileSizeByName(tmp / "nodir\\missing.dat"), -1);
    EXPECT_EQ(GetFileSizeByName(""), -1);
}

TEST(GetFileSizeByName, HiddenFileIsFound) {
    TempDir tmp;
    WriteFile(tmp / "hidden.dat", "abc");
    ::SetFileAttributesA((tmp / "hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(GetFileSizeByName(tmp / "hidden.dat"), 3);
    ::SetFileAttributesA((tmp / "hidden.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(GetFileSizeByName, RelativeNameAgainstCurrentDirectory) {
    TempDir tmp;
    WriteFile(tmp / "rel.dat", "1234567");
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(tmp.path().c_str()));
    const int size = GetFileSizeByName("rel.dat");
    const int wildcard = GetFileSizeByName("*.dat");
    ::SetCurrentDirectoryA(previous);
    EXPECT_EQ(size, 7);
    EXPECT_EQ(wildcard, 7) << "a wildcard gives the first match's size";
}

TEST(HostToIP, LocalhostResolvesToLoopback) {
    std::string address = "unchanged";
    ASSERT_TRUE(HostToIP("localhost", address));
    EXPECT_EQ(address.rfind("127.", 0), 0u) << address;
}

TEST(HostToIP, DottedQuadStaysAsItIs) {
    std::string address;
    ASSERT_TRUE(HostToIP("127.0.0.5", address));
    EXPECT_EQ(address, "127.0.0.5");
}

TEST(HostToIP, SchemeAndTrailingSlashAreRemoved) {
    std::string address;
    ASSERT_TRUE(HostToIP("http://127.0.0.1/", address));
    EXPECT_EQ(address, "127.0.0.1");
    address.clear();
    ASSERT_TRUE(HostToIP("localhost/", address));
    EXPECT_EQ(address.rfind("127.", 0), 0u) << address;
}

TEST(HostToIP, OverlongNameIsRefusedAndAddressUntouched) {
    std::string address = "10.1.2.3";
    EXPECT_FALSE(HostToIP(std::string(256, 'a'), address));
    EXPECT_FALSE(HostToIP(std::string(5000, 'a') + ".localhost", address));
    EXPECT_EQ(address, "10.1.2.3");
}

TEST(HostToIP, EmptyNameIsRefusedNotResolvedToThisMachine) {
    std::string address = "keep";
    EXPECT_FALSE(HostToIP("", address));
    EXPECT_FALSE(HostToIP("http://", address)) << "nothing is left once the scheme is removed";
    EXPECT_FALSE(HostToIP("///", address));
    EXPECT_EQ(address, "keep");
}

TEST(HostToIP, EmbeddedNulIsRefused) {
    std::string address = "keep";
    EXPECT_FALSE(HostToIP(std::string("localhost\0evil", 14), address));
    EXPECT_EQ(address, "keep");
}

TEST(IsOnline, ReportsConnection) {
    // The test machine has at least its loopback connection; Wine reports it as on line.
    EXPECT_TRUE(IsOnline());
}

TEST(CanConnectTo, TheServerUpAndAClosedPort) {
    REQUIRE_TEST_SERVER(server);
    TNetFault fault = TNetFault::Error(TNetStage::Send, 1);
    EXPECT_TRUE(CanConnectTo(server.url, fault));
    EXPECT_FALSE(fault.Failed());
    EXPECT_FALSE(CanConnectTo("http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/", fault));
    EXPECT_EQ(fault.Stage, TNetStage::Connect) << fault.Describe();
    EXPECT_NE(fault.Code, 0u);
}

TEST(DownloadToFile, FetchesFileWithQuery) {
    REQUIRE_TEST_SERVER(server);
    TempDir tmp;
    const std::string content = "http://127.0.0.1/a/\r\nhttp://127.0.0.2/b/\r\n";
    WriteFile(server.folder + "\\serverurl_dtf.txt", content);
    const std::string target = tmp / "serverurl.txt";
    TNetFault fault = TNetFault::Error(TNetStage::Send, 1);
    ASSERT_TRUE(DownloadToFile(server.url + "serverurl_dtf.txt?20261208", target, fault));
    EXPECT_FALSE(fault.Failed()) << fault.Describe();
    EXPECT_EQ(ReadFile(target), content);
    EXPECT_EQ(CountEntries(tmp.path()), 1) << "no scratch file is left behind";
}

TEST(DownloadToFile, ReplacesExistingFile) {
    REQUIRE_TEST_SERVER(server);
    TempDir tmp;
    WriteFile(server.folder + "\\updatelist_dtf.txt", "new|3|\r\n");
    const std::string target = tmp / "updatelist.txt";
    WriteFile(target, "an older and longer list\r\n");
    ASSERT_TRUE(DownloadToFile(server.url + "updatelist_dtf.txt?20261208", target));
    EXPECT_EQ(ReadFile(target), "new|3|\r\n");
}

TEST(DownloadToFile, HttpNotFoundIsFailureAndKeepsOldFile) {
    REQUIRE_TEST_SERVER(server);
    TempDir tmp;
    const std::string target = tmp / "serverurl.txt";
    WriteFile(target, "from an earlier run\r\n");
    TNetFault fault;
    EXPECT_FALSE(DownloadToFile(server.url + "no_such_file.txt?20261208", target, fault));
    EXPECT_EQ(fault.Stage, TNetStage::Status);
    EXPECT_EQ(fault.Status, 404u);
    EXPECT_EQ(ReadFile(target), "from an earlier run\r\n") << "the error page must not replace the list";
    EXPECT_EQ(CountEntries(tmp.path()), 1);
}

TEST(DownloadToFile, HttpNotFoundCreatesNoFile) {
    REQUIRE_TEST_SERVER(server);
    TempDir tmp;
    EXPECT_FALSE(DownloadToFile(server.url + "no_such_file.txt", tmp / "new.txt"));
    EXPECT_FALSE(Exists(tmp / "new.txt"));
    EXPECT_EQ(CountEntries(tmp.path()), 0);
}

TEST(DownloadToFile, ClosedPortIsFailure) {
    TempDir tmp;
    const int port = ClosedLoopbackPort();
    ASSERT_NE(port, 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/serverurl.txt?20261208";
    TNetFault fault;
    EXPECT_FALSE(DownloadToFile(url, tmp / "serverurl.txt", fault));
    EXPECT_EQ(fault.Stage, TNetStage::Connect) << fault.Describe();
    EXPECT_EQ(fault.Code, kInternetCannotConnect);
    EXPECT_FALSE(Exists(tmp / "serverurl.txt"));
}

TEST(DownloadToFile, BodyShorterThanItsLengthIsALengthFaultAndKeepsTheOldFile) {
    const char* base = std::getenv("UPDATER_TEST_FAULT");
    if (!base || !*base) GTEST_SKIP() << "UPDATER_TEST_FAULT is not set";
    TempDir tmp;
    const std::string target = tmp / "updatelist.txt";
    WriteFile(target, "from an earlier run\r\n");
    TNetFault fault;
    // 1000 bytes under a Content-Length of 1500, then the server closes.
    EXPECT_FALSE(DownloadToFile(std::string(base) + "wronglength/500/data1000", target, fault));
    EXPECT_EQ(fault.Stage, TNetStage::Length) << fault.Describe();
    EXPECT_EQ(fault.Received, 1000);
    EXPECT_EQ(fault.Expected, 1500);
    EXPECT_EQ(ReadFile(target), "from an earlier run\r\n");
    EXPECT_EQ(CountEntries(tmp.path()), 1);
}

TEST(DownloadToFile, UnwritableTargetIsFailure) {
    REQUIRE_TEST_SERVER(server);
    TempDir tmp;
    WriteFile(server.folder + "\\small_dtf.txt", "x");
    TNetFault fault;
    EXPECT_FALSE(DownloadToFile(server.url + "small_dtf.txt", tmp / "missing_dir\\small.txt", fault));
    EXPECT_EQ(fault.Stage, TNetStage::Write);
    EXPECT_NE(fault.Code, 0u) << "the scratch file's error";
}

} // namespace

namespace {

TEST(SystemLeadByte, AgreesWithGbkRuleOnChineseSystem) {
    if (::GetACP() != 936)
        GTEST_SKIP() << "ANSI code page is " << ::GetACP() << ", not GBK (run with LANG=zh_CN.UTF-8)";
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(SystemLeadByte(static_cast<unsigned char>(c)), GbkLeadByte(static_cast<unsigned char>(c)))
            << c;
    EXPECT_EQ(GetTextBetween("\x81[ab[cd]", "[", "]", SystemLeadByte), "cd");
}

} // namespace
