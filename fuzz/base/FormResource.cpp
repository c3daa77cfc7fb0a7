// Form resources are program data, but a damaged one must end in an error,
// never a crash, a hang or a leak: the reader is fed arbitrary bytes, once
// into a root it is given and once into one it makes itself.
#include <cstdint>
#include <memory>
#include <string>

#include "base/core/ClassRegistry.h"
#include "base/core/TClassInfo.h"
#include "base/core/TComponent.h"
#include "base/core/TMemoryStream.h"
#include "base/core/TReader.h"
#include "base/text/TStringList.h"

namespace {

class TFuzzFont : public TPersistent {
public:
    static const TClassInfo ClassInfo;
    std::uint32_t Style = 0;
    std::string Name;
};

class TFuzzControl : public TComponent {
public:
    explicit TFuzzControl(TComponent* owner) : TComponent(owner) {}
    static const TClassInfo ClassInfo;
    const TClassInfo* ClassType() const override { return &ClassInfo; }
    TFuzzFont* GetFont() const { return Font.get(); }
    TStrings* GetItems() const { return Items.get(); }
    void Click(TPersistent*) {}

    std::int16_t Left = 0;
    std::uint8_t Small = 0;
    char Accel = 0;
    bool Visible = true;
    std::uint8_t Align = 0;
    std::string Caption;
    TNotifyEvent OnClick;
    TFuzzControl* Buddy = nullptr;
    TFuzzControl* Inner = nullptr;
    std::unique_ptr<TFuzzFont> Font = std::make_unique<TFuzzFont>();
    std::unique_ptr<TStringList> Items = std::make_unique<TStringList>();
};

constexpr const char* kStyleNames[] = {"fsBold", "fsItalic", "fsUnderline"};
constexpr TEnumInfo kStyles = {kStyleNames};
constexpr const char* kAlignNames[] = {"alNone", "alTop", "alClient"};
constexpr TEnumInfo kAligns = {kAlignNames};

constexpr TPropInfo kFontProps[] = {
    SetProp<&TFuzzFont::Style>("Style", &kStyles),
    Prop<&TFuzzFont::Name>("Name"),
};
constexpr TPropInfo kControlProps[] = {
    Prop<&TFuzzControl::Left>("Left"),
    Prop<&TFuzzControl::Small>("Small"),
    Prop<&TFuzzControl::Accel>("Accel"),
    Prop<&TFuzzControl::Visible>("Visible"),
    Prop<&TFuzzControl::Align>("Align", &kAligns),
    Prop<&TFuzzControl::Caption>("Caption"),
    Prop<&TFuzzControl::OnClick>("OnClick"),
    Prop<&TFuzzControl::Buddy>("Buddy"),
    ObjectProp<&TFuzzControl::GetFont>("Font"),
    ObjectProp<&TFuzzControl::GetItems>("Items"),
};
constexpr TMethodInfo kControlMethods[] = {Method<&TFuzzControl::Click>("Click")};
constexpr TFieldInfo kControlFields[] = {Field<&TFuzzControl::Inner>("Inner")};

}  // namespace

constinit const TClassInfo TFuzzFont::ClassInfo = {"TFuzzFont", &PersistentClassInfo, nullptr, kFontProps, {}, {}};
constinit const TClassInfo TFuzzControl::ClassInfo = {
    "TFuzzControl", &TComponent::ClassInfo, &CreateComponent<TFuzzControl>,
    kControlProps,  kControlMethods,        kControlFields};

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool registered = (RegisterClass(&TFuzzControl::ClassInfo), true);
    (void)registered;
    for (int pass = 0; pass < 2; ++pass) {
        TMemoryStream stream;
        stream.WriteExact(data, static_cast<std::int32_t>(size));
        stream.SeekTo(0);
        std::unique_ptr<TFuzzControl> given(pass == 0 ? new TFuzzControl(nullptr) : nullptr);
        std::unique_ptr<TComponent> made;
        {
            TReader reader(stream, 64);  // a small buffer crosses refills often
            TComponent* root = reader.ReadForm(given.get());
            if (pass == 1)
                made.reset(root);
            if (reader.Failed() && pass == 1 && root != nullptr)
                __builtin_trap();  // a root the reader made is not handed back after a fault
            // A fault names a byte of the input, or the end of one cut short.
            const TReadResult& result = reader.ReadResult();
            if (!result.Good && (result.Offset > size || result.Reason.empty()))
                __builtin_trap();
        }
    }
    return 0;
}
