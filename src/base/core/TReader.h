#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ByteReader.h"

class TComponent;
class TList;
class TPersistent;
class TStream;
struct TClassInfo;
struct TEnumInfo;
struct TMethod;
struct TPropInfo;

// Value types of the form-resource format.
enum : std::uint8_t {
    vaNull = 0,  // end of a list
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
};

// Reads form resources: "TPF0", then one component record (optional flags
// byte, class name, component name, properties up to a 0 byte, child
// records up to a 0 byte), integers little-endian, short strings as a
// length byte and the bytes. It accepts the value types above and the
// property kinds of base/core/TClassInfo.h, binds events and component
// references by name, and leaves every other property as the component's
// constructor made it.
//
// A resource that ends early, holds a value type the format does not have,
// names a class that is not registered or nests deeper than any form does
// is damaged: the reader stops there (every read after the fault sees the
// end of all lists, so nothing more is built), remembers the first fault
// and its byte offset, and resolves no component references.
class TReader {
public:
    // The buffer the reader fills from the stream when none is asked for.
    static constexpr std::int32_t kDefaultBufferSize = 4096;

    TReader(TStream& stream, std::int32_t bufferSize);
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;
    // Resolves the component references (unless reading failed) and leaves
    // the stream right after the bytes the reader used.
    ~TReader();

    // Reads a whole form into root, or into a new object of the resource's
    // class when root is nullptr. Returns the root (nullptr when reading
    // failed and the reader made the root itself: it is destroyed).
    TComponent* ReadForm(TComponent* root);

    // The first fault: its reason and the offset, from the start of the
    // resource, of the first byte that could not be accepted (the type byte
    // of an unknown value, the length of a string too long, the name of an
    // unregistered class, the end of a resource cut short).
    const TReadResult& ReadResult() const { return Result; }
    bool Failed() const { return !Result.Good; }
    const std::string& ErrorText() const { return Result.Reason; }
    std::int64_t ErrorOffset() const { return static_cast<std::int64_t>(Result.Offset); }

    // Lower-level reading. After a fault, reads give zeros and empty text.
    bool ReadBytes(void* dest, std::int32_t count);
    std::uint8_t ReadValueType();
    std::uint8_t PeekValueType();
    bool AtListEnd();
    // Reads a type byte; when it is not type, steps back and skips the value
    // found there instead. True when the type matched.
    bool ExpectValueType(std::uint8_t type);
    std::string ReadShortString();
    std::uint8_t ReadFlags();
    // Types 2, 3 and 4, sign-extended. Any other value is skipped and gives
    // false.
    bool ReadInteger(std::int32_t& value);
    // A one-character string; false (the value skipped) otherwise.
    bool ReadChar(char& c);
    // An identifier; false, true and nil read as "false", "true" and "nil".
    // Any other value is skipped and gives false.
    bool ReadIdentifier(std::string& ident);
    // A string of type 6 or 12; any other value is skipped and gives false.
    bool ReadText(std::string& text);
    // A set: the names up to an empty one, each element of enumType whose
    // ordinal lies in 0..31 setting its bit.
    bool ReadSetValue(const TEnumInfo* enumType, std::uint32_t& bits);
    void SkipValue();
    void ReadOneProperty(TComponent* instance);
    void SetPropertyValue(TPersistent* instance, const TPropInfo& prop);
    void ReadChild();
    void ReadComponentData(TComponent* instance);
    // The root's published handler of that name, as an event on the root.
    TMethod FindHandler(std::string_view name) const;

    // For ReadExtraProperty: when name is the property being read (ASCII case
    // ignored), handler reads its value and the property counts as consumed.
    static void OfferProperty(TReader& reader,
                              std::string_view name,
                              void (*handler)(TPersistent&, TReader&),
                              TPersistent& instance);

    // Where the reader stands, from the start of the resource.
    std::int64_t Offset() const { return Consumed; }

    // The name of the property being read (the last part of its path);
    // emptied once a ReadExtraProperty has consumed its value.
    std::string PropertyName;
    TComponent* Root = nullptr;
    TComponent* Owner = nullptr;
    TComponent* Parent = nullptr;

private:
    struct TFixup;

    void Fail(const std::string& message, std::int64_t offset);
    void Fail(const std::string& message);
    bool Fill();
    void StepBack();
    // After a value type the caller does not take: steps back over it and
    // skips the whole value, unless the data has already failed.
    void SkipRejectedValue();
    bool SkipBytes(std::int64_t count);
    std::int64_t BytesLeft() const;
    void SkipComponentData();
    // start: where the component or list that would nest begins.
    bool EnterNesting(std::int64_t start);
    void LeaveNesting() { --Depth; }

    TStream& Stream;
    std::uint8_t* Buffer = nullptr;
    std::int32_t BufferSize = 0;
    std::int32_t BufferPosition = 0;
    std::int32_t BufferEnd = 0;
    std::int64_t StreamLeft = 0;  // bytes in the stream after the buffer
    std::int64_t Consumed = 0;
    TList* Fixups = nullptr;
    TList* Loaded = nullptr;
    std::int32_t Depth = 0;
    int UncaughtAtStart = 0;
    TReadResult Result;
};

// Reads one form resource from the stream into instance (nullptr: a new
// object of the resource's class) and returns the root. A damaged resource
// is reported to the user, naming it by what, and raises EAbort.
TComponent* ReadComponentResource(TStream& stream, TComponent* instance, std::string_view what);
// Reads one form resource from the stream into instance and returns the
// root; a damaged resource is reported and raises EAbort.
TComponent* ReadComponentState(TStream& stream, TComponent* instance);

// Reads into instance the form resources of its class and of its ancestors
// below stopClass (and below TComponent), the oldest first, then finishes
// loading every component read, in reading order. False when no class in
// the chain has a resource. A damaged resource is reported to the user and
// raises EAbort.
bool LoadFormResources(TComponent* instance, const TClassInfo* stopClass);
// The same for a form that cannot do without its layout: a missing resource
// is reported and raises EAbort too.
void RequireFormResources(TComponent* instance, const TClassInfo* stopClass);
