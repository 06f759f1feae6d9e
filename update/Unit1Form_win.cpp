#include "update/Unit1_win.h"

// Building the window: the visible area, the hidden page that holds the run's working memory, the
// timers, the tray menu and icon. The steps of the run are in Unit1_win.cpp.
#include <windows.h>

#include <initializer_list>

#include "net/HTTPGet_win.h"
#include "skin/model/WinSkinData_win.h"
#include "system/CoolTrayIcon_win.h"
#include "update/ControlIds.h"

namespace {

constexpr int kClientWidth = 393;
constexpr int kClientHeight = 253;

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
    CreateTimers();
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

    CreateSettingsTab();
    CreateListsTab();
    CreateStepsTab();
    ConnectSteps();

    // Every control of the hidden page exists as a window, so its state can be looked at.
    for (size_t i = 0; i < ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TWinControl*>(Components(i))) c->Handle();
}

// The settings read from UpdateConFig.ini.
void TForm1::CreateSettingsTab() {
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
}

// The lists the run fetches, ranks and works through.
void TForm1::CreateListsTab() {
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
}

void TForm1::CreateStepsTab() {
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
}

// Each step runs by a click on its button, from the step before it.
void TForm1::ConnectSteps() {
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
}

void TForm1::CreateTimers() {
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
}

// The tray icon with its menu and its pictures.
void TForm1::CreateTray() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
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
