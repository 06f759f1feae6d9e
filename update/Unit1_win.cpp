#include "update/Unit1_win.h"

#include <windows.h>

#include <shellapi.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>

#include "framework/Application_win.h"
#include "framework/DebugSink_win.h"
#include "framework/FileBytes.h"
#include "framework/Files_win.h"
#include "framework/IniFile_win.h"
#include "framework/Text_win.h"
#include "net/HTTPGet_win.h"
#include "net/Unit_Function_win.h"
#include "net/Unit_ping_win.h"
#include "skin/WinSkinData_win.h"
#include "system/CoolTrayIcon_win.h"
#include "system/Unit_KillProcess_win.h"
#include "system/Unit_RefreshTrayIcon_win.h"
#include "update/ControlIds.h"
#include "update/ProgressThrottle.h"
#include "net/HTTPGet.h"
#include "system/Crypto_win.h"
#include "update/InstallStep.h"
#include "update/ListVerifier_win.h"
#include "update/RunLogic.h"

TForm1* Form1 = nullptr;

namespace {

constexpr int kClientWidth = 393;
constexpr int kClientHeight = 253;
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

template <class T> T* TForm1::Make(TWinControl* parent, int id, int left, int top, int width, int height) {
    T* control = new T(this);
    control->SetParent(parent);
    control->SetControlId(id);
    control->SetBounds(left, top, width, height);
    return control;
}

template <class T>
T* TForm1::MakeCaptioned(TWinControl* parent, int id, int left, int top, int width, int height,
                         const std::wstring& caption) {
    T* control = Make<T>(parent, id, left, top, width, height);
    control->SetCaption(caption);
    return control;
}

TForm1::TForm1(TComponent* owner) : TForm(owner, L"TForm1"), createdAt_(::GetTickCount64()) {
    Form1 = this;
    SetName("Form1");
    SetCaption(L"Quenbry更新[文件校验版] Ver:1.4.2009.11.18");
    SetStayOnTop(true);
    SetBounds(593, 362, 0, 0);
    SetClientSize(kClientWidth, kClientHeight);
    CenterOnDesktop();
    SetFormFont(L"宋体", -12, GB2312_CHARSET);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    SetIcons(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, LR_SHARED)),
             static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, LR_SHARED)));

    // The skin comes first, as it did when the window was streamed in: it is active for every
    // window created after it. A skin that fails to load leaves the window plain.
    SkinData1 = new TSkinData(this);
    SkinData1->SetName("SkinData1");
    // As streaming the form does: the stored skin and Active, then Loaded, which hands the skin
    // data to the skin manager.
    SkinData1->BeginReading();
    if (LoadSkinFromResource(*SkinData1)) SkinData1->SetActive(true);
    SkinData1->Loaded();

    CreateControls();
    CreateHiddenPage();

    auto makeTimer = [this](TNotifyEvent handler) {
        auto* timer = new TTimer(this);
        timer->SetOnTimer(std::move(handler));
        return timer;
    };
    Timer_ChuShiHua = makeTimer([this](TObject* s) { Timer_ChuShiHuaTimer(s); });
    TimerCloseMe = makeTimer([this](TObject* s) { TimerCloseMeTimer(s); });
    TimerCheckPingEnd = makeTimer([this](TObject* s) { TimerCheckPingEndTimer(s); });
    TimerUpdateEnd = makeTimer([this](TObject* s) { TimerUpdateEndTimer(s); });
    ICO_Server = makeTimer([this](TObject* s) { ICO_ServerTimer(s); });
    ICO_ServerDown = makeTimer([this](TObject* s) { ICO_ServerDownTimer(s); });
    ProgressPaintTimer = makeTimer([this](TObject*) {
        StopTimer(ProgressPaintTimer);
        if (progressThrottle_.Pending()) ShowProgress();
    });

    PopupMenu1 = new TPopupMenu(this);
    N1 = PopupMenu1->AddItem(L"隐藏窗口");
    N2 = PopupMenu1->AddItem(L"显示窗口");
    N4 = PopupMenu1->AddItem(L"强制退出");
    N1->OnClick = [this](TObject* s) { N1Click(s); };
    N2->OnClick = [this](TObject* s) { N2Click(s); };
    N4->OnClick = [this](TObject* s) { N4Click(s); };

    ImageList1 = new TImageList(this, 16, 16, 4, 4);
    for (int id = 101; id <= 103; ++id) {
        HICON icon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
        if (icon) {
            ImageList1->AddIcon(icon);
            ::DestroyIcon(icon);
        }
    }

    CreateTray();

    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
    OnDestroy = [this](TObject* s) { FormDestroy(s); };

    Handle();
    FormCreate(this);
}

TForm1::~TForm1() {
    DoDestroy();
    delete DownLoadGet;
    DownLoadGet = nullptr;
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::CreateControls() {
    PageControl1 = Make<TPageControl>(this, IDC_PageControl1, 0, 0, 393, 209);
    TabSheet1 = new TTabSheet(this, PageControl1, L"  主界面  ");
    TabSheet1->SetControlId(IDC_TabSheet1);
    PageControl1->Handle();

    GroupBox1 = Make<TGroupBox>(TabSheet1, IDC_GroupBox1, 0, 0, TabSheet1->Width(), TabSheet1->Height());
    const int inner = GroupBox1->Width() - 4;
    MemoUpdateLog = Make<TMemo>(GroupBox1, IDC_MemoUpdateLog, 2, 12, inner, 115);
    MemoUpdateLog->SetFrame(TEditFrame::Bevel);

    Label6 = MakeCaptioned<TLabel>(GroupBox1, IDC_Label6, 8, 136, 270, 16,
                                   L"需要下载:          KB 已经下载:          KB");
    // The size fields sit in the gaps of this text: its layout must not depend on the font.
    Label6->SetCellWidth(6);
    Label6->OnClick = [this](TObject* s) { Label6Click(s); };

    Edit_DownLoadSize_B = Make<TEdit>(GroupBox1, IDC_Edit_DownLoadSize_B, 63, 133, 56, 18);
    Edit_DownLoadSize_B->SetReadOnly(true);
    Edit_DownLoadSize_B->SetFrame(TEditFrame::Bevel);
    Edit_DownLoadSize_A = Make<TEdit>(GroupBox1, IDC_Edit_DownLoadSize_A, 195, 133, 56, 18);
    Edit_DownLoadSize_A->SetReadOnly(true);
    Edit_DownLoadSize_A->SetFrame(TEditFrame::Bevel);

    DownLoadProgressBar =
        Make<TProgressBar>(GroupBox1, IDC_DownLoadProgressBar, 2, GroupBox1->Height() - 2 - 19, inner, 19);
    DownLoadProgressBar->SetMax(100);
    DownLoadProgressBar->SetPosition(0);

    // 13 high rather than 12: the CJK fonts this runs with need the extra line to show descenders.
    Label14 =
        MakeCaptioned<TLabel>(this, IDC_Label14, 168, 216, 216, 13, L"Quenbry quenbry.example 提供技术支持");
    Label14->SetTextColor(RGB(0, 0, 128));
    Label14->SetCellWidth(6);
    Label14->SetCursor(IDC_HELP);
    Label14->OnClick = [this](TObject* s) { Label14Click(s); };

    StatusBar = Make<TStatusBar>(this, IDC_StatusBar, 0, kClientHeight - 19, kClientWidth, 19);
    StatusBar->SetPanelWidth(50);

    for (TWinControl* c :
         std::initializer_list<TWinControl*>{GroupBox1, MemoUpdateLog, Label6, Edit_DownLoadSize_B,
                                             Edit_DownLoadSize_A, DownLoadProgressBar, Label14, StatusBar})
        c->Handle();
    // The size fields sit in the gaps of the label's text and must be drawn above it.
    for (TWinControl* c :
         {static_cast<TWinControl*>(Edit_DownLoadSize_B), static_cast<TWinControl*>(Edit_DownLoadSize_A)})
        ::SetWindowPos(c->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TEdit* TForm1::MakeField(TWinControl* parent, int id, int labelId, const std::wstring& label, int top) {
    MakeCaptioned<TLabel>(parent, labelId, 8, top + 3, 170, 14, label);
    return Make<TEdit>(parent, id, 180, top, 280, 20);
}

void TForm1::CreateHiddenPage() {
    // Lies beyond the right edge of the client area and is never shown: the run's working memory.
    PageControl2 = Make<TPageControl>(this, IDC_PageControl2, 424, 16, 489, 497);
    PageControl2->SetVisible(false);
    TabSheet3 = new TTabSheet(this, PageControl2, L"读取版本信息");
    TabSheet3->SetControlId(IDC_TabSheet3);
    TabSheet4 = new TTabSheet(this, PageControl2, L"下载列表");
    TabSheet4->SetControlId(IDC_TabSheet4);
    TabSheet6 = new TTabSheet(this, PageControl2, L"按钮模块");
    TabSheet6->SetControlId(IDC_TabSheet6);
    PageControl2->Handle();

    GroupBox2 = Make<TGroupBox>(TabSheet3, IDC_GroupBox2, 4, 4, 470, 300);
    GroupBox2->SetCaption(L"读取配置文件");
    ButtonReadIni = MakeCaptioned<TButton>(GroupBox2, IDC_ButtonReadIni, 8, 20, 90, 24, L"读取INI");
    ServerUrl = MakeField(GroupBox2, IDC_ServerUrl, IDC_Label8, L"主服务器地址:", 52);
    Edit_ProcessName = MakeField(GroupBox2, IDC_Edit_ProcessName, IDC_Label7, L"主程序进程名:", 80);
    UpdatedRunProcessName =
        MakeField(GroupBox2, IDC_UpdatedRunProcessName, IDC_Label15, L"是否自动运行主程序:", 108);
    Edit_UpdateVisible = MakeField(GroupBox2, IDC_Edit_UpdateVisible, IDC_Label9, L"是否静默升级:", 136);
    EditGoUrl = MakeField(GroupBox2, IDC_EditGoUrl, IDC_Label13, L"是否需要跳出官网:", 164);
    Edit_UpdateFileList =
        MakeField(GroupBox2, IDC_Edit_UpdateFileList, IDC_Label12, L"升级文件列表文件名:", 192);
    Edit_ServerUrlFileName =
        MakeField(GroupBox2, IDC_Edit_ServerUrlFileName, IDC_Label11, L"升级服务器站点列表文件名:", 220);
    Edit_ZipFileName = MakeField(GroupBox2, IDC_Edit_ZipFileName, IDC_Label1, L"特殊自解压缩包文件名:", 248);

    Button_JianCeWangLuo =
        MakeCaptioned<TButton>(TabSheet4, IDC_Button_JianCeWangLuo, 8, 8, 110, 24, L"检测网络状态");
    MakeCaptioned<TLabel>(TabSheet4, IDC_Label4, 8, 40, 300, 14, L"批量下载 ServerUrl.txt UpdateList.txt");
    ListBoxServerTxt = Make<TListBox>(TabSheet4, IDC_ListBoxServerTxt, 8, 56, 200, 50);
    Button_DownLoadServerTxt =
        MakeCaptioned<TButton>(TabSheet4, IDC_Button_DownLoadServerTxt, 216, 56, 90, 24, L"下载3 txt");
    MakeCaptioned<TLabel>(TabSheet4, IDC_Label2, 8, 112, 200, 14, L"读取 版本信息进行对比");
    Memo_ClientVer = Make<TMemo>(TabSheet4, IDC_Memo_ClientVer, 8, 128, 73, 25);
    Memo_ServerVer = Make<TMemo>(TabSheet4, IDC_Memo_ServerVer, 88, 128, 73, 25);
    Button_LoadVer = MakeCaptioned<TButton>(TabSheet4, IDC_Button_LoadVer, 168, 128, 90, 24, L"读取版本");
    MakeCaptioned<TLabel>(TabSheet4, IDC_Label3, 8, 160, 200, 14, L"升级服务器列表:");
    ListBox_UpdateServerUrl = Make<TListBox>(TabSheet4, IDC_ListBox_UpdateServerUrl, 8, 176, 150, 80);
    ListBox_ServerUrl = Make<TListBox>(TabSheet4, IDC_ListBox_ServerUrl, 164, 176, 150, 80);
    ListBox_PingValue = Make<TListBox>(TabSheet4, IDC_ListBox_PingValue, 320, 176, 60, 80);
    ButtonUpdateWebPing =
        MakeCaptioned<TButton>(TabSheet4, IDC_ButtonUpdateWebPing, 388, 176, 80, 24, L"网站测速");
    MakeCaptioned<TLabel>(TabSheet4, IDC_Label5, 8, 264, 200, 14, L"需要更新的文件下载列表");
    ListBoxUpdateDownLoad = Make<TListBox>(TabSheet4, IDC_ListBoxUpdateDownLoad, 8, 280, 250, 120);
    ListBoxSplit = Make<TListBox>(TabSheet4, IDC_ListBoxSplit, 264, 280, 120, 120);
    Button_DownUpdateing =
        MakeCaptioned<TButton>(TabSheet4, IDC_Button_DownUpdateing, 8, 408, 160, 24, L"检查程序是否需要更新");

    Button_KillProcess =
        MakeCaptioned<TButton>(TabSheet6, IDC_Button_KillProcess, 8, 8, 200, 24, L"结束相关进程");
    Button_DeleteUpdateFile = MakeCaptioned<TButton>(TabSheet6, IDC_Button_DeleteUpdateFile, 8, 40, 200, 24,
                                                     L"删除Update目录下文件");
    Button_SoftCloseDelFile = MakeCaptioned<TButton>(TabSheet6, IDC_Button_SoftCloseDelFile, 8, 72, 200, 24,
                                                     L"升级程序退出需要删除的文件");
    Button_UpdateME =
        MakeCaptioned<TButton>(TabSheet6, IDC_Button_UpdateME, 8, 104, 200, 24, L"升级程序自我更新");
    ButtonHideSYSICO = MakeCaptioned<TButton>(TabSheet6, IDC_ButtonHideSYSICO, 8, 136, 200, 24, L"系统托盘");
    Button_Rrunme = MakeCaptioned<TButton>(TabSheet6, IDC_Button_Rrunme, 8, 168, 200, 24, L"重启自身");

    ButtonReadIni->OnClick = [this](TObject* s) { ButtonReadIniClick(s); };
    Button_JianCeWangLuo->OnClick = [this](TObject* s) { Button_JianCeWangLuoClick(s); };
    Button_DownLoadServerTxt->OnClick = [this](TObject* s) { Button_DownLoadServerTxtClick(s); };
    Button_LoadVer->OnClick = [this](TObject* s) { Button_LoadVerClick(s); };
    ButtonUpdateWebPing->OnClick = [this](TObject* s) { ButtonUpdateWebPingClick(s); };
    Button_DownUpdateing->OnClick = [this](TObject* s) { Button_DownUpdateingClick(s); };
    Button_KillProcess->OnClick = [this](TObject* s) { Button_KillProcessClick(s); };
    Button_DeleteUpdateFile->OnClick = [this](TObject* s) { Button_DeleteUpdateFileClick(s); };
    Button_SoftCloseDelFile->OnClick = [this](TObject* s) { Button_SoftCloseDelFileClick(s); };
    Button_UpdateME->OnClick = [this](TObject* s) { Button_UpdateMEClick(s); };
    ButtonHideSYSICO->OnClick = [this](TObject* s) { ButtonHideSYSICOClick(s); };
    Button_Rrunme->OnClick = [this](TObject* s) { Button_RrunmeClick(s); };

    // Every control of the hidden page exists as a window, so its state can be looked at.
    for (size_t i = 0; i < ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TWinControl*>(Components(i))) c->Handle();
}

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
        // No taskbar button: the application window is hidden and made a tool window.
        HWND app = Application->Handle();
        ::ShowWindow(app, SW_HIDE);
        ::SetWindowLongA(app, GWL_EXSTYLE, ::GetWindowLongA(app, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
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

void TForm1::CreateTray() {
    CoolTrayIcon1 = new TCoolTrayIcon(this);
    CoolTrayIcon1->SetName("CoolTrayIcon1");
    CoolTrayIcon1->SetHint(std::wstring(L"Quenbry升级程序"));
    CoolTrayIcon1->SetIconList(ImageList1);
    CoolTrayIcon1->SetIconIndex(0);
    CoolTrayIcon1->SetCycleInterval(0);
    CoolTrayIcon1->SetCycleIcons(false);
    CoolTrayIcon1->SetPopupMenu(PopupMenu1);
    CoolTrayIcon1->OnClick = [this](TObject* s) { CoolTrayIcon1Click(s); };
    CoolTrayIcon1->Loaded();
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
        ::ShowWindow(Handle(), SW_HIDE);
        ::ShowWindow(Handle(), SW_SHOW);
        Application->ShowMainForm = true;
        Show();
        Repaint();
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
    if (::InternetCheckConnectionA(ServerUrl->Text().c_str(), FLAG_ICC_FORCE_CONNECTION, 0)) {
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
    if (UpdatedRunProcessName->Text() == "true" && !Edit_ProcessName->Text().empty() && FileExistsA(client))
        RunQuotedA(client, "", SW_SHOW);
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
        if (fetched == TListFetch::Fetched) {
            Log(AnsiToWide(entry) + L"下载成功.");
            continue;
        }
        if (fetched == TListFetch::NotFetched) {
            Log(AnsiToWide(entry) + L"下载失败.");
            Log(L"服务器繁忙请稍候再进行升级...");
        } else {
            Log(AnsiToWide(entry) + L"签名校验失败:" + Utf8ToWide(reason) + L".");
        }
        ShowFailurePicture();
        ArmTimer(TimerCloseMe, 3000);
        return;
    }
    Invoke(Button_LoadVer);
}

TForm1::TListFetch TForm1::FetchList(const std::string& entry, std::string& reason) {
    const std::string target = AppPath + entry;
    const std::string url = ServerUrl->Text() + entry + "?" + Today();
    if (!listVerifier_.Enabled())
        return DownloadToFile(url, target) ? TListFetch::Fetched : TListFetch::NotFetched;

    // A signed run: the list goes into place only once its signature holds, so a refused list
    // never replaces the one from an earlier run.
    const std::string unverified = target + ".unverified", signature = target + ".sig";
    if (!DownloadToFile(url, unverified)) return TListFetch::NotFetched;
    std::string list, signatureText;
    std::uint64_t sequence = 0;
    bool good = false;
    if (!DownloadToFile(ServerUrl->Text() + entry + ".sig?" + Today(), signature))
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

    if (::InternetCheckConnectionA(ServerUrl->Text().c_str(), FLAG_ICC_FORCE_CONNECTION, 0)) {
        Invoke(ButtonUpdateWebPing);
    } else {
        Log(L"---->升级服务器无法访问或者暂时繁忙");
        ArmTimer(TimerCloseMe, 3000);
    }
}

void TForm1::ButtonUpdateWebPingClick(TObject*) {
    Log(L"正在对升级站点测速,请稍候...");
    TPingRanking ranking;
    for (const std::string& line : ListBox_UpdateServerUrl->Items().Items()) {
        std::string host =
            GetTextBetween(line, IsSecureUrl(line) ? "https://" : "http://", "/", SystemLeadByte);
        std::string address;
        std::string value;
        if (HostToIP(host, address)) {
            Tping ping;
            ping.PingAddress(address, value);
        }
        // A server that cannot be measured ranks like one that did not answer.
        if (value.empty()) value = TPingRanking::kNoAnswer;
        ranking.Add(value, line);
    }
    ListBox_PingValue->Clear();
    ListBox_ServerUrl->Clear();
    std::string values, servers;
    for (const auto& v : ranking.Values())
        values += v + "\r\n";
    for (const auto& e : ranking.Servers())
        servers += TPingRanking::ServerEntry(e.value, e.url) + "\r\n";
    ListBox_PingValue->SetText(values);
    ListBox_ServerUrl->SetText(servers);
    ArmTimer(TimerCheckPingEnd, 3000);
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
        std::string line = ListBoxUpdateDownLoad->Strings(0);
        if (IsBlankListLine(line)) {
            ListBoxUpdateDownLoad->Delete(0);
            continue;
        }
        ListBoxSplit->Clear();
        for (const auto& field : SplitToList(line, "|"))
            ListBoxSplit->Add(field);

        TUpdateLine parsed;
        TLineError error = ParseUpdateLine(line, parsed);
        if (error == TLineError::None &&
            HashCheckFor(parsed.hashField, listVerifier_.Enabled()) == THashCheck::Refuse)
            error = TLineError::NoHash;
        if (error != TLineError::None) {
            // The line stays, so the run does not report success.
            StopTimer(TimerUpdateEnd);
            Log(L"-->更新列表有误: " + AnsiToWide(line));
            Log(L"-->" + Utf8ToWide(LineErrorText(error)));
            EndRunWithFailure();
            return;
        }
        DownLoadFileHash = parsed.hashField;
        DownLoadFileName = AnsiLowerCase(parsed.name);
        DownLoadFileSize = parsed.size;
        DownLoadFileDir = AnsiLowerCase(parsed.dir);
        ForceDirectoriesA(AppPath + DownLoadFileDir);

        std::string installed = InstalledPath();
        std::wstring name = AnsiToWide(DownLoadFileName);
        if (FileExistsA(installed)) {
            // With a hash in the line a file is current only when its content matches too: a new
            // version of the same size is fetched.
            if (GetFileSizeByName(installed) == DownLoadFileSize && HashMatches(installed)) {
                Log(name + L"不需要更新...");
                ListBoxUpdateDownLoad->Delete(0);
                continue;
            }
            EnableDebugPrivilege();
            KillProcessByName(DownLoadFileName);
            Log(name + L"正在更新...");
        } else {
            Log(name + L"正在下载...");
        }
        StartFileDownload();
        return;
    }
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
    DownLoadGet->OnError = [this](TObject* s) {
        ReleaseFinishedGet(s);
        HTTPGetError(s);
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
    std::wstring name = AnsiToWide(DownLoadFileName);
    Log(L"-->" + name + L"下载完成");
    ::Sleep(300);
    int actual = GetFileSizeByName(FileName);
    if (actual == DownLoadFileSize) {
        if (!HashMatches(FileName)) {
            Log(L"-->" + name + L"校验失败.");
            Log(L"SHA-256不符:" + name);
            // The next run fetches the file anew rather than resuming a wrong copy.
            ::DeleteFileA(FileName.c_str());
            ::DeleteFileA(ResumeStampFileName(FileName).c_str());
            EndRunWithFailure();
            return;
        }
        Log(L"-->" + name + L"校验成功. ");
        if (!InstallDownloadedFile(FileName)) {
            EndRunWithFailure();
            return;
        }
        if (DownLoadFileName == AnsiLowerCase(Edit_ZipFileName->Text()))
            RunQuotedA(AppPath + Edit_ZipFileName->Text(), " -y", SW_SHOW);
        if (ListBoxUpdateDownLoad->Count() > 0) ListBoxUpdateDownLoad->Delete(0);
        Invoke(Button_DownUpdateing);
    } else {
        Log(L"-->" + name + L"校验失败.");
        Log(L"网上大小:" + name + L" " + DecimalW(DownLoadFileSize));
        Log(L"本地大小:" + name + L" " + DecimalW(GetFileSizeByName(FileName)));
        EndRunWithFailure();
    }
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

void TForm1::HTTPGetError(TObject*) {
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
    RunQuotedA(batch, "", SW_HIDE);
}

void TForm1::Button_SoftCloseDelFileClick(TObject*) {
    std::string batch = AppPath + "\\DelTempFile.bat";
    if (!WriteBatch(batch, {"@ECHO OFF", "CLS", "del zip.exe", "del %0"})) return;
    RunQuotedA(batch, "", SW_HIDE);
}

void TForm1::Button_RrunmeClick(TObject*) {
    std::string batch = AppPath + "\\RunMe.bat";
    // The updater's path in quotes: a folder with a blank in its name must not break it.
    if (!WriteBatch(batch, {"@ECHO OFF", "CLS", "\"" + AppPath + "update.exe\"", "del %0"})) return;
    RunQuotedA(batch, "", SW_HIDE);
}

void TForm1::ButtonHideSYSICOClick(TObject*) {
    ::ShowWindow(Handle(), SW_HIDE);
    HWND app = Application->Handle();
    ::ShowWindow(app, SW_HIDE);
    ::SetWindowLongA(app, GWL_EXSTYLE, ::GetWindowLongA(app, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
}

void TForm1::CoolTrayIcon1Click(TObject*) {
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
