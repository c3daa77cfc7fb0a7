#include "model/undo/TFormatFontOperation.h"

#include <algorithm>
#include <cstring>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/host/FontQueries.h"
#include "model/paragraphs/TPar.h"

namespace {

std::int32_t ReadInt(const std::uint8_t* p) {
    std::int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The stretch of a paragraph's stream for characters first .. last - 1
// (last -1: to the stream's end).
void StretchOf(const TPar& par, std::int32_t first, std::int32_t last, std::int32_t& from, std::int32_t& to) {
    TCharLocation location;
    LocateChar(par.Stream, first, location);
    from = location.RunStart;
    if (last < 0) {
        to = par.Stream.Size;
    } else {
        LocateChar(par.Stream, last, location);
        to = location.CharOffset;
    }
}

// The new stretch: the changed attributes' controls dropped (fonts switched
// to the new face), the new values in front of the first character and,
// when text follows, the old values restored at the end.
void Rewrite(const std::uint8_t* data,
             std::int32_t size,
             TCharFormat original,
             const TCharFormat& values,
             bool restore,
             TMemory& out,
             TCharFormat& after) {
    const bool fontSet = values[caFont] != UnsetValue;
    bool started = false;
    TStreamElement e;
    for (std::int32_t off = 0; off < size; off += e.Length) {
        ReadStreamElement(data, size, off, e);
        if (e.IsControl && !e.Truncated && e.Code <= fcLastCharAttr) {
            original[e.Code] = e.Value;
            if (values[e.Code] == UnsetValue)
                out.AppendBuffer(data + off, e.Length);
            else if (e.Code == caFont && started)
                AppendFormatControl(out, caFont, DocFontInCharset(values[caFont], DocFontCharset(e.Value)));
            continue;
        }
        const bool isChar = !e.IsControl || (!e.Truncated && ControlTakesPosition(e.Code));
        if (isChar && !started) {
            started = true;
            for (int a = 0; a < CharAttrCount; ++a) {
                if (values[a] == UnsetValue)
                    continue;
                const std::int32_t v = a == caFont && fontSet
                                           ? DocFontInCharset(values[caFont], DocFontCharset(original[caFont]))
                                           : values[a];
                AppendFormatControl(out, static_cast<std::uint8_t>(a), v);
            }
        }
        out.AppendBuffer(data + off, e.Length);
    }
    after = original;
    if (restore)
        for (int a = 0; a < CharAttrCount; ++a)
            if (values[a] != UnsetValue)
                AppendFormatControl(out, static_cast<std::uint8_t>(a), original[a]);
}

}  // namespace

TFormatFontOperation::TFormatFontOperation(TDoc* doc, const TFragment& range, const TCharFormat& values)
    : TSubOperation(doc),
      StartPar(range.Start.Par),
      StartOffset(range.Start.Offset),
      EndPar(range.End.Par),
      EndOffset(range.End.Offset),
      NewValues(values),
      ValuesAfter(UnsetCharFormat) {}

void TFormatFontOperation::Redo() {
    if (Done != 0) {
        Swap();
        return;
    }
    Done = 1;
    TDoc& doc = *Doc;
    const std::int32_t last = std::min(EndPar, doc.ParCount() - 1);
    for (std::int32_t p = std::max(StartPar, 0); p <= last; ++p) {
        TPar* par = doc.Par(p);
        const std::int32_t first = p == StartPar ? std::clamp(StartOffset, 0, par->CharCount()) : 0;
        std::int32_t end = p == EndPar ? std::clamp(EndOffset, first, par->CharCount()) : par->CharCount();
        if (first >= end)
            continue;
        // A range that runs to the paragraph's end takes the stream's tail.
        const bool toEnd = end >= par->CharCount();
        std::int32_t from, to;
        StretchOf(*par, first, toEnd ? -1 : end, from, to);
        TCharFormat running;
        FormatAtOffset(par->Stream, from, running);
        TMemory fresh;
        Rewrite(par->Stream.Data + from, to - from, running, NewValues, !toEnd, fresh, ValuesAfter);
        Changes.AppendInt(p);
        Changes.AppendInt(first);
        Changes.AppendInt(toEnd ? -1 : end);
        Changes.AppendInt(to - from);
        Changes.AppendBuffer(par->Stream.Data + from, to - from);
        par->Stream.DeleteRange(from, to - from);
        par->Stream.InsertBuffer(fresh.Data, from, fresh.Size);
        par->Changed();
    }
    Finish();
}

void TFormatFontOperation::Undo() {
    Swap();
}

void TFormatFontOperation::Swap() {
    TDoc& doc = *Doc;
    TMemory swapped;
    std::int32_t off = 0;
    while (off + 16 <= Changes.Size) {
        const std::int32_t p = ReadInt(Changes.Data + off);
        const std::int32_t first = ReadInt(Changes.Data + off + 4);
        const std::int32_t end = ReadInt(Changes.Data + off + 8);
        const std::int32_t length = ReadInt(Changes.Data + off + 12);
        const std::uint8_t* stored = Changes.Data + off + 16;
        off += 16 + length;
        TPar* par = doc.Par(p);
        std::int32_t from, to;
        StretchOf(*par, first, end, from, to);
        swapped.AppendInt(p);
        swapped.AppendInt(first);
        swapped.AppendInt(end);
        swapped.AppendInt(to - from);
        swapped.AppendBuffer(par->Stream.Data + from, to - from);
        par->Stream.DeleteRange(from, to - from);
        par->Stream.InsertBuffer(stored, from, length);
        par->Changed();
    }
    SwapMemory(Changes, swapped);
    Finish();
}

void TFormatFontOperation::Finish() {
    TDoc& doc = *Doc;
    if (StartPar >= 0 && StartPar < doc.ParCount())
        doc.NoteParChanged(StartPar);
    doc.StateFlags[sfListsStale] = 1;
    doc.StateFlags[sfContentChanged] = 1;
}
