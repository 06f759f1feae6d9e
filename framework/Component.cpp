#include "framework/Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    destroying_ = true;
    // Tell everyone who refers to us; copy first, since a handler may unsubscribe.
    auto notifies = freeNotifies_;
    freeNotifies_.clear();
    for (TComponent* c : notifies) {
        c->RemoveFreeNotification(this);
        c->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* child = components_.back();
        components_.pop_back();
        child->owner_ = nullptr;
        Notification(child, TOperation::opRemove);
        delete child;
    }
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
        freeNotifies_.push_back(other);
        other->FreeNotification(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), other);
    if (it != freeNotifies_.end()) {
        freeNotifies_.erase(it);
        other->RemoveFreeNotification(this);
    }
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::InsertComponent(TComponent* child) {
    child->owner_ = this;
    components_.push_back(child);
}

void TComponent::RemoveComponent(TComponent* child) {
    auto it = std::find(components_.begin(), components_.end(), child);
    if (it != components_.end()) components_.erase(it);
    child->owner_ = nullptr;
}
