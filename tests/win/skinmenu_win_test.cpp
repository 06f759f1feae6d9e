// The skinned menus on real windows under Wine: a form's menu bar painted in the skin under the
// caption, its drop-downs driven by keyboard and pointer (switching between buttons with
// wrap-around), a top-level item without sub-items, the tray's pop-up menu in the skinned menu
// window and the xcPopupMenu switch.
#include <windows.h>
#include <windowsx.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/Application_win.h"
#include "framework/Forms_win.h"
#include "framework/Menus_win.h"
#include "helpers/MenuScript.h"
#include "helpers/MessagePump.h"
#include "helpers/SkinTestPlatform.h"
#include "helpers/SolidElements.h"
#include "helpers/UpdaterSkin.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/manager/SkinManage_win.h"
#include "skin/menus/WinSkinMenu_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData_win.h"
#include "system/CoolTrayIcon_win.h"

namespace {

void PostKey(WPARAM key) {
    ::PostMessageW(OpenMenuWindow(), WM_KEYDOWN, key, 0);
}

bool AnyItemHilited(HMENU menu) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
        if (::GetMenuState(menu, UINT(i), MF_BYPOSITION) & MF_HILITE) return true;
    return false;
}

TBitmap32 WindowPixels(HWND wnd, const TRect& part) {
    ScopedGetWindowDC dc(wnd);
    return BitmapFromDC(dc.get(), ToRECT(part));
}

bool HasColour(const TBitmap32& image, TColor colour) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.Pixel(x, y) == colour) return true;
    return false;
}

class SkinnedMenus : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kUpdaterExe) GTEST_SKIP() << "update.exe is not part of this build";
        platform_ = std::make_unique<TSkinTestPlatform>(true);
        form_ = new TForm(platform_->App(), L"TMenuForm");
        form_->SetCaption(L"菜单 Menus");
        form_->SetBounds(120, 120, 0, 0);
        // File (sub-items), Go (none), a disabled one, Edit (sub-items) last.
        menu_ = new TMainMenu(form_);
        TMenuItem* file = menu_->Add(L"&File");
        open_ = file->Add(L"&Open");
        open_->ShortCut = L"Ctrl+O";
        open_->OnClick = [this](TObject*) { ++opens_; };
        file->Add(L"-");
        file->Add(L"&Recent")->Add(L"a.txt");
        file->Add(L"&Checked")->Checked = true;
        go_ = menu_->Add(L"&Go");
        go_->OnClick = [this](TObject*) { ++goes_; };
        TMenuItem* disabled = menu_->Add(L"禁用(&D)");
        disabled->Enabled = false;
        disabled->Add(L"x");
        menu_->Add(L"&Edit")->Add(L"Cu&t");
        form_->SetMenu(menu_);
        form_->SetClientSize(393, 253);
        skin_ = new TSkinData(form_);
        EXPECT_TRUE(ReadProductSkin(*skin_));
        skin_->SetActive(true);
        skin_->Loaded();
        form_->Show();
        ASSERT_TRUE(
            PumpUntil([&] { return Frame() && Frame()->SkinState() == TFrameState::Running; }, 10000));
        PumpFor(200);
    }
    void TearDown() override { platform_.reset(); }
    TWinSkinForm* Frame() const {
        TSkinManage* manager = Win32SkinManager();
        return manager ? dynamic_cast<TWinSkinForm*>(manager->FindSkinnedForm(form_->Handle())) : nullptr;
    }
    TMenuBtn& Button(size_t i) const { return *Frame()->MenuBar()->MenuButtons().at(i); }
    LPARAM ScreenPointOf(const TMenuBtn& b) const {
        RECT outer{};
        ::GetWindowRect(form_->Handle(), &outer);
        return MAKELPARAM(outer.left + (b.Rect.Left + b.Rect.Right) / 2,
                          outer.top + (b.Rect.Top + b.Rect.Bottom) / 2);
    }
    // Waits until drop-down `index` is open with an item selected.
    std::function<bool()> WhenOpen(int index, std::function<void()> then) const {
        return [this, index, then] {
            if (TWinSkinMenu::OpenIndex() != index || !OpenMenuWindow()) return false;
            if (!AnyItemHilited(Button(size_t(index)).Submenu)) return false;
            then();
            return true;
        };
    }
    TColor Colour(TSkinColourSlot slot) const { return ColourToRGB(skin_->SkinColours[slot]); }

    std::unique_ptr<TSkinTestPlatform> platform_;
    TForm* form_ = nullptr;
    TMainMenu* menu_ = nullptr;
    TMenuItem* open_ = nullptr;
    TMenuItem* go_ = nullptr;
    TSkinData* skin_ = nullptr;
    int opens_ = 0;
    int goes_ = 0;
};

TEST_F(SkinnedMenus, TheMenuBarIsPaintedInTheSkinUnderTheCaption) {
    HWND wnd = form_->Handle();
    TWinSkinForm* frame = Frame();
    ASSERT_NE(frame->MenuBar(), nullptr);
    EXPECT_EQ(::GetMenu(wnd), nullptr) << "the native bar is taken off";
    RECT client{}, outer{};
    ::GetClientRect(wnd, &client);
    ::GetWindowRect(wnd, &outer);
    EXPECT_EQ(client.right, 393);
    EXPECT_EQ(client.bottom, 253);
    const frame::TBorders b = frame->Borders();
    EXPECT_EQ(outer.bottom - outer.top, 253 + b.Top + b.Bottom + ::GetSystemMetrics(SM_CYMENU));

    const TRect bar = frame->MenuBar()->BarRect();
    EXPECT_EQ(bar.Top, b.Top);
    // The product skin has no bar element: the buttons start 6 pixels in, on the Menubar colour.
    ASSERT_EQ(skin_->MenuBar, nullptr);
    EXPECT_EQ(Button(0).Rect.Left - bar.Left, 6);
    const TRect rest{Button(3).Rect.Right - bar.Left, 0, bar.Width(), bar.Height()};
    EXPECT_TRUE(WindowPixels(wnd, bar).Copy(rest).SamePixels(
        TBitmap32(rest.Width(), rest.Height(), Colour(scMenubar))));
    // Captions: enabled in MenuBarText, the disabled one in ButtonShadow only.
    const TBitmap32 first = WindowPixels(wnd, Button(0).Rect);
    const TBitmap32 disabled = WindowPixels(wnd, Button(2).Rect);
    EXPECT_TRUE(HasColour(first, Colour(scMenuBarText)));
    EXPECT_TRUE(HasColour(disabled, Colour(scButtonShadow)));
    EXPECT_FALSE(HasColour(disabled, Colour(scMenuBarText)));
    // The pointer over a button frames it in ButtonHilight.
    ::SendMessageW(wnd, WM_NCMOUSEMOVE, HTMENU, ScreenPointOf(Button(1)));
    EXPECT_EQ(frame->CurrentNcObject(), &Button(1));
    EXPECT_EQ(WindowPixels(wnd, Button(1).Rect).Pixel(0, 0), Colour(scButtonHilight));
    EXPECT_EQ(::SendMessageW(wnd, WM_NCHITTEST, 0, ScreenPointOf(Button(1))), HTMENU);

    // With an element, drawn either way: frame 1 when active, 2 when not (stacked), each a 5-pixel
    // left part, a middle and a 6-pixel right part; the buttons start 4 pixels past the left part.
    for (const int tile : {0, 1}) {
        SCOPED_TRACE(tile);
        auto element = std::make_unique<TDataSkinObject>("MenuBar");
        element->Bitmap = BandedStack(2, 20, 10, 5, 6);
        element->LeftWidth = 5;
        element->RightWidth = 6;
        element->Tile = tile;
        skin_->MenuBar = std::move(element);
        for (const bool active : {true, false}) {
            ::SendMessageW(wnd, WM_NCACTIVATE, active, 0);
            EXPECT_EQ(Button(0).Rect.Left - bar.Left, 5 + 4);
            const TBitmap32 shown = WindowPixels(wnd, bar);
            const int y = bar.Height() / 2, left = active ? 1 : 4;
            EXPECT_EQ(shown.Pixel(4, y), Shade(left)) << active;
            EXPECT_EQ(shown.Pixel(5, 1), Shade(left + 1)) << active;
            EXPECT_EQ(shown.Pixel(bar.Width() - 7, y), Shade(left + 1)) << active;
            EXPECT_EQ(shown.Pixel(bar.Width() - 6, bar.Height() - 1), Shade(left + 2)) << active;
        }
        ::SendMessageW(wnd, WM_NCACTIVATE, TRUE, 0);
    }
}

TEST_F(SkinnedMenus, KeyboardAndPointerMoveBetweenTheButtons) {
    HWND wnd = form_->Handle();
    {
        // Alt opens the first drop-down; left wraps to the last, right (on an item without
        // sub-items) back to the first; Enter chooses the selected item.
        ScriptRun run({WhenOpen(0, [] { PostKey(VK_LEFT); }), WhenOpen(3, [] { PostKey(VK_RIGHT); }),
                       WhenOpen(0, [] { PostKey(VK_RETURN); })});
        ::PostMessageW(wnd, WM_SYSKEYDOWN, VK_MENU, 0x20380001);
        ::PostMessageW(wnd, WM_SYSKEYUP, VK_MENU, LPARAM(0xC0380001u));
        ASSERT_TRUE(PumpUntil([&] { return run.Done() && TWinSkinMenu::OpenIndex() < 0; }, 10000));
        EXPECT_EQ(run.Opened(), (std::vector<int>{0, 3, 0}));
        EXPECT_TRUE(PumpUntil([&] { return opens_ == 1; }, 5000)) << "Enter chose Open";
    }
    // The items have their own look back once the drop-down is closed.
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(::GetMenuItemInfoW(Button(0).Submenu, 0, TRUE, &info));
    EXPECT_FALSE(info.fType & MFT_OWNERDRAW);
    {
        // Alt+E opens Edit; Escape closes it and chooses nothing.
        ScriptRun run({WhenOpen(3, [] { PostKey(VK_ESCAPE); })});
        ::SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, 'e');
        EXPECT_TRUE(run.Done());
        EXPECT_EQ(run.Opened(), std::vector<int>{3});
    }
    {
        // A click opens File; the pointer over File itself changes nothing, over Edit it switches.
        const TMenuBtn& file = Button(0);
        const TMenuBtn& edit = Button(3);
        auto moveTo = [&](const TMenuBtn& b) {
            const LPARAM p = ScreenPointOf(b);
            ::SetCursorPos(GET_X_LPARAM(p), GET_Y_LPARAM(p));
            ::PostMessageW(OpenMenuWindow(), WM_MOUSEMOVE, 0, 0);
        };
        ScriptRun run({WhenOpen(0, [&] { moveTo(file); }), WhenOpen(0, [&] { moveTo(edit); }),
                       WhenOpen(3, [] { PostKey(VK_ESCAPE); })});
        ::SendMessageW(wnd, WM_NCLBUTTONDOWN, HTMENU, ScreenPointOf(file));
        PumpUntil([&] { return run.Done() && TWinSkinMenu::OpenIndex() < 0; }, 5000);
        EXPECT_TRUE(run.Done());
        EXPECT_EQ(run.Opened(), (std::vector<int>{0, 3}));
    }
    // A top-level item without sub-items runs its command and opens nothing.
    ::SendMessageW(wnd, WM_NCLBUTTONDOWN, HTMENU, ScreenPointOf(Button(1)));
    EXPECT_EQ(TWinSkinMenu::OpenIndex(), -1);
    EXPECT_TRUE(PumpUntil([&] { return goes_ == 1; }, 5000));
    EXPECT_EQ(opens_, 1);
}

TEST_F(SkinnedMenus, TheTrayMenuGetsTheSkinnedWindowAndTheKeyboard) {
    auto* tray = new TCoolTrayIcon(form_);
    auto* popup = new TPopupMenu(form_);
    std::vector<int> clicks;
    for (const wchar_t* caption : {L"隐藏窗口", L"显示窗口", L"强制退出"}) {
        TMenuItem* item = popup->AddItem(caption);
        item->OnClick = [&clicks, popup, item](TObject*) {
            for (size_t i = 0; i < popup->Count(); ++i)
                if (popup->Items(i) == item) clicks.push_back(int(i));
        };
    }
    tray->SetPopupMenu(popup);
    LRESULT answer = -1;
    auto rightClick = [&] {
        ::SendMessageA(TrayIconHandler()->Handle(), TrayCallbackMessage, tray->TrayId(), WM_RBUTTONDOWN);
    };
    {
        // Down twice from nothing selected: the second item, chosen with Enter.
        ScriptRun run({[&] {
            if (!OpenMenuWindow()) return false;
            answer = ::SendMessageW(OpenMenuWindow(), SkinQueryMessage, 0, 0);
            PostKey(VK_DOWN);
            PostKey(VK_DOWN);
            PostKey(VK_RETURN);
            return true;
        }});
        rightClick();
        EXPECT_TRUE(run.Done());
    }
    EXPECT_EQ(answer, 1) << "the tray's menu window is skinned";
    EXPECT_EQ(clicks, std::vector<int>{1});
    EXPECT_EQ(Win32SkinManager()->SkinnedMenuCount(), 0u);

    // Without xcPopupMenu the tray's menu keeps its own look; the bar's drop-downs stay skinned.
    skin_->SkinControls.Exclude(xcPopupMenu);
    auto answerThenClose = [&] {
        if (!OpenMenuWindow()) return false;
        answer = ::SendMessageW(OpenMenuWindow(), SkinQueryMessage, 0, 0);
        PostKey(VK_ESCAPE);
        return true;
    };
    {
        ScriptRun run({answerThenClose});
        rightClick();
        EXPECT_TRUE(run.Done());
        EXPECT_EQ(answer, 0);
    }
    {
        ScriptRun run({answerThenClose});
        ::SendMessageW(form_->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
        EXPECT_TRUE(run.Done());
        EXPECT_EQ(answer, 1);
    }
    EXPECT_EQ(clicks, std::vector<int>{1});
}

} // namespace
