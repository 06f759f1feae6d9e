#pragma once
// The main window: the run's visible face (log, progress, status) and its working memory (the
// hidden page of fields, lists and step buttons, the timers and the run-state variables).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/ComCtrls_win.h"
#include "framework/ExtCtrls_win.h"
#include "framework/Forms_win.h"
#include "framework/ImgList_win.h"
#include "framework/Menus_win.h"
#include "framework/StdCtrls_win.h"
#include "update/ListVerifier_win.h"
#include "update/ProgressThrottle.h"
#include "update/RunLogic.h"

class THTTPGet;
struct TNetFault;
class TCoolTrayIcon;
class TSkinData;

class TForm1 : public TForm {
public:
    explicit TForm1(TComponent* owner);
    ~TForm1() override;

    // Visible area.
    TPageControl* PageControl1 = nullptr;
    TTabSheet* TabSheet1 = nullptr;
    TGroupBox* GroupBox1 = nullptr;
    TMemo* MemoUpdateLog = nullptr;
    TLabel* Label6 = nullptr;
    TEdit* Edit_DownLoadSize_B = nullptr;
    TEdit* Edit_DownLoadSize_A = nullptr;
    TProgressBar* DownLoadProgressBar = nullptr;
    TLabel* Label14 = nullptr;
    TStatusBar* StatusBar = nullptr;

    // Hidden working area.
    TPageControl* PageControl2 = nullptr;
    TTabSheet* TabSheet3 = nullptr;
    TGroupBox* GroupBox2 = nullptr;
    TButton* ButtonReadIni = nullptr;
    TEdit* ServerUrl = nullptr;
    TEdit* Edit_ProcessName = nullptr;
    TEdit* UpdatedRunProcessName = nullptr;
    TEdit* Edit_UpdateVisible = nullptr;
    TEdit* EditGoUrl = nullptr;
    TEdit* Edit_UpdateFileList = nullptr;
    TEdit* Edit_ServerUrlFileName = nullptr;
    TEdit* Edit_ZipFileName = nullptr;
    TTabSheet* TabSheet4 = nullptr;
    TButton* Button_JianCeWangLuo = nullptr;
    TListBox* ListBoxServerTxt = nullptr;
    TButton* Button_DownLoadServerTxt = nullptr;
    TMemo* Memo_ClientVer = nullptr;
    TMemo* Memo_ServerVer = nullptr;
    TButton* Button_LoadVer = nullptr;
    TListBox* ListBox_UpdateServerUrl = nullptr;
    TListBox* ListBox_ServerUrl = nullptr;
    TListBox* ListBox_PingValue = nullptr;
    TButton* ButtonUpdateWebPing = nullptr;
    TListBox* ListBoxUpdateDownLoad = nullptr;
    TListBox* ListBoxSplit = nullptr;
    TButton* Button_DownUpdateing = nullptr;
    TTabSheet* TabSheet6 = nullptr;
    TButton* Button_KillProcess = nullptr;
    TButton* Button_DeleteUpdateFile = nullptr;
    TButton* Button_SoftCloseDelFile = nullptr;
    TButton* Button_UpdateME = nullptr;
    TButton* ButtonHideSYSICO = nullptr;
    TButton* Button_Rrunme = nullptr;

    // Non-visual components.
    TTimer* Timer_ChuShiHua = nullptr;
    TTimer* TimerCloseMe = nullptr;
    TTimer* TimerCheckPingEnd = nullptr;
    TTimer* TimerUpdateEnd = nullptr;
    TTimer* ICO_Server = nullptr;
    TTimer* ICO_ServerDown = nullptr;
    // Brings the download progress to the screen when pieces stop coming between two pictures.
    TTimer* ProgressPaintTimer = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* N2 = nullptr;
    TMenuItem* N4 = nullptr;
    TImageList* ImageList1 = nullptr;
    TCoolTrayIcon* CoolTrayIcon1 = nullptr;
    TSkinData* SkinData1 = nullptr;

    // Run state.
    std::string DownLoadFileHash;
    TListVerifier listVerifier_{""};
    std::string AppPath;
    std::string FastServerUrl;
    std::string DownLoadFileName;
    int DownLoadFileSize = 0;
    std::string DownLoadFileDir;
    // The transfer under way; finished ones wait in finishedGets_ until their completion
    // handling has returned (the next transfer starts inside it), then a deferred call frees them.
    THTTPGet* DownLoadGet = nullptr;
    std::vector<std::unique_ptr<THTTPGet>> finishedGets_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    void ReleaseFinishedGet(TObject* sender);

    // Window operations used by every step.
    void Log(const std::wstring& line);
    void ClearLog();
    void SetStatus(const std::wstring& text);
    static void Invoke(TButton* step);
    static void ArmTimer(TTimer* timer, unsigned ms) { timer->Arm(ms); }
    static void StopTimer(TTimer* timer) { timer->Stop(); }

    // Handlers.
    void FormCreate(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void FormDestroy(TObject* sender);
    void ButtonReadIniClick(TObject* sender);
    void Timer_ChuShiHuaTimer(TObject* sender);
    void Button_JianCeWangLuoClick(TObject* sender);
    void TimerCloseMeTimer(TObject* sender);
    void TimerUpdateEndTimer(TObject* sender);
    void Button_DownLoadServerTxtClick(TObject* sender);
    void Button_LoadVerClick(TObject* sender);
    void ButtonUpdateWebPingClick(TObject* sender);
    void TimerCheckPingEndTimer(TObject* sender);
    void Button_DownUpdateingClick(TObject* sender);
    void Button_KillProcessClick(TObject* sender);
    void Button_DeleteUpdateFileClick(TObject* sender);
    void Button_SoftCloseDelFileClick(TObject* sender);
    void Button_UpdateMEClick(TObject* sender);
    void Button_RrunmeClick(TObject* sender);
    void ButtonHideSYSICOClick(TObject* sender);
    void ICO_ServerTimer(TObject* sender);
    void ICO_ServerDownTimer(TObject* sender);
    void N1Click(TObject* sender);
    void N2Click(TObject* sender);
    void N4Click(TObject* sender);
    void Label14Click(TObject* sender);
    void Label6Click(TObject* sender);
    void CoolTrayIcon1Click(TObject* sender);
    void HTTPGetProgress(TObject* sender, int TotalSize, int Readed);
    void HTTPGetDoneFile(TObject* sender, const std::string& FileName, int FileSize);
    // Fetching one list file; in a signed run with its signature checked.
    enum class TListFetch { Fetched, NotFetched, Refused };
    TListFetch FetchList(const std::string& entry, std::string& reason);
    // One list download; a failure's cause goes to the debug log.
    bool FetchReported(const std::string& url, const std::string& target);
    static constexpr std::uint64_t kMaxListBytes = std::uint64_t{16} * 1024 * 1024;
    // The downloaded file against the SHA-256 of its list line (true when the line has none).
    [[nodiscard]] bool HashMatches(const std::string& downloaded);
    // Puts the verified download in place; false (with a log line) when it could not.
    [[nodiscard]] bool InstallDownloadedFile(const std::string& downloaded);
    // The window's log says that the file failed; the debug log says why.
    void HTTPGetError(TObject* sender, const TNetFault& fault);

private:
    // When the window began to be built (GetTickCount64): the run starts 1500 ms after it.
    unsigned long long createdAt_;
    TProgressThrottle progressThrottle_;
    void CreateControls();
    void CreateTimers();
    void CreateTray();
    // The four steps of every failure that the tray shows: both picture timers stopped, picture 3.
    void ShowFailurePicture();
    // Whether the main server accepts a connection; when not, the debug log says why.
    bool MainServerAnswers();
    // Loads a list file beside the program into the list box, without its empty lines. When it is
    // missing: the status text, the failure picture, and false.
    [[nodiscard]] bool LoadListFile(const std::string& name, TListBox* into, const std::wstring& failure);
    // The download step's parts for the first line of the update list.
    void ShowLineFields(const std::string& line);
    void RefuseListLine(const std::string& line, TLineError error);
    void TakeListLine(const TUpdateLine& parsed);
    // Starts the line's transfer, or says the installed file is current and returns false.
    bool FetchUnlessCurrent();
    void StartFileDownload();
    // A finished transfer that is not the listed file: the log says why.
    void ReportWrongSize(const std::string& downloaded);
    void DiscardWrongContent(const std::string& downloaded);
    // Writes the kept progress values into the bar and the two size fields.
    void ShowProgress();
    // The end of a file's transfer: its last values are shown, the next file starts afresh.
    void EndProgress();
    void EndRunWithFailure();
    void EndRunWithListFailure(const std::string& entry, TListFetch fetched, const std::string& reason);
    // After a file is in place: the self-extractor runs, the next line is taken.
    void NextListLine();
    // The ping value of an update server for the ranking.
    static std::string PingValueOf(const std::string& serverUrl);
    void ShowRanking(const TPingRanking& ranking);
    void ShowRunWindow();
    void HideTaskbarButton();
    [[nodiscard]] bool WriteBatch(const std::string& path, const std::vector<std::string>& lines);
    std::string Today() const;
    std::string InstalledPath() const { return AppPath + DownLoadFileDir + DownLoadFileName; }
    void CreateHiddenPage();
    void CreateSettingsTab();
    void CreateListsTab();
    void CreateStepsTab();
    void ConnectSteps();
    template <class T> T* Make(TWinControl* parent, int id, int left, int top, int width, int height);
    template <class T>
    T* MakeCaptioned(TWinControl* parent, int id, int left, int top, int width, int height,
                     const std::wstring& caption);
    TEdit* MakeField(TWinControl* parent, int id, int labelId, const std::wstring& label, int top);
};

extern TForm1* Form1;
