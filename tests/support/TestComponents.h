#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/core/TComponent.h"
#include "base/text/TStringList.h"

// Small component classes for the tests of the component model and the form
// reader: a font-like sub-object, controls with a parent, a button with
// events, a label that refers to another control, a list box with items and
// forms with published fields and handlers.
namespace TestSupport {

// Records what happens to components, in order: "<name>:destroy:<state>" and
// "<name>:loaded".
std::vector<std::string>& ComponentLog();

enum TTestFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
enum class TTestAlign : std::uint8_t { alNone, alTop, alBottom, alClient };

class TTestFont : public TPersistent {
public:
    static const TClassInfo ClassInfo;

    std::uint8_t Style = 0;  // bits of TTestFontStyle
    std::int32_t Size = 8;
    std::string Name = "Default";
};

class TTestControl : public TComponent {
public:
    explicit TTestControl(TComponent* owner) : TComponent(owner) {}
    ~TTestControl() override;
    static const TClassInfo ClassInfo;
    const TClassInfo* ClassType() const override { return &ClassInfo; }

    void AttachToParentComponent(TComponent* parent) override;
    TComponent* ParentComponent() const override { return Parent; }
    void FinishLoading() override;

    std::int32_t GetWidth() const { return Width; }
    void SetWidth(std::int32_t w) {
        Width = w;
        ++WidthSets;
    }
    TTestFont* GetFont() const { return Font.get(); }

    std::int32_t Left = 1;
    std::int16_t Top = 2;
    std::int32_t Width = 3;
    std::int32_t WidthSets = 0;
    std::int32_t Tag = 0;
    bool Visible = true;
    char Accel = '\0';
    TTestAlign Align = TTestAlign::alNone;
    std::string Caption;
    std::unique_ptr<TTestFont> Font = std::make_unique<TTestFont>();
    TTestControl* Parent = nullptr;
    std::vector<TTestControl*> Children;
};

class TTestButton : public TTestControl {
public:
    using TTestControl::TTestControl;
    static const TClassInfo ClassInfo;
    const TClassInfo* ClassType() const override { return &ClassInfo; }

    bool Default = false;
    TNotifyEvent OnClick;
    TEvent<TPersistent*, std::int32_t> OnKey;
};

class TTestLabel : public TTestControl {
public:
    using TTestControl::TTestControl;
    static const TClassInfo ClassInfo;
    const TClassInfo* ClassType() const override { return &ClassInfo; }

    void SetFocusControl(TTestControl* control);
    void Notification(TComponent* component, TOperation operation) override;

    TTestControl* FocusControl = nullptr;
};

class TTestListBox : public TTestControl {
public:
    using TTestControl::TTestControl;
    static const TClassInfo ClassInfo;
    const TClassInfo* ClassType() const override { return &ClassInfo; }

    TStrings* GetItems() const { return Items.get(); }

    std::unique_ptr<TStringList> Items = std::make_unique<TStringList>();
};

// A form with fields for its components and handlers for their events.
class TTestForm : public TTestControl {
public:
    using TTestControl::TTestControl;
    static const TClassInfo ClassInfo;
    const TClassInfo* ClassType() const override { return &ClassInfo; }

    void OkClick(TPersistent* sender) {
        ++Clicks;
        LastSender = sender;
    }
    void KeyPressed(TPersistent* sender, std::int32_t key) { LastKey = key; }

    TTestButton* OkButton = nullptr;
    TTestLabel* TitleLabel = nullptr;
    TTestListBox* ListBox = nullptr;
    // A field whose class does not match the component of the same name.
    TTestButton* Inner = nullptr;
    std::int32_t Clicks = 0;
    std::int32_t LastKey = 0;
    TPersistent* LastSender = nullptr;
};

// A base form and a form derived from it, each with a layout of its own.
class TTestBaseForm : public TTestControl {
public:
    using TTestControl::TTestControl;
    static const TClassInfo ClassInfo;
    const TClassInfo* ClassType() const override { return &ClassInfo; }

    void BaseClick(TPersistent* sender) { ++BaseClicks; }

    TTestButton* BaseButton = nullptr;
    std::int32_t BaseClicks = 0;
};

class TTestDerivedForm : public TTestBaseForm {
public:
    using TTestBaseForm::TTestBaseForm;
    static const TClassInfo ClassInfo;
    const TClassInfo* ClassType() const override { return &ClassInfo; }

    TTestLabel* ExtraLabel = nullptr;
};

// Registers every class above with the form reader's class registry.
void RegisterTestComponentClasses();

}  // namespace TestSupport
