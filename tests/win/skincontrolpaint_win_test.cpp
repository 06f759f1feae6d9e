// The control skins of the updater's window on real controls under Wine, attached by hand to a
// form carrying the product skin: what each paints, that each answers the skin query, that the
// log's overlay bar follows lines appended to it, and that nothing is held after they go.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/Application_win.h"
#include "framework/ComCtrls_win.h"
#include "framework/Forms_win.h"
#include "framework/Handle_win.h"
#include "framework/StdCtrls_win.h"
#include "helpers/MessagePump.h"
#include "helpers/SkinTestPlatform.h"
#include "helpers/UpdaterSkin.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/rules/SkinControlLayout.h"
#include "skin/controls/SkinEdit_win.h"
#include "skin/model/LateBoundUser32_win.h"
#include "skin/controls/SkinProgress_win.h"
#include "skin/controls/SkinScrollbar_win.h"
#include "skin/controls/SkinStatusBar_win.h"
#include "skin/controls/SkinTab_win.h"
#include "skin/model/WinSkinData_win.h"
#include "skin/frame/WinSkinForm_win.h"

namespace {

TBitmap32 ClientPixels(HWND wnd) {
    RECT r{};
    ::GetClientRect(wnd, &r);
    ScopedGetDC dc(wnd);
    return BitmapFromDC(dc.get(), r);
}

TBitmap32 WindowPixels(HWND wnd) {
    RECT r{};
    ::GetWindowRect(wnd, &r);
    ScopedGetWindowDC dc(wnd);
    return BitmapFromDC(dc.get(), RECT{0, 0, r.right - r.left, r.bottom - r.top});
}

int CountColour(const TBitmap32& image, const TRect& part, TColor colour) {
    int n = 0;
    for (int y = part.Top; y < part.Bottom; ++y)
        for (int x = part.Left; x < part.Right; ++x)
            n += image.Pixel(x, y) == colour;
    return n;
}

bool Queried(HWND wnd) {
    return ::SendMessageW(wnd, SkinQueryMessage, 0, 0) == 1;
}

class ControlSkins : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kUpdaterExe) GTEST_SKIP() << "update.exe is not part of this build";
        platform_ = std::make_unique<TSkinTestPlatform>(false);
        form_ = std::make_unique<TForm>(nullptr, L"TSkinnedControlsForm");
        form_->SetCaption(L"控件");
        form_->SetBounds(60, 60, 0, 0);
        form_->SetClientSize(393, 253);
        skin_ = new TSkinData(form_.get());
        ASSERT_TRUE(ReadProductSkin(*skin_));
        form_->Show();
        PumpFor(100);
    }
    void TearDown() override {
        form_.reset();
        platform_.reset();
    }

    template <class T> T* Make(TWinControl* parent, int left, int top, int width, int height) {
        T* control = new T(form_.get());
        control->SetParent(parent);
        control->SetBounds(left, top, width, height);
        return control;
    }
    template <class S> S* Skin(TWinControl* control) {
        auto* skin = new S(control);
        skin->AttachControl(control, nullptr, skin_, false);
        return skin;
    }
    TColor Face() const { return ColourToRGB(skin_->SkinColours[scButtonFace]); }

    std::unique_ptr<TSkinTestPlatform> platform_;
    std::unique_ptr<TForm> form_;
    TSkinData* skin_ = nullptr;
};

TEST_F(ControlSkins, ProgressBarChunksAtNothingHalfAndFull) {
    auto* bar = Make<TProgressBar>(form_.get(), 8, 200, 300, 19);
    bar->SetMax(100);
    HWND wnd = bar->Handle();
    Skin<TSkinProgress>(bar);
    EXPECT_TRUE(Queried(wnd));
    TColor leftQuarter[3] = {};
    const int positions[3] = {0, 50, 100};
    for (int i = 0; i < 3; ++i) {
        bar->SetPosition(positions[i]);
        ::UpdateWindow(wnd);
        const TBitmap32 shown = ClientPixels(wnd);
        const TBitmap32 golden = skinctl::ComposeProgress(*skin_, 300, 19, false, positions[i], 0, 100);
        ASSERT_FALSE(golden.Empty()) << "the product skin has the chunk style";
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 300; x += 7)
                ASSERT_EQ(shown.Pixel(x, y), golden.Pixel(x, y)) << positions[i] << " at " << x << "," << y;
        leftQuarter[i] = shown.Pixel(75, 9);
    }
    EXPECT_NE(leftQuarter[0], leftQuarter[1]) << "half: the left quarter is filled";
    EXPECT_EQ(leftQuarter[1], leftQuarter[2]);
    EXPECT_NE(ClientPixels(wnd).Pixel(225, 9), leftQuarter[0]) << "full: the right quarter too";
}

TEST_F(ControlSkins, PageControlTabsPageBorderAndLabelsOnTheFace) {
    auto* pages = Make<TPageControl>(form_.get(), 0, 0, 393, 209);
    auto* first = new TTabSheet(form_.get(), pages, L"  主界面  ");
    auto* second = new TTabSheet(form_.get(), pages, L"其它");
    auto* label = Make<TLabel>(first, 8, 40, 200, 16);
    label->SetCaption(L"需要下载: 已经下载:");
    label->SetCellWidth(6);
    label->SetTextColor(RGB(0, 0, 0xC0));
    HWND wnd = pages->Handle();
    label->Handle();
    Skin<TSkinTab>(pages);
    Skin<TSkinTabSheet>(first);
    Skin<TSkinTabSheet>(second);
    ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(50);
    EXPECT_TRUE(Queried(wnd));
    EXPECT_TRUE(Queried(first->Handle()));

    const TBitmap32 shown = ClientPixels(wnd);
    const TDataSkinBorder& tabs = *skin_->Tabs;
    const int frameWidth = tabs.FrameWidth();
    // The tabs' top-left corners are copied at their own size: frame 2 selected, frame 1 not.
    for (int i = 0; i < 2; ++i) {
        RECT tab{};
        ASSERT_TRUE(::SendMessageW(wnd, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&tab)));
        const int frame = skinctl::TabFrame(i == 0);
        EXPECT_EQ(shown.Pixel(tab.left + 1, tab.top + 1), tabs.Bitmap.Pixel((frame - 1) * frameWidth + 1, 1))
            << i;
        EXPECT_EQ(shown.Pixel(tab.left + 2, tab.top + 2), tabs.Bitmap.Pixel((frame - 1) * frameWidth + 2, 2))
            << i;
    }
    // The page's left border beside the sheet is the page picture's left edge.
    RECT display{0, 0, 393, 209};
    ::SendMessageW(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const TRect page = skinctl::TabPageRect(ToTRect(display), skinctl::tsTop);
    const TBitmap32& pane = skin_->TabPane->Bitmap;
    EXPECT_EQ(shown.Pixel(page.Left, page.Top + 1), pane.Pixel(0, 1));
    EXPECT_EQ(shown.Pixel(page.Left + 1, page.Top + 1), pane.Pixel(1, 1));
    // The sheet and the owner-drawn label lie on the skin's face; the caption keeps its colour.
    EXPECT_EQ(ClientPixels(first->Handle()).Pixel(300, 150), Face());
    const TBitmap32 caption = ClientPixels(label->Handle());
    EXPECT_EQ(caption.Pixel(199, 0), Face());
    EXPECT_GT(CountColour(caption, caption.BoundsRect(), 0xC00000), 40);
    EXPECT_EQ(CountColour(caption, caption.BoundsRect(), ColourFromColorRef(::GetSysColor(COLOR_BTNFACE))),
              0);
}

TEST_F(ControlSkins, StatusBarTextOnItsEdgesAndEditFrame) {
    auto* status = Make<TStatusBar>(form_.get(), 0, 234, 393, 19);
    status->SetPanelText(L"正在下载 update.dat");
    auto* edit = Make<TEdit>(form_.get(), 20, 120, 80, 20);
    edit->SetReadOnly(true);
    edit->SetText("1024");
    HWND bar = status->Handle();
    HWND field = edit->Handle();
    Skin<TSkinStatusBar>(status);
    Skin<TSkinEdit>(edit);
    ::RedrawWindow(form_->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(50);
    EXPECT_TRUE(Queried(bar));
    EXPECT_TRUE(Queried(field));

    const TBitmap32 shown = ClientPixels(bar);
    const TDataSkinObject& edges = *skin_->StatusBar;
    RECT panel{};
    ASSERT_TRUE(::SendMessageW(bar, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&panel)));
    EXPECT_EQ(shown.Pixel(panel.left + 1, panel.top + 2), edges.Bitmap.Pixel(1, 2))
        << "frame 1, its top-left corner at its own size";
    const TColor text = ColourToRGB(edges.NormalColour2);
    EXPECT_GT(CountColour(shown, {2, 0, 200, shown.Height()}, text), 40) << "the text is drawn";
    status->SetPanelText(L"");
    ::UpdateWindow(bar);
    EXPECT_LT(CountColour(ClientPixels(bar), {2, 0, 200, shown.Height()}, text),
              CountColour(shown, {2, 0, 200, shown.Height()}, text));

    const TBitmap32 frame = WindowPixels(field);
    EXPECT_EQ(frame.Pixel(0, 10), ColourFromColorRef(SkinColourRef(*skin_, scButtonShadow)));
    EXPECT_EQ(frame.Pixel(1, 10), TColor(0xFFFFFF));
    EXPECT_EQ(::SendMessageW(field, EditPaintRequest, 0, SkinMagic), SkinMagic);
}

TEST_F(ControlSkins, LogOverlayBarFollowsAppendedLines) {
    auto* memo = Make<TMemo>(form_.get(), 10, 10, 300, 115);
    memo->SetFrame(TEditFrame::Bevel);
    HWND wnd = memo->Handle();
    std::wstring lines;
    for (int i = 0; i < 30; ++i)
        lines += L"第 " + std::to_wstring(i) + L" 行\r\n";
    memo->SetCaption(lines);
    auto* skin = Skin<TSkinScrollbar>(memo);
    EXPECT_TRUE(Queried(wnd));
    TWScrollbar* overlay = skin->Overlay(TScrollBarSide::Vertical);
    ASSERT_NE(overlay, nullptr);
    PumpFor(50);
    ASSERT_TRUE(overlay->Shown());

    auto check = [&](const char* when) {
        SCROLLBARINFO info{};
        info.cbSize = sizeof(info);
        EXPECT_TRUE(TLateBoundUser32::QueryScrollBarInfo(wnd, OBJID_VSCROLL, &info));
        RECT over{};
        ::GetWindowRect(overlay->Handle(), &over);
        EXPECT_TRUE(::EqualRect(&over, &info.rcScrollBar)) << when << ": the overlay lies on the bar";
        skinctl::TScrollbarLook look;
        SCROLLBARINFO seen{};
        EXPECT_TRUE(overlay->CurrentLook(look, seen));
        const TBitmap32 golden = skinctl::ComposeScrollbar(*skin_, look);
        const TBitmap32 shown = ClientPixels(overlay->Handle());
        EXPECT_EQ(shown.Pixel(look.breadth / 2, (look.thumbStart + look.thumbEnd) / 2),
                  golden.Pixel(look.breadth / 2, (look.thumbStart + look.thumbEnd) / 2))
            << when;
        int different = 0;
        for (int y = 0; y < golden.Height(); ++y)
            different += shown.Pixel(golden.Width() / 2, y) != golden.Pixel(golden.Width() / 2, y);
        EXPECT_EQ(different, 0) << when;
        return info.xyThumbTop;
    };
    const int top = check("at the top");
    EXPECT_EQ(top, ::GetSystemMetrics(SM_CYVSCROLL));
    for (int i = 0; i < 20; ++i)
        memo->AddLine(L"追加 " + std::to_wstring(i));
    const int after = check("after lines were appended");
    EXPECT_GT(after, top + 20) << "the thumb went down with the text";
    // The pointer resting on the thumb lights it (frame 3 of the thumb element).
    skinctl::TScrollbarLook look;
    SCROLLBARINFO seen{};
    ASSERT_TRUE(overlay->CurrentLook(look, seen));
    const POINT onThumb{look.breadth / 2, (look.thumbStart + look.thumbEnd) / 2};
    const TColor resting = ClientPixels(overlay->Handle()).Pixel(onThumb.x, onThumb.y);
    ::SendMessageW(overlay->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(onThumb.x, onThumb.y));
    EXPECT_EQ(overlay->Hot(), skinctl::spThumb);
    EXPECT_NE(ClientPixels(overlay->Handle()).Pixel(onThumb.x, onThumb.y), resting);
    check("with the pointer on the thumb");
    EXPECT_EQ(::SendMessageW(wnd, FramePaintRequest, 0, SkinMagic), SkinMagic);
    memo->DestroyHandle();
    EXPECT_FALSE(overlay->Shown()) << "no bar is left where the log was";
}

TEST_F(ControlSkins, FiveHundredAttachPaintDestroyRoundsHoldNothing) {
    const long before = LiveOwnedHandles();
    for (int round = 0; round < 500; ++round) {
        auto* pages = Make<TPageControl>(form_.get(), 0, 0, 393, 150);
        auto* sheet = new TTabSheet(form_.get(), pages, L"页");
        auto* memo = Make<TMemo>(sheet, 2, 2, 200, 60);
        auto* bar = Make<TProgressBar>(sheet, 2, 70, 200, 19);
        auto* status = Make<TStatusBar>(form_.get(), 0, 234, 393, 19);
        auto* edit = Make<TEdit>(sheet, 2, 95, 80, 20);
        pages->Handle();
        memo->SetCaption(L"一\r\n二\r\n三\r\n四\r\n五\r\n六\r\n七");
        bar->SetPosition(round % 101);
        Skin<TSkinTab>(pages);
        Skin<TSkinTabSheet>(sheet);
        Skin<TSkinScrollbar>(memo);
        Skin<TSkinProgress>(bar);
        Skin<TSkinStatusBar>(status);
        Skin<TSkinEdit>(edit);
        ::RedrawWindow(form_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        delete status;
        delete pages; // its sheet and controls go with its window
        delete memo;
        delete bar;
        delete edit;
        delete sheet;
    }
    PumpFor(20);
    EXPECT_EQ(LiveOwnedHandles(), before);
}

TEST_F(ControlSkins, CloseMarkAsksTheFormAndFreesThePageOnlyWhenAllowed) {
    auto* pages = Make<TPageControl>(form_.get(), 0, 0, 393, 209);
    pages->Tag = 7777;
    new TTabSheet(form_.get(), pages, L"  第一页  ");
    new TTabSheet(form_.get(), pages, L"  第二页  ");
    HWND wnd = pages->Handle();
    Skin<TSkinTab>(pages);
    TForm* form = form_.get();
    int asked = 0;
    LRESULT answer = 1;
    form->MessageHandler = [&](UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (msg != TabCloseMessage) return form->WndProc(msg, wParam, lParam, result);
        EXPECT_EQ(reinterpret_cast<HWND>(wParam), wnd);
        EXPECT_EQ(lParam, 1);
        ++asked;
        result = answer;
        return true;
    };
    RECT tab{};
    ASSERT_TRUE(::SendMessageW(wnd, TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab)));
    const TRect mark = skinctl::TabCloseMarkRect(ToTRect(tab));
    ASSERT_FALSE(mark.IsEmpty());
    const LPARAM at = MAKELPARAM((mark.Left + mark.Right) / 2, (mark.Top + mark.Bottom) / 2);
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(pages->PageCount(), 2u) << "the form said no";
    answer = 0;
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(pages->PageCount(), 1u);
    EXPECT_EQ(::SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0), 1);
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(tab.left + 3, (tab.top + tab.bottom) / 2));
    EXPECT_EQ(asked, 2) << "a click beside a mark is an ordinary click";
    form->MessageHandler = nullptr;
}

} // namespace
