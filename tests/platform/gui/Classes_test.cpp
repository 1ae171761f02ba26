#include "platform/gui/Classes.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Records the components it is told of: those inserted, and by name those removed and itself
// when it is destroyed, as those are gone by the time the test looks.
class Recorder : public TComponent {
public:
    explicit Recorder(const QString& name = {}, TComponent* owner = nullptr,
                      std::vector<QString>* freed = nullptr)
        : TComponent(owner), freed_(freed) {
        SetName(name);
    }
    ~Recorder() override {
        if (freed_)
            freed_->push_back(Name());
    }

    std::vector<TComponent*> inserted;
    std::vector<QString> removed;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        if (operation == opInsert)
            inserted.push_back(component);
        else
            removed.push_back(component->Name());
    }

private:
    std::vector<QString>* freed_;
};

class WidgetComponent : public QWidget, public TComponent {
public:
    WidgetComponent(TComponent* owner, QWidget* parent) : QWidget(parent), TComponent(owner) {}
};

TEST(TComponentTest, OwnerFreesItsComponentsAndForgetsOnesFreedBefore) {
    std::vector<QString> freed;
    auto owner = std::make_unique<Recorder>("owner");
    auto* first = new Recorder("first", owner.get(), &freed);
    auto* second = new Recorder("second", owner.get(), &freed);
    ASSERT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(first->Owner(), owner.get());

    delete first;
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), second);

    owner.reset();
    EXPECT_EQ(freed, (std::vector<QString>{"first", "second"}));
}

TEST(TComponentTest, InsertAndRemoveReachTheOwnerAndTheSiblings) {
    Recorder owner("owner");
    auto* sibling = new Recorder("sibling", &owner);
    auto* added = new Recorder("added", &owner);
    EXPECT_EQ(owner.inserted, (std::vector<TComponent*>{sibling, added}));
    EXPECT_EQ(sibling->inserted, (std::vector<TComponent*>{added}));
    EXPECT_TRUE(owner.removed.empty());

    delete added;
    EXPECT_EQ(owner.removed, (std::vector<QString>{"added"}));
    EXPECT_EQ(sibling->removed, (std::vector<QString>{"added"}));
}

TEST(TComponentTest, FreeNotificationHoldsBothWaysAndCanBeWithdrawn) {
    auto watcher = std::make_unique<Recorder>("watcher");
    auto watched = std::make_unique<Recorder>("watched");
    watched->FreeNotification(watcher.get());
    watched->FreeNotification(watcher.get());

    watched.reset();
    EXPECT_EQ(watcher->removed, (std::vector<QString>{"watched"}));

    // The watcher goes first: the other side must not keep a dangling reference to it.
    auto other = std::make_unique<Recorder>();
    other->FreeNotification(watcher.get());
    watcher.reset();
    EXPECT_EQ(other->removed, (std::vector<QString>{"watcher"}));
    other.reset();

    Recorder a;
    Recorder b;
    a.FreeNotification(&b);
    a.RemoveFreeNotification(&b);
    {
        Recorder c;
        c.FreeNotification(&a);
    }
    EXPECT_TRUE(b.removed.empty());
}

TEST(TComponentTest, LoadingHoldsUntilLoaded) {
    Recorder component;
    component.BeginLoading();
    component.SetDesigning(true);
    EXPECT_TRUE(component.ComponentState().Contains(csLoading));
    component.Loaded();
    EXPECT_FALSE(component.ComponentState().Contains(csLoading));
    EXPECT_TRUE(component.ComponentState().Contains(csDesigning));
}

TEST(TComponentTest, AWidgetComponentIsFreedOnceByWhicheverGoesFirst) {
    {
        Recorder owner;
        QWidget parent;
        auto* child = new WidgetComponent(&owner, &parent);
        (void)child;
        // The Qt parent goes first; the owner must not free the child again.
    }
    {
        auto parent = std::make_unique<QWidget>();
        auto owner = std::make_unique<Recorder>();
        auto* child = new WidgetComponent(owner.get(), parent.get());
        owner.reset();
        EXPECT_TRUE(parent->children().isEmpty());
        (void)child;
    }
}

// An action that acts on one component only and counts what it was asked to do.
class CountingAction : public TBasicAction {
public:
    explicit CountingAction(TComponent* target) : target_(target) {}
    bool HandlesTarget(TComponent* target) override { return target == target_; }
    void ExecuteTarget(TComponent*) override { ++executed; }
    void UpdateTarget(TComponent*) override { ++updated; }
    int executed = 0;
    int updated = 0;

private:
    TComponent* target_;
};

TEST(TComponentTest, AnActionRunsOnlyOnATargetItHandles) {
    Recorder target;
    Recorder other;
    CountingAction action(&target);
    EXPECT_TRUE(target.ExecuteAction(&action));
    EXPECT_TRUE(target.UpdateAction(&action));
    EXPECT_FALSE(other.ExecuteAction(&action));
    EXPECT_FALSE(other.UpdateAction(&action));
    EXPECT_EQ(action.executed, 1);
    EXPECT_EQ(action.updated, 1);
}

} // namespace
