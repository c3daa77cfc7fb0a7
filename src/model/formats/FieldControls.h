#pragma once

#include <cstdint>
#include <type_traits>

#include "base/core/TMemory.h"
#include "model/formats/FormatStream.h"

// The one walk over the field start and end controls of a format stream.
// The field index, the undo steps of field marks and the document's field
// queries all find marks this way, so that they agree on where a mark
// stands: the character position of a mark is the number of characters
// (text bytes and controls that take a position) in front of it.

// A field boundary met by the walk.
struct TFieldControl {
    std::int32_t Offset = 0;  // of the control in the stream
    std::int32_t Pos = 0;     // character position, counted from the walk's first byte
    std::uint8_t Code = 0;    // fcFieldStart or fcFieldEnd
    std::int32_t Value = 0;   // the field's object handle
};

constexpr bool IsFieldBoundary(std::uint8_t code) {
    return code == fcFieldStart || code == fcFieldEnd;
}

// Calls visit(const TFieldControl&) for each field boundary in bytes
// [from, to) of stream, in stream order; from must not fall inside a
// control. A visit that returns bool ends the walk by answering true, and
// the walk then answers true; otherwise it answers false. A control cut off
// by the end of the stream ends the walk, as it ends every reader of
// streams.
template <class TVisit>
bool ForEachFieldControl(const TMemory& stream, std::int32_t from, std::int32_t to, TVisit&& visit) {
    constexpr bool canStop = std::is_same_v<std::invoke_result_t<TVisit&, const TFieldControl&>, bool>;
    TFieldControl control;
    TStreamElement e;
    for (std::int32_t off = from; off < to; off += e.Length) {
        ReadStreamElement(stream.Data, stream.Size, off, e);
        if (!e.IsControl) {
            control.Pos += e.Length;
            continue;
        }
        if (e.Truncated)
            break;
        if (ControlTakesPosition(e.Code)) {
            ++control.Pos;
            continue;
        }
        if (!IsFieldBoundary(e.Code))
            continue;
        control.Offset = off;
        control.Code = e.Code;
        control.Value = e.Value;
        if constexpr (canStop) {
            if (visit(static_cast<const TFieldControl&>(control)))
                return true;
        } else {
            visit(static_cast<const TFieldControl&>(control));
        }
    }
    return false;
}

// The whole stream of a paragraph.
template <class TVisit>
bool ForEachFieldControl(const TMemory& stream, TVisit&& visit) {
    return ForEachFieldControl(stream, 0, stream.Size, visit);
}

// The offset of the boundary of the code and handle in bytes [from, to),
// or -1.
std::int32_t FindFieldControl(const TMemory& stream,
                              std::int32_t from,
                              std::int32_t to,
                              std::uint8_t code,
                              std::int32_t handle);
