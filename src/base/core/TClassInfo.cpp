#include "base/core/TClassInfo.h"

namespace {

constexpr const char* kBooleanNames[] = {"False", "True"};

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

}  // namespace

const TEnumInfo BooleanEnumInfo = {kBooleanNames};

const TClassInfo PersistentClassInfo = {"TPersistent", nullptr, nullptr, {}, {}, {}};

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
    for (const TClassInfo* c = this; c != nullptr; c = c->Parent)
        if (c == other)
            return true;
    return false;
}

bool SameIdent(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

const TPropInfo* FindPublishedProperty(const TClassInfo* cls, std::string_view name) {
    for (; cls != nullptr; cls = cls->Parent)
        for (const TPropInfo& p : cls->Properties)
            if (SameIdent(p.Name, name))
                return &p;
    return nullptr;
}

const TMethodInfo* FindPublishedMethod(const TClassInfo* cls, std::string_view name) {
    for (; cls != nullptr; cls = cls->Parent)
        for (const TMethodInfo& m : cls->Methods)
            if (SameIdent(m.Name, name))
                return &m;
    return nullptr;
}

const TFieldInfo* FindPublishedField(const TClassInfo* cls, std::string_view name) {
    for (; cls != nullptr; cls = cls->Parent)
        for (const TFieldInfo& f : cls->Fields)
            if (SameIdent(f.Name, name))
                return &f;
    return nullptr;
}

std::int32_t EnumValueByName(const TEnumInfo* enumType, std::string_view name) {
    if (enumType == nullptr)
        return -1;
    for (std::size_t i = 0; i < enumType->Names.size(); ++i)
        if (SameIdent(enumType->Names[i], name))
            return static_cast<std::int32_t>(i);
    return -1;
}

std::int32_t GetOrdinalProperty(const TPersistent* instance, const TPropInfo& prop) {
    if (prop.GetOrd == nullptr)
        return 0;
    const std::int32_t v = prop.GetOrd(instance, prop);
    // Extend by the property's width, whatever the accessor handed over.
    switch (prop.OrdType) {
        case TOrdType::otSByte:
            return static_cast<std::int8_t>(v);
        case TOrdType::otUByte:
            return static_cast<std::uint8_t>(v);
        case TOrdType::otSWord:
            return static_cast<std::int16_t>(v);
        case TOrdType::otUWord:
            return static_cast<std::uint16_t>(v);
        default:
            return v;
    }
}

void SetOrdinalProperty(TPersistent* instance, const TPropInfo& prop, std::int32_t value) {
    if (prop.SetOrd != nullptr)
        prop.SetOrd(instance, prop, value);
}

TPersistent* GetObjectProperty(const TPersistent* instance, const TPropInfo& prop) {
    return prop.GetObj != nullptr ? prop.GetObj(instance, prop) : nullptr;
}

void SetObjectProperty(TPersistent* instance, const TPropInfo& prop, TPersistent* value) {
    if (prop.SetObj != nullptr)
        prop.SetObj(instance, prop, value);
}

void SetStringProperty(TPersistent* instance, const TPropInfo& prop, const std::string& value) {
    if (prop.SetStr != nullptr)
        prop.SetStr(instance, prop, value);
}

void SetMethodProperty(TPersistent* instance, const TPropInfo& prop, const TMethod& event) {
    // A handler of another signature would be called with the wrong
    // arguments: such a binding is refused.
    if (prop.SetEvent == nullptr)
        return;
    if (event.Code != nullptr &&
        (event.Signature == nullptr || prop.EventSignature == nullptr || *event.Signature != *prop.EventSignature))
        return;
    prop.SetEvent(instance, prop, event);
}
