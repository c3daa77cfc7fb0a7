#include "base/core/TComponent.h"

#include "base/core/TList.h"
#include "base/core/TReader.h"

namespace {

constexpr TPropInfo kComponentProps[] = {
    Prop<&TComponent::GetName, &TComponent::SetName>("Name"),
};

}  // namespace

constinit const TClassInfo TComponent::ClassInfo = {
    "TComponent", &PersistentClassInfo, nullptr, kComponentProps, {}, {}};

TComponent::TComponent(TComponent* owner) {
    if (owner != nullptr)
        owner->AdoptComponent(this);
}

TComponent::~TComponent() {
    if (FreeNotifies != nullptr) {
        // Taken out first: a told component that goes away in turn must not
        // change the list we walk.
        TList* watchers = FreeNotifies;
        FreeNotifies = nullptr;
        for (std::int32_t i = 0; i < watchers->Count; ++i)
            watchers->At<TComponent>(i)->Notification(this, opRemove);
        TList::Release(watchers);
    }
    SetDestroyingFlags();
    DestroyComponents();
    if (Owner != nullptr)
        Owner->DetachComponent(this);
}

void TComponent::SetDestroyingFlags() {
    ComponentState |= csDestroying;
    if (Components != nullptr)
        for (std::int32_t i = 0; i < Components->Count; ++i)
            Components->At<TComponent>(i)->SetDestroyingFlags();
}

void TComponent::DestroyComponents() {
    while (Components != nullptr && Components->Count > 0) {
        auto* last = static_cast<TComponent*>(Components->Last());
        Components->DeleteLast();
        if (Components->Count == 0) {
            TList::Release(Components);
            Components = nullptr;
        }
        // Its destructor detaches it from us; it is out of the list already.
        delete last;
    }
}

void TComponent::FinishLoading() {
    ComponentState &= static_cast<std::uint8_t>(~csLoading);
}

void TComponent::RemoveFreeNotify(TComponent* component) {
    if (FreeNotifies == nullptr)
        return;
    FreeNotifies->Remove(component);
    if (FreeNotifies->Count == 0) {
        TList::Release(FreeNotifies);
        FreeNotifies = nullptr;
    }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove)
        RemoveFreeNotify(component);
    if (Components != nullptr)
        for (std::int32_t i = Components->Count - 1; i >= 0; --i) {
            // A handler may have destroyed components meanwhile.
            if (i < Components->Count)
                Components->At<TComponent>(i)->Notification(component, operation);
        }
}

void TComponent::ReadFromReader(TReader& reader) {
    reader.ReadComponentData(this);
}

void TComponent::AdoptComponent(TComponent* component) {
    if (Components == nullptr)
        Components = TList::Acquire();
    Components->Add(component);
    component->Owner = this;
    component->BindOwnerField(true);
    Notification(component, opInsert);
}

void TComponent::DetachComponent(TComponent* component) {
    Notification(component, opRemove);
    component->BindOwnerField(false);
    if (Components != nullptr) {
        Components->Remove(component);
        if (Components->Count == 0) {
            TList::Release(Components);
            Components = nullptr;
        }
    }
    component->Owner = nullptr;
}

void TComponent::SetName(std::string_view newName) {
    if (newName == Name)
        return;
    Name.assign(newName);
    BindOwnerField(true);
}

void TComponent::BindOwnerField(bool enable) {
    // An owner being destroyed has lost its derived parts, fields included.
    if (Owner == nullptr || Name.empty() || (Owner->ComponentState & csDestroying) != 0)
        return;
    if (const TFieldInfo* field = FindPublishedField(Owner->ClassType(), Name))
        field->Set(Owner, enable ? this : nullptr);
}

void TComponent::WatchFree(TComponent* other) {
    if (other == nullptr || other == this)
        return;
    // The owner's own notification covers components of one owner.
    if (Owner != nullptr && Owner == other->Owner)
        return;
    if (FreeNotifies != nullptr && FreeNotifies->Contains(other))
        return;
    if (FreeNotifies == nullptr)
        FreeNotifies = TList::Acquire();
    FreeNotifies->Add(other);
    other->WatchFree(this);
}

bool TComponent::IsWatching(const TComponent* other) const {
    return FreeNotifies != nullptr && FreeNotifies->Contains(other);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty() || Components == nullptr)
        return nullptr;
    for (std::int32_t i = 0; i < Components->Count; ++i) {
        auto* c = Components->At<TComponent>(i);
        if (SameIdent(c->Name, name))
            return c;
    }
    return nullptr;
}

std::int32_t TComponent::OwnedCount() const {
    return Components == nullptr ? 0 : Components->Count;
}

TComponent* TComponent::OwnedComponent(std::int32_t index) const {
    return Components->At<TComponent>(index);
}
