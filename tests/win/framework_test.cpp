// The runtime under Wine: timers, controls as real windows, click reflection, list boxes and
// edits keeping exact bytes, and the profile reader on broken files.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "framework/Application_win.h"
#include "framework/ComCtrls_win.h"
#include "framework/ExtCtrls_win.h"
#include "framework/Forms_win.h"
#include "framework/HalfScaleText_win.h"
#include "framework/IniFile_win.h"
#include "framework/StdCtrls_win.h"
#include "framework/Text_win.h"
#include "helpers/MessagePump.h"

namespace {

class Framework : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<TApplication>();
        app->Initialize();
    }
    void TearDown() override { app.reset(); }
    std::unique_ptr<TApplication> app;
};

struct TickLog {
    std::vector<DWORD> at;
    DWORD start = ::GetTickCount();
    void Tick() { at.push_back(::GetTickCount() - start); }
};

TEST_F(Framework, ArmedTimerTicksEveryIntervalUntilStopped) {
    TickLog log;
    TTimer timer(nullptr);
    timer.SetOnTimer([&](TObject*) { log.Tick(); });
    timer.Arm(100);
    PumpFor(550);
    timer.Stop();
    size_t ticks = log.at.size();
    EXPECT_GE(ticks, 3u);
    EXPECT_LE(ticks, 6u);
    PumpFor(300);
    EXPECT_EQ(log.at.size(), ticks) << "a stopped timer ticked";
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 0u);
}

TEST_F(Framework, ArmingARunningTimerWithItsOwnIntervalKeepsTheCountdown) {
    TickLog log;
    TTimer timer(nullptr);
    timer.SetOnTimer([&](TObject*) {
        log.Tick();
        timer.Stop();
    });
    timer.Arm(600);
    PumpFor(400);
    timer.Arm(600); // same interval: must not restart the period
    PumpFor(700);
    ASSERT_EQ(log.at.size(), 1u);
    EXPECT_LT(log.at[0], 950u) << "the countdown was restarted";
}

TEST_F(Framework, ArmingWithAnotherIntervalRestartsThePeriod) {
    TickLog log;
    TTimer timer(nullptr);
    timer.SetOnTimer([&](TObject*) {
        log.Tick();
        timer.Stop();
    });
    timer.Arm(300);
    PumpFor(200);
    timer.Arm(600);
    PumpFor(900);
    ASSERT_EQ(log.at.size(), 1u);
    EXPECT_GE(log.at[0], 700u);
}

TEST_F(Framework, IntervalZeroNeverFires) {
    int ticks = 0;
    TTimer timer(nullptr);
    timer.SetOnTimer([&](TObject*) { ++ticks; });
    timer.SetEnabled(true);
    PumpFor(300);
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(timer.Ticking());
}

TEST_F(Framework, DestroyedTimerDoesNotTick) {
    int ticks = 0;
    auto* timer = new TTimer(nullptr);
    timer->SetOnTimer([&](TObject*) { ++ticks; });
    timer->Arm(50);
    delete timer;
    PumpFor(200);
    EXPECT_EQ(ticks, 0);
}

class TestForm : public TForm {
public:
    explicit TestForm(TComponent* owner) : TForm(owner, L"TFrameworkTestForm") {
        SetClientSize(300, 200);
        button = new TButton(this);
        button->SetParent(this);
        button->SetBounds(10, 10, 80, 24);
        button->SetCaption(L"按钮");
        label = new TLabel(this);
        label->SetParent(this);
        label->SetBounds(10, 40, 80, 14);
        edit = new TEdit(this);
        edit->SetParent(this);
        edit->SetBounds(10, 60, 80, 20);
        list = new TListBox(this);
        list->SetParent(this);
        list->SetBounds(100, 10, 100, 80);
        memo = new TMemo(this);
        memo->SetParent(this);
        memo->SetBounds(100, 100, 100, 60);
        status = new TStatusBar(this);
        status->SetParent(this);
        progress = new TProgressBar(this);
        progress->SetParent(this);
        progress->SetBounds(10, 170, 200, 16);
        pages = new TPageControl(this);
        pages->SetParent(this);
        pages->SetBounds(210, 10, 80, 80);
        new TTabSheet(this, pages, L"页");
        for (size_t i = 0; i < ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TWinControl*>(Components(i))) c->Handle();
    }
    ~TestForm() override { DoDestroy(); }
    TButton* button;
    TLabel* label;
    TEdit* edit;
    TListBox* list;
    TMemo* memo;
    TStatusBar* status;
    TProgressBar* progress;
    TPageControl* pages;
};

TEST_F(Framework, ControlsAreRealWindowsOfTheStandardClasses) {
    TestForm form(nullptr);
    EXPECT_EQ(form.button->WindowClassName(), L"Button");
    EXPECT_EQ(form.label->WindowClassName(), L"Static");
    EXPECT_EQ(form.edit->WindowClassName(), L"Edit");
    EXPECT_EQ(form.list->WindowClassName(), L"ListBox");
    EXPECT_EQ(form.status->WindowClassName(), L"msctls_statusbar32");
    EXPECT_EQ(form.progress->WindowClassName(), L"msctls_progress32");
    EXPECT_EQ(form.pages->WindowClassName(), L"SysTabControl32");
    EXPECT_EQ(::GetParent(form.button->Handle()), form.Handle());
    EXPECT_EQ(FindControl(form.edit->Handle()), form.edit);
}

TEST_F(Framework, ClicksReachTheControlsOwnHandler) {
    TestForm form(nullptr);
    int buttonClicks = 0, labelClicks = 0;
    form.button->OnClick = [&](TObject* s) {
        EXPECT_EQ(s, form.button);
        ++buttonClicks;
    };
    form.label->OnClick = [&](TObject*) { ++labelClicks; };
    ::SendMessageW(form.button->Handle(), BM_CLICK, 0, 0);
    ::SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
                   reinterpret_cast<LPARAM>(form.label->Handle()));
    EXPECT_EQ(buttonClicks, 1);
    EXPECT_EQ(labelClicks, 1);
    form.button->Click(); // a step invoked from code
    EXPECT_EQ(buttonClicks, 2);
}

TEST_F(Framework, ListBoxKeepsTheExactBytesAndTheWindowShowsThem) {
    TestForm form(nullptr);
    std::string gbk = "\xC9\xFD\xBC\xB6"; // "升级" in GBK
    form.list->Add("first");
    form.list->Add(gbk);
    form.list->SetText("a\nb\r\nc");
    EXPECT_EQ(form.list->Count(), 3u);
    EXPECT_EQ(::SendMessageW(form.list->Handle(), LB_GETCOUNT, 0, 0), 3);
    form.list->Add(gbk);
    EXPECT_EQ(form.list->Strings(3), gbk);
    form.list->Delete(0);
    wchar_t buffer[64] = {};
    ::SendMessageW(form.list->Handle(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer));
    EXPECT_STREQ(buffer, L"b");
}

TEST_F(Framework, EditReturnsTheBytesThatWereSet) {
    TestForm form(nullptr);
    std::string value = "http://\xB8\xFC\xD0\xC2.example/";
    form.edit->SetText(value);
    EXPECT_EQ(form.edit->Text(), value);
    ::SetWindowTextW(form.edit->Handle(), L"typed");
    EXPECT_EQ(form.edit->Text(), "typed");
}

TEST_F(Framework, MemoAppendsLinesAndStatusBarShowsItsPanelText) {
    TestForm form(nullptr);
    form.memo->AddLine(L"正在初始化...");
    form.memo->AddLine(L"second");
    EXPECT_EQ(form.memo->AllText(), L"正在初始化...\r\nsecond\r\n");
    form.memo->Clear();
    EXPECT_EQ(form.memo->AllText(), L"");
    form.status->SetPanelText(L"无法获取更新文件列表信息.");
    wchar_t buffer[64] = {};
    ::GetWindowTextW(form.status->Handle(), buffer, 64);
    EXPECT_STREQ(buffer, L"无法获取更新文件列表信息.");
}

TEST_F(Framework, ProcessMessagesRunsWhatIsPending) {
    TestForm form(nullptr);
    int clicks = 0;
    form.button->OnClick = [&](TObject*) { ++clicks; };
    ::PostMessageW(form.button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 0);
    app->ProcessMessages();
    EXPECT_EQ(clicks, 1);
}

TEST_F(Framework, ClosingTheMainFormEndsTheLoopAfterItsCloseHandler) {
    auto* form = new TestForm(app.get());
    app->SetMainForm(form);
    app->ShowMainForm = false;
    int closes = 0;
    form->OnClose = [&](TObject*, TCloseAction& action) {
        EXPECT_EQ(action, TCloseAction::caFree);
        ++closes;
    };
    TTimer closer(nullptr);
    closer.SetOnTimer([&](TObject*) {
        form->Close();
        form->Close(); // a second request is the same close
    });
    closer.Arm(50);
    app->Run();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(app->Terminated());
}

TEST_F(Framework, DestroyingAFormDestroysItsWindows) {
    auto* form = new TestForm(nullptr);
    HWND formWnd = form->Handle();
    HWND editWnd = form->edit->Handle();
    delete form;
    EXPECT_FALSE(::IsWindow(formWnd));
    EXPECT_FALSE(::IsWindow(editWnd));
}

class ProfileFile : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) {
        char dir[MAX_PATH];
        ::GetTempPathA(MAX_PATH, dir);
        path = std::string(dir) + "framework_profile_test.ini";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    void TearDown() override { ::DeleteFileA(path.c_str()); }
    std::string path;
};

TEST_F(ProfileFile, StripsBlanksAndOnePairOfQuotesAndIgnoresCase) {
    TIniFile ini(Write("[softsetinfo]\r\nSERVERURL =  \"Http://X/\"  \r\nGoUrl=\"\"a\"\"\r\n"));
    EXPECT_EQ(ini.ReadString("SoftSetInfo", "ServerUrl", "d"), "Http://X/");
    EXPECT_EQ(ini.ReadString("SoftSetInfo", "GoUrl", "d"), "\"a\"");
    EXPECT_EQ(ini.ReadString("SoftSetInfo", "Missing", "default"), "default");
    EXPECT_EQ(ini.ReadString("Other", "ServerUrl", ""), "");
}

TEST_F(ProfileFile, ReadsAtMost2047BytesOfAValue) {
    TIniFile ini(Write("[SoftSetInfo]\r\nServerUrl=" + std::string(5000, 'x') + "\r\n"));
    EXPECT_EQ(ini.ReadString("SoftSetInfo", "ServerUrl", "").size(), 2047u);
}

TEST_F(ProfileFile, BinaryGarbageReadsAsFarAsTheRulesAllow) {
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 131 + 7) & 0xFF);
    TIniFile ini(Write(junk + "\r\n[SoftSetInfo]\r\nProcessName=client.exe\r\n" + junk));
    EXPECT_EQ(ini.ReadString("SoftSetInfo", "ProcessName", ""), "client.exe");
    EXPECT_EQ(ini.ReadString("SoftSetInfo", "ServerUrl", "none"), "none");
}

} // namespace

namespace {

// The tray animation's pattern: two timers that arm each other and stop themselves.
TEST_F(Framework, TwoTimersArmingEachOtherAlternate) {
    std::vector<int> shown;
    TTimer up(nullptr), down(nullptr);
    up.SetOnTimer([&](TObject*) {
        shown.push_back(0);
        down.Arm(100);
        up.Stop();
    });
    down.SetOnTimer([&](TObject*) {
        shown.push_back(1);
        up.Arm(100);
        down.Stop();
    });
    up.Arm(100);
    PumpFor(1050);
    ASSERT_GE(shown.size(), 6u);
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i], static_cast<int>(i % 2)) << i;
}

} // namespace

// Small CJK captions drawn from the outlines: at the label's size the glyph is the outline at twice
// the size reduced 2:1 (some fonts' own small bitmaps lose strokes there).
TEST_F(Framework, HalfScaleTextDrawsTheOutlineReducedAtTheFontsSize) {
    auto font = [](int height) {
        LOGFONTW lf{};
        lf.lfHeight = height;
        lf.lfCharSet = GB2312_CHARSET;
        lf.lfQuality = NONANTIALIASED_QUALITY;
        ::lstrcpyW(lf.lfFaceName, L"宋体");
        return unique_hfont(::CreateFontIndirectW(&lf));
    };
    auto dark = [](HDC dc, int x, int y) { return GetGValue(::GetPixel(dc, x, y)) < 128; };
    const wchar_t glyph[] = L"需";
    unique_hbitmap small(::CreateBitmap(16, 16, 1, 32, nullptr));
    unique_hbitmap large(::CreateBitmap(32, 32, 1, 32, nullptr));
    unique_hdc ref(::CreateCompatibleDC(nullptr));
    unique_hdc dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(ref && dc && small && large);
    RECT all{0, 0, 32, 32};

    // The reference: the outline at twice the size, drawn plainly.
    unique_hfont big = font(-24);
    ScopedSelectObject refBitmap(ref.get(), large.get());
    ScopedSelectObject refFont(ref.get(), big.get());
    ::FillRect(ref.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(ref.get(), TRANSPARENT);
    ::TextOutW(ref.get(), 0, 0, glyph, 1);

    unique_hfont label = font(-12);
    ScopedSelectObject bitmap(dc.get(), small.get());
    ScopedSelectObject selected(dc.get(), label.get());
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ASSERT_TRUE(THalfScaleText(dc.get()).Draw(0, 0, glyph, 1, RGB(0, 0, 0)));

    // Every pixel whose 2x2 block is mostly ink is dark, every one mostly paper is light (half and
    // half may go either way).
    int inked = 0, wrong = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int ink = dark(ref.get(), 2 * x, 2 * y) + dark(ref.get(), 2 * x + 1, 2 * y) +
                            dark(ref.get(), 2 * x, 2 * y + 1) + dark(ref.get(), 2 * x + 1, 2 * y + 1);
            if (ink == 2) continue;
            inked += ink > 2;
            wrong += (ink > 2) != dark(dc.get(), x, y);
        }
    EXPECT_GE(inked, 10) << "the reference glyph itself";
    EXPECT_EQ(wrong, 0);
}
