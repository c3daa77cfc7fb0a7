#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/core/TClassInfo.h"
#include "base/core/TPersistent.h"

class TList;
class TReader;

// ComponentState bits.
enum : std::uint8_t { csLoading = 1, csReading = 2, csDestroying = 8 };
// Notification operations.
enum TOperation : std::uint8_t { opInsert = 0, opRemove = 1 };

// A component: forms, controls, menus and dialogs. Each has an owner that
// destroys it, a name that binds it to the owner's published field of the
// same name, and components it owns. Components that refer to each other
// across owners ask to be told when the other goes (WatchFree).
//
// Owned components are destroyed last-created first, after the whole tree
// has been marked csDestroying. That happens in this class's destructor,
// after the destructors of derived classes have run; a class whose parts
// must outlive its components calls DestroyComponents first.
//
// Main thread only.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    static const TClassInfo ClassInfo;
    // The information of the object's own class.
    virtual const TClassInfo* ClassType() const { return &ClassInfo; }

    // Clears csLoading once the form reader has set every property; forms
    // and some controls extend it.
    virtual void FinishLoading();
    // Told that component was inserted into (opInsert) or is leaving
    // (opRemove) this component's world. The base forgets a departing
    // component it watched, then passes the call to every owned component,
    // last to first. Overrides drop their references, then call this.
    virtual void Notification(TComponent* component, TOperation operation);
    // Reads this component's form-resource data.
    virtual void ReadFromReader(TReader& reader);
    // Controls become children of a windowed parent, menu items join a
    // menu; nothing in the base.
    virtual void AttachToParentComponent(TComponent* parent) {}
    virtual TComponent* ParentComponent() const { return nullptr; }

    void AdoptComponent(TComponent* component);
    void DetachComponent(TComponent* component);
    // Destroys the owned components now, last-created first.
    void DestroyComponents();
    const std::string& GetName() const { return Name; }
    // A new name (exact comparison) binds the owner's field of that name;
    // the field of the old name is left as it was.
    void SetName(std::string_view newName);
    // Points the owner's published field named like this component at it
    // (enable) or at nothing.
    void BindOwnerField(bool enable);
    // Asks to be told when other is destroyed, and the other way round.
    void WatchFree(TComponent* other);

    // The owned component of that name (ASCII case ignored); nullptr for an
    // empty name or none.
    TComponent* FindComponent(std::string_view name) const;
    std::int32_t OwnedCount() const;
    TComponent* OwnedComponent(std::int32_t index) const;
    bool IsWatching(const TComponent* other) const;

    TComponent* Owner = nullptr;
    std::string Name;
    TList* FreeNotifies = nullptr;
    std::uint8_t ComponentState = 0;
    TList* Components = nullptr;

private:
    void SetDestroyingFlags();
    void RemoveFreeNotify(TComponent* component);
};
