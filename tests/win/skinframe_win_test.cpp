// The skin manager's hook and the skinned frame on real windows under Wine: a form is skinned when
// it is activated (once), keeps its client size, gets its region and its painted borders, reacts
// to the pointer on its caption buttons and lets go exactly; Tag 99 forms, dialogs with
// DS_SETFOREGROUND and a corrupt stored skin keep the system's frame.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "framework/Application_win.h"
#include "framework/Forms_win.h"
#include "helpers/MenuScript.h"
#include "helpers/MessagePump.h"
#include "helpers/SkinTestPlatform.h"
#include "helpers/SolidElements.h"
#include "helpers/UpdaterSkin.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/manager/SkinManage_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData_win.h"

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
    // The bottom border's frames, 1 active and 2 inactive: each a 5-pixel left part, a middle and a
    // 6-pixel right part of its own shade.
    TDataSkinBorder& bottom = skin->Border(TSkinData::bdBottom);
    bottom.Bitmap = BandedStack(2, 32, 4, 5, 6);
    bottom.FrameCount = 2;
    bottom.LeftWidth = 5;
    bottom.RightWidth = 6;
    bottom.TopHeight = bottom.BottomHeight = 0;
    TForm* tagged = MakeForm(L"TTaggedForm");
    tagged->Tag = 99;
    HWND wnd = form->Handle();
    EXPECT_FALSE(Skinned(wnd)) << "nothing is skinned before it is activated";

    // The Tag 99 form is activated first: once the form after it is skinned, both were seen.
    tagged->Show();
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return Running(wnd); }, 10000));
    EXPECT_FALSE(Skinned(tagged->Handle()));
    EXPECT_FALSE(HasRegion(tagged->Handle()));
    TWinSkinForm* frame = FrameOf(wnd);
    const frame::TBorders b = frame->Borders();
    EXPECT_GT(b.Top, 0);
    EXPECT_EQ(ClientSize(wnd).cx, 393);
    EXPECT_EQ(ClientSize(wnd).cy, 253);
    const SIZE skinnedSize = WindowSize(wnd);
    EXPECT_EQ(skinnedSize.cx, 393 + b.Left + b.Right);
    EXPECT_EQ(skinnedSize.cy, 253 + b.Top + b.Bottom);
    EXPECT_TRUE(HasRegion(wnd)) << "the product skin's side borders are shaped";

    // The bottom border on screen: the frame's left part and right part at their own widths, the
    // middle between them.
    PumpFor(200);
    EXPECT_EQ(b.Bottom, 4);
    auto bottomShades = [&] {
        const TBitmap32 shown =
            WindowPixels(wnd, {b.Left, skinnedSize.cy - 4, skinnedSize.cx - b.Right, skinnedSize.cy});
        const int w = shown.Width();
        return std::vector<TColor>{shown.Pixel(0, 0),     shown.Pixel(4, 3),     shown.Pixel(5, 1),
                                   shown.Pixel(w - 7, 2), shown.Pixel(w - 6, 0), shown.Pixel(w - 1, 3)};
    };
    EXPECT_EQ(bottomShades(),
              (std::vector<TColor>{Shade(1), Shade(1), Shade(2), Shade(2), Shade(3), Shade(3)}));

    // A new title is painted in the skin's caption at once (through the form's wrapped handler).
    const RECT captionBand{b.Left, 0, skinnedSize.cx - b.Right, b.Top};
    const TBitmap32 oldTitle = WindowPixels(wnd, captionBand);
    form->SetCaption(L"另一个标题 Another title");
    const TBitmap32 newTitle = WindowPixels(wnd, captionBand);
    EXPECT_FALSE(newTitle.SamePixels(oldTitle));
    EXPECT_EQ(newTitle.Pixel(1, 1), oldTitle.Pixel(1, 1)) << "still the skin's caption, not the system's";
    form->SetCaption(L"Skinned 窗口");

    // The Tag 99 form activated leaves the form inactive, in frame 2; activated again, still one frame.
    tagged->Show();
    EXPECT_EQ(bottomShades(),
              (std::vector<TColor>{Shade(4), Shade(4), Shade(5), Shade(5), Shade(6), Shade(6)}));
    form->Show();
    PumpFor(300);
    EXPECT_EQ(Win32SkinManager()->SkinnedForms().size(), 1u);
    EXPECT_FALSE(Skinned(tagged->Handle()));

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
    // The one asking for the foreground is activated first: once the other is skinned, both were seen.
    for (HWND d : {foreground.get(), dialog.get()}) {
        ::ShowWindow(d, SW_SHOW);
        ::SetActiveWindow(d);
    }
    ASSERT_TRUE(PumpUntil([&] { return Running(dialog.get()); }, 10000));
    EXPECT_EQ(FrameOf(dialog.get())->FrameKind(), frame::TFrameKind::DialogFrame)
        << "a dialog takes the dialog frame";
    EXPECT_FALSE(Skinned(foreground.get()));

    // A dialog that dies leaves a dead frame, which the next look at the list frees.
    dialog.reset();
    Win32SkinManager()->PurgeSkinnedForms();
    EXPECT_NE(FrameOf(form->Handle()), nullptr);
    EXPECT_EQ(Win32SkinManager()->SkinnedForms().size(), 1u);
}

TEST_F(SkinnedFrame, PopupMenusGetTheSkinsBorderAndBackground) {
    TForm* form = MakeForm(L"TMenuOwner");
    TSkinData* skin = SkinFor(form);
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return Running(form->Handle()); }, 10000));
    ASSERT_TRUE(skin->MenuBackground && !skin->MenuBackground->Bitmap.Empty()) << "the product skin has one";
    // Its 3-pixel bands in their own shades: left and right ones the full height, top and bottom
    // ones between them.
    TDataSkinObject& element = *skin->MenuBackground;
    element.Bitmap = TBitmap32(12, 12, Shade(5));
    element.Bitmap.FillRect({0, 0, 3, 12}, Shade(1));
    element.Bitmap.FillRect({3, 0, 9, 3}, Shade(2));
    element.Bitmap.FillRect({9, 0, 12, 12}, Shade(3));
    element.Bitmap.FillRect({3, 9, 9, 12}, Shade(4));
    element.LeftWidth = element.TopHeight = element.RightWidth = element.BottomHeight = 3;

    unique_hmenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.get(), MF_STRING, 1, L"隐藏窗口");
    ::AppendMenuW(menu.get(), MF_STRING, 2, L"显示窗口");
    LRESULT answer = -1;
    size_t skinnedMenus = 0;
    TBitmap32 pixels;
    {
        ScriptRun run({[&] {
            HWND open = OpenMenuWindow();
            if (!open) return false;
            answer = ::SendMessageW(open, SkinQueryMessage, 0, 0);
            skinnedMenus = Win32SkinManager()->SkinnedMenuCount();
            const SIZE size = WindowSize(open);
            pixels = WindowPixels(open, {0, 0, size.cx, size.cy});
            ::EndMenu();
            return true;
        }});
        ::TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, 200, 200, 0, form->Handle(), nullptr);
        EXPECT_TRUE(run.Done());
    }
    EXPECT_EQ(answer, 1) << "the open menu window is skinned";
    EXPECT_EQ(skinnedMenus, 1u);
    ASSERT_GT(pixels.Width(), 12);
    ASSERT_GT(pixels.Height(), 12);
    // The band fitted to the window: corners at their own size, edges stretched along.
    const int w = pixels.Width(), h = pixels.Height();
    const struct {
        int x, y;
        TColor shade;
    } points[] = {{0, 0, Shade(1)},     {1, 5, Shade(1)},         {w / 2, 1, Shade(2)},
                  {w - 1, 3, Shade(3)}, {w - 3, h - 1, Shade(3)}, {w - 4, h - 2, Shade(4)},
                  {3, h - 3, Shade(4)}};
    for (const auto& p : points)
        EXPECT_EQ(pixels.Pixel(p.x, p.y), p.shade) << p.x << "," << p.y;
    // Closed: the skinned menu is gone and the menu kind is back to an ordinary popup.
    EXPECT_EQ(Win32SkinManager()->SkinnedMenuCount(), 0u);
    EXPECT_EQ(Win32SkinManager()->MenuOpenKind(), mkPopup);
}

TEST_F(SkinnedFrame, ACorruptStoredSkinLeavesTheNormalFrame) {
    // Read, activated, shown and waited for alike; only the stored skin differs.
    auto showWith = [&](TForm* form, bool corrupt) {
        auto* skin = new TSkinData(form);
        if (corrupt) {
            skin->BeginReading();
            // This test program's resource 201 holds bytes that are not a packed skin.
            EXPECT_FALSE(LoadSkinFromResource(*skin, nullptr, 201));
        } else {
            EXPECT_TRUE(ReadProductSkin(*skin));
        }
        skin->SetActive(true);
        skin->Loaded();
        form->Show();
        PumpFor(500);
        return skin;
    };
    TForm* sound = MakeForm(L"TSoundSkin");
    showWith(sound, false);
    EXPECT_TRUE(Skinned(sound->Handle())) << "the product skin is on within the same wait";
    forms_.clear(); // the form goes, and its skin data with it

    TForm* form = MakeForm(L"TCorruptSkin");
    const SIZE nativeSize = WindowSize(form->Handle());
    EXPECT_FALSE(showWith(form, true)->Active()) << "a skin data without a skin does not stay active";
    EXPECT_FALSE(Skinned(form->Handle()));
    EXPECT_FALSE(HasRegion(form->Handle()));
    EXPECT_EQ(WindowSize(form->Handle()).cx, nativeSize.cx);
    EXPECT_EQ(WindowSize(form->Handle()).cy, nativeSize.cy);
}

} // namespace
