// The tray icon's platform-free rules: text field limits, picture index and animation, and the
// shell callback table with single/double click separation, driven by the timers' virtual clock.
#include "system/CoolTrayIcon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/unit/ManualTimerClock.h"

namespace {

using simple_timer_clock::Advance;

std::string Field(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

TEST(TrayFields, TipIsCutAt127BytesAndTerminated) {
    char tip[kTrayTipSize];
    std::memset(tip, 'x', sizeof(tip));
    FillTrayTip(std::string(200, 'a'), true, tip, sizeof(tip));
    EXPECT_EQ(Field(tip, sizeof(tip)), std::string(127, 'a'));
    EXPECT_EQ(tip[127], '\0');
}

TEST(TrayFields, EmptyHintOrHiddenHintGivesAllZeroTip) {
    char tip[kTrayTipSize];
    std::memset(tip, 'x', sizeof(tip));
    FillTrayTip("Quenbry", false, tip, sizeof(tip));
    EXPECT_EQ(std::string(tip, sizeof(tip)), std::string(sizeof(tip), '\0'));
    std::memset(tip, 'x', sizeof(tip));
    FillTrayTip("", true, tip, sizeof(tip));
    EXPECT_EQ(std::string(tip, sizeof(tip)), std::string(sizeof(tip), '\0'));
}

TEST(TrayFields, ShorterTextLeavesNoOldBytesBehind) {
    char tip[kTrayTipSize];
    FillTrayTip(std::string(100, 'a'), true, tip, sizeof(tip));
    FillTrayTip("ab", true, tip, sizeof(tip));
    EXPECT_EQ(Field(tip, sizeof(tip)), "ab");
    EXPECT_EQ(std::string(tip + 2, sizeof(tip) - 2), std::string(sizeof(tip) - 2, '\0'));
}

TEST(TrayFields, BalloonTextAndTitleAreCutInBytes) {
    struct Case {
        size_t fieldSize;
        size_t textBytes;
        size_t expectedBytes;
    };
    const Case cases[] = {
        {kTrayInfoSize, 300, 255},     {kTrayInfoSize, 255, 255},    {kTrayInfoSize, 10, 10},
        {kTrayInfoTitleSize, 100, 63}, {kTrayInfoTitleSize, 63, 63}, {kTrayInfoTitleSize, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<char> field(c.fieldSize, 'x');
        CopyTrayField(std::string(c.textBytes, 'b'), field.data(), field.size());
        EXPECT_EQ(strnlen(field.data(), field.size()), c.expectedBytes) << c.fieldSize << "/" << c.textBytes;
        EXPECT_EQ(field.back(), '\0');
    }
}

TEST(TrayFields, DoubleByteTextIsCutInTheMiddleOfACharacterAtTheByteLimit) {
    // 64 GBK characters of two bytes each: the title keeps 63 bytes, half of the 32nd character.
    std::string gbk;
    for (int i = 0; i < 64; ++i)
        gbk += "\xCC\xE1";
    char title[kTrayInfoTitleSize];
    CopyTrayField(gbk, title, sizeof(title));
    EXPECT_EQ(Field(title, sizeof(title)), gbk.substr(0, 63));
}

TEST(TrayFields, BalloonIconKindsMapToShellFlags) {
    EXPECT_EQ(BalloonInfoFlags(bitNone), 0u);
    EXPECT_EQ(BalloonInfoFlags(bitInfo), 1u);
    EXPECT_EQ(BalloonInfoFlags(bitWarning), 2u);
    EXPECT_EQ(BalloonInfoFlags(bitError), 3u);
    EXPECT_EQ(BalloonInfoFlags(9), 0u);
}

TEST(TrayPictures, IndexPastTheEndMeansTheLastPicture) {
    struct Case {
        int index, count, expected;
    };
    const Case cases[] = {{0, 3, 0}, {1, 3, 1}, {2, 3, 2}, {3, 3, 2}, {100, 3, 2}, {5, 1, 0}, {4, 0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(ClampIconIndex(c.index, c.count), c.expected) << c.index << "/" << c.count;
}

TEST(TrayPictures, AnimationStepWrapsAfterTheLastPicture) {
    struct Case {
        int index, count, expected;
    };
    const Case cases[] = {{0, 3, 1}, {1, 3, 2}, {2, 3, 0}, {0, 1, 0}, {0, 0, 0}, {5, 3, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(NextCycleIndex(c.index, c.count), c.expected) << c.index << "/" << c.count;
}

// A platform that records what the logic asks of it.
class FakeHost : public TTrayIconHost {
public:
    std::vector<std::string>* log = nullptr;
    int x = 100, y = 700;
    TShiftState shift = 0;
    bool hasMenu = false;
    bool autoPopup = true;
    int listCount = -1;
    int refreshes = 0;
    std::vector<int> shown;

    bool ReadPointer(int& px, int& py) override {
        px = x;
        py = y;
        return true;
    }
    TShiftState ReadShiftState() override { return shift; }
    unsigned DoubleClickTimeMs() override { return 500; }
    bool HasPopupMenu() override { return hasMenu; }
    bool PopupAutoPopup() override { return autoPopup; }
    void ForegroundHandlerWindow() override { log->push_back("foreground"); }
    void PopupAt(int px, int py) override {
        log->push_back("popup@" + std::to_string(px) + "," + std::to_string(py));
    }
    void ClickDefaultMenuItem() override { log->push_back("default-item"); }
    int IconListCount() override { return listCount; }
    void ShowListImage(int index) override { shown.push_back(index); }
    bool RefreshTrayEntry() override {
        ++refreshes;
        return true;
    }
};

const char* ButtonName(TMouseButton b) {
    return b == mbLeft ? "L" : b == mbRight ? "R" : "M";
}

struct Tray {
    TObject sender;
    std::vector<std::string> log;
    FakeHost host;
    TTrayIconLogic logic{&sender, host};

    explicit Tray(bool dblClickHandler) {
        host.log = &log;
        logic.OnClick = [this](TObject* s) { log.push_back(s == &sender ? "click" : "click(bad sender)"); };
        if (dblClickHandler) logic.OnDblClick = [this](TObject*) { log.push_back("dblclick"); };
        logic.OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int px, int py) {
            log.push_back(std::string("down:") + ButtonName(b) + ":" + std::to_string(s) + "@" +
                          std::to_string(px) + "," + std::to_string(py));
        };
        logic.OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int, int) {
            log.push_back(std::string("up:") + ButtonName(b) + ":" + std::to_string(s));
        };
        logic.OnMouseMove = [this](TObject*, TShiftState, int px, int py) {
            log.push_back("move@" + std::to_string(px) + "," + std::to_string(py));
        };
        logic.OnMouseEnter = [this](TObject*) { log.push_back("enter"); };
        logic.OnMouseExit = [this](TObject*) { log.push_back("exit"); };
        logic.OnBalloonHintShow = [this](TObject*) { log.push_back("balloon-show"); };
        logic.OnBalloonHintHide = [this](TObject*) { log.push_back("balloon-hide"); };
        logic.OnBalloonHintTimeout = [this](TObject*) { log.push_back("balloon-timeout"); };
        logic.OnBalloonHintClick = [this](TObject*) { log.push_back("balloon-click"); };
        logic.OnCycle = [this](TObject*, int next) { log.push_back("cycle:" + std::to_string(next)); };
    }
};

// One step of a scenario: a callback from the shell, or time passing.
struct Step {
    unsigned message; // 0: only let time pass
    unsigned advanceMs;
};

std::string Play(Tray& tray, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        if (s.message) tray.logic.HandleTrayCallback(s.message);
        if (s.advanceMs) Advance(s.advanceMs);
    }
    std::string all;
    for (const auto& e : tray.log)
        all += (all.empty() ? "" : " ") + e;
    return all;
}

using namespace traymsg;
constexpr int L = ssLeft, R = ssRight, M = ssMiddle;

struct CallbackCase {
    const char* name;
    bool dblClickHandler;
    bool hasMenu;
    bool leftPopup;
    bool enabled;
    std::vector<Step> steps;
    std::string expected;
};

TEST(TrayCallbacks, SequencesGiveTheseEvents) {
    const std::string l = std::to_string(L), r = std::to_string(R), m = std::to_string(M);
    const CallbackCase cases[] = {
        {"single click without double-click handler fires at release",
         false,
         false,
         false,
         true,
         {{LButtonDown, 10}, {LButtonUp, 0}},
         "down:L:" + l + "@100,700 click up:L:" + l},
        {"double click without double-click handler gives one click",
         false,
         false,
         false,
         true,
         {{LButtonDown, 50}, {LButtonUp, 50}, {LButtonDblClk, 50}, {LButtonUp, 1000}},
         "down:L:" + l + "@100,700 click up:L:" + l + " up:L:" + l},
        {"double click with handler gives no click",
         true,
         false,
         false,
         true,
         {{LButtonDown, 50}, {LButtonUp, 50}, {LButtonDblClk, 50}, {LButtonUp, 2000}},
         "down:L:" + l + "@100,700 up:L:" + l + " dblclick up:L:" + l},
        {"single click with handler waits for the double-click time",
         true,
         false,
         false,
         true,
         {{LButtonDown, 100}, {LButtonUp, 399}},
         "down:L:" + l + "@100,700 up:L:" + l},
        {"press without release never clicks",
         true,
         false,
         false,
         true,
         {{LButtonDown, 2000}},
         "down:L:" + l + "@100,700"},
        {"right press opens the menu at the pointer",
         false,
         true,
         false,
         true,
         {{RButtonDown, 0}, {RButtonUp, 0}},
         "down:R:" + r + "@100,700 foreground popup@100,700 up:R:" + r},
        {"left press opens no menu unless LeftPopup",
         false,
         true,
         false,
         true,
         {{LButtonDown, 0}, {LButtonUp, 0}},
         "down:L:" + l + "@100,700 click up:L:" + l},
        {"left press opens the menu with LeftPopup",
         false,
         true,
         true,
         true,
         {{LButtonDown, 0}},
         "down:L:" + l + "@100,700 foreground popup@100,700"},
        {"double click clicks the menu's default item",
         true,
         true,
         false,
         true,
         {{LButtonDblClk, 0}},
         "dblclick default-item"},
        {"double click leaves the default item alone with LeftPopup",
         true,
         true,
         true,
         true,
         {{LButtonDblClk, 0}},
         "dblclick"},
        {"middle button",
         false,
         false,
         false,
         true,
         {{MButtonDown, 0}, {MButtonUp, 0}},
         "down:M:" + m + "@100,700 up:M:" + m},
        {"right and middle double clicks are not handled",
         false,
         true,
         false,
         true,
         {{0x0206, 0}, {0x0209, 0}},
         ""},
        {"disabled: no clicks, no menu",
         true,
         true,
         true,
         false,
         {{LButtonDown, 50}, {LButtonUp, 600}, {LButtonDblClk, 0}, {RButtonDown, 0}, {MouseMove, 0}},
         ""},
        {"disabled: balloon notifications still arrive",
         false,
         false,
         false,
         false,
         {{BalloonShow, 0}, {BalloonUserClick, 0}, {BalloonTimeout, 0}, {BalloonHide, 0}},
         "balloon-show balloon-click balloon-timeout balloon-hide"},
        {"unknown messages do nothing", false, true, false, true, {{0x0401, 0}, {0x0100, 0}}, ""},
    };
    for (const CallbackCase& c : cases) {
        Tray tray(c.dblClickHandler);
        tray.host.hasMenu = c.hasMenu;
        tray.logic.LeftPopup = c.leftPopup;
        tray.logic.Enabled = c.enabled;
        EXPECT_EQ(Play(tray, c.steps), c.expected) << c.name;
    }
}

TEST(TrayCallbacks, SingleClickWithHandlerFiresOneDoubleClickTimeAfterThePress) {
    Tray tray(true);
    Play(tray, {{LButtonDown, 100}, {LButtonUp, 399}});
    EXPECT_EQ(tray.log.size(), 2u);
    Advance(1);
    ASSERT_EQ(tray.log.size(), 3u);
    EXPECT_EQ(tray.log.back(), "click");
    EXPECT_FALSE(tray.logic.ClickTicker().Running());
    Advance(5000);
    EXPECT_EQ(tray.log.size(), 3u) << "the click ticker stops after one tick";
}

TEST(TrayCallbacks, PopupWithoutAutoPopupIsNotShown) {
    Tray tray(false);
    tray.host.hasMenu = true;
    tray.host.autoPopup = false;
    EXPECT_EQ(Play(tray, {{RButtonDown, 0}, {LButtonDblClk, 0}}), "down:R:" + std::to_string(R) + "@100,700");
}

TEST(TrayCallbacks, HeldModifierKeysJoinTheButtonBit) {
    Tray tray(false);
    tray.host.shift = ssCtrl | ssShift;
    Play(tray, {{RButtonUp, 0}});
    EXPECT_EQ(tray.log.at(0), "up:R:" + std::to_string(ssCtrl | ssShift | ssRight));
}

TEST(TrayPointer, EnterOnFirstMoveAndExitWhenThePointerLeaves) {
    Tray tray(false);
    tray.logic.SetWantEnterExitEvents(true);
    EXPECT_TRUE(tray.logic.LeaveTicker().Running());
    tray.host.x = 10;
    tray.host.y = 20;
    Play(tray, {{MouseMove, 100}, {MouseMove, 100}});
    EXPECT_EQ(Play(tray, {}), "enter move@10,20 move@10,20");
    EXPECT_FALSE(tray.logic.PointerOutside());
    tray.host.x = 11;
    Advance(19);
    EXPECT_EQ(tray.log.size(), 3u);
    Advance(1);
    EXPECT_EQ(tray.log.back(), "exit");
    EXPECT_TRUE(tray.logic.PointerOutside());
    Advance(200);
    EXPECT_EQ(tray.log.size(), 4u) << "one exit only";
    Play(tray, {{MouseMove, 0}});
    EXPECT_EQ(tray.log.at(4), "enter");
}

TEST(TrayPointer, NoEnterOrExitUnlessWanted) {
    Tray tray(false);
    EXPECT_FALSE(tray.logic.LeaveTicker().Running());
    Play(tray, {{MouseMove, 0}});
    tray.host.x = 0;
    Advance(100);
    EXPECT_EQ(Play(tray, {}), "move@100,700");
}

TEST(TrayPictures, IconIndexIsClampedToTheListAndZeroWithoutOne) {
    Tray tray(false);
    tray.logic.SetIconIndex(2);
    EXPECT_EQ(tray.logic.IconIndex(), 0) << "no image list";
    EXPECT_TRUE(tray.host.shown.empty());
    tray.host.listCount = 3;
    tray.logic.SetIconIndex(3);
    EXPECT_EQ(tray.logic.IconIndex(), 2);
    ASSERT_EQ(tray.host.shown, std::vector<int>{2});
    int before = tray.host.refreshes;
    tray.logic.SetIconIndex(1);
    EXPECT_EQ(tray.logic.IconIndex(), 1);
    EXPECT_EQ(tray.host.refreshes, before + 1);
}

TEST(TrayPictures, AnimationRunsThroughEveryPictureAndReportsTheNext) {
    Tray tray(false);
    tray.host.listCount = 3;
    tray.logic.SetIconIndex(2);
    tray.logic.SetCycleInterval(100);
    tray.logic.SetCycleIcons(true);
    EXPECT_EQ(tray.logic.IconIndex(), 0) << "cycling starts at the first picture";
    std::vector<int> indexes;
    for (int i = 0; i < 7; ++i) {
        Advance(100);
        indexes.push_back(tray.logic.IconIndex());
    }
    EXPECT_EQ(indexes, (std::vector<int>{1, 2, 0, 1, 2, 0, 1}));
    EXPECT_EQ(Play(tray, {}), "cycle:1 cycle:2 cycle:0 cycle:1 cycle:2 cycle:0 cycle:1");
    tray.logic.SetCycleIcons(false);
    Advance(1000);
    EXPECT_EQ(tray.logic.IconIndex(), 1);
}

TEST(TrayPictures, AnimationWithoutListDoesNothing) {
    Tray tray(false);
    tray.logic.SetCycleInterval(100);
    tray.logic.SetCycleIcons(true);
    Advance(500);
    EXPECT_TRUE(tray.log.empty());
    EXPECT_TRUE(tray.host.shown.empty());
}

TEST(TrayPictures, ChangingTheCycleIntervalRestartsTheAnimation) {
    Tray tray(false);
    tray.host.listCount = 2;
    tray.logic.SetCycleInterval(100);
    tray.logic.SetCycleIcons(true);
    Advance(150);
    EXPECT_EQ(tray.logic.IconIndex(), 1);
    tray.logic.SetCycleInterval(300);
    EXPECT_EQ(tray.logic.IconIndex(), 0);
    EXPECT_EQ(tray.logic.CycleTicker().IntervalMs(), 300u);
    Advance(299);
    EXPECT_EQ(tray.logic.IconIndex(), 0);
    Advance(1);
    EXPECT_EQ(tray.logic.IconIndex(), 1);
}

TEST(TrayProperties, HintAndShowHintRefreshTheEntry) {
    Tray tray(false);
    tray.logic.SetHint("Quenbry");
    tray.logic.SetShowHint(false);
    EXPECT_EQ(tray.host.refreshes, 2);
    EXPECT_EQ(tray.logic.Hint(), "Quenbry");
    EXPECT_FALSE(tray.logic.ShowHint());
}

TEST(TrayTickers, TheSharedHandlerLivesWithTheTimers) {
    int before = simple_timer_clock::HandlerUsers();
    {
        Tray tray(false);
        EXPECT_EQ(simple_timer_clock::HandlerUsers(), before + 3) << "three tickers per tray icon";
    }
    EXPECT_EQ(simple_timer_clock::HandlerUsers(), before);
}

TEST(TrayTickers, PausedTimerKeepsRunningAndResumesWithANewInterval) {
    int ticks = 0;
    TSimpleTimer timer(100, [&](TObject*) { ++ticks; });
    EXPECT_FALSE(timer.Running());
    timer.SetRunning(true);
    Advance(250);
    EXPECT_EQ(ticks, 2);
    timer.SetIntervalMs(0);
    EXPECT_TRUE(timer.Running());
    Advance(1000);
    EXPECT_EQ(ticks, 2);
    timer.SetIntervalMs(500);
    Advance(499);
    EXPECT_EQ(ticks, 2);
    Advance(1);
    EXPECT_EQ(ticks, 3);
    timer.SetOnTick(nullptr);
    EXPECT_TRUE(timer.Running());
    EXPECT_FALSE(simple_timer_clock::IsSet(timer.TimerId()));
}

TEST(TrayTickers, SameIntervalDoesNotRestartAndZeroIntervalCannotArm) {
    int ticks = 0;
    TSimpleTimer timer(100, [&](TObject*) { ++ticks; });
    timer.SetRunning(true);
    Advance(90);
    timer.SetIntervalMs(100);
    Advance(10);
    EXPECT_EQ(ticks, 1);
    timer.SetIntervalMs(200); // restarts the period from now
    Advance(199);
    EXPECT_EQ(ticks, 1);
    Advance(1);
    EXPECT_EQ(ticks, 2);

    TSimpleTimer idle(0, [&](TObject*) { ++ticks; });
    idle.SetRunning(true);
    EXPECT_FALSE(idle.Running());
    EXPECT_FALSE(idle.Arm());
}

} // namespace
