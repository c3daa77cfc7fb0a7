#include "model/undo/TSortParsOperation.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "model/document/StateFlags.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/paragraphs/TPar.h"
#include "platform/Collation.h"

namespace {

// The system's default locale.
constexpr std::uint32_t SystemDefaultLocale = 0x800;

std::string_view TextOf(const TPar& par) {
    // The paragraph's end character takes no part in its text.
    const std::int32_t n = par.CharCount() > 0 ? par.CharCount() - 1 : 0;
    return {reinterpret_cast<const char*>(par.Chars.Data), static_cast<std::size_t>(n)};
}

bool EndsWithCellEnd(const TPar& par) {
    return par.CharCount() > 0 && par.Chars.Data[par.CharCount() - 1] == chCellEnd;
}

}  // namespace

int CompareParagraphText(const TPar& a, const TPar& b) {
    const std::string_view ta = TextOf(a), tb = TextOf(b);
    const int c = Platform::CompareBytesInLocale(SystemDefaultLocale, 0, ta, tb);
    if (c != 0)
        return c < 0 ? -1 : 1;
    // Texts the locale finds equal: the shorter one first.
    if (ta.size() != tb.size())
        return ta.size() < tb.size() ? -1 : 1;
    return 0;
}

bool TSortParsOperation::HasDuplicates() const {
    for (std::int32_t p = First + 1; p <= Last; ++p)
        if (TextOf(*Doc->Par(p)) == TextOf(*Doc->Par(p - 1)))
            return true;
    return false;
}

void TSortParsOperation::Exchange(std::int32_t i, std::int32_t j) {
    TDoc& doc = *Doc;
    TPar* a = doc.Par(i);
    TPar* b = doc.Par(j);
    if (EndsWithCellEnd(*a) || EndsWithCellEnd(*b)) {
        // Cell ends stay in their cells: the paragraphs change places, their
        // end characters and end controls do not.
        std::swap(a->Chars.Data[a->CharCount() - 1], b->Chars.Data[b->CharCount() - 1]);
        TCharLocation la, lb;
        LocateChar(a->Stream, a->CharCount() - 1, la);
        LocateChar(b->Stream, b->CharCount() - 1, lb);
        if (la.CharOffset + 7 <= a->Stream.Size && lb.CharOffset + 7 <= b->Stream.Size &&
            a->Stream.Data[la.CharOffset] == 0 && b->Stream.Data[lb.CharOffset] == 0) {
            std::uint8_t t[7];
            std::memcpy(t, a->Stream.Data + la.CharOffset, 7);
            std::memcpy(a->Stream.Data + la.CharOffset, b->Stream.Data + lb.CharOffset, 7);
            std::memcpy(b->Stream.Data + lb.CharOffset, t, 7);
        }
        a->Changed();
        b->Changed();
    }
    doc.Pars.Exchange(i, j);
    a->Index = j;
    b->Index = i;
}

void TSortParsOperation::Undo() {
    TDoc& doc = *Doc;
    if (Done == 0) {
        Done = 1;
        if (First < Last) {
            const int sign = Descending != 0 ? -1 : 1;
            QuickSortByIndex(
                First, Last,
                [this](std::int32_t i, std::int32_t j) {
                    Exchange(i, j);
                    Log.Add(reinterpret_cast<void*>(static_cast<std::intptr_t>(i)));
                    Log.Add(reinterpret_cast<void*>(static_cast<std::intptr_t>(j)));
                },
                [&doc, sign](std::int32_t i, std::int32_t j) {
                    return sign * CompareParagraphText(*doc.Par(i), *doc.Par(j));
                });
        }
    } else {
        for (std::int32_t k = 0; k + 1 < Log.Count; k += 2)
            Exchange(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(Log.Item(k))),
                     static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(Log.Item(k + 1))));
    }
    // Replaying the exchanges backwards takes the sort back.
    for (std::int32_t lo = 0, hi = Log.Count - 2; lo < hi; lo += 2, hi -= 2) {
        Log.Exchange(lo, hi);
        Log.Exchange(lo + 1, hi + 1);
    }
    for (std::int32_t p = First; p <= Last && p < doc.ParCount(); ++p)
        doc.Par(p)->FreeLines();
    if (First < doc.ParCount())
        doc.NoteParChanged(First);
    doc.StateFlags[sfListsStale] = 1;
    doc.StateFlags[sfContentChanged] = 1;
    doc.StateFlags[sfSectionIndexStale] = 1;
    doc.StateFlags[sfFieldIndexStale] = 1;
    doc.NoteFieldSpan(-1, -1);
}
