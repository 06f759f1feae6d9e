// The control skins on a skinned form under Wine: push-button frames by pixels against the
// frames of a stand-in Buttons element, the two-line caption rule, what the walk leaves alone
// (Tag 99, radio groups with it, a switched-off family, Skin3rd's nil) and that nothing is wrapped
// twice.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/Application_win.h"
#include "framework/Forms_win.h"
#include "framework/StdCtrls_win.h"
#include "helpers/ButtonKinds.h"
#include "helpers/MessagePump.h"
#include "helpers/SkinTestPlatform.h"
#include "helpers/SolidElements.h"
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

    // The button's outer 3-pixel ring (clear of caption and focus rectangle) is all Shade(frame).
    ::testing::AssertionResult ShowsFrame(TWinControl* button, int frame) const {
        HWND wnd = button->Handle();
        RECT r{};
        ::GetClientRect(wnd, &r);
        ::RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ScopedGetDC dc(wnd);
        const TBitmap32 shown = BitmapFromDC(dc.get(), r);
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right; ++x) {
                const bool ring = x < 3 || y < 3 || x >= r.right - 3 || y >= r.bottom - 3;
                if (ring && (shown.Pixel(x, y) & 0xFFFFFF) != Shade(frame))
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
    ASSERT_FALSE(skin_->Buttons().Bitmap.Empty()) << "the product skin has its own";
    skin_->Buttons().Bitmap = SolidStrip(5, 24, 24);
    skin_->Buttons().FrameCount = 5;
    TWinSkinForm* frame = Start();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(Skinned(button) && Skinned(twoLines));

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
    int first = -1, last = -1;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x)
            if ((shown.Pixel(x, y) & 0xFFFFFF) != Shade(1)) {
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

} // namespace
