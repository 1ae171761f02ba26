#pragma once

#include <QString>

#include <vector>

// The component model of the class library: components own the components created with them as
// owner and free them with themselves, carry a name, tell interested components when they go
// away, and know whether they are being loaded from a saved design.
//
// A component that is also a Qt widget combines this class with its Qt parent: whichever of the
// two frees it first, the other forgets it, so it is never freed twice.

enum TOperation { opInsert, opRemove };

class TBasicAction;

enum TComponentStateItem : unsigned { csLoading = 1, csDesigning = 2, csDestroying = 4 };

class TComponentState {
public:
    bool Contains(TComponentStateItem item) const { return (bits_ & item) != 0; }
    void Include(TComponentStateItem item) { bits_ |= item; }
    void Exclude(TComponentStateItem item) { bits_ &= ~unsigned(item); }

private:
    unsigned bits_ = 0;
};

class TComponent {
public:
    // A component with an owner is freed by that owner (create it with new); one without an owner
    // belongs to whoever made it.
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return int(components_.size()); }
    TComponent* Components(int index) const { return components_.at(std::size_t(index)); }

    const QString& Name() const { return name_; }
    void SetName(const QString& name) { name_ = name; }

    TComponentState ComponentState() const { return state_; }

    // Asks for a Notification(this, opRemove) to reach `component` when this one is freed; the
    // request holds both ways, so neither is left with a dangling reference to the other.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Reading a saved design: the loading state holds from here until Loaded.
    void BeginLoading() { state_.Include(csLoading); }
    virtual void Loaded();

    void SetDesigning(bool designing);

    // An action aimed at this component: executes, or updates, it here when the action handles
    // this component as its target. True when it did.
    virtual bool ExecuteAction(TBasicAction* action);
    virtual bool UpdateAction(TBasicAction* action);

protected:
    // Another component was inserted into, or is being removed from, this one's owner, or a
    // component this one asked free notification of is being freed. Overrides call the inherited
    // handling; the base passes the notice on to the owned components.
    virtual void Notification(TComponent* component, TOperation operation);

    // Called first by the destructors of components whose notices need the whole object alive:
    // marks the component as being destroyed and sends its removal notices at once.
    void Destroying();

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void NotifyRemoval();

    TComponent* owner_ = nullptr;
    QString name_;
    TComponentState state_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

// An action: a command that knows which components it can act on (its targets), runs on one of
// them, and brings its own state (enabled, checked) up to date from one of them.
class TBasicAction : public TComponent {
public:
    using TComponent::TComponent;

    virtual bool HandlesTarget(TComponent* target) = 0;
    virtual void ExecuteTarget(TComponent* target) = 0;
    virtual void UpdateTarget(TComponent* target) = 0;
};
