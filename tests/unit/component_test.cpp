#include "framework/Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

class Probe : public TComponent {
public:
    Probe(TComponent* owner, std::string name) : TComponent(owner) { SetName(std::move(name)); }
    ~Probe() override { g_log.push_back("~" + Name()); }
    TComponent* watched = nullptr;

protected:
    void Notification(TComponent* c, TOperation op) override {
        if (op == TOperation::opRemove && c == watched) {
            watched = nullptr;
            g_log.push_back(Name() + " lost " + c->Name());
        }
    }
};

TEST(Component, OwnerDestroysOwnedComponentsNewestFirst) {
    g_log.clear();
    auto* root = new Probe(nullptr, "root");
    new Probe(root, "a");
    auto* b = new Probe(root, "b");
    new Probe(b, "b1");
    EXPECT_EQ(root->ComponentCount(), 2u);
    delete root;
    EXPECT_EQ(g_log, (std::vector<std::string>{"~root", "~b", "~b1", "~a"}));
}

TEST(Component, DeletingAnOwnedComponentRemovesItFromItsOwner) {
    g_log.clear();
    Probe root(nullptr, "root");
    auto* a = new Probe(&root, "a");
    new Probe(&root, "b");
    delete a;
    ASSERT_EQ(root.ComponentCount(), 1u);
    EXPECT_EQ(root.Components(0)->Name(), "b");
}

TEST(Component, FreeNotificationClearsReferenceToADestroyedComponent) {
    g_log.clear();
    Probe root(nullptr, "root");
    auto* menu = new Probe(&root, "menu");
    auto* tray = new Probe(&root, "tray");
    tray->watched = menu;
    menu->FreeNotification(tray);
    delete menu;
    EXPECT_EQ(tray->watched, nullptr);
    EXPECT_EQ(g_log, (std::vector<std::string>{"~menu", "tray lost menu"}));
}

TEST(Component, DestroyingTheWatcherFirstLeavesNoDanglingSubscription) {
    g_log.clear();
    auto* menu = new Probe(nullptr, "menu");
    auto* tray = new Probe(nullptr, "tray");
    tray->watched = menu;
    menu->FreeNotification(tray);
    delete tray;
    delete menu; // must not call into the destroyed tray (ASan would report it)
    EXPECT_EQ(g_log, (std::vector<std::string>{"~tray", "~menu"}));
}

} // namespace
