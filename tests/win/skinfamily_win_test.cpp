// The combo box, track bar, up-down, header, date-time and media player skins on real controls
// under Wine: each draws the frame its state calls for (elements of known solid colours stand in
// for the skin's, so that one pixel tells the frame) and answers the skin query.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "framework/Application_win.h"
#include "framework/Forms_win.h"
#include "framework/Handle_win.h"
#include "helpers/MessagePump.h"
#include "helpers/SkinTestPlatform.h"
#include "helpers/SolidElements.h"
#include "helpers/UpdaterSkin.h"
#include "skin/controls/SkinComBox_win.h"
#include "skin/controls/SkinDateTime_win.h"
#include "skin/controls/SkinHeader_win.h"
#include "skin/controls/SkinMP_win.h"
#include "skin/controls/SkinTrackBar_win.h"
#include "skin/controls/SkinUpDown_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData_win.h"
#include "skin/rules/SkinManage.h"

namespace {

// The colour the screen shows at (x, y) of the window (window coordinates).
TColor PixelAt(HWND wnd, int x, int y) {
    ScopedGetWindowDC dc(wnd);
    return BitmapFromDC(dc.get(), {x, y, x + 1, y + 1}).Pixel(0, 0) & 0xFFFFFF;
}

LPARAM Point(int x, int y) {
    return MAKELPARAM(x, y);
}

class SkinFamily : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kUpdaterExe) GTEST_SKIP() << "update.exe is not part of this build";
        platform_ = std::make_unique<TSkinTestPlatform>(false);
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&classes);
        form_ = std::make_unique<TForm>(nullptr, L"TFamilyForm");
        form_->SetCaption(L"Skinned 控件");
        form_->SetBounds(60, 60, 0, 0);
        form_->SetClientSize(420, 300);
        skin_ = new TSkinData(form_.get());
        ASSERT_TRUE(ReadProductSkin(*skin_));
        form_->Show();
        ::SetFocus(form_->Handle());
    }
    void TearDown() override {
        form_.reset();
        platform_.reset();
    }
    HWND Child(const wchar_t* cls, DWORD style, int x, int y, int w, int h) {
        return ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, form_->Handle(),
                                 nullptr, ::GetModuleHandleW(nullptr), nullptr);
    }
    template <typename T> T* Wrap(HWND wnd) {
        auto* wrapper = new T(form_.get());
        wrapper->AttachWindow(wnd, skin_, nullptr);
        return wrapper;
    }
    static void Paint(HWND wnd) {
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
        PumpFor(10);
    }

    std::unique_ptr<TSkinTestPlatform> platform_;
    std::unique_ptr<TForm> form_;
    TSkinData* skin_ = nullptr;
};

TEST_F(SkinFamily, ComboButtonShowsNormalHotAndDisabledFrames) {
    // The composed strip: four 50 x 21 frames, the button in the right margin.
    auto strip = Element<TDataSkinBorder>("ComboButton", 4, 50, 21);
    strip->Style = 2;
    strip->LeftWidth = strip->TopHeight = strip->BottomHeight = 2;
    strip->RightWidth = 20;
    skin_->ComboButton = std::move(strip);
    HWND combo = Child(L"combobox", CBS_DROPDOWNLIST | WS_VSCROLL, 10, 10, 140, 120);
    auto* wrapper = Wrap<TSkinComBox>(combo);
    EXPECT_EQ(::SendMessageW(combo, SkinQueryMessage, 0, 0), 1);
    RECT outer{};
    ::GetWindowRect(combo, &outer);
    const int x = outer.right - outer.left - 8, y = (outer.bottom - outer.top) / 2;
    Paint(combo);
    EXPECT_EQ(PixelAt(combo, x, y), Shade(1));
    ::SendMessageW(combo, WM_MOUSEMOVE, 0, Point(x, y));
    EXPECT_EQ(wrapper->ArrowFrame(), 2);
    EXPECT_EQ(PixelAt(combo, x, y), Shade(2));
    ::SendMessageW(combo, WM_MOUSELEAVE, 0, 0);
    ::EnableWindow(combo, FALSE);
    Paint(combo);
    EXPECT_EQ(PixelAt(combo, x, y), Shade(4));
    // A skin without a sunk edge: ComboxArrow stretched over the button, in a ButtonShadow frame.
    skin_->ComboButton->Style = 1;
    skin_->ComboxArrow = Element<TDataSkinObject>("ComboxArrow", 4, 17, 17);
    const RECT button = wrapper->ButtonRect();
    Paint(combo);
    EXPECT_EQ(PixelAt(combo, button.left + 1, button.top + 1), Shade(4));
    EXPECT_EQ(PixelAt(combo, 0, 0), TColor(SkinColourRef(*skin_, scButtonShadow)));
}

TEST_F(SkinFamily, TrackBarAnswersCustomDrawAndPaintsThumbAndChannel) {
    skin_->TrackThumbHorz = Element<TDataSkinObject>("Trackbar.ThumbHorz", 5, 11, 21);
    skin_->Track = Element<TDataSkinObject>("Track", 1, 16, 4);
    skin_->Track->Bitmap.Fill(RGBColour(10, 20, 200));
    HWND track = Child(TRACKBAR_CLASSW, TBS_HORZ | TBS_AUTOTICKS, 10, 140, 200, 36);
    ::SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    ::SendMessageW(track, TBM_SETPOS, TRUE, 5);
    auto* wrapper = Wrap<TSkinTrackBar>(track);
    EXPECT_EQ(::SendMessageW(track, SkinQueryMessage, 0, 0), 1);

    // The notifications as the parent reflects them, drawing into a bitmap of our own.
    TDibSection canvas(200, 36);
    NMCUSTOMDRAW draw{};
    draw.hdr = {track, 0, UINT(NM_CUSTOMDRAW)};
    draw.hdc = canvas.DC();
    const auto send = [&](DWORD stage, DWORD_PTR item, RECT rc) {
        draw.dwDrawStage = stage;
        draw.dwItemSpec = item;
        draw.rc = rc;
        return ::SendMessageW(track, ReflectedNotifyMessage, 0, reinterpret_cast<LPARAM>(&draw));
    };
    EXPECT_EQ(send(CDDS_PREPAINT, 0, {0, 0, 200, 36}), 0x20);
    EXPECT_EQ(send(CDDS_ITEMPREPAINT, TBCD_TICS, {0, 0, 200, 36}), 0);
    EXPECT_EQ(send(CDDS_ITEMPREPAINT, TBCD_THUMB, {60, 4, 71, 25}), 4);
    EXPECT_EQ(canvas.ToBitmap().Pixel(65, 14) & 0xFFFFFF, Shade(1));
    RECT channel{};
    ::SendMessageW(track, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    EXPECT_EQ(send(CDDS_ITEMPREPAINT, TBCD_CHANNEL, channel), 4);
    EXPECT_EQ(canvas.ToBitmap().Pixel(channel.left + 3, (channel.top + channel.bottom) / 2) & 0xFFFFFF,
              RGBColour(10, 20, 200));

    // On screen, through the parent's own WM_NOTIFY: the thumb, and hot under the pointer.
    RECT thumb{};
    ::SendMessageW(track, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int tx = (thumb.left + thumb.right) / 2, ty = (thumb.top + thumb.bottom) / 2;
    Paint(track);
    EXPECT_EQ(PixelAt(track, tx, ty), Shade(1));
    ::SendMessageW(track, WM_MOUSEMOVE, 0, Point(tx, ty));
    Paint(track);
    EXPECT_EQ(PixelAt(track, tx, ty), Shade(4));
    EXPECT_EQ(wrapper->ThumbFrame(0), 4);
}

TEST_F(SkinFamily, UpDownArrowsShowTheirOwnStates) {
    skin_->UpDownVert = Element<TDataSkinBorder>("UpDown.Vert", 8, 16, 11);
    HWND spin = Child(UPDOWN_CLASSW, 0, 230, 10, 18, 40);
    auto* wrapper = Wrap<TSkinUpDown>(spin);
    EXPECT_EQ(::SendMessageW(spin, SkinQueryMessage, 0, 0), 1);
    Paint(spin);
    EXPECT_EQ(PixelAt(spin, 9, 5), Shade(1));
    EXPECT_EQ(PixelAt(spin, 9, 34), Shade(5));
    ::SendMessageW(spin, WM_MOUSEMOVE, 0, Point(9, 5));
    Paint(spin);
    EXPECT_EQ(PixelAt(spin, 9, 5), Shade(2));
    EXPECT_EQ(PixelAt(spin, 9, 34), Shade(5));
    ::SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, Point(9, 34));
    EXPECT_EQ(wrapper->PartFrame(1), 7);
    Paint(spin);
    EXPECT_EQ(PixelAt(spin, 9, 34), Shade(7));
    ::SendMessageW(spin, WM_LBUTTONUP, 0, Point(9, 34));
    ::EnableWindow(spin, FALSE);
    Paint(spin);
    EXPECT_EQ(PixelAt(spin, 9, 5), Shade(4));
    EXPECT_EQ(PixelAt(spin, 9, 34), Shade(8));
}

TEST_F(SkinFamily, HeaderSectionsNormalHotPressedAndTheEmptyEnd) {
    skin_->Header = Element<TDataSkinObject>("Headerbar", 5, 20, 20);
    HWND header = Child(WC_HEADERW, HDS_BUTTONS | HDS_HORZ, 10, 190, 300, 24);
    for (int i = 0; i < 2; ++i) {
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_TEXT;
        item.cxy = 100;
        item.pszText = const_cast<wchar_t*>(L"列");
        ::SendMessageW(header, HDM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    }
    Wrap<TSkinHeader>(header);
    EXPECT_EQ(::SendMessageW(header, SkinQueryMessage, 0, 0), 1);
    Paint(header);
    EXPECT_EQ(PixelAt(header, 3, 21), Shade(1));
    EXPECT_EQ(PixelAt(header, 250, 21), Shade(4));
    ::SendMessageW(header, WM_MOUSEMOVE, 0, Point(150, 10));
    Paint(header);
    EXPECT_EQ(PixelAt(header, 103, 21), Shade(2));
    EXPECT_EQ(PixelAt(header, 3, 21), Shade(1));
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, Point(50, 10));
    Paint(header);
    EXPECT_EQ(PixelAt(header, 3, 21), Shade(3));
    ::SendMessageW(header, WM_LBUTTONUP, 0, Point(50, 10));
}

TEST_F(SkinFamily, DateTimeArrowButtonAndBorder) {
    skin_->ComboxArrow = Element<TDataSkinObject>("ComboxArrow", 4, 17, 17);
    HWND picker = Child(DATETIMEPICK_CLASSW, WS_BORDER | DTS_SHORTDATEFORMAT, 10, 230, 150, 24);
    auto* wrapper = Wrap<TSkinDateTime>(picker);
    EXPECT_EQ(::SendMessageW(picker, SkinQueryMessage, 0, 0), 1);
    ASSERT_NE(wrapper->ArrowButton(), nullptr);
    HWND arrow = wrapper->ArrowButton()->Handle();
    Paint(picker);
    EXPECT_EQ(PixelAt(arrow, 4, 8), Shade(1));
    EXPECT_EQ(PixelAt(picker, 0, 0), TColor(SkinColourRef(*skin_, scButtonShadow)));
    ::SendMessageW(arrow, WM_MOUSEMOVE, 0, Point(4, 8));
    Paint(arrow);
    EXPECT_EQ(PixelAt(arrow, 4, 8), Shade(2));
    // A press on the skin's button opens the picker's calendar, as one on the picker's own would.
    ::SendMessageW(arrow, WM_LBUTTONDOWN, MK_LBUTTON, Point(4, 8));
    ::SendMessageW(arrow, WM_LBUTTONUP, 0, Point(4, 8));
    HWND calendar = reinterpret_cast<HWND>(::SendMessageW(picker, DTM_GETMONTHCAL, 0, 0));
    EXPECT_TRUE(calendar && ::IsWindowVisible(calendar));
    EXPECT_EQ(wrapper->ArrowButton()->Frame(), 3);
    ::SendMessageW(picker, DTM_CLOSEMONTHCAL, 0, 0);
    ::EnableWindow(picker, FALSE);
    Paint(arrow);
    EXPECT_EQ(PixelAt(arrow, 4, 8), Shade(4));
}

TEST_F(SkinFamily, MediaPlayerButtonsFollowThePointerAndTheirEnabledSet) {
    TDataSkinButton& buttons = skin_->Buttons();
    buttons.Bitmap = SolidStrip(5, 24, 24);
    buttons.FrameCount = 5;
    auto* player = new TWMediaPlayer(form_.get());
    player->SetParent(form_.get());
    player->SetBounds(200, 230, 180, 24);
    player->SetEnabledButtons(kMPAllButtons & ~(1u << btEject));
    int clicked = -1;
    player->OnButtonClick = [&](TMPBtnType b) { clicked = int(b); };
    auto* wrapper = new TSkinMP(player);
    wrapper->AttachControl(player, nullptr, skin_, false);
    HWND wnd = player->Handle();
    EXPECT_EQ(::SendMessageW(wnd, SkinQueryMessage, 0, 0), 1);
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, Point(5, 10));
    EXPECT_EQ(wrapper->ButtonFrame(btPlay), 4);
    EXPECT_EQ(wrapper->ButtonFrame(btEject), 3);
    EXPECT_EQ(wrapper->ButtonFrame(btStop), 1);
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 10));
    EXPECT_EQ(wrapper->ButtonFrame(btPlay), 2);
    ::SendMessageW(wnd, WM_LBUTTONUP, 0, Point(5, 10));
    EXPECT_EQ(clicked, int(btPlay));
    // Each button is the Buttons frame of its state: hot play, disabled eject, the others normal.
    Paint(wnd);
    for (const auto& [button, frame] : {std::pair{btPlay, 4}, std::pair{btEject, 3}, std::pair{btStop, 1}})
        EXPECT_EQ(PixelAt(wnd, 30 * int(button) + 3, 3), Shade(frame)) << button;
}

} // namespace
