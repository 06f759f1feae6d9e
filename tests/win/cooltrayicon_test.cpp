// TCoolTrayIcon against Wine's notification area: the shell calls, the shared callback window,
// the events raised by synthetic callbacks, pictures, balloons, the taskbar re-creation notice,
// the owner form's subclassing and clean removal.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Application_win.h"
#include "framework/Forms_win.h"
#include "framework/ImgList_win.h"
#include "framework/Menus_win.h"
#include "framework/Text_win.h"
#include "helpers/MessagePump.h"
#include "system/CoolTrayIcon_win.h"
#include "system/Unit_RefreshTrayIcon_win.h"

namespace {

HWND FindHandlerWindow() {
    return ::FindWindowA(kTrayIconWindowClass, nullptr);
}

// Whether the shell knows an icon with this record's window and id (a modify succeeds).
bool ShellHasIcon(const NOTIFYICONDATAA& record) {
    NOTIFYICONDATAA probe = record;
    probe.uFlags = NIF_TIP;
    return ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

class CoolTrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Application, nullptr);
        app = std::make_unique<TApplication>();
        app->Initialize();
        form = new TForm(app.get(), L"TTrayTestForm");
        form->SetBounds(100, 100, 200, 150);
        app->SetMainForm(form);
        tray = new TCoolTrayIcon(form);
    }
    void TearDown() override { app.reset(); }

    LRESULT Callback(unsigned message) {
        return ::SendMessageA(TrayIconHandler()->Handle(), TrayCallbackMessage, tray->TrayId(), message);
    }

    TImageList* ThreePictures() {
        auto* list = new TImageList(form, 16, 16, 4, 4);
        const LPCWSTR ids[] = {IDI_APPLICATION, IDI_WARNING, IDI_ERROR};
        for (LPCWSTR id : ids)
            list->AddIcon(::LoadIconW(nullptr, id));
        return list;
    }

    std::unique_ptr<TApplication> app;
    TForm* form = nullptr;
    TCoolTrayIcon* tray = nullptr;
    std::vector<std::string> events;
};

TEST_F(CoolTrayIconTest, RecordIsSetUpForTheSharedHandlerWindow) {
    const NOTIFYICONDATAA& r = tray->TrayRecord();
    EXPECT_EQ(r.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    ASSERT_NE(TrayIconHandler(), nullptr);
    EXPECT_EQ(r.hWnd, TrayIconHandler()->Handle());
    EXPECT_EQ(FindHandlerWindow(), r.hWnd);
    EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(r.uCallbackMessage, 0x0800u);
    EXPECT_NE(r.uID, 0u);
    EXPECT_FALSE(tray->IconVisible());
    EXPECT_TRUE(tray->Enabled);
    EXPECT_TRUE(tray->ShowHint());
}

TEST_F(CoolTrayIconTest, ShellAddModifyDeleteSucceed) {
    ASSERT_NE(::FindWindowA("Shell_TrayWnd", nullptr), nullptr);
    tray->SetIcon([] {
        static TIcon icon;
        icon.SetHandle(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
        return std::ref(icon);
    }());
    EXPECT_TRUE(tray->AddTrayEntry());
    EXPECT_TRUE(tray->IconVisible());
    EXPECT_TRUE(tray->RefreshTrayEntry());
    EXPECT_TRUE(ShellHasIcon(tray->TrayRecord()));
    EXPECT_TRUE(tray->RemoveTrayEntry());
    EXPECT_FALSE(tray->IconVisible());
    EXPECT_FALSE(ShellHasIcon(tray->TrayRecord()));
}

TEST_F(CoolTrayIconTest, TipIsCutAt127BytesAndHiddenWithShowHintFalse) {
    tray->SetHint(std::string(200, 'h'));
    EXPECT_EQ(std::string(tray->TrayRecord().szTip), std::string(127, 'h'));
    tray->SetShowHint(false);
    EXPECT_EQ(std::string(tray->TrayRecord().szTip), "");
    tray->SetShowHint(true);
    tray->SetHint(L"Quenbry升级程序");
    EXPECT_EQ(std::string(tray->TrayRecord().szTip), WideToAnsi(L"Quenbry升级程序"));
    EXPECT_EQ(std::string(tray->TrayRecord().szTip).size(), 15u) << "GBK: two bytes per Chinese character";
}

TEST_F(CoolTrayIconTest, IconIndexPastTheEndShowsTheLastPicture) {
    tray->SetIconIndex(2);
    EXPECT_EQ(tray->IconIndex(), 0) << "no list";
    tray->SetIconList(ThreePictures());
    tray->SetIconIndex(3);
    EXPECT_EQ(tray->IconIndex(), 2);
    EXPECT_NE(tray->Icon().Handle(), nullptr);
    EXPECT_EQ(tray->TrayRecord().hIcon, tray->Icon().Handle());
}

TEST_F(CoolTrayIconTest, LosingTheImageListResetsTheIndex) {
    TImageList* list = ThreePictures();
    tray->SetIconList(list);
    tray->SetIconIndex(1);
    delete list;
    EXPECT_EQ(tray->IconList(), nullptr);
    EXPECT_EQ(tray->IconIndex(), 0);
}

TEST_F(CoolTrayIconTest, AnimationStepsThroughThePictures) {
    tray->SetIconList(ThreePictures());
    std::vector<int> next;
    tray->OnCycle = [&](TObject* sender, int n) {
        EXPECT_EQ(sender, tray);
        next.push_back(n);
    };
    tray->SetCycleInterval(40);
    tray->SetCycleIcons(true);
    PumpFor(330);
    tray->SetCycleIcons(false);
    ASSERT_GE(next.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(next[i], static_cast<int>((i + 1) % 3));
}

TEST_F(CoolTrayIconTest, SyntheticCallbacksRaiseEvents) {
    tray->OnClick = [&](TObject* s) { events.push_back(s == tray ? "click" : "bad sender"); };
    tray->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int, int) {
        events.push_back("down" + std::to_string(b) + ((s & ssLeft) ? "L" : ""));
    };
    tray->OnMouseUp = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        events.push_back("up" + std::to_string(b));
    };
    tray->OnMouseMove = [&](TObject*, TShiftState, int, int) { events.push_back("move"); };
    Callback(WM_MOUSEMOVE);
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONUP);
    Callback(WM_MBUTTONDOWN);
    Callback(WM_MBUTTONUP);
    EXPECT_EQ(events, (std::vector<std::string>{"move", "down0L", "click", "up0", "down2", "up2"}));
}

TEST_F(CoolTrayIconTest, DoubleClickHandlerDelaysTheSingleClick) {
    tray->OnClick = [&](TObject*) { events.push_back("click"); };
    tray->OnDblClick = [&](TObject*) { events.push_back("dblclick"); };
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONUP);
    EXPECT_TRUE(events.empty());
    PumpFor(::GetDoubleClickTime() + 300);
    EXPECT_EQ(events, std::vector<std::string>{"click"});
    events.clear();
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONUP);
    Callback(WM_LBUTTONDBLCLK);
    Callback(WM_LBUTTONUP);
    PumpFor(::GetDoubleClickTime() + 300);
    EXPECT_EQ(events, std::vector<std::string>{"dblclick"});
}

TEST_F(CoolTrayIconTest, DisabledIgnoresClicksButNotBalloons) {
    tray->Enabled = false;
    tray->OnClick = [&](TObject*) { events.push_back("click"); };
    tray->OnBalloonHintShow = [&](TObject*) { events.push_back("show"); };
    tray->OnBalloonHintClick = [&](TObject*) { events.push_back("clicked"); };
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONUP);
    Callback(0x0402);
    Callback(0x0405);
    EXPECT_EQ(events, (std::vector<std::string>{"show", "clicked"}));
}

TEST_F(CoolTrayIconTest, CallbackForAnUnknownIdIsIgnored) {
    tray->OnClick = [&](TObject*) { events.push_back("click"); };
    ::SendMessageA(TrayIconHandler()->Handle(), TrayCallbackMessage, tray->TrayId() + 1000, WM_LBUTTONDOWN);
    ::SendMessageA(TrayIconHandler()->Handle(), TrayCallbackMessage, tray->TrayId() + 1000, WM_LBUTTONUP);
    EXPECT_TRUE(events.empty());
}

TEST_F(CoolTrayIconTest, HandlerWindowRefusesToCloseOrEndTheSession) {
    HWND wnd = TrayIconHandler()->Handle();
    EXPECT_EQ(::SendMessageA(wnd, WM_CLOSE, 0, 0), 1);
    EXPECT_EQ(::SendMessageA(wnd, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(::IsWindow(wnd));
}

VOID CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    ::EndMenu();
}

TEST_F(CoolTrayIconTest, RightPressShowsThePopupMenuForThisIcon) {
    auto* menu = new TPopupMenu(form);
    menu->AddItem(L"隐藏窗口");
    tray->SetPopupMenu(menu);
    tray->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        events.push_back("down" + std::to_string(b));
    };
    ::SetTimer(nullptr, 0, 300, &CloseMenu); // the menu loop runs until this closes it
    DWORD start = ::GetTickCount();
    Callback(WM_RBUTTONDOWN);
    EXPECT_EQ(menu->PopupComponent, tray);
    EXPECT_GE(::GetTickCount() - start, 250u) << "the menu was shown and waited for the user";
    EXPECT_EQ(events, std::vector<std::string>{"down1"});

    menu->PopupComponent = nullptr;
    Callback(WM_LBUTTONDOWN);
    EXPECT_EQ(menu->PopupComponent, nullptr) << "a left press shows no menu without LeftPopup";
    Callback(WM_LBUTTONUP);
    delete menu;
    EXPECT_EQ(tray->PopupMenu(), nullptr);
}

TEST_F(CoolTrayIconTest, DoubleClickClicksTheFirstDefaultItem) {
    auto* menu = new TPopupMenu(form);
    TMenuItem* a = menu->AddItem(L"a");
    TMenuItem* b = menu->AddItem(L"b");
    TMenuItem* c = menu->AddItem(L"c");
    b->Default = true;
    c->Default = true;
    a->OnClick = [&](TObject*) { events.push_back("a"); };
    b->OnClick = [&](TObject*) { events.push_back("b"); };
    c->OnClick = [&](TObject*) { events.push_back("c"); };
    tray->SetPopupMenu(menu);
    Callback(WM_LBUTTONDBLCLK);
    EXPECT_EQ(events, std::vector<std::string>{"b"});
}

TEST_F(CoolTrayIconTest, BalloonFieldsAreCutAndTheFlagIsDropped) {
    tray->SetIconVisible(true);
    EXPECT_TRUE(tray->PutBalloon(L"提示:", L"正在检查更新...\r.", bitInfo, 10));
    const NOTIFYICONDATAA& r = tray->TrayRecord();
    EXPECT_EQ(std::string(r.szInfoTitle), WideToAnsi(L"提示:"));
    EXPECT_EQ(std::string(r.szInfo), WideToAnsi(L"正在检查更新...\r."));
    EXPECT_EQ(r.uTimeout, 10000u);
    EXPECT_EQ(r.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));

    tray->PutBalloon(std::string(100, 't'), std::string(300, 'x'), bitError, 255);
    EXPECT_EQ(std::string(r.szInfoTitle), std::string(63, 't'));
    EXPECT_EQ(std::string(r.szInfo), std::string(255, 'x'));
    EXPECT_EQ(r.uTimeout, 255000u);
    EXPECT_EQ(r.dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));
    tray->ClearBalloon();
    EXPECT_EQ(std::string(r.szInfo), "");
    EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

TEST_F(CoolTrayIconTest, TaskbarRecreationPutsBackOnlyAVisibleIcon) {
    UINT taskbarCreated = TaskbarCreatedMessage();
    ASSERT_NE(taskbarCreated, 0u);
    tray->SetIconVisible(true);
    NOTIFYICONDATAA record = tray->TrayRecord();
    ::Shell_NotifyIconA(NIM_DELETE, &record); // the shell restarted and forgot it
    ASSERT_FALSE(ShellHasIcon(record));
    ::SendMessageA(app->Handle(), taskbarCreated, 0, 0);
    EXPECT_TRUE(ShellHasIcon(record));

    tray->SetIconVisible(false);
    ::SendMessageA(app->Handle(), taskbarCreated, 0, 0);
    EXPECT_FALSE(ShellHasIcon(record));
}

TEST_F(CoolTrayIconTest, OwnerFormIsSubclassedAndGivenBackItsProcedure) {
    HWND wnd = form->Handle();
    auto hooked = ::GetWindowLongPtrW(wnd, GWLP_WNDPROC);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(hooked) == &FrameworkWindowProc, false);
    delete tray;
    tray = nullptr;
    EXPECT_EQ(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(wnd, GWLP_WNDPROC)), &FrameworkWindowProc);
}

TEST_F(CoolTrayIconTest, MinimiseCommandSendsTheFormToTheTray) {
    form->Show();
    ASSERT_TRUE(::IsWindowVisible(form->Handle()));
    tray->MinimizeToTray = true;
    tray->OnMinimizeToTray = [&](TObject*) { events.push_back("minimize"); };
    LRESULT r = ::SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(events, std::vector<std::string>{"minimize"});
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(tray->IconVisible());
}

TEST_F(CoolTrayIconTest, ShowRequestBringsTheFormToTheFront) {
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                   nullptr, nullptr, nullptr);
    ::SetForegroundWindow(other);
    ::ShowWindow(form->Handle(), SW_SHOWNA); // shown without activation, then hidden
    ::ShowWindow(form->Handle(), SW_HIDE);
    ::SetForegroundWindow(other);
    ::ShowWindow(form->Handle(), SW_SHOWNA);
    EXPECT_EQ(::GetForegroundWindow(), form->Handle()) << "the hook activates the form on a show request";
    ::DestroyWindow(other);
}

TEST_F(CoolTrayIconTest, StartupAnswerFalseHidesTheFormAndTheAppButton) {
    ::ShowWindow(app->Handle(), SW_SHOWNA);
    form->Show();
    tray->OnStartup = [&](TObject* s, bool& show) {
        EXPECT_TRUE(show);
        EXPECT_EQ(s, tray);
        show = false;
    };
    tray->Loaded();
    EXPECT_FALSE(app->ShowMainForm);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(::IsWindowVisible(app->Handle()));
}

TEST_F(CoolTrayIconTest, DestroyingTheLastIconRemovesEntryAndHandlerWindow) {
    auto* second = new TCoolTrayIcon(form);
    EXPECT_EQ(TrayIconHandler()->UserCount, 2);
    EXPECT_NE(second->TrayId(), tray->TrayId());
    tray->SetIconVisible(true);
    NOTIFYICONDATAA record = tray->TrayRecord();
    ASSERT_TRUE(ShellHasIcon(record));
    delete tray;
    tray = nullptr;
    EXPECT_FALSE(ShellHasIcon(record)) << "the icon left the notification area";
    EXPECT_NE(FindHandlerWindow(), nullptr);
    delete second;
    EXPECT_EQ(FindHandlerWindow(), nullptr);
    EXPECT_EQ(TrayIconHandler(), nullptr);
}

// The sweep moves the pointer over every inner pixel of the window it is given.
LRESULT CALLBACK CountMoves(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_MOUSEMOVE) {
        auto* moves = reinterpret_cast<std::vector<LPARAM>*>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (moves) moves->push_back(lParam);
        return 0;
    }
    return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

TEST(RefreshTrayIconWin, SweepSendsAMoveForEveryInnerPixel) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &CountMoves;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SweepTarget";
    ::RegisterClassW(&wc);
    HWND wnd = ::CreateWindowExW(0, L"SweepTarget", L"", WS_POPUP, 0, 0, 30, 20, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr);
    std::vector<LPARAM> moves;
    ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&moves));
    EXPECT_EQ(SweepTrayWindow(wnd), 29 * 19);
    ASSERT_EQ(moves.size(), 29u * 19u);
    EXPECT_EQ(moves.front(), MAKELPARAM(1, 1));
    EXPECT_EQ(moves[1], MAKELPARAM(1, 2));
    EXPECT_EQ(moves.back(), MAKELPARAM(29, 19));
    ::DestroyWindow(wnd);
    EXPECT_EQ(SweepTrayWindow(wnd), 0) << "a window that is gone is not swept";
}

} // namespace
