// The control skins on a skinned form under Wine: push-button frames by pixels against the
// skin's Buttons element, the two-line caption rule, what the walk leaves alone (Tag 99, radio
// groups with it, a switched-off family, Skin3rd's nil), that nothing is wrapped twice, and that
// skinning, painting and unskinning many times holds no handle.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/Application_win.h"
#include "framework/Forms_win.h"
#include "framework/StdCtrls_win.h"
#include "helpers/MessagePump.h"
#include "helpers/SkinTestPlatform.h"
#include "helpers/UpdaterSkin.h"
#include "skin/controls/SkinButton_win.h"
#include "skin/controls/SkinControlFactory_win.h"
#include "skin/controls/SkinControlMap_win.h"
#include "skin/frame/WinSkinForm_win.h"
#include "skin/manager/SkinManage_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData_win.h"

namespace {

// Framework controls of kinds the program does not make itself, told apart by their class names.
class TTestRadio : public TButton {
public:
    using TButton::TButton;
    std::string ClassName() const override { return "TRadioButton"; }

protected:
    void CreateParams(TCreateParams& params) override {
        TButton::CreateParams(params);
        params.style = (params.style & ~DWORD(BS_TYPEMASK)) | BS_AUTORADIOBUTTON;
    }
};

class TTestCheck : public TButton {
public:
    using TButton::TButton;
    std::string ClassName() const override { return "TCheckBox"; }

protected:
    void CreateParams(TCreateParams& params) override {
        TButton::CreateParams(params);
        params.style = (params.style & ~DWORD(BS_TYPEMASK)) | BS_AUTOCHECKBOX;
    }
};

class TTestRadioGroup : public TGroupBox {
public:
    using TGroupBox::TGroupBox;
    std::string ClassName() const override { return "TRadioGroup"; }
};

class TOddMemo : public TMemo {
public:
    using TMemo::TMemo;
    std::string ClassName() const override { return "TOddMemo"; }
};

bool Skinned(TWinControl* control) {
    return ::SendMessageW(control->Handle(), SkinQueryMessage, 0, 0) == 1;
}

class SkinnedControls : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kUpdaterExe) GTEST_SKIP() << "update.exe is not part of this build";
        platform_ = std::make_unique<TSkinTestPlatform>(true);
        form_ = std::make_unique<TForm>(nullptr, L"TControlsForm");
        form_->SetCaption(L"控件 Controls");
        form_->SetBounds(120, 120, 0, 0);
        form_->SetClientSize(420, 260);
        form_->SetFormFont(L"SimSun", -12, GB2312_CHARSET);
        skin_ = new TSkinData(form_.get());
        EXPECT_TRUE(ReadProductSkin(*skin_));
    }
    void TearDown() override {
        form_.reset();
        platform_.reset();
    }

    template <typename T> T* Add(TWinControl* parent, const wchar_t* caption, int x, int y, int w, int h) {
        auto* control = new T(form_.get());
        control->SetParent(parent);
        control->SetBounds(x, y, w, h);
        control->SetCaption(caption);
        return control;
    }

    TWinSkinForm* Start() {
        skin_->SetActive(true);
        skin_->Loaded();
        form_->Show();
        HWND wnd = form_->Handle();
        auto frame = [wnd]() -> TWinSkinForm* {
            TSkinManage* manager = Win32SkinManager();
            return manager ? dynamic_cast<TWinSkinForm*>(manager->FindSkinnedForm(wnd)) : nullptr;
        };
        EXPECT_TRUE(
            PumpUntil([&] { return frame() && frame()->SkinState() == TFrameState::Running; }, 10000));
        PumpFor(100);
        return frame();
    }

    // The whole Buttons frame as the skin draws it at the button's size, magenta as ButtonFace.
    TBitmap32 ExpectedFace(int width, int height, int frame) const {
        const TDataSkinButton& e = skin_->Buttons();
        TBitmap32 face =
            BuildElementBitmap(width, height, e.Bitmap, e.Margins(), false, e.Tile != 0, e.FrameCount, frame);
        if (e.Trans == 1) ReplaceMagenta(face, ColourToRGB(skin_->SkinColours[scButtonFace]) & 0xFFFFFF);
        return face;
    }

    // The button's outer 3-pixel ring (clear of caption and focus rectangle) matches `frame`.
    ::testing::AssertionResult ShowsFrame(TWinControl* button, int frame) const {
        HWND wnd = button->Handle();
        RECT r{};
        ::GetClientRect(wnd, &r);
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ScopedGetDC dc(wnd);
        const TBitmap32 shown = BitmapFromDC(dc.get(), r);
        const TBitmap32 expected = ExpectedFace(r.right, r.bottom, frame);
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x) {
                const bool ring = x < 3 || y < 3 || x >= r.right - 3 || y >= r.bottom - 3;
                if (ring && (shown.Pixel(x, y) & 0xFFFFFF) != (expected.Pixel(x, y) & 0xFFFFFF))
                    return ::testing::AssertionFailure()
                           << "pixel " << x << "," << y << " is not frame " << frame;
            }
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<TSkinTestPlatform> platform_;
    std::unique_ptr<TForm> form_;
    TSkinData* skin_ = nullptr;
};

TEST_F(SkinnedControls, PushButtonFramesFollowPointerFocusAndEnabling) {
    TButton* button = Add<TButton>(form_.get(), L"确定", 20, 20, 96, 32);
    TButton* twoLines = Add<TButton>(form_.get(), L"上面||下面||尾", 140, 20, 120, 56);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    TWinSkinForm* frame = Start();
    ASSERT_NE(frame, nullptr);
    ASSERT_FALSE(skin_->Buttons().Bitmap.Empty());
    ASSERT_TRUE(Skinned(button) && Skinned(twoLines));
    // The frames the test tells apart really differ in the ring.
    const TBitmap32 f1 = ExpectedFace(96, 32, 1);
    for (int f : {2, 3, 4, 5})
        EXPECT_FALSE(ExpectedFace(96, 32, f).SamePixels(f1)) << "frame " << f;

    HWND wnd = button->Handle();
    ::SetFocus(twoLines->Handle());
    EXPECT_TRUE(ShowsFrame(button, 1));
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(ShowsFrame(button, 4));
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(::GetFocus(), wnd) << "a press takes the focus";
    EXPECT_TRUE(ShowsFrame(button, 2));
    ::SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(ShowsFrame(button, 4)) << "hot beats focus";
    ::SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(ShowsFrame(button, 5));
    ::SendMessageW(wnd, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(ShowsFrame(button, 2)) << "the space bar presses";
    ::SendMessageW(wnd, WM_KEYUP, VK_SPACE, 0);
    PumpFor(50);
    EXPECT_EQ(clicks, 2) << "and its release clicks";
    ::SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    button->SetEnabled(false);
    EXPECT_TRUE(ShowsFrame(button, 3)) << "disabled, though hot and focused";
    ::SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(ShowsFrame(button, 3)) << "and though pressed";

    // The first double bar breaks the caption: text on two lines, the second bar pair kept.
    EXPECT_TRUE(ShowsFrame(twoLines, 1));
    TSkinButton* twoLineSkin = nullptr;
    for (TSkinControl* c : frame->SkinnedControls())
        if (c->Window() == twoLines->Handle()) twoLineSkin = dynamic_cast<TSkinButton*>(c);
    ASSERT_NE(twoLineSkin, nullptr);
    EXPECT_EQ(twoLineSkin->LastCaption(), L"上面\r\n下面||尾");
    RECT r{};
    ::GetClientRect(twoLines->Handle(), &r);
    ScopedGetDC dc(twoLines->Handle());
    const TBitmap32 shown = BitmapFromDC(dc.get(), r);
    const TBitmap32 face = ExpectedFace(r.right, r.bottom, 1);
    int first = -1, last = -1;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            if ((shown.Pixel(x, y) & 0xFFFFFF) != (face.Pixel(x, y) & 0xFFFFFF)) {
                if (first < 0) first = y;
                last = y;
            }
    ASSERT_GE(first, 0) << "a caption is drawn";
    EXPECT_GT(last - first + 1, 12 + 6) << "two rows of 12-pixel glyphs";
}

TEST_F(SkinnedControls, TheWalkLeavesTaggedSwitchedOffAndNilClassesAloneAndWrapsOnce) {
    TButton* tagged = Add<TButton>(form_.get(), L"Tag 99", 10, 10, 80, 26);
    tagged->Tag = 99;
    TButton* plain = Add<TButton>(form_.get(), L"按钮", 100, 10, 80, 26);
    TTestCheck* check = Add<TTestCheck>(form_.get(), L"选择", 190, 10, 80, 26);
    auto* taggedGroup = Add<TTestRadioGroup>(form_.get(), L"Tag 99 组", 10, 50, 190, 80);
    taggedGroup->Tag = 99;
    TTestRadio* taggedRadio = Add<TTestRadio>(taggedGroup, L"甲", 10, 20, 80, 22);
    auto* group = Add<TTestRadioGroup>(form_.get(), L"组", 210, 50, 190, 80);
    TTestRadio* radio = Add<TTestRadio>(group, L"乙", 10, 20, 80, 22);
    auto* odd = Add<TOddMemo>(form_.get(), L"", 10, 140, 190, 80);
    auto* memo = Add<TMemo>(form_.get(), L"", 210, 140, 190, 80);
    odd->SetScrollBars(true);
    memo->SetScrollBars(true);
    skin_->SkinControls.Exclude(xcButton);
    skin_->Skin3rd.Add("TOddMemo=nil");
    TWinSkinForm* frame = Start();
    ASSERT_NE(frame, nullptr);

    EXPECT_FALSE(Skinned(tagged));
    EXPECT_FALSE(Skinned(taggedGroup));
    EXPECT_FALSE(Skinned(taggedRadio)) << "the group's tag reached its radio buttons";
    EXPECT_TRUE(Skinned(group));
    EXPECT_TRUE(Skinned(radio));
    EXPECT_FALSE(Skinned(plain)) << "xcButton is off";
    EXPECT_TRUE(Skinned(check)) << "check boxes have their own switch";
    EXPECT_FALSE(Skinned(odd)) << "Skin3rd's nil, scroll bars or not";
    EXPECT_TRUE(Skinned(memo));

    const std::size_t wrappers = frame->SkinnedControls().size();
    EXPECT_EQ(wrappers, 4u);
    SkinChildControls(*frame);
    EXPECT_EQ(frame->SkinnedControls().size(), wrappers) << "a second walk wraps nothing again";
}

TEST_F(SkinnedControls, FiveHundredRoundsOfSkinPaintAndUnskinHoldNoHandle) {
    TButton* button = Add<TButton>(form_.get(), L"确定", 20, 20, 96, 32);
    Add<TTestCheck>(form_.get(), L"选择", 20, 60, 96, 24);
    auto* group = Add<TGroupBox>(form_.get(), L"组", 140, 20, 200, 120);
    Add<TTestRadio>(group, L"乙", 10, 20, 80, 22);
    TWinSkinForm* frame = Start();
    ASSERT_NE(frame, nullptr);
    HWND wnd = form_->Handle();
    TSkinManage* manager = Win32SkinManager();
    auto request = [&](std::uint32_t code) {
        manager->SetActionRequester(skin_);
        manager->RequestAction(code, 1);
        manager->RunPendingAction();
    };
    auto running = [&] {
        auto* f = dynamic_cast<TWinSkinForm*>(manager->FindSkinnedForm(wnd));
        return f && f->SkinState() == TFrameState::Running;
    };
    request(saUnskinAll);
    PumpFor(100);
    const long before = LiveOwnedHandles();
    for (int i = 0; i < 500; ++i) {
        request(saSkinAll);
        ASSERT_TRUE(PumpUntil(running, 5000)) << "round " << i;
        ASSERT_TRUE(Skinned(button)) << "round " << i;
        ::SendMessageW(button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        request(saUnskinAll);
    }
    PumpFor(100);
    EXPECT_FALSE(Skinned(button));
    EXPECT_EQ(LiveOwnedHandles(), before);
}

} // namespace
