#include "support/TestComponents.h"

#include "base/core/ClassRegistry.h"

namespace TestSupport {

namespace {

constexpr const char* kFontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
constexpr TEnumInfo kFontStyles = {kFontStyleNames};
constexpr const char* kAlignNames[] = {"alNone", "alTop", "alBottom", "alClient"};
constexpr TEnumInfo kAligns = {kAlignNames};

constexpr TPropInfo kFontProps[] = {
    SetProp<&TTestFont::Style>("Style", &kFontStyles),
    Prop<&TTestFont::Size>("Size"),
    Prop<&TTestFont::Name>("Name"),
};

constexpr TPropInfo kControlProps[] = {
    Prop<&TTestControl::Left>("Left"),
    Prop<&TTestControl::Top>("Top"),
    Prop<&TTestControl::GetWidth, &TTestControl::SetWidth>("Width"),
    Prop<&TTestControl::Tag>("Tag"),
    Prop<&TTestControl::Visible>("Visible"),
    Prop<&TTestControl::Accel>("Accel"),
    Prop<&TTestControl::Align>("Align", &kAligns),
    Prop<&TTestControl::Caption>("Caption"),
    ObjectProp<&TTestControl::GetFont>("Font"),
};

constexpr TPropInfo kButtonProps[] = {
    Prop<&TTestButton::Default>("Default"),
    Prop<&TTestButton::OnClick>("OnClick"),
    Prop<&TTestButton::OnKey>("OnKey"),
};

constexpr TPropInfo kLabelProps[] = {
    Prop<&TTestLabel::FocusControl>("FocusControl"),
};

constexpr TPropInfo kListBoxProps[] = {
    ObjectProp<&TTestListBox::GetItems>("Items"),
};

constexpr TMethodInfo kFormMethods[] = {
    Method<&TTestForm::OkClick>("OkClick"),
    Method<&TTestForm::KeyPressed>("KeyPressed"),
};

constexpr TFieldInfo kFormFields[] = {
    Field<&TTestForm::OkButton>("OkButton"),
    Field<&TTestForm::TitleLabel>("TitleLabel"),
    Field<&TTestForm::ListBox>("ListBox"),
    Field<&TTestForm::Inner>("Inner"),
};

constexpr TMethodInfo kBaseFormMethods[] = {
    Method<&TTestBaseForm::BaseClick>("BaseClick"),
};

constexpr TFieldInfo kBaseFormFields[] = {
    Field<&TTestBaseForm::BaseButton>("BaseButton"),
};

constexpr TFieldInfo kDerivedFormFields[] = {
    Field<&TTestDerivedForm::ExtraLabel>("ExtraLabel"),
};

}  // namespace

constinit const TClassInfo TTestFont::ClassInfo = {"TTestFont", &PersistentClassInfo, nullptr, kFontProps, {}, {}};
constinit const TClassInfo TTestControl::ClassInfo = {
    "TTestControl", &TComponent::ClassInfo, &CreateComponent<TTestControl>, kControlProps, {}, {}};
constinit const TClassInfo TTestButton::ClassInfo = {
    "TTestButton", &TTestControl::ClassInfo, &CreateComponent<TTestButton>, kButtonProps, {}, {}};
constinit const TClassInfo TTestLabel::ClassInfo = {
    "TTestLabel", &TTestControl::ClassInfo, &CreateComponent<TTestLabel>, kLabelProps, {}, {}};
constinit const TClassInfo TTestListBox::ClassInfo = {
    "TTestListBox", &TTestControl::ClassInfo, &CreateComponent<TTestListBox>, kListBoxProps, {}, {}};
constinit const TClassInfo TTestForm::ClassInfo = {
    "TTestForm", &TTestControl::ClassInfo, &CreateComponent<TTestForm>, {}, kFormMethods, kFormFields};
constinit const TClassInfo TTestBaseForm::ClassInfo = {
    "TTestBaseForm", &TTestControl::ClassInfo, &CreateComponent<TTestBaseForm>, {}, kBaseFormMethods, kBaseFormFields};
constinit const TClassInfo TTestDerivedForm::ClassInfo = {
    "TTestDerivedForm", &TTestBaseForm::ClassInfo, &CreateComponent<TTestDerivedForm>, {}, {}, kDerivedFormFields};

std::vector<std::string>& ComponentLog() {
    static std::vector<std::string> log;
    return log;
}

TTestControl::~TTestControl() {
    ComponentLog().push_back(Name + ":destroy:" + std::to_string(ComponentState));
    if (Parent != nullptr && (Parent->ComponentState & csDestroying) == 0)
        std::erase(Parent->Children, this);
}

void TTestControl::AttachToParentComponent(TComponent* parent) {
    Parent = dynamic_cast<TTestControl*>(parent);
    if (Parent != nullptr)
        Parent->Children.push_back(this);
}

void TTestControl::FinishLoading() {
    TComponent::FinishLoading();
    ComponentLog().push_back(Name + ":loaded");
}

void TTestLabel::SetFocusControl(TTestControl* control) {
    FocusControl = control;
    if (control != nullptr)
        WatchFree(control);
}

void TTestLabel::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == FocusControl)
        FocusControl = nullptr;
    TComponent::Notification(component, operation);
}

void RegisterTestComponentClasses() {
    RegisterClasses({&TTestControl::ClassInfo, &TTestButton::ClassInfo, &TTestLabel::ClassInfo,
                     &TTestListBox::ClassInfo, &TTestForm::ClassInfo, &TTestBaseForm::ClassInfo,
                     &TTestDerivedForm::ClassInfo});
}

}  // namespace TestSupport
