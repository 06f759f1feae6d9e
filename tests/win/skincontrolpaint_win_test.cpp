// The control skins of the updater's window on real controls under Wine, attached by hand to a
// form carrying the product skin: what each paints, that each answers the skin query and that the
// log's overlay bar follows lines appended to it.
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
#include "helpers/SolidElements.h"
#include "helpers/UpdaterSkin.h"
#include "skin/controls/SkinEdit_win.h"
#include "skin/controls/SkinProgress_win.h"
#include "skin/controls/SkinScrollbar_win.h"
#include "skin/controls/SkinStatusBar_win.h"
#include "skin/controls/SkinTab_win.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"
#include "skin/model/WinSkinData_win.h"
#include "skin/rules/SkinControlLayout.h"

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
    // The chunk style: a bar whose 3-pixel edge is Shade(1) round a Shade(2) track, and a Shade(3)
    // chunk stretched over the filled part (position / upper of the bar), 2 pixels in from its edges.
    skin_->Progress = Element<TDataSkinBorder>("Progress", 1, 12, 19);
    skin_->Progress->Bitmap.FillRect({3, 3, 9, 16}, Shade(2));
    skin_->Progress->LeftWidth = skin_->Progress->TopHeight = 3;
    skin_->Progress->RightWidth = skin_->Progress->BottomHeight = 3;
    skin_->Progress->Style = 1;
    skin_->ProgressChunk = Element<TDataSkinObject>("Progress.Chunk", 1, 16, 19, 3);
    auto* bar = Make<TProgressBar>(form_.get(), 8, 200, 300, 19);
    bar->SetMax(100);
    HWND wnd = bar->Handle();
    Skin<TSkinProgress>(bar);
    EXPECT_TRUE(Queried(wnd));
    const int xs[] = {1, 75, 151, 152, 225, 298};
    const struct {
        int position;
        TColor row[6]; // at xs, halfway down
    } cases[] = {
        {0, {Shade(1), Shade(2), Shade(2), Shade(2), Shade(2), Shade(1)}},
        {50, {Shade(1), Shade(3), Shade(3), Shade(2), Shade(2), Shade(1)}},
        {100, {Shade(1), Shade(3), Shade(3), Shade(3), Shade(3), Shade(3)}},
    };
    for (const auto& c : cases) {
        bar->SetPosition(c.position);
        ::UpdateWindow(wnd);
        const TBitmap32 shown = ClientPixels(wnd);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(shown.Pixel(xs[i], 9), c.row[i]) << c.position << " at " << xs[i];
        EXPECT_EQ(shown.Pixel(75, 1), Shade(1)) << c.position << ": the top edge stays";
    }
}

TEST_F(ControlSkins, PageControlTabsPageBorderAndLabelsOnTheFace) {
    // Five tab frames, Shade(1) to Shade(5); the page picture's 2-pixel left band Shade(7), the rest
    // Shade(6).
    skin_->Tabs = Element<TDataSkinBorder>("Tabs", 5, 24, 22);
    skin_->Tabs->LeftWidth = skin_->Tabs->TopHeight = skin_->Tabs->RightWidth = 3;
    skin_->Tabs->BottomHeight = 1;
    skin_->Tabs->Style = 1;
    skin_->TabPane = Element<TDataSkinObject>("Tab.Pane", 1, 16, 16, 6);
    skin_->TabPane->Bitmap.FillRect({0, 0, 2, 16}, Shade(7));
    skin_->TabPane->LeftWidth = skin_->TabPane->TopHeight = 2;
    skin_->TabPane->RightWidth = skin_->TabPane->BottomHeight = 2;
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
    // The selected tab in frame 2, the other in frame 1.
    for (int i = 0; i < 2; ++i) {
        RECT tab{};
        ASSERT_TRUE(::SendMessageW(wnd, TCM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&tab)));
        EXPECT_EQ(shown.Pixel(tab.left + 1, tab.top + 1), Shade(i == 0 ? 2 : 1)) << i;
        EXPECT_EQ(shown.Pixel(tab.left + 2, tab.top + 2), Shade(i == 0 ? 2 : 1)) << i;
    }
    // The page's left border beside the sheet is the page picture's left band, its top the rest.
    RECT display{0, 0, 393, 209};
    ::SendMessageW(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    const TRect page = skinctl::TabPageRect(ToTRect(display), skinctl::tsTop);
    EXPECT_EQ(shown.Pixel(page.Left, page.Top + 1), Shade(7));
    EXPECT_EQ(shown.Pixel(page.Left + 1, page.Top + 20), Shade(7));
    EXPECT_EQ(shown.Pixel(page.Left + 20, page.Top + 1), Shade(6));
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
    // The arrows' 23 frames are Shade(1) to Shade(23), 6 pixels high, so the bar is the system's
    // arrow size across and the 6-pixel grip fits on the thumb; the track's 4 frames Shade(24) on,
    // the thumb's 3 frames Shade(28) on.
    skin_->Scrollbar = Element<TDataSkinObject>("Scrollbar", 23, 16, 6);
    skin_->VertScroll = Element<TDataSkinObject>("VertScroll", 4, 16, 8, 24);
    skin_->VertScrollThumb = Element<TDataSkinObject>("VertScrollThumb", 3, 16, 16, 28);
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

    // Down the middle: the arrows' frames 9 and 13, the track's frame 1, the thumb's frame 1 (3 when
    // hot) with the grip's frame 20 (22) centred on it.
    auto expectedAt = [](const skinctl::TScrollbarLook& look, int y) {
        const bool hot = look.hot == skinctl::spThumb;
        const int grip = look.thumbStart + (look.thumbEnd - look.thumbStart - 6) / 2;
        if (y < look.arrow) return Shade(9);
        if (y >= look.length - look.arrow) return Shade(13);
        if (y < look.thumbStart || y >= look.thumbEnd) return Shade(24);
        if (y >= grip && y < grip + 6) return Shade(hot ? 22 : 20);
        return Shade(hot ? 30 : 28);
    };
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
        EXPECT_GT(look.thumbEnd - look.thumbStart, 6 + 2) << when << ": the thumb shows round the grip";
        const TBitmap32 shown = ClientPixels(overlay->Handle());
        int different = 0;
        for (int y = 0; y < look.length; ++y)
            different += shown.Pixel(look.breadth / 2, y) != expectedAt(look, y);
        EXPECT_EQ(different, 0) << when;
        return info.xyThumbTop;
    };
    const int top = check("at the top");
    EXPECT_EQ(top, ::GetSystemMetrics(SM_CYVSCROLL));
    for (int i = 0; i < 20; ++i)
        memo->AddLine(L"追加 " + std::to_wstring(i));
    const int after = check("after lines were appended");
    EXPECT_GT(after, top + 20) << "the thumb went down with the text";
    // The pointer resting on the thumb lights it.
    skinctl::TScrollbarLook look;
    SCROLLBARINFO seen{};
    ASSERT_TRUE(overlay->CurrentLook(look, seen));
    ::SendMessageW(overlay->Handle(), WM_MOUSEMOVE, 0,
                   MAKELPARAM(look.breadth / 2, (look.thumbStart + look.thumbEnd) / 2));
    EXPECT_EQ(overlay->Hot(), skinctl::spThumb);
    check("with the pointer on the thumb");
    EXPECT_EQ(::SendMessageW(wnd, FramePaintRequest, 0, SkinMagic), SkinMagic);
    memo->DestroyHandle();
    EXPECT_FALSE(overlay->Shown()) << "no bar is left where the log was";
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
