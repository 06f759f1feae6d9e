// The skin manager's hook and the skinned frame on real windows under Wine: a form is skinned when
// it is activated (once), keeps its client size, gets its region and its painted borders, reacts
// to the pointer on its caption buttons and lets go exactly; Tag 99 forms and dialogs with
// DS_SETFOREGROUND keep their own frame.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "framework/Application_win.h"
#include "framework/Forms_win.h"
#include "helpers/MessagePump.h"
#include "helpers/SkinTestPlatform.h"
#include "helpers/UpdaterSkin.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/manager/SkinManage_win.h"
#include "skin/model/WinSkinData_win.h"
#include "skin/frame/WinSkinForm_win.h"

namespace {

SIZE WindowSize(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

SIZE ClientSize(HWND wnd) {
    RECT r{};
    ::GetClientRect(wnd, &r);
    return {r.right, r.bottom};
}

bool Skinned(HWND wnd) {
    return ::SendMessageA(wnd, SkinQueryMessage, 0, 0) == 1;
}

bool HasRegion(HWND wnd) {
    unique_hrgn region(::CreateRectRgn(0, 0, 0, 0));
    return ::GetWindowRgn(wnd, region.get()) != ERROR;
}

// The pixels of a part of the window, as the screen shows them.
TBitmap32 WindowPixels(HWND wnd, const RECT& part) {
    ScopedGetWindowDC dc(wnd);
    return BitmapFromDC(dc.get(), part);
}

LPARAM ScreenPoint(HWND wnd, const TRect& windowRect) {
    RECT outer{};
    ::GetWindowRect(wnd, &outer);
    const int x = outer.left + (windowRect.Left + windowRect.Right) / 2;
    const int y = outer.top + (windowRect.Top + windowRect.Bottom) / 2;
    return MAKELPARAM(x, y);
}

class SkinnedFrame : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kUpdaterExe) GTEST_SKIP() << "update.exe is not part of this build";
        platform_ = std::make_unique<TSkinTestPlatform>(true);
    }
    void TearDown() override {
        forms_.clear();
        platform_.reset();
    }

    // A form with a 393 x 253 client area; the first one also carries the active skin data.
    TForm* MakeForm(const wchar_t* className, DWORD extraStyle = 0) {
        forms_.push_back(std::make_unique<TForm>(nullptr, className));
        TForm* form = forms_.back().get();
        form->SetCaption(L"Skinned 窗口");
        form->SetBounds(100 + 40 * int(forms_.size()), 100, 0, 0);
        form->SetClientSize(393, 253);
        HWND wnd = form->Handle();
        if (extraStyle) ::SetWindowLongW(wnd, GWL_STYLE, ::GetWindowLongW(wnd, GWL_STYLE) | LONG(extraStyle));
        return form;
    }
    TSkinData* SkinFor(TForm* form) {
        auto* skin = new TSkinData(form);
        EXPECT_TRUE(ReadProductSkin(*skin));
        skin->SetActive(true);
        skin->Loaded();
        return skin;
    }
    static TWinSkinForm* FrameOf(HWND wnd) {
        TSkinManage* manager = Win32SkinManager();
        return manager ? dynamic_cast<TWinSkinForm*>(manager->FindSkinnedForm(wnd)) : nullptr;
    }
    static bool Running(HWND wnd) {
        TWinSkinForm* frame = FrameOf(wnd);
        return frame && frame->SkinState() == TFrameState::Running;
    }

    std::unique_ptr<TSkinTestPlatform> platform_;
    std::vector<std::unique_ptr<TForm>> forms_;
};

TEST_F(SkinnedFrame, ActivationSkinsOnceKeepsTheClientAndDetachingRestoresTheFrame) {
    constexpr DWORD kButtons = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    TForm* plain = MakeForm(L"TNeverSkinned", kButtons);
    const SIZE nativeSize = WindowSize(plain->Handle());
    TForm* form = MakeForm(L"TSkinnedForm", kButtons);
    TSkinData* skin = SkinFor(form);
    TForm* tagged = MakeForm(L"TTaggedForm");
    tagged->Tag = 99;
    HWND wnd = form->Handle();
    EXPECT_FALSE(Skinned(wnd)) << "nothing is skinned before it is activated";

    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return Running(wnd); }, 10000));
    TWinSkinForm* frame = FrameOf(wnd);
    const frame::TBorders b = frame->Borders();
    EXPECT_GT(b.Top, 0);
    EXPECT_EQ(ClientSize(wnd).cx, 393);
    EXPECT_EQ(ClientSize(wnd).cy, 253);
    const SIZE skinnedSize = WindowSize(wnd);
    EXPECT_EQ(skinnedSize.cx, 393 + b.Left + b.Right);
    EXPECT_EQ(skinnedSize.cy, 253 + b.Top + b.Bottom);
    EXPECT_TRUE(HasRegion(wnd)) << "the product skin's side borders are shaped";

    // The bottom border on screen is the skin's bottom element.
    PumpFor(200);
    const TBitmap32 expected =
        frame::BorderStrip(skin->Border(TSkinData::bdBottom), skinnedSize.cx - b.Left - b.Right, b.Bottom,
                           true, frame->IsActive());
    const TBitmap32 shown =
        WindowPixels(wnd, {b.Left, skinnedSize.cy - b.Bottom, skinnedSize.cx - b.Right, skinnedSize.cy});
    EXPECT_TRUE(shown.SamePixels(expected));

    // A new title is painted in the skin's caption at once (through the form's wrapped handler).
    const RECT captionBand{b.Left, 0, skinnedSize.cx - b.Right, b.Top};
    const TBitmap32 oldTitle = WindowPixels(wnd, captionBand);
    form->SetCaption(L"另一个标题 Another title");
    const TBitmap32 newTitle = WindowPixels(wnd, captionBand);
    EXPECT_FALSE(newTitle.SamePixels(oldTitle));
    EXPECT_EQ(newTitle.Pixel(1, 1), oldTitle.Pixel(1, 1)) << "still the skin's caption, not the system's";
    form->SetCaption(L"Skinned 窗口");

    // Activated again, and the Tag 99 form activated: still one frame.
    tagged->Show();
    form->Show();
    PumpFor(300);
    EXPECT_EQ(Win32SkinManager()->SkinnedForms().size(), 1u);
    EXPECT_FALSE(Skinned(tagged->Handle()));
    EXPECT_FALSE(HasRegion(tagged->Handle()));

    // Hover and press change the close button's picture; releasing on it runs the close.
    TWinSysButton* close = nullptr;
    for (const auto& o : frame->CaptionObjects())
        if (o->Visible && o->Element.Action == 0) close = o.get();
    ASSERT_NE(close, nullptr) << "a window with a system menu shows the close button";
    const RECT cell{close->Rect.Left, close->Rect.Top, close->Rect.Right, close->Rect.Bottom};
    const TBitmap32 normal = WindowPixels(wnd, cell);
    ::SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, ScreenPoint(wnd, close->Rect));
    EXPECT_EQ(close->State, frame::TNcState::Hot);
    const TBitmap32 hot = WindowPixels(wnd, cell);
    ::SendMessageW(wnd, WM_NCLBUTTONDOWN, HTCAPTION, ScreenPoint(wnd, close->Rect));
    EXPECT_EQ(close->State, frame::TNcState::Pressed);
    const TBitmap32 pressed = WindowPixels(wnd, cell);
    EXPECT_FALSE(hot.SamePixels(normal));
    EXPECT_FALSE(pressed.SamePixels(hot));
    int closes = 0;
    form->OnClose = [&](TObject*, TCloseAction& action) {
        ++closes;
        action = TCloseAction::caNone;
    };
    ::SendMessageW(wnd, WM_NCLBUTTONUP, HTCAPTION, ScreenPoint(wnd, close->Rect));
    EXPECT_TRUE(PumpUntil([&] { return closes == 1; }, 5000));

    // Switched off: the native frame comes back exactly, with no region left.
    skin->SetActive(false);
    ASSERT_TRUE(PumpUntil([&] { return !Skinned(wnd); }, 5000));
    EXPECT_EQ(Win32SkinManager()->SkinnedForms().size(), 0u);
    EXPECT_FALSE(HasRegion(wnd));
    EXPECT_EQ(ClientSize(wnd).cx, 393);
    EXPECT_EQ(ClientSize(wnd).cy, 253);
    EXPECT_EQ(WindowSize(wnd).cx, nativeSize.cx);
    EXPECT_EQ(WindowSize(wnd).cy, nativeSize.cy);
    // Pixel for pixel what a window that was never skinned shows, both inactive.
    plain->Show();
    tagged->Show();
    PumpFor(300);
    const RECT whole{0, 0, nativeSize.cx, nativeSize.cy};
    EXPECT_TRUE(WindowPixels(wnd, whole).SamePixels(WindowPixels(plain->Handle(), whole)));
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// A dialog box of the system class from an in-memory template.
HWND MakeDialog(DWORD style) {
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title[8];
    } t{};
    t.header.style = style | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.header.cx = 120;
    t.header.cy = 60;
    const wchar_t title[] = L"Dialog";
    for (size_t i = 0; i < sizeof title / sizeof title[0]; ++i)
        t.title[i] = WORD(title[i]);
    return ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), &t.header, nullptr, PlainDialogProc, 0);
}

TEST_F(SkinnedFrame, SystemDialogsAreSkinnedUnlessTheyAskForTheForeground) {
    TForm* form = MakeForm(L"TDialogOwner");
    SkinFor(form);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return Running(form->Handle()); }, 10000));

    unique_hwnd dialog(MakeDialog(0));
    unique_hwnd foreground(MakeDialog(DS_SETFOREGROUND));
    ASSERT_TRUE(dialog && foreground);
    ::ShowWindow(dialog.get(), SW_SHOW);
    ::SetActiveWindow(dialog.get());
    ASSERT_TRUE(PumpUntil([&] { return Running(dialog.get()); }, 10000));
    EXPECT_EQ(FrameOf(dialog.get())->FrameKind(), frame::TFrameKind::DialogFrame)
        << "a dialog takes the dialog frame";
    ::ShowWindow(foreground.get(), SW_SHOW);
    ::SetActiveWindow(foreground.get());
    PumpFor(300);
    EXPECT_FALSE(Skinned(foreground.get()));

    // A dialog that dies leaves a dead frame, which the next look at the list frees.
    dialog.reset();
    Win32SkinManager()->PurgeSkinnedForms();
    EXPECT_NE(FrameOf(form->Handle()), nullptr);
    EXPECT_EQ(Win32SkinManager()->SkinnedForms().size(), 1u);
}

// What a timer saw of the open popup menu, before it closed the menu.
struct MenuLook {
    int answer = -1;
    size_t skinnedMenus = 0;
    TBitmap32 pixels;
};
MenuLook g_menuLook;

void CALLBACK LookAtOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = ::FindWindowW(L"#32768", nullptr);
    if (!menu || !::IsWindowVisible(menu)) return;
    ::KillTimer(nullptr, id);
    g_menuLook.answer = int(::SendMessageW(menu, SkinQueryMessage, 0, 0));
    g_menuLook.skinnedMenus = Win32SkinManager()->SkinnedMenuCount();
    RECT r{};
    ::GetWindowRect(menu, &r);
    g_menuLook.pixels = WindowPixels(menu, {0, 0, r.right - r.left, r.bottom - r.top});
    ::EndMenu();
}

TEST_F(SkinnedFrame, PopupMenusGetTheSkinsBorderAndBackground) {
    TForm* form = MakeForm(L"TMenuOwner");
    TSkinData* skin = SkinFor(form);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return Running(form->Handle()); }, 10000));
    ASSERT_TRUE(skin->MenuBackground && !skin->MenuBackground->Bitmap.Empty()) << "the product skin has one";

    unique_hmenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.get(), MF_STRING, 1, L"隐藏窗口");
    ::AppendMenuW(menu.get(), MF_STRING, 2, L"显示窗口");
    g_menuLook = {};
    ::SetTimer(nullptr, 0, 100, LookAtOpenMenu);
    ::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, 200, 200, 0, form->Handle(), nullptr);

    EXPECT_EQ(g_menuLook.answer, 1) << "the open menu window is skinned";
    EXPECT_EQ(g_menuLook.skinnedMenus, 1u);
    ASSERT_FALSE(g_menuLook.pixels.Empty());
    // Its 3-pixel border is the skin's menu background fitted to the window.
    const TDataSkinObject& element = *skin->MenuBackground;
    const TBitmap32 expected =
        BuildElementBitmap(g_menuLook.pixels.Width(), g_menuLook.pixels.Height(), element.Bitmap,
                           element.Margins(), false, element.Tile != 0, 1, 1);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{1, 5}, std::pair{g_menuLook.pixels.Width() - 1, 3}})
        EXPECT_EQ(g_menuLook.pixels.Pixel(x, y), expected.Pixel(x, y)) << x << "," << y;
    // Closed: the skinned menu is gone and the menu kind is back to an ordinary popup.
    EXPECT_EQ(Win32SkinManager()->SkinnedMenuCount(), 0u);
    EXPECT_EQ(Win32SkinManager()->MenuOpenKind(), mkPopup);
}

TEST_F(SkinnedFrame, FiveHundredSkinsAndUnskinsLeaveNoHandleBehind) {
    TForm* form = MakeForm(L"TCycled", WS_SYSMENU | WS_MINIMIZEBOX);
    TSkinData* skin = SkinFor(form);
    HWND wnd = form->Handle();
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return Running(wnd); }, 10000));
    TSkinManage* manager = Win32SkinManager();
    auto request = [&](std::uint32_t code) {
        manager->SetActionRequester(skin);
        manager->RequestAction(code, 1);
        manager->RunPendingAction();
    };
    request(saUnskinAll);
    PumpFor(100);
    // Every picture, region, brush, font and device context the engine makes passes through the
    // owners that keep this count.
    const long before = LiveOwnedHandles();
    for (int i = 0; i < 500; ++i) {
        request(saSkinAll);
        ASSERT_TRUE(PumpUntil([&] { return Running(wnd); }, 5000)) << "cycle " << i;
        ::SendMessageW(wnd, WM_NCPAINT, 1, 0);
        ::SendMessageW(wnd, WM_NCMOUSEMOVE, HTCAPTION, ScreenPoint(wnd, {10, 5, 12, 7}));
        request(saUnskinAll);
    }
    PumpFor(100);
    EXPECT_FALSE(Skinned(wnd));
    EXPECT_EQ(LiveOwnedHandles(), before);
}

TEST_F(SkinnedFrame, ACorruptStoredSkinLeavesTheNormalFrame) {
    TForm* form = MakeForm(L"TCorruptSkin");
    const SIZE nativeSize = WindowSize(form->Handle());
    auto* skin = new TSkinData(form);
    skin->BeginReading();
    // This test program's resource 201 holds bytes that are not a packed skin.
    EXPECT_FALSE(LoadSkinFromResource(*skin, nullptr, 201));
    skin->SetActive(true);
    skin->Loaded();
    EXPECT_FALSE(skin->Active()) << "a skin data without a skin does not stay active";
    form->Show();
    PumpFor(500);
    EXPECT_FALSE(Skinned(form->Handle()));
    EXPECT_FALSE(HasRegion(form->Handle()));
    EXPECT_EQ(WindowSize(form->Handle()).cx, nativeSize.cx);
    EXPECT_EQ(WindowSize(form->Handle()).cy, nativeSize.cy);
}

} // namespace
