#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

#include "base/core/TPersistent.h"

// Published type information: what the form reader needs to know of a class
// that form resources name. Each such class describes itself in a constant
// TClassInfo (its name, its parent's information, how to construct it, and
// three tables), built at compile time from member pointers with the
// builders below, so a table cannot name a field or method that does not
// exist:
//
//   constexpr TPropInfo kButtonProps[] = {
//       Prop<&TButton::Left>("Left"),
//       Prop<&TButton::Kind>("Kind", &kButtonKinds),
//       SetProp<&TButton::Style>("Style", &kFontStyles),
//       Prop<&TButton::OnClick>("OnClick"),
//       ObjectProp<&TButton::GetFont>("Font"),
//   };
//   const TClassInfo TButton::ClassInfo = {"TButton", &TControl::ClassInfo,
//       &CreateComponent<TButton>, kButtonProps};
//
// Names compare with ASCII letters folded, as the form resources were
// always matched.

class TComponent;
struct TClassInfo;
struct TPropInfo;

// --- Events ---------------------------------------------------------------

// An event value: a handler and the object it runs on. The signature names
// the handler's parameter list, so that the form reader binds a handler only
// to an event of the same kind.
struct TMethod {
    const void* Code = nullptr;  // the address of the handler's thunk pointer (TMethodInfo)
    TPersistent* Data = nullptr;
    const std::type_info* Signature = nullptr;
};

// A typed event field: TEvent<TPersistent*> is the plain notification.
template <class... Args>
class TEvent {
public:
    using TThunk = void (*)(TPersistent* self, Args...);

    // The event calling method M of obj.
    template <auto M, class C>
    static TEvent Bind(C* obj) {
        TEvent e;
        e.Code = &Call<C, M>;
        e.Data = obj;
        return e;
    }

    void operator()(Args... args) const {
        if (Code != nullptr)
            Code(Data, args...);
    }
    explicit operator bool() const { return Code != nullptr; }
    bool operator==(const TEvent&) const = default;

    template <class C, auto M>
    static void Call(TPersistent* self, Args... args) {
        (static_cast<C*>(self)->*M)(args...);
    }

    TThunk Code = nullptr;
    TPersistent* Data = nullptr;
};
using TNotifyEvent = TEvent<TPersistent*>;

// --- Tables -----------------------------------------------------------------

enum class TPropKind : std::uint8_t { pkInteger, pkChar, pkEnumeration, pkSet, pkClass, pkMethod, pkString };
enum class TOrdType : std::uint8_t { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };

// The names of an enumeration's values, ordinal 0 first.
struct TEnumInfo {
    std::span<const char* const> Names;
};
extern const TEnumInfo BooleanEnumInfo;  // "False", "True"

constexpr std::int32_t kNoPropIndex = INT32_MIN;

struct TPropInfo {
    const char* Name = nullptr;
    TPropKind Kind = TPropKind::pkInteger;
    TOrdType OrdType = TOrdType::otSLong;
    // Enumerations: their value names; sets: the element enumeration.
    const TEnumInfo* Enum = nullptr;
    // Object-valued properties: the declared class's information, when it
    // has one.
    const TClassInfo* ObjectClass = nullptr;
    // Passed first to an indexed setter.
    std::int32_t Index = kNoPropIndex;
    // Events: the handler signature they take.
    const std::type_info* EventSignature = nullptr;

    // Access; each kind fills in what it uses. Ordinals travel as 32 bits,
    // sign- or zero-extended by their width.
    std::int32_t (*GetOrd)(const TPersistent*, const TPropInfo&) = nullptr;
    void (*SetOrd)(TPersistent*, const TPropInfo&, std::int32_t) = nullptr;
    // Object-valued properties (a sub-object such as a font) and component
    // references. References also have SetObj, which takes nullptr and any
    // object of the right class (others are stored as nullptr).
    TPersistent* (*GetObj)(const TPersistent*, const TPropInfo&) = nullptr;
    void (*SetObj)(TPersistent*, const TPropInfo&, TPersistent*) = nullptr;
    void (*SetStr)(TPersistent*, const TPropInfo&, const std::string&) = nullptr;
    void (*SetEvent)(TPersistent*, const TPropInfo&, const TMethod&) = nullptr;
};

// An event handler of a form, found by name. Code points at a constant
// holding the handler's thunk (a TEvent<Args...>::TThunk for the Args that
// Signature names).
struct TMethodInfo {
    const char* Name;
    const void* Code;
    const std::type_info* Signature;
};

// A field of a form that refers to one of its components by name. Set is
// false (and the field unchanged) when the component is of another class.
struct TFieldInfo {
    const char* Name;
    bool (*Set)(TComponent* owner, TComponent* value);
};

struct TClassInfo {
    const char* Name = nullptr;
    const TClassInfo* Parent = nullptr;
    // The virtual constructor; nullptr for classes that are not components
    // or cannot be made on their own.
    TComponent* (*Create)(TComponent* owner) = nullptr;
    std::span<const TPropInfo> Properties;
    std::span<const TMethodInfo> Methods;
    std::span<const TFieldInfo> Fields;

    bool InheritsFrom(const TClassInfo* other) const;
};

// The information of TPersistent, the root of every described class.
extern const TClassInfo PersistentClassInfo;

// --- Look-ups ---------------------------------------------------------------

// ASCII letters folded; other bytes must match.
bool SameIdent(std::string_view a, std::string_view b);

// Searched in the class, then in each ancestor; nullptr when absent.
const TPropInfo* FindPublishedProperty(const TClassInfo* cls, std::string_view name);
const TMethodInfo* FindPublishedMethod(const TClassInfo* cls, std::string_view name);
const TFieldInfo* FindPublishedField(const TClassInfo* cls, std::string_view name);
// The ordinal of a value name, -1 when the enumeration lacks it.
std::int32_t EnumValueByName(const TEnumInfo* enumType, std::string_view name);
inline std::int32_t IdentToEnumValue(const TEnumInfo* enumType, std::string_view name) {
    return EnumValueByName(enumType, name);
}

std::int32_t GetOrdinalProperty(const TPersistent* instance, const TPropInfo& prop);
void SetOrdinalProperty(TPersistent* instance, const TPropInfo& prop, std::int32_t value);
TPersistent* GetObjectProperty(const TPersistent* instance, const TPropInfo& prop);
void SetObjectProperty(TPersistent* instance, const TPropInfo& prop, TPersistent* value);
void SetStringProperty(TPersistent* instance, const TPropInfo& prop, const std::string& value);
void SetMethodProperty(TPersistent* instance, const TPropInfo& prop, const TMethod& event);

// --- Builders ---------------------------------------------------------------

namespace ClassInfoDetail {

template <class M>
struct TMemberOf;
template <class C, class T>
struct TMemberOf<T C::*> {
    using Class = C;
    using Type = T;
};

template <class F>
struct TGetterOf;
template <class C, class T>
struct TGetterOf<T (C::*)() const> {
    using Class = C;
    using Type = std::remove_cvref_t<T>;
};
template <class C, class T>
struct TGetterOf<T (C::*)(std::int32_t) const> {
    using Class = C;
    using Type = std::remove_cvref_t<T>;
};

template <class T>
struct TIsEvent : std::false_type {};
template <class... Args>
struct TIsEvent<TEvent<Args...>> : std::true_type {
    static constexpr const std::type_info& Signature() { return typeid(void(Args...)); }
};

template <class T>
constexpr TOrdType OrdTypeOf() {
    using U = typename std::conditional_t<std::is_enum_v<T>, std::underlying_type<T>, std::type_identity<T>>::type;
    if constexpr (sizeof(U) == 1)
        return std::is_signed_v<U> ? TOrdType::otSByte : TOrdType::otUByte;
    else if constexpr (sizeof(U) == 2)
        return std::is_signed_v<U> ? TOrdType::otSWord : TOrdType::otUWord;
    else
        return std::is_signed_v<U> ? TOrdType::otSLong : TOrdType::otULong;
}

template <class T>
constexpr TPropKind KindOf() {
    if constexpr (std::is_same_v<T, bool> || std::is_enum_v<T>)
        return TPropKind::pkEnumeration;
    else if constexpr (std::is_same_v<T, char>)
        return TPropKind::pkChar;
    else if constexpr (std::is_integral_v<T>)
        return TPropKind::pkInteger;
    else if constexpr (std::is_same_v<T, std::string>)
        return TPropKind::pkString;
    else if constexpr (TIsEvent<T>::value)
        return TPropKind::pkMethod;
    else
        return TPropKind::pkClass;
}

template <class T>
constexpr const TClassInfo* ClassInfoOf() {
    if constexpr (requires { &T::ClassInfo; })
        return &T::ClassInfo;
    else
        return nullptr;
}

template <class C>
C* Self(TPersistent* p) {
    return static_cast<C*>(p);
}
template <class C>
const C* Self(const TPersistent* p) {
    return static_cast<const C*>(p);
}

// Field access.
template <auto F>
struct TFieldAccess {
    using C = typename TMemberOf<decltype(F)>::Class;
    using T = typename TMemberOf<decltype(F)>::Type;
    static std::int32_t GetOrd(const TPersistent* p, const TPropInfo&) {
        return static_cast<std::int32_t>(Self<C>(p)->*F);
    }
    static void SetOrd(TPersistent* p, const TPropInfo&, std::int32_t v) { Self<C>(p)->*F = static_cast<T>(v); }
    static void SetStr(TPersistent* p, const TPropInfo&, const std::string& v) { Self<C>(p)->*F = v; }
    static void SetEvent(TPersistent* p, const TPropInfo&, const TMethod& m) {
        T& e = Self<C>(p)->*F;
        e.Code = m.Code != nullptr ? *static_cast<const typename T::TThunk*>(m.Code) : nullptr;
        e.Data = m.Code != nullptr ? m.Data : nullptr;
    }
    // Component references: a pointer field to a class derived from TPersistent.
    static TPersistent* GetObj(const TPersistent* p, const TPropInfo&) { return Self<C>(p)->*F; }
    static void SetObj(TPersistent* p, const TPropInfo&, TPersistent* v) { Self<C>(p)->*F = dynamic_cast<T>(v); }
};

// Getter and setter access (optionally indexed).
template <auto G, auto S>
struct TMethodAccess {
    using C = typename TGetterOf<decltype(G)>::Class;
    using T = typename TGetterOf<decltype(G)>::Type;
    static constexpr bool Indexed = std::is_invocable_v<decltype(G), const C*, std::int32_t>;
    static T Get(const TPersistent* p, const TPropInfo& prop) {
        if constexpr (Indexed)
            return (Self<C>(p)->*G)(prop.Index);
        else
            return (Self<C>(p)->*G)();
    }
    static void Set(TPersistent* p, const TPropInfo& prop, const T& v) {
        if constexpr (Indexed)
            (Self<C>(p)->*S)(prop.Index, v);
        else
            (Self<C>(p)->*S)(v);
    }
    static std::int32_t GetOrd(const TPersistent* p, const TPropInfo& prop) {
        return static_cast<std::int32_t>(Get(p, prop));
    }
    static void SetOrd(TPersistent* p, const TPropInfo& prop, std::int32_t v) { Set(p, prop, static_cast<T>(v)); }
    static void SetStr(TPersistent* p, const TPropInfo& prop, const std::string& v) { Set(p, prop, v); }
};

template <auto G>
struct TObjectGetter {
    using C = typename TGetterOf<decltype(G)>::Class;
    static TPersistent* GetObj(const TPersistent* p, const TPropInfo&) { return (Self<C>(p)->*G)(); }
};

template <auto M>
struct TMethodThunk;
template <class C, class... Args, void (C::*M)(Args...)>
struct TMethodThunk<M> {
    static void Call(TPersistent* self, Args... args) { (static_cast<C*>(self)->*M)(args...); }
    static constexpr typename TEvent<Args...>::TThunk Holder = &Call;
    static constexpr const std::type_info& Signature() { return typeid(void(Args...)); }
};

template <auto F>
struct TFieldSetter {
    using C = typename TMemberOf<decltype(F)>::Class;
    using T = typename TMemberOf<decltype(F)>::Type;
    static bool Set(TComponent* owner, TComponent* value);
};

}  // namespace ClassInfoDetail

// A property kept in a field: integers, char, bool, std::string, events and
// component references (pointers); enumerations take their value names.
template <auto F>
constexpr TPropInfo Prop(const char* name, const TEnumInfo* values = nullptr) {
    using A = ClassInfoDetail::TFieldAccess<F>;
    using T = typename A::T;
    constexpr TPropKind kind = ClassInfoDetail::KindOf<T>();
    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    if constexpr (kind == TPropKind::pkString) {
        p.SetStr = &A::SetStr;
    } else if constexpr (kind == TPropKind::pkMethod) {
        p.EventSignature = &ClassInfoDetail::TIsEvent<T>::Signature();
        p.SetEvent = &A::SetEvent;
    } else if constexpr (kind == TPropKind::pkClass) {
        static_assert(std::is_pointer_v<T>, "a reference property is a pointer field");
        p.ObjectClass = ClassInfoDetail::ClassInfoOf<std::remove_pointer_t<T>>();
        p.GetObj = &A::GetObj;
        p.SetObj = &A::SetObj;
    } else {
        p.OrdType = ClassInfoDetail::OrdTypeOf<T>();
        p.Enum = std::is_same_v<T, bool> ? &BooleanEnumInfo : values;
        p.GetOrd = &A::GetOrd;
        p.SetOrd = &A::SetOrd;
    }
    return p;
}

// A set kept in an unsigned integer field, one bit for each element of the
// element enumeration.
template <auto F>
constexpr TPropInfo SetProp(const char* name, const TEnumInfo* elements) {
    using A = ClassInfoDetail::TFieldAccess<F>;
    static_assert(std::is_unsigned_v<typename A::T>, "a set is kept in an unsigned field");
    TPropInfo p;
    p.Name = name;
    p.Kind = TPropKind::pkSet;
    p.OrdType = ClassInfoDetail::OrdTypeOf<typename A::T>();
    p.Enum = elements;
    p.GetOrd = &A::GetOrd;
    p.SetOrd = &A::SetOrd;
    return p;
}

// A property read through a getter and written through a setter (integers,
// char, bool, enumerations, std::string). With index given, both take it
// first.
template <auto G, auto S>
constexpr TPropInfo Prop(const char* name, const TEnumInfo* values = nullptr, std::int32_t index = kNoPropIndex) {
    using A = ClassInfoDetail::TMethodAccess<G, S>;
    using T = typename A::T;
    constexpr TPropKind kind = ClassInfoDetail::KindOf<T>();
    static_assert(kind != TPropKind::pkMethod && kind != TPropKind::pkClass, "use Prop<&Field> or ObjectProp");
    TPropInfo p;
    p.Name = name;
    p.Kind = kind;
    p.Index = index;
    if constexpr (kind == TPropKind::pkString) {
        p.SetStr = &A::SetStr;
    } else {
        p.OrdType = ClassInfoDetail::OrdTypeOf<T>();
        p.Enum = std::is_same_v<T, bool> ? &BooleanEnumInfo : values;
        p.GetOrd = &A::GetOrd;
        p.SetOrd = &A::SetOrd;
    }
    return p;
}

// An object-valued property (a font, a string list) reached through its
// getter; form resources set the object's own properties ("Font.Style").
template <auto G>
constexpr TPropInfo ObjectProp(const char* name) {
    using T = typename ClassInfoDetail::TGetterOf<decltype(G)>::Type;
    static_assert(std::is_pointer_v<T>, "an object property's getter returns a pointer");
    TPropInfo p;
    p.Name = name;
    p.Kind = TPropKind::pkClass;
    p.ObjectClass = ClassInfoDetail::ClassInfoOf<std::remove_pointer_t<T>>();
    p.GetObj = &ClassInfoDetail::TObjectGetter<G>::GetObj;
    return p;
}

// An event handler of a form.
template <auto M>
constexpr TMethodInfo Method(const char* name) {
    return {name, &ClassInfoDetail::TMethodThunk<M>::Holder, &ClassInfoDetail::TMethodThunk<M>::Signature()};
}

// A form's field that refers to its component of the same name.
template <auto F>
constexpr TFieldInfo Field(const char* name) {
    return {name, &ClassInfoDetail::TFieldSetter<F>::Set};
}

// The virtual constructor of a component class.
template <class C>
TComponent* CreateComponent(TComponent* owner) {
    return new C(owner);
}

template <auto F>
bool ClassInfoDetail::TFieldSetter<F>::Set(TComponent* owner, TComponent* value) {
    static_assert(std::is_pointer_v<T>, "a component field is a pointer");
    T typed = dynamic_cast<T>(value);
    if (value != nullptr && typed == nullptr)
        return false;
    static_cast<C*>(owner)->*F = typed;
    return true;
}
