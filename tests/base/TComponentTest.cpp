#include "base/core/TComponent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/core/ClassRegistry.h"
#include "base/core/TList.h"
#include "support/TestComponents.h"

namespace {

using namespace TestSupport;

TEST(TComponentTest, OwnedComponentsAreDestroyedLastFirstAfterTheTreeIsMarked) {
    auto* form = new TTestForm(nullptr);
    form->SetName("Form");
    auto* a = new TTestControl(form);
    a->SetName("A");
    auto* b = new TTestControl(form);
    b->SetName("B");
    auto* c = new TTestControl(b);  // owned by b, one level down
    c->SetName("C");
    EXPECT_EQ(form->OwnedCount(), 2);
    EXPECT_EQ(b->Owner, form);
    ComponentLog().clear();
    delete form;
    // The owned components go after the owner's own clean-up, the later one
    // first (its own components right after it), each still carrying the
    // destroying flag (8) set on the whole tree before the first went.
    EXPECT_EQ(ComponentLog(),
              (std::vector<std::string>{"Form:destroy:0", "B:destroy:8", "C:destroy:8", "A:destroy:8"}));
}

TEST(TComponentTest, DestroyingAnOwnedComponentDetachesItAndClearsTheOwnersField) {
    TTestForm form(nullptr);
    auto* button = new TTestButton(&form);
    button->SetName("OkButton");
    EXPECT_EQ(form.OkButton, button);
    EXPECT_EQ(form.FindComponent("okbutton"), button);
    EXPECT_EQ(form.FindComponent(""), nullptr);
    delete button;
    EXPECT_EQ(form.OkButton, nullptr);
    EXPECT_EQ(form.OwnedCount(), 0);
    EXPECT_EQ(form.Components, nullptr);  // the emptied list went back to the pool
}

TEST(TComponentTest, SetNameBindsTheFieldOfTheNewNameOnly) {
    TTestForm form(nullptr);
    auto* button = new TTestButton(&form);
    button->SetName("OkButton");
    ASSERT_EQ(form.OkButton, button);
    button->SetName("OkButton");  // the same name: nothing happens
    EXPECT_EQ(form.OkButton, button);
    auto* other = new TTestButton(&form);
    other->SetName("Other");
    other->SetName("OKBUTTON");  // fields are found without case
    EXPECT_EQ(form.OkButton, other);
    button->SetName("Renamed");  // the old name's field stays as it was
    EXPECT_EQ(form.OkButton, other);
    // A field of another class than the component keeps its value.
    auto* plain = new TTestControl(&form);
    plain->SetName("Inner");
    EXPECT_EQ(form.Inner, nullptr);
}

TEST(TComponentTest, WatchFreeTiesComponentsOfDifferentOwnersBothWays) {
    TTestForm formA(nullptr), formB(nullptr);
    auto* label = new TTestLabel(&formA);
    auto* target = new TTestControl(&formB);
    label->SetFocusControl(target);
    EXPECT_TRUE(label->IsWatching(target));
    EXPECT_TRUE(target->IsWatching(label));
    label->WatchFree(target);  // already watched: no second entry
    EXPECT_EQ(label->FreeNotifies->Count, 1);
    delete target;
    EXPECT_EQ(label->FocusControl, nullptr);
    EXPECT_FALSE(label->IsWatching(target));
    EXPECT_EQ(label->FreeNotifies, nullptr);

    auto* target2 = new TTestControl(&formB);
    label->SetFocusControl(target2);
    delete label;
    EXPECT_EQ(target2->FreeNotifies, nullptr);  // the label left its list too
}

TEST(TComponentTest, ComponentsOfOneOwnerRelyOnTheOwnersNotification) {
    TTestForm form(nullptr);
    auto* label = new TTestLabel(&form);
    auto* target = new TTestControl(&form);
    label->SetFocusControl(target);
    EXPECT_EQ(label->FreeNotifies, nullptr);  // no lists between siblings
    delete target;                            // the owner tells its components
    EXPECT_EQ(label->FocusControl, nullptr);
}

TEST(ClassRegistryTest, RegisteringAClassRegistersItsAncestorsOnce) {
    RegisterClass(&TTestLabel::ClassInfo);
    TList* classes = RegisteredClasses();
    const std::int32_t count = classes->Count;
    EXPECT_TRUE(classes->Contains(&TTestControl::ClassInfo));
    EXPECT_TRUE(classes->Contains(&TComponent::ClassInfo));
    EXPECT_TRUE(classes->Contains(&PersistentClassInfo));
    RegisterClass(&TTestLabel::ClassInfo);
    EXPECT_EQ(classes->Count, count);
    RegisterClass(&TTestButton::ClassInfo);  // stops at TTestControl, known already
    EXPECT_EQ(classes->Count, count + 1);
    EXPECT_EQ(FindRegisteredClass("ttestlabel"), &TTestLabel::ClassInfo);
    EXPECT_EQ(FindRegisteredClass("TNoSuchClass"), nullptr);
}

}  // namespace
