#include "Classes.h"

#include <algorithm>

namespace {

void Erase(std::vector<TComponent*>& list, TComponent* component) {
    list.erase(std::remove(list.begin(), list.end(), component), list.end());
}

} // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Each owned component takes itself out of the list as it goes.
    while (!components_.empty())
        delete components_.back();
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying))
        return;
    state_.Include(csDestroying);
    NotifyRemoval();
}

void TComponent::NotifyRemoval() {
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        Erase(other->freeNotifies_, this);
        other->Notification(this, opRemove);
    }
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::InsertComponent(TComponent* component) {
    components_.push_back(component);
    component->owner_ = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, opRemove);
    Erase(components_, component);
    component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
        component->freeNotifies_.end())
        component->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (!component)
        return;
    Erase(freeNotifies_, component);
    Erase(component->freeNotifies_, this);
}

void TComponent::Loaded() {
    state_.Exclude(csLoading);
}

void TComponent::SetDesigning(bool designing) {
    if (designing)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
}

bool TComponent::ExecuteAction(TBasicAction* action) {
    if (!action || !action->HandlesTarget(this))
        return false;
    action->ExecuteTarget(this);
    return true;
}

bool TComponent::UpdateAction(TBasicAction* action) {
    if (!action || !action->HandlesTarget(this))
        return false;
    action->UpdateTarget(this);
    return true;
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove)
        Erase(freeNotifies_, component);
    // Backwards, so that a component that leaves during the notice skips no other.
    for (std::size_t i = components_.size(); i-- > 0;) {
        if (i < components_.size() && components_[i] != component)
            components_[i]->Notification(component, operation);
    }
}
