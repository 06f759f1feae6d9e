// The skin manager's decisions against a window system of plain records: which window gets a
// frame and with which skin data, what the hook events do, and how the deferred requests run.
#include "skin/rules/SkinManage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "framework/Component.h"
#include "skin/model/WinSkinData.h"

namespace {

using Log = std::vector<std::string>;

struct WindowRecord {
    std::string className = "TForm1";
    std::uint32_t style = 0x16CA0000; // a captioned, sizeable top-level window
    std::uint32_t exStyle = 0;
    TSkinWindow parent = nullptr;
    bool answersQuery = false;
    TComponent* form = nullptr;
    bool ownModule = true;
    bool hasArea = true;
    bool visible = true;
};

class RecordingFrame : public TSkinnedFrame {
public:
    RecordingFrame(TSkinWindow w, TSkinData* s, Log& log, std::string name)
        : window_(w), source_(s), log_(log), name_(std::move(name)) {}
    ~RecordingFrame() override { log_.push_back("free " + name_); }
    TSkinWindow Window() const override { return window_; }
    TSkinData* Source() const override { return source_; }
    bool Dead() const override { return dead; }
    bool OwnModule() const override { return own; }
    void DetachFrame() override { log_.push_back("detach " + name_); }
    void ReleaseWindow() override { log_.push_back("release " + name_); }
    void ApplySkinMetrics() override { log_.push_back("metrics " + name_); }
    void RepaintFrame() override { log_.push_back("repaint " + name_); }
    void SizeGripCreated(TSkinWindow) override { log_.push_back("grip " + name_); }
    bool dead = false;
    bool own = true;

private:
    TSkinWindow window_;
    TSkinData* source_;
    Log& log_;
    std::string name_;
};

class RecordingMenu : public TSkinnedMenu {
public:
    RecordingMenu(TSkinWindow w, Log& log) : window_(w), log_(log) {}
    TSkinWindow Window() const override { return window_; }
    void Restore() override { log_.push_back("restore menu"); }
    void MarkFromMenuBar() override { log_.push_back("menu from bar"); }

private:
    TSkinWindow window_;
    Log& log_;
};

class FakeWindows : public TSkinWindowSystem {
public:
    std::map<TSkinWindow, WindowRecord> windows;
    std::map<TComponent*, std::int32_t> tags;
    std::vector<TSkinWindow> formOrder; // the screen's forms, in z-order of creation
    std::map<TSkinWindow, RecordingFrame*> frames;
    Log log;
    bool timerEnabled = false;
    int timerInterval = 0;
    bool menusSkinned = true;

    TSkinWindow Add(int id, WindowRecord r = {}) {
        auto* w = reinterpret_cast<TSkinWindow>(static_cast<std::uintptr_t>(id));
        windows[w] = r;
        if (r.form) formOrder.push_back(w);
        return w;
    }
    std::string Name(TSkinWindow w) const { return std::to_string(reinterpret_cast<std::uintptr_t>(w)); }

    std::string ClassName(TSkinWindow w) const override { return windows.at(w).className; }
    std::uint32_t Style(TSkinWindow w) const override { return windows.at(w).style; }
    std::uint32_t ExStyle(TSkinWindow w) const override { return windows.at(w).exStyle; }
    TSkinWindow Parent(TSkinWindow w) const override { return windows.at(w).parent; }
    bool AnswersSkinQuery(TSkinWindow w) const override { return windows.at(w).answersQuery; }
    TComponent* FindFrameworkForm(TSkinWindow w) const override { return windows.at(w).form; }
    std::int32_t FormTag(TComponent* f) const override { return tags.count(f) ? tags.at(f) : 0; }
    TSkinWindow FormWindow(TComponent* c) const override {
        for (const auto& [w, r] : windows)
            if (r.form == c) return w;
        return nullptr;
    }
    bool OwnModule(TSkinWindow w) const override { return windows.at(w).ownModule; }
    bool HasArea(TSkinWindow w) const override { return windows.at(w).hasArea; }
    std::vector<TScreenForm> ScreenForms() const override {
        std::vector<TScreenForm> out;
        for (TSkinWindow w : formOrder) {
            const WindowRecord& r = windows.at(w);
            out.push_back({r.form, w, r.visible, (r.style & skinstyle::kChild) != 0});
        }
        return out;
    }
    TSkinnedFrame* CreateFrame(TSkinWindow w, TComponent*, TSkinData* skin, const std::string& cls) override {
        log.push_back("frame " + Name(w) + " " + cls);
        auto* f = new RecordingFrame(w, skin, log, Name(w));
        frames[w] = f;
        windows[w].answersQuery = true; // a skinned frame answers the query from now on
        return f;
    }
    void PostSkinStart(TSkinWindow w) override { log.push_back("start " + Name(w)); }
    std::unique_ptr<TSkinnedMenu> CreateMenuSkin(TSkinWindow w, TSkinData*) override {
        if (!menusSkinned) return nullptr;
        log.push_back("menu " + Name(w));
        return std::make_unique<RecordingMenu>(w, log);
    }
    void InstallHook() override { log.push_back("hook"); }
    void RemoveHook() override { log.push_back("unhook"); }
    void SetActionTimer(bool enabled, int ms) override {
        timerEnabled = enabled;
        timerInterval = ms;
    }
};

class SkinManageTest : public ::testing::Test {
protected:
    void SetUp() override { previous_ = SetSkinPlatform(&platform_); }
    void TearDown() override { SetSkinPlatform(previous_); }

    // A skin data with a loaded skin, registered with the manager.
    std::unique_ptr<TSkinData> Skin(TSkinFormType type, TComponent* owner = nullptr, bool loaded = true) {
        auto d = std::make_unique<TSkinData>(owner);
        d->SkinFormtype = type;
        if (loaded) {
            d->SetStoredSkin(skintest::PackSkin("[Personality]\r\n"));
            EXPECT_TRUE(d->LoadSkin()) << d->LastLoadError();
        }
        manager.RegisterSkinData(d.get());
        return d;
    }
    TSkinWindow Form(int id, WindowRecord r = {}) {
        forms_.push_back(std::make_unique<TComponent>(nullptr));
        r.form = forms_.back().get();
        return fake.Add(id, r);
    }

    FakeWindows fake;
    std::unique_ptr<TSkinManage> owned = std::make_unique<TSkinManage>(fake);
    TSkinManage& manager = *owned;

private:
    skintest::FakePlatform platform_;
    TSkinPlatform* previous_ = nullptr;
    std::vector<std::unique_ptr<TComponent>> forms_;
};

TEST_F(SkinManageTest, EveryConditionOfTrySkinWindowInItsOrder) {
    auto main = Skin(sfMainform);
    main->Options.Exclude(xoPreview);
    manager.RequestAction(saSkinAll, kSkinActionDelay); // before the first activation: enables only
    EXPECT_TRUE(manager.SkinningEnabled());
    EXPECT_FALSE(fake.timerEnabled);

    TSkinWindow mdiClient = fake.Add(900, {"MDIClient"});
    TSkinWindow dialogParent = fake.Add(901, {"#32770"});
    struct Case {
        const char* what;
        WindowRecord record;
        bool framework;
        TSkinRefusal expected;
    };
    WindowRecord child;
    child.style |= skinstyle::kChild;
    child.parent = dialogParent;
    WindowRecord mdiChild = child;
    mdiChild.parent = mdiClient;
    WindowRecord foreign;
    foreign.ownModule = false;
    WindowRecord foreignDialog = foreign;
    foreignDialog.className = "#32770";
    WindowRecord empty;
    empty.hasArea = false;
    WindowRecord emptyMdi = empty;
    emptyMdi.exStyle = skinstyle::kExMdiChild;
    WindowRecord app;
    app.className = "TApplication";
    WindowRecord render;
    render.className = "xTTERenderWindow1";
    WindowRecord foreground = foreignDialog;
    foreground.style |= skinstyle::kSetForeground;
    WindowRecord preview;
    preview.className = "TPrintPreviewForm";
    WindowRecord tree;
    tree.className = "TPopupDBTreeView";
    WindowRecord queried;
    queried.answersQuery = true;
    const Case cases[] = {
        {"form", {}, true, TSkinRefusal::None},
        {"answers the query", queried, true, TSkinRefusal::AlreadySkinned},
        {"plain child", child, true, TSkinRefusal::PlainChild},
        {"child of an MDI client", mdiChild, true, TSkinRefusal::None},
        {"window of another module", foreign, false, TSkinRefusal::ForeignWindow},
        {"system dialog of another module", foreignDialog, false, TSkinRefusal::None},
        {"no area", empty, true, TSkinRefusal::NoArea},
        {"no area but MDI child", emptyMdi, true, TSkinRefusal::None},
        {"hidden application window", app, false, TSkinRefusal::ExcludedClass},
        {"render window", render, false, TSkinRefusal::ExcludedClass},
        {"dialog with DS_SETFOREGROUND", foreground, false, TSkinRefusal::Declined},
        {"preview without xoPreview", preview, true, TSkinRefusal::Declined},
        {"DB tree popup", tree, true, TSkinRefusal::Declined},
    };
    int id = 1;
    for (const Case& c : cases) {
        TSkinWindow w = c.framework ? Form(id, c.record) : fake.Add(id, c.record);
        EXPECT_EQ(manager.TrySkinWindowWhy(w), c.expected) << c.what;
        ++id;
    }
    EXPECT_EQ(manager.SkinnedForms().size(), 4u);

    // A skinned window is never skinned twice, however often it is activated.
    TSkinWindow first = reinterpret_cast<TSkinWindow>(std::uintptr_t(1));
    manager.WindowActivating(first);
    EXPECT_EQ(manager.TrySkinWindowWhy(first), TSkinRefusal::AlreadySkinned);
    EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "frame 1 TForm1"), 1);
    EXPECT_EQ(std::count(fake.log.begin(), fake.log.end(), "start 1"), 1);

    // Tag 99, the skin data's own decision, and the preview option.
    TSkinWindow tagged = Form(50);
    fake.tags[fake.windows[tagged].form] = 99;
    EXPECT_EQ(manager.TrySkinWindowWhy(tagged), TSkinRefusal::DisableTag);
    main->OnFormSkin = [](TSkinData*, const std::string& cls, bool& skin) { skin = cls != "TNoSkin"; };
    EXPECT_EQ(manager.TrySkinWindowWhy(Form(51, {"TNoSkin"})), TSkinRefusal::Declined);
    main->Options.Include(xoPreview);
    EXPECT_EQ(manager.TrySkinWindowWhy(Form(52, preview)), TSkinRefusal::None);

    // Switched off (after the start through the timer): nothing new is skinned.
    manager.SetActionRequester(main.get());
    manager.RequestAction(saUnskinAll, kSkinActionDelay);
    EXPECT_TRUE(manager.SkinningEnabled());
    manager.RunPendingAction();
    EXPECT_EQ(manager.TrySkinWindowWhy(Form(53)), TSkinRefusal::NotEnabled);
}

TEST_F(SkinManageTest, SkinDataChoiceAndTheUnloadedSkin) {
    TComponent owner(nullptr);
    auto mainA = Skin(sfMainform);
    auto dialog = Skin(sfDialog);
    auto mainB = Skin(sfMainform);
    auto only = Skin(sfOnlyThisForm, &owner);
    TSkinWindow ownerWindow = fake.Add(1, {"TOwnerForm"});
    fake.windows[ownerWindow].form = &owner;
    TSkinWindow box = fake.Add(2, {"#32770"});
    TSkinWindow other = fake.Add(3);

    EXPECT_EQ(manager.MainSkinData(), mainA.get()); // the first main one governs the exclusions
    EXPECT_EQ(manager.PickSkinData(ownerWindow, "TOwnerForm"), only.get());
    EXPECT_EQ(manager.PickSkinData(box, "#32770"), dialog.get());
    EXPECT_EQ(manager.PickSkinData(box, "TMessageForm"), dialog.get());
    EXPECT_EQ(manager.PickSkinData(other, "TForm1"), mainB.get()); // the last match wins
    manager.UnregisterSkinData(mainA.get());
    manager.UnregisterSkinData(mainB.get());
    EXPECT_EQ(manager.PickSkinData(other, "TForm1"), dialog.get()); // then the first registered

    // A skin data without a loaded skin never gets a frame.
    TSkinManage fresh(fake);
    auto unloaded = std::make_unique<TSkinData>(nullptr);
    fresh.RegisterSkinData(unloaded.get());
    fresh.ServeSingleForm();
    EXPECT_EQ(fresh.TrySkinWindowWhy(other), TSkinRefusal::NoSkin);
}

TEST_F(SkinManageTest, HookEventsMenusAndTheDeferredRequests) {
    auto main = Skin(sfMainform);
    main->SkinControls.Exclude(xcSystemMenu);
    manager.InstallCbtHook();
    manager.RequestAction(saSkinAll, kSkinActionDelay);
    TSkinWindow a = Form(1);
    TSkinWindow b = Form(2);
    TSkinWindow hidden = Form(3);
    fake.windows[hidden].visible = false;

    // The first activation starts the manager and skins the window.
    EXPECT_EQ(manager.ManagerState(), 0);
    manager.WindowActivating(a);
    EXPECT_EQ(manager.ManagerState(), 1);
    ASSERT_EQ(manager.SkinnedForms().size(), 1u);

    // A size grip inside a skinned window is announced to its frame; an MDI child is skinned at
    // creation.
    WindowRecord grip{"ScrollBar", skinstyle::kChild | skinstyle::kSizeGrip};
    grip.parent = a;
    manager.WindowCreated(fake.Add(10, grip));
    EXPECT_EQ(fake.log.back(), "grip 1");

    // Popup menus: an ordinary one is skinned, a system menu only with xcSystemMenu; the flags
    // fall back when the last skinned menu goes.
    WindowRecord popup{"#32768", 0x80000000};
    TSkinWindow menu1 = fake.Add(20, popup);
    manager.SetMenuBarTracking(true);
    manager.WindowCreated(menu1);
    EXPECT_EQ(manager.SkinnedMenuCount(), 1u);
    EXPECT_EQ(fake.log.back(), "menu from bar");
    manager.SetMenuOpenKind(mkSystemMenu);
    manager.WindowCreated(fake.Add(21, popup));
    EXPECT_EQ(manager.SkinnedMenuCount(), 1u);
    EXPECT_FALSE(manager.DropMenuSkin(fake.Add(22, popup)));
    manager.WindowDestroying(menu1);
    EXPECT_EQ(fake.log.back(), "restore menu");
    EXPECT_EQ(manager.SkinnedMenuCount(), 0u);
    EXPECT_EQ(manager.MenuOpenKind(), mkPopup);
    EXPECT_FALSE(manager.MenuBarTracking());

    // After the start a request is deferred to the timer; skin-all goes over the visible forms.
    int changed = 0;
    main->OnSkinChanged = [&](TObject*) { ++changed; };
    manager.SetActionRequester(main.get());
    manager.RequestAction(saSkinAll, kSkinActionDelay);
    EXPECT_TRUE(fake.timerEnabled);
    EXPECT_EQ(fake.timerInterval, kSkinActionDelay);
    manager.RunPendingAction();
    EXPECT_FALSE(fake.timerEnabled);
    EXPECT_EQ(manager.SkinnedForms().size(), 2u); // b added, the hidden form left alone
    EXPECT_EQ(manager.FindSkinnedForm(hidden), nullptr);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(manager.ActionRequester(), nullptr);
    manager.RunPendingAction(); // no requester: nothing runs, nobody is told
    EXPECT_EQ(changed, 1);

    // Refresh: every frame reloads, then every frame repaints.
    fake.log.clear();
    manager.SetActionRequester(main.get());
    manager.RequestAction(saRefresh, kSkinActionDelay);
    manager.RunPendingAction();
    EXPECT_EQ(fake.log, (Log{"metrics 1", "metrics 2", "repaint 1", "repaint 2"}));

    // A dead frame of this module goes at the next purge; one of another module stays.
    fake.frames[b]->dead = true;
    fake.log.clear();
    manager.PurgeSkinnedForms();
    EXPECT_EQ(fake.log, (Log{"free 2"}));
    fake.frames[a]->own = false;
    fake.frames[a]->dead = true;
    manager.PurgeSkinnedForms();
    EXPECT_EQ(manager.SkinnedForms().size(), 1u);
    fake.frames[a]->dead = false;

    // Unskin all detaches every frame and switches skinning off.
    fake.log.clear();
    manager.SetActionRequester(main.get());
    manager.RequestAction(saUnskinAll, kSkinActionDelay);
    manager.RunPendingAction();
    EXPECT_EQ(fake.log, (Log{"detach 1", "free 1"}));
    EXPECT_FALSE(manager.SkinningEnabled());
    EXPECT_EQ(changed, 3);
}

TEST_F(SkinManageTest, OnlyThisFormRequestsAndDestruction) {
    TComponent owner(nullptr);
    auto main = Skin(sfMainform);
    auto only = Skin(sfOnlyThisForm, &owner);
    manager.ServeSingleForm();
    EXPECT_EQ(manager.ManagerState(), 1);
    TSkinWindow mainWindow = Form(1);
    TSkinWindow ownerWindow = fake.Add(2, {"TOwnerForm"});
    fake.windows[ownerWindow].form = &owner;
    fake.formOrder.push_back(ownerWindow);

    EXPECT_TRUE(manager.TrySkinOwnerForm(&owner));
    EXPECT_FALSE(manager.TrySkinOwnerForm(&owner)); // the second time it is already skinned
    manager.SetActionRequester(main.get());
    manager.RequestAction(saSkinAll, kSkinActionDelay);
    manager.RunPendingAction();
    ASSERT_EQ(manager.SkinnedForms().size(), 2u);
    EXPECT_EQ(manager.FindSkinnedForm(ownerWindow)->Source(), only.get());

    // Unskin for one form's skin data touches that form's frame only.
    fake.log.clear();
    manager.SetActionRequester(only.get());
    manager.RequestAction(saUnskinAll, kSkinActionDelay);
    manager.RunPendingAction();
    EXPECT_EQ(fake.log, (Log{"detach 2", "free 2"}));
    EXPECT_NE(manager.FindSkinnedForm(mainWindow), nullptr);

    // Destroying the manager lets go of every window without changing its look, and unhooks.
    fake.log.clear();
    owned.reset();
    EXPECT_EQ(fake.log, (Log{"release 1", "free 1", "unhook"}));
}

} // namespace
