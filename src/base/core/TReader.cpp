#include "base/core/TReader.h"

#include <cstring>
#include <exception>

#include "base/core/ClassRegistry.h"
#include "base/core/Errors.h"
#include "base/core/TClassInfo.h"
#include "base/core/TComponent.h"
#include "base/core/TList.h"
#include "base/core/TResourceStream.h"
#include "base/core/TStream.h"
#include "platform/ByteReader.h"
#include "platform/Heap.h"

// The form resources of the program are compiled from text (buildtools/
// formc.cpp) into the binary layout described in TReader.h, which is the one
// the classic form streaming of Windows class libraries used for its "TPF0"
// resources.

struct TReader::TFixup {
    TPersistent* Instance;
    const TPropInfo* Property;
    std::string Name;
};

namespace {

// Deeper than any form nests its components or lists.
constexpr std::int32_t kMaxDepth = 64;

// The four bytes every form resource starts with.
constexpr char kSignature[4] = {'T', 'P', 'F', '0'};

// The loading list of the LoadFormResources call in progress, so that a form
// built while another is being read keeps its own list.
TList* g_loadingList = nullptr;

template <class F>
struct TScopeExit {
    F Run;
    ~TScopeExit() { Run(); }
};
template <class F>
TScopeExit(F) -> TScopeExit<F>;

}  // namespace

TReader::TReader(TStream& stream, std::int32_t bufferSize)
    : Stream(stream),
      BufferSize(bufferSize > 0 ? bufferSize : kDefaultBufferSize),
      UncaughtAtStart(std::uncaught_exceptions()) {
    Buffer = static_cast<std::uint8_t*>(Platform::HeapAlloc(static_cast<std::size_t>(BufferSize)));
    const std::int64_t position = Stream.Position();
    const std::int64_t size = Stream.Size();
    StreamLeft = size > position ? size - position : 0;
}

TReader::~TReader() {
    if (Fixups != nullptr) {
        // References are resolved only for a form that was read whole.
        const bool resolve = !Failed() && Root != nullptr && std::uncaught_exceptions() == UncaughtAtStart;
        for (std::int32_t i = Fixups->Count - 1; i >= 0; --i) {
            auto* fixup = Fixups->At<TFixup>(i);
            if (resolve)
                SetObjectProperty(fixup->Instance, *fixup->Property, Root->FindComponent(fixup->Name));
            delete fixup;
        }
        TList::Release(Fixups);
    }
    if (BufferEnd > BufferPosition)
        Stream.Seek(-static_cast<std::int64_t>(BufferEnd - BufferPosition), soFromCurrent);
    Platform::HeapFree(Buffer);
}

void TReader::Fail(const std::string& message, std::int64_t offset) {
    if (Result.Good)
        Result = TReadResult::Failure(message, static_cast<std::uint64_t>(offset));
}

void TReader::Fail(const std::string& message) {
    Fail(message, Consumed);
}

bool TReader::Fill() {
    if (StreamLeft <= 0)
        return false;
    const std::int32_t n = Stream.Read(Buffer, BufferSize);
    BufferPosition = 0;
    BufferEnd = n > 0 ? n : 0;
    StreamLeft -= BufferEnd;
    return BufferEnd > 0;
}

bool TReader::ReadBytes(void* dest, std::int32_t count) {
    auto* out = static_cast<std::uint8_t*>(dest);
    if (Failed()) {
        std::memset(out, 0, static_cast<std::size_t>(count));
        return false;
    }
    while (count > 0) {
        if (BufferPosition == BufferEnd && !Fill()) {
            // The resource ends in the middle of a value: damaged, never a
            // reason to wait for more data.
            Fail("the resource ends early");
            std::memset(out, 0, static_cast<std::size_t>(count));
            return false;
        }
        const std::int32_t n = std::min(count, BufferEnd - BufferPosition);
        std::memcpy(out, Buffer + BufferPosition, static_cast<std::size_t>(n));
        BufferPosition += n;
        Consumed += n;
        out += n;
        count -= n;
    }
    return true;
}

void TReader::StepBack() {
    if (BufferPosition > 0) {
        --BufferPosition;
        --Consumed;
    }
}

std::int64_t TReader::BytesLeft() const {
    return (BufferEnd - BufferPosition) + StreamLeft;
}

bool TReader::SkipBytes(std::int64_t count) {
    if (count < 0 || count > BytesLeft()) {
        Fail("the resource ends early");
        return false;
    }
    std::uint8_t scratch[256];
    while (count > 0 && !Failed()) {
        const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(count, sizeof scratch));
        ReadBytes(scratch, n);
        count -= n;
    }
    return !Failed();
}

bool TReader::EnterNesting(std::int64_t start) {
    if (Depth >= kMaxDepth) {
        Fail("components or lists nest too deeply", start);
        return false;
    }
    ++Depth;
    return true;
}

std::uint8_t TReader::ReadValueType() {
    std::uint8_t t = 0;
    ReadBytes(&t, 1);
    return t;
}

std::uint8_t TReader::PeekValueType() {
    const std::uint8_t t = ReadValueType();
    if (!Failed())
        StepBack();
    return t;
}

bool TReader::AtListEnd() {
    return PeekValueType() == vaNull;
}

bool TReader::ExpectValueType(std::uint8_t type) {
    if (ReadValueType() == type)
        return true;
    SkipRejectedValue();
    return false;
}

void TReader::SkipRejectedValue() {
    if (Failed())
        return;
    StepBack();
    SkipValue();
}

std::string TReader::ReadShortString() {
    std::uint8_t length = 0;
    ReadBytes(&length, 1);
    std::string s(length, '\0');
    if (length > 0)
        ReadBytes(s.data(), length);
    return Failed() ? std::string() : s;
}

std::uint8_t TReader::ReadFlags() {
    std::uint8_t flags = 0;
    const std::uint8_t b = PeekValueType();
    if (b >= 0xF0) {
        ReadValueType();
        flags = b & 0x0F;
        if (flags & 2) {
            std::int32_t ignored;
            ReadInteger(ignored);  // the child's position, not used here
        }
    }
    return flags;
}

bool TReader::ReadInteger(std::int32_t& value) {
    std::uint8_t bytes[4];
    switch (ReadValueType()) {
        case vaInt8:
            ReadBytes(bytes, 1);
            value = static_cast<std::int8_t>(bytes[0]);
            break;
        case vaInt16:
            ReadBytes(bytes, 2);
            value = static_cast<std::int16_t>(LoadU16LE(bytes));
            break;
        case vaInt32:
            ReadBytes(bytes, 4);
            value = static_cast<std::int32_t>(LoadU32LE(bytes));
            break;
        default:
            SkipRejectedValue();
            return false;
    }
    return !Failed();
}

bool TReader::ReadChar(char& c) {
    if (!ExpectValueType(vaString))
        return false;
    std::uint8_t length = 0;
    ReadBytes(&length, 1);
    if (length != 1) {
        SkipBytes(length);
        return false;
    }
    ReadBytes(&c, 1);
    return !Failed();
}

bool TReader::ReadIdentifier(std::string& ident) {
    switch (ReadValueType()) {
        case vaIdent:
            ident = ReadShortString();
            break;
        case vaFalse:
            ident = "false";
            break;
        case vaTrue:
            ident = "true";
            break;
        case vaNil:
            ident = "nil";
            break;
        default:
            SkipRejectedValue();
            return false;
    }
    return !Failed();
}

bool TReader::ReadText(std::string& text) {
    switch (ReadValueType()) {
        case vaString:
            text = ReadShortString();
            break;
        case vaLString: {
            const std::int64_t lengthAt = Consumed;
            std::uint8_t bytes[4];
            ReadBytes(bytes, 4);
            const auto length = static_cast<std::int32_t>(LoadU32LE(bytes));
            if (length < 0 || length > BytesLeft()) {
                Fail("a string is longer than the resource", lengthAt);
                return false;
            }
            text.assign(static_cast<std::size_t>(length), '\0');
            if (length > 0)
                ReadBytes(text.data(), length);
            break;
        }
        default:
            SkipRejectedValue();
            return false;
    }
    return !Failed();
}

bool TReader::ReadSetValue(const TEnumInfo* enumType, std::uint32_t& bits) {
    if (ReadValueType() != vaSet) {
        SkipRejectedValue();
        return false;
    }
    bits = 0;
    for (;;) {
        const std::string name = ReadShortString();
        if (name.empty() || Failed())
            break;
        const std::int32_t ordinal = EnumValueByName(enumType, name);
        if (ordinal >= 0 && ordinal <= 31)
            bits |= 1u << ordinal;
    }
    return !Failed();
}

void TReader::SkipValue() {
    const std::int64_t typeAt = Consumed;
    const std::uint8_t type = ReadValueType() & 0x7F;
    if (Failed())
        return;
    switch (type) {
        case vaNull:
        case vaFalse:
        case vaTrue:
        case vaNil:
            break;
        case vaList:
            if (!EnterNesting(typeAt))
                return;
            while (!AtListEnd())
                SkipValue();
            ExpectValueType(vaNull);
            LeaveNesting();
            break;
        case vaInt8:
            SkipBytes(1);
            break;
        case vaInt16:
            SkipBytes(2);
            break;
        case vaInt32:
            SkipBytes(4);
            break;
        case vaExtended:
            SkipBytes(10);
            break;
        case vaString:
        case vaIdent:
            ReadShortString();
            break;
        case vaBinary:
        case vaLString: {
            std::uint8_t bytes[4];
            ReadBytes(bytes, 4);
            const auto length = static_cast<std::int32_t>(LoadU32LE(bytes));
            if (!Failed())
                SkipBytes(length);
            break;
        }
        case vaSet:
            while (!Failed() && !ReadShortString().empty()) {
            }
            break;
        default:
            Fail("unknown value type " + std::to_string(type), typeAt);
            break;
    }
}

void TReader::ReadOneProperty(TComponent* instance) {
    const std::string path = ReadShortString();
    if (Failed())
        return;
    TPersistent* object = instance;
    const TClassInfo* cls = instance->ClassType();
    std::size_t start = 0;
    for (std::size_t dot = path.find('.'); dot != std::string::npos; dot = path.find('.', start)) {
        const std::string_view part(path.data() + start, dot - start);
        start = dot + 1;
        const TPropInfo* prop = FindPublishedProperty(cls, part);
        TPersistent* inner =
            prop != nullptr && prop->Kind == TPropKind::pkClass ? GetObjectProperty(object, *prop) : nullptr;
        if (inner == nullptr) {
            // Not an object the class has: nothing to set, the value is skipped.
            object = nullptr;
            break;
        }
        const auto* component = dynamic_cast<const TComponent*>(inner);
        cls = component != nullptr ? component->ClassType() : prop->ObjectClass;
        object = inner;
    }
    if (object == nullptr) {
        PropertyName.clear();
        SkipValue();
        return;
    }
    PropertyName = path.substr(start);
    if (const TPropInfo* prop = FindPublishedProperty(cls, PropertyName)) {
        SetPropertyValue(object, *prop);
        return;
    }
    object->ReadExtraProperty(*this);
    if (!PropertyName.empty())
        SkipValue();
}

void TReader::SetPropertyValue(TPersistent* instance, const TPropInfo& prop) {
    switch (prop.Kind) {
        case TPropKind::pkInteger: {
            std::int32_t value;
            if (PeekValueType() == vaIdent)
                SkipValue();  // a symbolic value: the property keeps its own
            else if (ReadInteger(value))
                SetOrdinalProperty(instance, prop, value);
            break;
        }
        case TPropKind::pkChar: {
            char c;
            if (ReadChar(c))
                SetOrdinalProperty(instance, prop, static_cast<std::uint8_t>(c));
            break;
        }
        case TPropKind::pkEnumeration: {
            std::string ident;
            // A name the enumeration lacks leaves the property as it is: an
            // ordinal of -1 is no value of the type.
            if (ReadIdentifier(ident)) {
                const std::int32_t ordinal = EnumValueByName(prop.Enum, ident);
                if (ordinal >= 0)
                    SetOrdinalProperty(instance, prop, ordinal);
            }
            break;
        }
        case TPropKind::pkSet: {
            std::uint32_t bits;
            if (ReadSetValue(prop.Enum, bits))
                SetOrdinalProperty(instance, prop, static_cast<std::int32_t>(bits));
            break;
        }
        case TPropKind::pkClass: {
            std::string name;
            if (prop.SetObj == nullptr) {
                SkipValue();  // an object of its own, not a reference
            } else if (PeekValueType() == vaNil) {
                ReadValueType();
                SetObjectProperty(instance, prop, nullptr);
            } else if (ReadIdentifier(name)) {
                // Resolved when the whole form is read, so that a component
                // declared further down can be named.
                if (Fixups == nullptr)
                    Fixups = TList::Acquire();
                Fixups->Add(new TFixup{instance, &prop, name});
            }
            break;
        }
        case TPropKind::pkMethod: {
            std::string name;
            if (PeekValueType() == vaNil) {
                ReadValueType();
                SetMethodProperty(instance, prop, TMethod{});
            } else if (ReadIdentifier(name)) {
                const TMethod handler = FindHandler(name);
                if (handler.Code != nullptr)
                    SetMethodProperty(instance, prop, handler);
            }
            break;
        }
        case TPropKind::pkString: {
            std::string text;
            if (ReadText(text))
                SetStringProperty(instance, prop, text);
            break;
        }
    }
}

void TReader::ReadChild() {
    if (!EnterNesting(Consumed))
        return;
    const std::uint8_t flags = ReadFlags();
    const std::int64_t classAt = Consumed;
    const std::string className = ReadShortString();
    const std::string name = ReadShortString();
    if (Failed()) {
        LeaveNesting();
        return;
    }
    TComponent* component = nullptr;
    const bool inherited = (flags & 1) != 0;
    if (inherited) {
        component = Root->FindComponent(name);
    } else {
        const TClassInfo* cls = FindRegisteredClass(className);
        if (cls == nullptr || cls->Create == nullptr) {
            Fail("the class \"" + className + "\" is not registered as a component class", classAt);
            LeaveNesting();
            return;
        }
        component = cls->Create(Owner);
        component->ComponentState |= csLoading;
    }
    if (component != nullptr) {
        component->ComponentState |= csLoading;
        if (!inherited) {
            component->AttachToParentComponent(Parent);
            component->SetName(name);
        }
        component->ComponentState |= csReading;
        component->ReadFromReader(*this);
        component->ComponentState &= static_cast<std::uint8_t>(~csReading);
        if (!Loaded->Contains(component))
            Loaded->Add(component);
    } else {
        // An inherited component the form lacks: its data is passed over so
        // that the rest of the resource still reads in step.
        SkipComponentData();
    }
    LeaveNesting();
}

void TReader::SkipComponentData() {
    while (!AtListEnd()) {
        ReadShortString();
        SkipValue();
    }
    ExpectValueType(vaNull);
    while (!AtListEnd()) {
        if (!EnterNesting(Consumed))
            return;
        ReadFlags();
        ReadShortString();
        ReadShortString();
        SkipComponentData();
        LeaveNesting();
    }
    ExpectValueType(vaNull);
}

void TReader::ReadComponentData(TComponent* instance) {
    while (!AtListEnd())
        ReadOneProperty(instance);
    ExpectValueType(vaNull);
    TComponent* savedOwner = Owner;
    TComponent* savedParent = Parent;
    Parent = instance;
    Owner = Root;
    while (!AtListEnd())
        ReadChild();
    ExpectValueType(vaNull);
    Owner = savedOwner;
    Parent = savedParent;
}

TMethod TReader::FindHandler(std::string_view name) const {
    TMethod handler;
    if (Root == nullptr)
        return handler;
    if (const TMethodInfo* method = FindPublishedMethod(Root->ClassType(), name)) {
        handler.Code = method->Code;
        handler.Data = Root;
        handler.Signature = method->Signature;
    }
    return handler;
}

void TReader::OfferProperty(TReader& reader,
                            std::string_view name,
                            void (*handler)(TPersistent&, TReader&),
                            TPersistent& instance) {
    if (handler == nullptr || !SameIdent(reader.PropertyName, name))
        return;
    handler(instance, reader);
    reader.PropertyName.clear();
}

TComponent* TReader::ReadForm(TComponent* root) {
    const std::int64_t signatureAt = Consumed;
    char signature[sizeof kSignature];
    ReadBytes(signature, sizeof signature);
    if (!Failed() && std::memcmp(signature, kSignature, sizeof kSignature) != 0)
        Fail("it does not start with \"TPF0\"", signatureAt);
    ReadFlags();
    const std::int64_t classAt = Consumed;
    const std::string className = ReadShortString();
    bool made = false;
    if (!Failed() && root == nullptr) {
        const TClassInfo* cls = FindRegisteredClass(className);
        if (cls == nullptr || cls->Create == nullptr) {
            Fail("the class \"" + className + "\" is not registered as a component class", classAt);
        } else {
            root = cls->Create(nullptr);
            made = true;
        }
    }
    const std::string name = ReadShortString();
    if (Failed()) {
        if (made)
            delete root;
        return made ? nullptr : root;
    }
    root->SetName(name);
    Root = root;
    const bool ownList = g_loadingList == nullptr;
    Loaded = ownList ? TList::Acquire() : g_loadingList;
    // A form read from several resources (its base classes' and its own) is
    // finished once, as is each inherited component.
    if (!Loaded->Contains(root))
        Loaded->Add(root);
    Owner = root;
    {
        TScopeExit release{[&] {
            if (ownList) {
                TList::Release(Loaded);
                Loaded = nullptr;
            }
        }};
        root->ComponentState |= csLoading | csReading;
        root->ReadFromReader(*this);
        root->ComponentState &= static_cast<std::uint8_t>(~csReading);
        if (ownList && !Failed())
            for (std::int32_t i = 0; i < Loaded->Count; ++i)
                Loaded->At<TComponent>(i)->FinishLoading();
    }
    if (Failed() && made) {
        delete root;
        Root = nullptr;
        return nullptr;
    }
    return root;
}

TComponent* ReadComponentResource(TStream& stream, TComponent* instance, std::string_view what) {
    TReadResult result;
    {
        TReader reader(stream, TReader::kDefaultBufferSize);
        TComponent* root = reader.ReadForm(instance);
        if (!reader.Failed())
            return root;
        result = reader.ReadResult();
    }
    std::string message =
        what.empty() ? std::string("A form resource") : "The form resource \"" + std::string(what) + "\"";
    message += " is damaged: " + result.Reason + " (at byte " + std::to_string(result.Offset) + ").";
    ReportError(message);
    Abort();
}

namespace {

bool ReadInheritedFormResources(TComponent* instance, const TClassInfo* cls, const TClassInfo* stopClass) {
    if (cls == nullptr || cls == &TComponent::ClassInfo || cls == &PersistentClassInfo || cls == stopClass)
        return false;
    bool found = ReadInheritedFormResources(instance, cls->Parent, stopClass);
    TResourceStream stream(cls->Name, "FORM");
    if (stream.Found) {
        ReadComponentResource(stream, instance, cls->Name);
        found = true;
    }
    return found;
}

}  // namespace

bool LoadFormResources(TComponent* instance, const TClassInfo* stopClass) {
    TList* saved = g_loadingList;
    TList* loading = TList::Acquire();
    g_loadingList = loading;
    TScopeExit restore{[&] {
        g_loadingList = saved;
        TList::Release(loading);
    }};
    const bool found = ReadInheritedFormResources(instance, instance->ClassType(), stopClass);
    for (std::int32_t i = 0; i < loading->Count; ++i)
        loading->At<TComponent>(i)->FinishLoading();
    return found;
}

void RequireFormResources(TComponent* instance, const TClassInfo* stopClass) {
    if (!LoadFormResources(instance, stopClass)) {
        ReportErrorFmt("The form resource of \"%s\" is missing.", instance->ClassType()->Name);
        Abort();
    }
}

TComponent* ReadComponentState(TStream& stream, TComponent* instance) {
    return ReadComponentResource(stream, instance, "");
}
