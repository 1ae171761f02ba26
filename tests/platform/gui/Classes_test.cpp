#include "platform/gui/Classes.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

// Records every notice it gets and whether it was destroyed.
class Recorder : public TComponent {
public:
    explicit Recorder(TComponent* owner = nullptr, std::vector<TComponent*>* freed = nullptr)
        : TComponent(owner), freed_(freed) {}
    ~Recorder() override {
        if (freed_)
            freed_->push_back(this);
    }

    std::vector<std::pair<TComponent*, TOperation>> notices;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TComponent::Notification(component, operation);
        notices.emplace_back(component, operation);
    }

private:
    std::vector<TComponent*>* freed_;
};

class WidgetComponent : public QWidget, public TComponent {
public:
    WidgetComponent(TComponent* owner, QWidget* parent) : QWidget(parent), TComponent(owner) {}
};

TEST(TComponentTest, OwnerFreesItsComponentsAndForgetsOnesFreedBefore) {
    std::vector<TComponent*> freed;
    auto owner = std::make_unique<Recorder>();
    auto* first = new Recorder(owner.get(), &freed);
    auto* second = new Recorder(owner.get(), &freed);
    ASSERT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(first->Owner(), owner.get());

    delete first;
    EXPECT_EQ(owner->ComponentCount(), 1);
    EXPECT_EQ(owner->Components(0), second);

    owner.reset();
    EXPECT_EQ(freed, (std::vector<TComponent*>{first, second}));
}

TEST(TComponentTest, InsertAndRemoveReachTheOwnerAndTheSiblings) {
    Recorder owner;
    auto* sibling = new Recorder(&owner);
    auto* added = new Recorder(&owner);
    using Notice = std::pair<TComponent*, TOperation>;
    EXPECT_EQ(owner.notices.back(), (Notice{added, opInsert}));
    EXPECT_EQ(sibling->notices, (std::vector<Notice>{{added, opInsert}}));

    delete added;
    EXPECT_EQ(owner.notices.back(), (Notice{added, opRemove}));
    EXPECT_EQ(sibling->notices.back(), (Notice{added, opRemove}));
}

TEST(TComponentTest, FreeNotificationHoldsBothWaysAndCanBeWithdrawn) {
    auto watcher = std::make_unique<Recorder>();
    auto watched = std::make_unique<Recorder>();
    TComponent* watchedAddress = watched.get();
    watched->FreeNotification(watcher.get());
    watched->FreeNotification(watcher.get());

    watched.reset();
    ASSERT_EQ(watcher->notices.size(), 1u);
    EXPECT_EQ(watcher->notices[0].first, watchedAddress);
    EXPECT_EQ(watcher->notices[0].second, opRemove);

    // The watcher goes first: the other side must not keep a dangling reference to it.
    auto other = std::make_unique<Recorder>();
    other->FreeNotification(watcher.get());
    watcher.reset();
    EXPECT_EQ(other->notices.size(), 1u);
    other.reset();

    Recorder a;
    Recorder b;
    a.FreeNotification(&b);
    a.RemoveFreeNotification(&b);
    {
        Recorder c;
        c.FreeNotification(&a);
    }
    EXPECT_TRUE(b.notices.empty());
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
