#include "update/Unit1_win.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>

#include "framework/Application_win.h"
#include "framework/DebugSink_win.h"
#include "framework/FileBytes.h"
#include "framework/Files_win.h"
#include "framework/IniFile_win.h"
#include "framework/Text_win.h"
#include "net/HTTPGet.h"
#include "net/HTTPGet_win.h"
#include "net/NetFault_win.h"
#include "net/Unit_Function_win.h"
#include "net/Unit_ping_win.h"
#include "skin/model/WinSkinData_win.h"
#include "system/CoolTrayIcon_win.h"
#include "system/Crypto_win.h"
#include "system/Unit_KillProcess_win.h"
#include "system/Unit_RefreshTrayIcon_win.h"
#include "update/ControlIds.h"
#include "update/InstallStep.h"
#include "update/ListVerifier_win.h"
#include "update/ProgressThrottle.h"
#include "update/RunLogic.h"

TForm1* Form1 = nullptr;

namespace {

// The maker's support page; the path and query are the ones the support desk expects.
const char kSupportUrl[] = "http://quenbry.example/?qq=pendrolic";

std::wstring DecimalW(long long value) {
    return std::to_wstring(value);
}

std::string ExecutableDirectory() {
    char buffer[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, buffer, sizeof(buffer));
    std::string path(buffer, n);
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

void TForm1::Log(const std::wstring& line) {
    // Lines carry texts from the lists, which come from a server: control characters would break
    // the log's lines, and an endless word stalls the edit control's line wrapping.
    constexpr size_t kMaxLogLine = 512;
    std::wstring shown;
    shown.reserve(std::min(line.size(), kMaxLogLine + 3));
    for (wchar_t c : line) {
        if (shown.size() == kMaxLogLine) {
            shown += L"...";
            break;
        }
        shown += (c < 0x20 || c == 0x7F) ? L'?' : c;
    }
    MemoUpdateLog->AddLine(shown);
}
void TForm1::ClearLog() {
    MemoUpdateLog->Clear();
}
void TForm1::SetStatus(const std::wstring& text) {
    StatusBar->SetPanelText(text);
}
void TForm1::Invoke(TButton* step) {
    step->Click();
}

void TForm1::FormCreate(TObject*) {
    AppPath = ExecutableDirectory();
    // The highest sequence number of a signed list accepted so far is kept beside the updater.
    listVerifier_ = TListVerifier(AppPath + "update.seq");
    // The batch files name their files relative to the directory they inherit from us.
    ::SetCurrentDirectoryA(AppPath.c_str());
    if (FileExistsA(AppPath + "UpdateConFig.ini")) {
        Application->ShowMainForm = false;
        Invoke(ButtonReadIni);
        // 1500 ms from the window's creation: building the controls and the tray took part of it.
        const ULONGLONG spent = ::GetTickCount64() - createdAt_;
        ArmTimer(Timer_ChuShiHua, spent < 1500 ? static_cast<unsigned>(1500 - spent) : 1);
        ArmTimer(ICO_Server, 500);
        CoolTrayIcon1->SetIconVisible(true);
        HideTaskbarButton();
    } else {
        Log(L"缺少配置文件,无法进行更新...");
        Log(L"正在退出升级程序...");
        ArmTimer(TimerCloseMe, 3000);
    }
}

void TForm1::ButtonReadIniClick(TObject*) {
    std::string path = AppPath + "UpdateConFig.ini";
    if (!FileExistsA(path)) return;
    TIniFile ini(path);
    auto read = [&](TEdit* field, const char* key) {
        field->SetText(AnsiLowerCase(ini.ReadString("SoftSetInfo", key, field->Text())));
    };
    read(ServerUrl, "ServerUrl");
    read(Edit_ProcessName, "ProcessName");
    read(UpdatedRunProcessName, "UpdatedRunProcessName");
    read(Edit_UpdateVisible, "UpdateVisible");
    read(EditGoUrl, "GoUrl");
    read(Edit_ServerUrlFileName, "ServerUrlFileName");
    read(Edit_ZipFileName, "ZipFileName");
    if (!Edit_ServerUrlFileName->Text().empty()) ListBoxServerTxt->Add(Edit_ServerUrlFileName->Text());
    read(Edit_UpdateFileList, "UpdateFileList");
    if (!Edit_UpdateFileList->Text().empty()) ListBoxServerTxt->Add(Edit_UpdateFileList->Text());
    // A signed site: the lists must carry the publisher's signature and every file its SHA-256.
    const std::string key = ini.ReadString("SoftSetInfo", "PublicKey", "");
    if (!key.empty() && !listVerifier_.Configure(key))
        DebugReport("PublicKey is not a P-256 public key: " + key);
    // For support: the program's debug reports also go to update.log beside the updater.
    if (AnsiLowerCase(ini.ReadString("SoftSetInfo", "DebugLog", "")) == "true") {
        const std::string log = AppPath + "update.log";
        if (OpenDebugLogFile(log)) DebugReport("debug log of " + AppPath + "update.exe");
    }
}

std::string TForm1::Today() const {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return DateStamp(now.wYear, now.wMonth, now.wDay);
}

void TForm1::ShowFailurePicture() {
    StopTimer(ICO_Server);
    StopTimer(ICO_ServerDown);
    if (CoolTrayIcon1) CoolTrayIcon1->SetIconIndex(3);
}

void TForm1::Timer_ChuShiHuaTimer(TObject*) {
    StopTimer(Timer_ChuShiHua);
    ClearLog();
    Log(L"正在初始化...");
    if (Edit_UpdateVisible->Text() == "true") {
        Invoke(ButtonHideSYSICO);
    } else {
        CoolTrayIcon1->PutBalloon(std::wstring(L"提示:"), std::wstring(L"正在检查更新...\r."), bitInfo, 10);
        ShowRunWindow();
    }
    if (!EditGoUrl->Text().empty()) {
        ClearLog();
        Log(L"文件较大建议到官方网站下载升级包...");
        ::ShellExecuteA(Handle(), "open", "EXPLORER.EXE", EditGoUrl->Text().c_str(), nullptr, SW_SHOWNORMAL);
        ArmTimer(TimerCloseMe, 3000);
        return;
    }
    Invoke(Button_JianCeWangLuo);
}

void TForm1::Button_JianCeWangLuoClick(TObject*) {
    if (!IsOnline()) {
        Log(L"网络状态:No");
        ArmTimer(TimerCloseMe, 3000);
        return;
    }
    Log(L"网络状态:正常");
    if (MainServerAnswers()) {
        Log(L"升级主服务器正常.");
        Invoke(Button_DownLoadServerTxt);
        StopTimer(Timer_ChuShiHua);
        CoolTrayIcon1->ClearBalloon();
    } else {
        Log(L"升级主服务器繁忙,请稍候再升级.");
        ShowFailurePicture();
        ArmTimer(TimerCloseMe, 3000);
    }
}

bool TForm1::MainServerAnswers() {
    TNetFault fault;
    if (CanConnectTo(ServerUrl->Text(), fault)) return true;
    DebugReport("main server check of " + LogSafeUrl(ServerUrl->Text()) +
                " failed: " + DescribeNetFault(fault));
    return false;
}

void TForm1::TimerCloseMeTimer(TObject*) {
    Close();
}

void TForm1::TimerUpdateEndTimer(TObject*) {
    if (ListBoxUpdateDownLoad->Count() > 0) return;
    Log(L"程序更新成功...");
    CoolTrayIcon1->ClearBalloon();
    ArmTimer(TimerCloseMe, 1500);
    StopTimer(TimerUpdateEnd);
}

void TForm1::FormClose(TObject*, TCloseAction&) {
    std::string client = AppPath + Edit_ProcessName->Text();
    if (UpdatedRunProcessName->Text() == "true" && !Edit_ProcessName->Text().empty() && FileExistsA(client)) {
        if (!RunQuotedA(client, "", SW_SHOW)) DebugReport("could not start " + client);
    }
    Invoke(Button_DeleteUpdateFile);
    Invoke(Button_UpdateME);
    RefreshTrayIcon();
}

void TForm1::FormDestroy(TObject*) {
    // The icon leaves the notification area before anything else of the window goes.
    delete CoolTrayIcon1;
    CoolTrayIcon1 = nullptr;
}

void TForm1::Button_DownLoadServerTxtClick(TObject*) {
    for (size_t i = 0; i < ListBoxServerTxt->Count(); ++i) {
        Application->ProcessMessages();
        // The user quit from the tray meanwhile: the run is over.
        if (Application->Terminated()) return;
        std::string entry = ListBoxServerTxt->Strings(i);
        std::string reason;
        const TListFetch fetched = FetchList(entry, reason);
        if (fetched != TListFetch::Fetched) {
            EndRunWithListFailure(entry, fetched, reason);
            return;
        }
        Log(AnsiToWide(entry) + L"下载成功.");
    }
    Invoke(Button_LoadVer);
}

void TForm1::EndRunWithListFailure(const std::string& entry, TListFetch fetched, const std::string& reason) {
    if (fetched == TListFetch::NotFetched) {
        Log(AnsiToWide(entry) + L"下载失败.");
        Log(L"服务器繁忙请稍候再进行升级...");
    } else {
        Log(AnsiToWide(entry) + L"签名校验失败:" + Utf8ToWide(reason) + L".");
    }
    ShowFailurePicture();
    ArmTimer(TimerCloseMe, 3000);
}

TForm1::TListFetch TForm1::FetchList(const std::string& entry, std::string& reason) {
    const std::string target = AppPath + entry;
    const std::string url = ServerUrl->Text() + entry + "?" + Today();
    if (!listVerifier_.Enabled())
        return FetchReported(url, target) ? TListFetch::Fetched : TListFetch::NotFetched;

    // A signed run: the list goes into place only once its signature holds, so a refused list
    // never replaces the one from an earlier run.
    const std::string unverified = target + ".unverified", signature = target + ".sig";
    if (!FetchReported(url, unverified)) return TListFetch::NotFetched;
    std::string list, signatureText;
    std::uint64_t sequence = 0;
    bool good = false;
    if (!FetchReported(ServerUrl->Text() + entry + ".sig?" + Today(), signature))
        reason = "缺少签名文件";
    else if (ReadFileBytes(unverified, kMaxListBytes, list) != TFileRead::Ok ||
             ReadFileBytes(signature, 4096, signatureText) != TFileRead::Ok)
        reason = "无法读取列表或签名文件";
    else
        good = listVerifier_.Verify(entry, list, signatureText, sequence, reason);
    ::DeleteFileA(signature.c_str());
    if (good && ::MoveFileExA(unverified.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        listVerifier_.Accept(sequence);
        return TListFetch::Fetched;
    }
    ::DeleteFileA(unverified.c_str());
    if (good) reason = "无法保存列表";
    return TListFetch::Refused;
}

bool TForm1::FetchReported(const std::string& url, const std::string& target) {
    TNetFault fault;
    if (DownloadToFile(url, target, fault)) return true;
    DebugReport("list download of " + LogSafeUrl(url) + " failed: " + DescribeNetFault(fault));
    return false;
}

bool TForm1::LoadListFile(const std::string& name, TListBox* into, const std::wstring& failure) {
    const std::string path = AppPath + name;
    TStringList lines;
    if (!FileExistsA(path) || !lines.LoadFromFile(path)) {
        SetStatus(failure);
        ShowFailurePicture();
        return false;
    }
    RemoveEmptyLines(lines);
    into->SetText(lines.Text());
    return true;
}

void TForm1::Button_LoadVerClick(TObject*) {
    if (!LoadListFile("ServerUrl.txt", ListBox_UpdateServerUrl, L"无法获取升级服务器列表信息.")) return;
    if (!LoadListFile("UpdateList.txt", ListBoxUpdateDownLoad, L"无法获取更新文件列表信息.")) return;

    if (MainServerAnswers()) {
        Invoke(ButtonUpdateWebPing);
    } else {
        Log(L"---->升级服务器无法访问或者暂时繁忙");
        ArmTimer(TimerCloseMe, 3000);
    }
}

void TForm1::ButtonUpdateWebPingClick(TObject*) {
    Log(L"正在对升级站点测速,请稍候...");
    TPingRanking ranking;
    for (const std::string& line : ListBox_UpdateServerUrl->Items().Items())
        ranking.Add(PingValueOf(line), line);
    ShowRanking(ranking);
    ArmTimer(TimerCheckPingEnd, 3000);
}

std::string TForm1::PingValueOf(const std::string& serverUrl) {
    const std::string host =
        GetTextBetween(serverUrl, IsSecureUrl(serverUrl) ? "https://" : "http://", "/", SystemLeadByte);
    std::string address;
    std::string value;
    if (HostToIP(host, address)) {
        Tping ping;
        ping.PingAddress(address, value);
    }
    // A server that cannot be measured ranks like one that did not answer.
    return value.empty() ? TPingRanking::kNoAnswer : value;
}

void TForm1::ShowRanking(const TPingRanking& ranking) {
    ListBox_PingValue->Clear();
    ListBox_ServerUrl->Clear();
    std::string values, servers;
    for (const auto& v : ranking.Values())
        values += v + "\r\n";
    for (const auto& e : ranking.Servers())
        servers += TPingRanking::ServerEntry(e.value, e.url) + "\r\n";
    ListBox_PingValue->SetText(values);
    ListBox_ServerUrl->SetText(servers);
    DebugReport(RankingReport(ranking));
}

void TForm1::TimerCheckPingEndTimer(TObject*) {
    Application->ProcessMessages();
    StopTimer(TimerCheckPingEnd);
    if (Application->Terminated()) return;
    if (ListBox_PingValue->Count() == 0 || ListBox_ServerUrl->Count() == 0) {
        Log(L"升级服务器列表为空,无法进行更新.");
        ShowFailurePicture();
        ArmTimer(TimerCloseMe, 3000);
        return;
    }
    const std::string& value = ListBox_PingValue->Strings(0);
    FastServerUrl = TPingRanking::UrlOfEntry(ListBox_ServerUrl->Strings(0), value);
    Log(L"最快的升级站点是:" + AnsiToWide(FastServerUrl));
    Log(L"正在下载更新文件...");
    Invoke(Button_DownUpdateing);
}

void TForm1::EndRunWithFailure() {
    Log(L"更新站点繁忙请稍候再进行更新...");
    ArmTimer(TimerCloseMe, 3000);
}

void TForm1::Button_DownUpdateingClick(TObject*) {
    for (;;) {
        ArmTimer(TimerUpdateEnd, 3000);
        if (ListBoxUpdateDownLoad->Count() == 0) return;
        ForceDirectoriesA(AppPath + "Update");
        const std::string line = ListBoxUpdateDownLoad->Strings(0);
        TUpdateLine parsed;
        TLineError error = TLineError::None;
        const TLineVerdict verdict = ReadListLine(line, listVerifier_.Enabled(), parsed, error);
        if (verdict == TLineVerdict::Skip) {
            ListBoxUpdateDownLoad->Delete(0);
            continue;
        }
        ShowLineFields(line);
        if (verdict == TLineVerdict::Refuse) {
            RefuseListLine(line, error);
            return;
        }
        TakeListLine(parsed);
        if (FetchUnlessCurrent()) return;
        ListBoxUpdateDownLoad->Delete(0);
    }
}

void TForm1::ShowLineFields(const std::string& line) {
    ListBoxSplit->Clear();
    for (const auto& field : SplitToList(line, "|"))
        ListBoxSplit->Add(field);
}

void TForm1::RefuseListLine(const std::string& line, TLineError error) {
    // The line stays, so the run does not report success.
    StopTimer(TimerUpdateEnd);
    Log(L"-->更新列表有误: " + AnsiToWide(line));
    Log(L"-->" + Utf8ToWide(LineErrorText(error)));
    EndRunWithFailure();
}

void TForm1::TakeListLine(const TUpdateLine& parsed) {
    DownLoadFileHash = parsed.hashField;
    DownLoadFileName = AnsiLowerCase(parsed.name);
    DownLoadFileSize = parsed.size;
    DownLoadFileDir = AnsiLowerCase(parsed.dir);
    ForceDirectoriesA(AppPath + DownLoadFileDir);
}

bool TForm1::FetchUnlessCurrent() {
    const std::string installed = InstalledPath();
    const std::wstring name = AnsiToWide(DownLoadFileName);
    const bool exists = FileExistsA(installed);
    switch (InstalledActionFor(exists, exists ? GetFileSizeByName(installed) : 0, DownLoadFileSize,
                               [&] { return HashMatches(installed); })) {
    case TInstalledAction::UpToDate:
        Log(name + L"不需要更新...");
        return false;
    case TInstalledAction::Replace:
        EnableDebugPrivilege();
        KillProcessByName(DownLoadFileName);
        Log(name + L"正在更新...");
        break;
    case TInstalledAction::Download:
        Log(name + L"正在下载...");
        break;
    }
    StartFileDownload();
    return true;
}

void TForm1::StartFileDownload() {
    // Not owned by the form: each one is freed when its transfer's handling is over.
    DownLoadGet = new THTTPGet(nullptr);
    DownLoadGet->BinaryData = true;
    DownLoadGet->UseCache = false;
    DownLoadGet->FileName = AppPath + "Update\\" + DownLoadFileName;
    DownLoadGet->URL = FastServerUrl + DownLoadFileName + "?" + Today();
    DownLoadGet->OnProgress = [this](TObject* s, int total, int readed) {
        HTTPGetProgress(s, total, readed);
    };
    DownLoadGet->OnDoneFile = [this](TObject* s, const std::string& file, int size) {
        ReleaseFinishedGet(s);
        HTTPGetDoneFile(s, file, size);
    };
    DownLoadGet->OnError = [this](TObject* s, const TNetFault& fault) {
        ReleaseFinishedGet(s);
        HTTPGetError(s, fault);
    };
    DownLoadGet->StartDownload();
}

void TForm1::ReleaseFinishedGet(TObject* sender) {
    auto* finished = static_cast<THTTPGet*>(sender);
    if (finished == DownLoadGet) DownLoadGet = nullptr;
    finishedGets_.emplace_back(finished);
    std::weak_ptr<bool> alive = alive_;
    // Queued behind the handling now running, so it is over when the call comes.
    Application->PostCall([this, alive] {
        if (alive.lock()) finishedGets_.clear();
    });
    DebugReport("download components alive: " + std::to_string(finishedGets_.size() + (DownLoadGet ? 1 : 0)));
}

// Runs on the window thread for every piece while the worker waits, so it only keeps the values;
// the controls are written when the throttle says a picture is due (the first piece, then at most
// every 40 ms), by the paint timer when pieces stop coming, and always at the end of the file.
void TForm1::HTTPGetProgress(TObject*, int TotalSize, int Readed) {
    if (progressThrottle_.Keep(TotalSize, Readed, ::GetTickCount64()))
        ShowProgress();
    else if (!ProgressPaintTimer->Ticking())
        ArmTimer(ProgressPaintTimer, static_cast<unsigned>(TProgressThrottle::kIntervalMs));
}

void TForm1::ShowProgress() {
    const TProgressThrottle::Values v = progressThrottle_.Show(::GetTickCount64());
    // Only what changed is written: every write of a visible control repaints it at once.
    if (DownLoadProgressBar->Max() != v.total) DownLoadProgressBar->SetMax(v.total);
    if (DownLoadProgressBar->Position() != v.readed) DownLoadProgressBar->SetPosition(v.readed);
    std::string received = std::to_string(v.readed / 1024);
    std::string total = std::to_string(v.total / 1024);
    if (Edit_DownLoadSize_A->Text() != received) Edit_DownLoadSize_A->SetText(received);
    if (Edit_DownLoadSize_B->Text() != total) Edit_DownLoadSize_B->SetText(total);
}

void TForm1::EndProgress() {
    StopTimer(ProgressPaintTimer);
    if (progressThrottle_.Pending()) ShowProgress();
    progressThrottle_.Restart();
}

void TForm1::HTTPGetDoneFile(TObject*, const std::string& FileName, int) {
    EndProgress();
    ArmTimer(TimerUpdateEnd, 3000);
    DownLoadProgressBar->SetPosition(0);
    const std::wstring name = AnsiToWide(DownLoadFileName);
    Log(L"-->" + name + L"下载完成");
    ::Sleep(300);
    const auto matches = [&] { return HashMatches(FileName); };
    switch (JudgeDownload(GetFileSizeByName(FileName), DownLoadFileSize, matches)) {
    case TDownloadVerdict::WrongSize:
        ReportWrongSize(FileName);
        EndRunWithFailure();
        return;
    case TDownloadVerdict::WrongHash:
        DiscardWrongContent(FileName);
        EndRunWithFailure();
        return;
    case TDownloadVerdict::Verified:
        break;
    }
    Log(L"-->" + name + L"校验成功. ");
    if (!InstallDownloadedFile(FileName)) {
        EndRunWithFailure();
        return;
    }
    NextListLine();
}

void TForm1::NextListLine() {
    // The self-extracting package unpacks itself once it is in place.
    if (DownLoadFileName == AnsiLowerCase(Edit_ZipFileName->Text())) {
        const std::string package = AppPath + Edit_ZipFileName->Text();
        if (!RunQuotedA(package, " -y", SW_SHOW)) DebugReport("could not start " + package);
    }
    if (ListBoxUpdateDownLoad->Count() > 0) ListBoxUpdateDownLoad->Delete(0);
    Invoke(Button_DownUpdateing);
}

void TForm1::ReportWrongSize(const std::string& downloaded) {
    const std::wstring name = AnsiToWide(DownLoadFileName);
    Log(L"-->" + name + L"校验失败.");
    Log(L"网上大小:" + name + L" " + DecimalW(DownLoadFileSize));
    Log(L"本地大小:" + name + L" " + DecimalW(GetFileSizeByName(downloaded)));
}

void TForm1::DiscardWrongContent(const std::string& downloaded) {
    const std::wstring name = AnsiToWide(DownLoadFileName);
    Log(L"-->" + name + L"校验失败.");
    Log(L"SHA-256不符:" + name);
    // The next run fetches the file anew rather than resuming a wrong copy.
    ::DeleteFileA(downloaded.c_str());
    ::DeleteFileA(ResumeStampFileName(downloaded).c_str());
}

bool TForm1::HashMatches(const std::string& downloaded) {
    TSha256 expected{};
    if (!ParseSha256Hex(DownLoadFileHash, expected)) return true; // no hash to check
    TDigest256 actual{};
    std::string error;
    if (!Sha256OfFile(downloaded, actual, error)) {
        DebugReport("SHA-256 of " + downloaded + ": " + error);
        return false;
    }
    return actual == expected;
}

bool TForm1::InstallDownloadedFile(const std::string& downloaded) {
    // Written beside the installed file, then swapped in with one replace: whatever fails, the
    // installed file is exactly as it was.
    const std::string installed = InstalledPath();
    const std::string fresh = InstallScratchPath(installed);
    ::DeleteFileA(fresh.c_str());
    TInstallStage stage = TInstallStage::WriteBeside;
    bool done = ::CopyFileA(downloaded.c_str(), fresh.c_str(), FALSE) != FALSE;
    if (done) {
        stage = TInstallStage::Replace;
        done = ::MoveFileExA(fresh.c_str(), installed.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (done) return true;
    const unsigned long error = ::GetLastError();
    ::DeleteFileA(fresh.c_str());
    Log(L"-->" + AnsiToWide(DownLoadFileName) + L"安装失败:" + Utf8ToWide(InstallFailureText(stage, error)) +
        L".");
    return false;
}

void TForm1::HTTPGetError(TObject* sender, const TNetFault& fault) {
    DebugReport("download of " + LogSafeUrl(static_cast<THTTPGet*>(sender)->URL) +
                " failed: " + DescribeNetFault(fault));
    EndProgress();
    DownLoadProgressBar->SetPosition(0);
    StopTimer(TimerUpdateEnd);
    Log(L"-->" + AnsiToWide(DownLoadFileName) + L"下载失败.");
    EndRunWithFailure();
}

void TForm1::Button_KillProcessClick(TObject*) {
    EnableDebugPrivilege();
    KillProcessByName(DownLoadFileName);
}

void TForm1::Button_DeleteUpdateFileClick(TObject*) {
    ShellDeletePath(AppPath + "Update");
}

bool TForm1::WriteBatch(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    if (!WriteFileBytes(path, text.data(), text.size())) {
        Log(L"无法写入文件: " + AnsiToWide(path));
        return false;
    }
    return true;
}

void TForm1::Button_UpdateMEClick(TObject*) {
    if (!FileExistsA(AppPath + "update.rar")) return;
    std::string batch = AppPath + "\\Up_Update.bat";
    // The ping is only a pause (about three seconds) while the updater exits; the loopback
    // name needs no network.
    if (!WriteBatch(batch, {"@ECHO OFF", "CLS", "ping localhost", "del update.exe",
                            "copy update.rar update.exe", "del %0"}))
        return;
    if (!RunQuotedA(batch, "", SW_HIDE)) DebugReport("could not start " + batch);
}

void TForm1::Button_SoftCloseDelFileClick(TObject*) {
    std::string batch = AppPath + "\\DelTempFile.bat";
    if (!WriteBatch(batch, {"@ECHO OFF", "CLS", "del zip.exe", "del %0"})) return;
    if (!RunQuotedA(batch, "", SW_HIDE)) DebugReport("could not start " + batch);
}

void TForm1::Button_RrunmeClick(TObject*) {
    std::string batch = AppPath + "\\RunMe.bat";
    // The updater's path in quotes: a folder with a blank in its name must not break it.
    if (!WriteBatch(batch, {"@ECHO OFF", "CLS", "\"" + AppPath + "update.exe\"", "del %0"})) return;
    if (!RunQuotedA(batch, "", SW_HIDE)) DebugReport("could not start " + batch);
}

void TForm1::ButtonHideSYSICOClick(TObject*) {
    ::ShowWindow(Handle(), SW_HIDE);
    HideTaskbarButton();
}

void TForm1::HideTaskbarButton() {
    // The taskbar button is the application window's: hidden and made a tool window, it goes.
    HWND app = Application->Handle();
    ::ShowWindow(app, SW_HIDE);
    ::SetWindowLongA(app, GWL_EXSTYLE, ::GetWindowLongA(app, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
}

void TForm1::CoolTrayIcon1Click(TObject*) {
    ShowRunWindow();
}

void TForm1::ShowRunWindow() {
    ::ShowWindow(Handle(), SW_HIDE);
    ::ShowWindow(Handle(), SW_SHOW);
    Application->ShowMainForm = true;
    Show();
    Repaint();
}

void TForm1::ICO_ServerTimer(TObject*) {
    CoolTrayIcon1->SetIconIndex(0);
    ArmTimer(ICO_ServerDown, 500);
    StopTimer(ICO_Server);
}

void TForm1::ICO_ServerDownTimer(TObject*) {
    CoolTrayIcon1->SetIconIndex(1);
    ArmTimer(ICO_Server, 500);
    StopTimer(ICO_ServerDown);
}

void TForm1::N1Click(TObject*) {
    ::ShowWindow(Handle(), SW_SHOW);
    ::ShowWindow(Handle(), SW_HIDE);
}

void TForm1::N2Click(TObject* sender) {
    CoolTrayIcon1Click(sender);
    SetStayOnTop(false);
    SetStayOnTop(true);
}

void TForm1::N4Click(TObject*) {
    Close();
}

void TForm1::Label6Click(TObject*) {
    Close();
}

void TForm1::Label14Click(TObject*) {
    ::ShellExecuteA(Handle(), "open", "EXPLORER.EXE", kSupportUrl, nullptr, SW_SHOWNORMAL);
}
