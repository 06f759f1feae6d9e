// Five hundred rounds of each skin family's life on real windows under Wine leave the count of
// owned handles where it was: menus opened and closed, whole forms skinned and unskinned, the
// updater's control skins attached, painted and destroyed, and the other control skins likewise.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "framework/Application_win.h"
#include "framework/ComCtrls_win.h"
#include "framework/Forms_win.h"
#include "framework/Handle_win.h"
#include "framework/Menus_win.h"
#include "framework/StdCtrls_win.h"
#include "helpers/ButtonKinds.h"
#include "helpers/MenuScript.h"
#include "helpers/MessagePump.h"
#include "helpers/SkinTestPlatform.h"
#include "helpers/SolidElements.h"
#include "helpers/UpdaterSkin.h"
#include "skin/controls/SkinComBox_win.h"
#include "skin/controls/SkinDateTime_win.h"
#include "skin/controls/SkinEdit_win.h"
#include "skin/controls/SkinHeader_win.h"
#include "skin/controls/SkinProgress_win.h"
#include "skin/controls/SkinScrollbar_win.h"
#include "skin/controls/SkinStatusBar_win.h"
#include "skin/controls/SkinTab_win.h"
#include "skin/controls/SkinTrackBar_win.h"
#include "skin/controls/SkinUpDown_win.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/manager/SkinManage_win.h"
#include "skin/menus/WinSkinMenu_win.h"
#include "skin/model/WinSkinData_win.h"

namespace {

class HandleRounds;

// One case: its set-up fills in the round (given its number) and the checks after the last one.
struct TRounds {
    std::function<void(int)> round;
    std::function<void()> after;
};
struct TRoundCase {
    const char* name;
    bool withManager; // forms are skinned when activated
    void (*prepare)(HandleRounds& t, TRounds& rounds);
};
void PrintTo(const TRoundCase& c, std::ostream* out) {
    *out << c.name;
}

// Menu windows that were shown, as the window procedures see them.
int g_menusShown = 0;
LRESULT CALLBACK CountMenusShown(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    wchar_t cls[8] = {};
    if (code == HC_ACTION && sent->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_SHOWWINDOW) &&
        ::GetClassNameW(sent->hwnd, cls, 8) && std::wcscmp(cls, L"#32768") == 0)
        ++g_menusShown;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class HandleRounds : public ::testing::TestWithParam<TRoundCase> {
public:
    void SetUp() override {
        if (!kUpdaterExe) GTEST_SKIP() << "update.exe is not part of this build";
        platform_ = std::make_unique<TSkinTestPlatform>(GetParam().withManager);
        form_ = std::make_unique<TForm>(nullptr, L"TRoundsForm");
        form_->SetCaption(L"轮次 Rounds");
        form_->SetBounds(60, 60, 0, 0);
        form_->SetClientSize(420, 300);
        skin_ = new TSkinData(form_.get());
        ASSERT_TRUE(ReadProductSkin(*skin_));
    }
    void TearDown() override {
        form_.reset();
        platform_.reset();
    }

    HWND Wnd() const { return form_->Handle(); }
    bool Running() const {
        auto* frame = dynamic_cast<TWinSkinForm*>(Win32SkinManager()->FindSkinnedForm(Wnd()));
        return frame && frame->SkinState() == TFrameState::Running;
    }
    void Start() {
        skin_->SetActive(true);
        skin_->Loaded();
        form_->Show();
        ASSERT_TRUE(PumpUntil([&] { return Running(); }, 10000));
    }
    void Request(std::uint32_t code) {
        Win32SkinManager()->SetActionRequester(skin_);
        Win32SkinManager()->RequestAction(code, 1);
        Win32SkinManager()->RunPendingAction();
    }
    // Skin the form, check and poke it, unskin it: the round of both skin-all cases.
    void SkinCycles(TRounds& rounds, std::function<void(int)> poke) {
        Start();
        Request(saUnskinAll);
        PumpFor(100);
        rounds.round = [this, poke](int i) {
            Request(saSkinAll);
            ASSERT_TRUE(PumpUntil([&] { return Running(); }, 5000)) << "round " << i;
            poke(i);
            Request(saUnskinAll);
        };
    }
    template <class T> T* Make(TWinControl* parent, int left, int top, int width, int height) {
        T* control = new T(form_.get());
        control->SetParent(parent);
        control->SetBounds(left, top, width, height);
        return control;
    }
    template <class S> void Skin(TWinControl* control) {
        (new S(control))->AttachControl(control, nullptr, skin_, false);
    }
    // A skin of class T on a new child window of class `cls`.
    template <typename T> TSkinControl* Wrap(const wchar_t* cls, DWORD style, int x, int y, int w, int h) {
        auto* wrapper = new T(form_.get());
        wrapper->AttachWindow(::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, Wnd(),
                                                nullptr, ::GetModuleHandleW(nullptr), nullptr),
                              skin_, nullptr);
        return wrapper;
    }

    std::unique_ptr<TSkinTestPlatform> platform_;
    std::unique_ptr<TForm> form_;
    TSkinData* skin_ = nullptr;
};

TEST_P(HandleRounds, FiveHundredRoundsLeaveNoOwnedHandle) {
    TRounds rounds;
    GetParam().prepare(*this, rounds);
    ASSERT_FALSE(HasFatalFailure());
    // Every picture, region, brush, font and device context the skins make passes through the
    // owners that keep this count.
    const long before = LiveOwnedHandles();
    for (int i = 0; i < 500 && !HasFatalFailure(); ++i)
        rounds.round(i);
    PumpFor(100);
    EXPECT_EQ(LiveOwnedHandles(), before);
    if (rounds.after) rounds.after();
}

void MenuRounds(HandleRounds& t, TRounds& rounds) {
    auto* menu = new TMainMenu(t.form_.get());
    menu->Add(L"&File")->Add(L"&Open");
    t.form_->SetMenu(menu);
    auto* popup = new TPopupMenu(t.form_.get());
    popup->AddItem(L"隐藏窗口");
    popup->AddItem(L"强制退出");
    t.Start();
    HWND wnd = t.Wnd();
    // The menu bar's drop-down, then a popup menu: each Escape waits in the queue, and the menu loop
    // reads it first thing and closes.
    rounds.round = [wnd, popup](int) {
        const ScriptRun bound({}); // closes the menus should an Escape go astray
        ::PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
        ::SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, 'f');
        ::PostMessageW(wnd, WM_KEYDOWN, VK_ESCAPE, 0);
        popup->Popup(200, 200);
    };
    rounds.round(-1);
    PumpFor(50);
    auto counter = std::make_shared<unique_hhook>(
        ::SetWindowsHookExW(WH_CALLWNDPROC, CountMenusShown, nullptr, ::GetCurrentThreadId()));
    g_menusShown = 0;
    rounds.after = [wnd, counter] {
        EXPECT_EQ(g_menusShown, 2 * 500) << "every round opened both menus";
        EXPECT_EQ(Win32SkinManager()->SkinnedMenuCount(), 0u);
        EXPECT_EQ(TWinSkinMenu::OpenIndex(), -1);
        EXPECT_EQ(::GetMenu(wnd), nullptr);
    };
}

void FrameRounds(HandleRounds& t, TRounds& rounds) {
    HWND wnd = t.Wnd();
    ::SetWindowLongW(wnd, GWL_STYLE, ::GetWindowLongW(wnd, GWL_STYLE) | WS_SYSMENU | WS_MINIMIZEBOX);
    t.SkinCycles(rounds, [wnd](int) {
        RECT outer{};
        ::GetWindowRect(wnd, &outer);
        ::SendMessageW(wnd, WM_NCPAINT, 1, 0);
        ::SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, MAKELPARAM(outer.left + 11, outer.top + 6));
    });
    rounds.after = [wnd] { EXPECT_NE(::SendMessageW(wnd, SkinQueryMessage, 0, 0), 1); };
}

void ControlRounds(HandleRounds& t, TRounds& rounds) {
    TForm* form = t.form_.get();
    auto* button = t.Make<TButton>(form, 20, 20, 96, 32);
    button->SetCaption(L"确定");
    t.Make<TTestCheck>(form, 20, 60, 96, 24)->SetCaption(L"选择");
    auto* group = t.Make<TGroupBox>(form, 140, 20, 200, 120);
    group->SetCaption(L"组");
    t.Make<TTestRadio>(group, 10, 20, 80, 22)->SetCaption(L"乙");
    HWND wnd = t.Wnd();
    auto skinned = [button] { return ::SendMessageW(button->Handle(), SkinQueryMessage, 0, 0) == 1; };
    t.SkinCycles(rounds, [wnd, button, skinned](int i) {
        ASSERT_TRUE(skinned()) << "round " << i;
        ::SendMessageW(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    rounds.after = [skinned] { EXPECT_FALSE(skinned()); };
}

void UpdaterControlRounds(HandleRounds& t, TRounds& rounds) {
    t.form_->Show();
    PumpFor(100);
    rounds.round = [&t](int round) {
        TForm* form = t.form_.get();
        auto* pages = t.Make<TPageControl>(form, 0, 0, 393, 150);
        auto* sheet = new TTabSheet(form, pages, L"页");
        auto* memo = t.Make<TMemo>(sheet, 2, 2, 200, 60);
        auto* bar = t.Make<TProgressBar>(sheet, 2, 70, 200, 19);
        auto* status = t.Make<TStatusBar>(form, 0, 234, 393, 19);
        auto* edit = t.Make<TEdit>(sheet, 2, 95, 80, 20);
        pages->Handle();
        memo->SetCaption(L"一\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七");
        bar->SetPosition(round % 101);
        t.Skin<TSkinTab>(pages);
        t.Skin<TSkinTabSheet>(sheet);
        t.Skin<TSkinScrollbar>(memo);
        t.Skin<TSkinProgress>(bar);
        t.Skin<TSkinStatusBar>(status);
        t.Skin<TSkinEdit>(edit);
        ::RedrawWindow(t.Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        delete status;
        delete pages; // its sheet and controls go with its window
        delete memo;
        delete bar;
        delete edit;
        delete sheet;
    };
}

void FamilyRounds(HandleRounds& t, TRounds& rounds) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&classes);
    t.skin_->Header = Element<TDataSkinObject>("Headerbar", 5, 20, 20);
    t.skin_->UpDownVert = Element<TDataSkinBorder>("UpDown.Vert", 8, 16, 11);
    t.skin_->TrackThumbHorz = Element<TDataSkinObject>("Trackbar.ThumbHorz", 5, 11, 21);
    t.form_->Show();
    rounds.round = [&t](int round) {
        TSkinControl* wrappers[] = {t.Wrap<TSkinComBox>(L"combobox", CBS_DROPDOWNLIST, 10, 10, 140, 120),
                                    t.Wrap<TSkinTrackBar>(TRACKBAR_CLASSW, TBS_HORZ, 10, 140, 200, 36),
                                    t.Wrap<TSkinUpDown>(UPDOWN_CLASSW, 0, 230, 10, 18, 40),
                                    t.Wrap<TSkinHeader>(WC_HEADERW, HDS_BUTTONS, 10, 190, 300, 24),
                                    t.Wrap<TSkinDateTime>(DATETIMEPICK_CLASSW, WS_BORDER, 10, 230, 150, 24)};
        for (TSkinControl* wrapper : wrappers) {
            ::RedrawWindow(wrapper->Window(), nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
            ::SendMessageW(wrapper->Window(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        }
        // Half the rounds the skins go first, half the windows.
        for (TSkinControl* wrapper : wrappers) {
            HWND wnd = wrapper->Window();
            if (round % 2) delete wrapper;
            ::DestroyWindow(wnd);
            if (round % 2 == 0) delete wrapper;
        }
        if (round % 50 == 0) PumpFor(1);
    };
}

INSTANTIATE_TEST_SUITE_P(Skins, HandleRounds,
                         ::testing::Values(TRoundCase{"Menus", true, MenuRounds},
                                           TRoundCase{"FormSkinAndUnskin", true, FrameRounds},
                                           TRoundCase{"ButtonsSkinAndUnskin", true, ControlRounds},
                                           TRoundCase{"UpdaterControls", false, UpdaterControlRounds},
                                           TRoundCase{"OtherControls", false, FamilyRounds}),
                         [](const ::testing::TestParamInfo<TRoundCase>& c) {
                             return std::string(c.param.name);
                         });

} // namespace
