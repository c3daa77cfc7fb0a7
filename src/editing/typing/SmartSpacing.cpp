#include "editing/typing/SmartSpacing.h"

#include <algorithm>

#include "editing/typing/TextDeletion.h"
#include "editing/typing/TextInsertion.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/paragraphs/TPar.h"

namespace {

TSeparatorSetsOf SetsSource = nullptr;

// Windows-1252 quotes.
constexpr std::uint8_t OpenDouble = 147;
constexpr std::uint8_t CloseDouble = 148;
constexpr std::uint8_t OpenSingle = 145;
constexpr std::uint8_t CloseSingle = 146;
constexpr std::uint8_t LowDouble = 132;
constexpr std::uint8_t LeftGuillemet = 171;
constexpr std::uint8_t RightGuillemet = 187;

bool SpaceLike(std::uint8_t c) {
    // Tabs, breaks and the other special characters separate words as
    // spaces do; a note reference and a Unicode character are text.
    return c == ' ' || c == chNoBreakSpace || c == chEnSpace || c == chEmSpace || c == chQuarterEmSpace ||
           (c < 32 && c != chNoteRef && c != chUnicode);
}

bool Digit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

struct TClassifier {
    const TPar& Par;
    TSeparatorSets Sets;

    std::int32_t Count() const { return Par.CharCount(); }
    std::uint8_t At(std::int32_t i) const { return Par.Chars.Data[i]; }

    bool TimeSeparatorBetweenDigits(std::int32_t i) const {
        return At(i) == ':' && i > 0 && i + 1 < Count() && Digit(At(i - 1)) && Digit(At(i + 1));
    }

    // A straight or curly quote as the double quote it acts as, judged by
    // the character before it.
    std::uint8_t ResolveQuote(std::int32_t i) const {
        const std::uint8_t c = At(i);
        if (c == OpenSingle)
            return OpenDouble;
        if (c == CloseSingle)
            return CloseDouble;
        if (c != '"' && c != '\'')
            return c;
        if (i == 0)
            return OpenDouble;
        const std::uint8_t p = At(i - 1);
        if (SpaceLike(p))
            return OpenDouble;
        if (!Sets.Opening[p])
            return CloseDouble;
        const bool quoteBefore = p == '"' || p == '\'' || p == OpenSingle || p == LowDouble ||
                                 (p == OpenDouble && Sets.QuoteStyle != 2) || p == LeftGuillemet ||
                                 (p == RightGuillemet && Sets.QuoteStyle == 3);
        return quoteBefore ? CloseDouble : OpenDouble;
    }

    std::uint8_t ClassBefore(std::int32_t offset) const {
        if (offset <= 0)
            return scOpening;
        const std::int32_t i = offset - 1;
        const std::uint8_t raw = At(i);
        if (SpaceLike(raw))
            return scSpace;
        if (TimeSeparatorBetweenDigits(i))
            return scOpening;
        const std::uint8_t c = ResolveQuote(i);
        if (Sets.Opening[c]) {
            // An opening character inside a word is part of it.
            if (i > 0 && !SpaceLike(At(i - 1)) && !Sets.Opening[At(i - 1)] && !Sets.Closing[At(i - 1)])
                return scWord;
            return scOpening;
        }
        return Sets.Closing[c] ? scClosing : scWord;
    }

    std::uint8_t ClassAfter(std::int32_t offset) const {
        if (offset >= Count() - 1)
            return scClosing;
        const std::uint8_t raw = At(offset);
        if (TimeSeparatorBetweenDigits(offset))
            return scClosing;
        if (SpaceLike(raw))
            return scSpace;
        const std::uint8_t c = ResolveQuote(offset);
        if (Sets.Closing[c])
            return scClosing;
        return Sets.Opening[c] ? scOpening : scWord;
    }
};

TClassifier MakeClassifier(TDoc& doc, const TPar& par, std::int32_t offset) {
    // The separators of the language of the character at the position.
    std::int32_t language = 0;
    if (SetsSource != nullptr) {
        TCharFormat format;
        doc.FormatAtPos(TTextPos{par.Index, std::min(offset, par.CharCount() - 1)}, format);
        language = format[caLanguage];
    }
    TClassifier k{par, SetsSource != nullptr ? SetsSource(doc, language) : PlainSeparatorSets()};
    // The quote style adjusts the tables for the classification only.
    if (k.Sets.QuoteStyle == 2)
        k.Sets.Closing[OpenDouble] = true;
    if (k.Sets.QuoteStyle == 3) {
        std::swap(k.Sets.Opening[LeftGuillemet], k.Sets.Opening[RightGuillemet]);
        std::swap(k.Sets.Closing[LeftGuillemet], k.Sets.Closing[RightGuillemet]);
    }
    return k;
}

bool FieldMarkAt(const TPar& par, std::int32_t offset) {
    TCharLocation loc;
    LocateChar(par.Stream, offset, loc);
    TStreamElement e;
    for (std::int32_t off = loc.RunStart; off < loc.CharOffset; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (e.IsControl && !e.Truncated && (e.Code == fcFieldStart || e.Code == fcFieldEnd))
            return true;
    }
    return false;
}

bool SentenceEnd(std::uint8_t c) {
    return c == '!' || c == '.' || c == '?';
}

}  // namespace

void SetSeparatorSetsSource(TSeparatorSetsOf source) {
    SetsSource = source;
}

const TSeparatorSets& PlainSeparatorSets() {
    static const TSeparatorSets sets = [] {
        TSeparatorSets s;
        for (int c : {int('('), int('['), int('{'), int('"'), int('\''), int(OpenDouble), int(OpenSingle),
                      int(LowDouble), int(LeftGuillemet), 161, 191})
            s.Opening[c] = true;
        for (int c : {int(')'), int(']'), int('}'), int('.'), int(','), int(';'), int(':'), int('!'), int('?'),
                      int('"'), int('\''), int(CloseDouble), int(CloseSingle), int(RightGuillemet), int('%')})
            s.Closing[c] = true;
        return s;
    }();
    return sets;
}

void ClassifySpacing(TDoc& doc, std::int32_t par, std::int32_t offset, TSpacingContext& context) {
    const TPar& p = *doc.Par(par);
    const TClassifier k = MakeClassifier(doc, p, offset);
    context.Before = k.ClassBefore(offset);
    context.After = k.ClassAfter(offset);
    context.OpenAfter = context.After == scOpening ? 1 : 0;
    context.CloseAfter = context.After == scClosing ? 1 : 0;
    context.PlainAfter = context.OpenAfter == 0 && context.CloseAfter == 0 ? 1 : 0;
}

void AdjustSmartSpaces(TDoc& doc, const TTextPos& pos, TSmartSpaceResult& result) {
    result = TSmartSpaceResult{};
    doc.PushStateFlag(sfSmartSpacing);
    doc.PostActions().Caret = pos;
    if (pos.Par < 0 || pos.Par >= doc.ParCount()) {
        doc.PopStateFlag();
        return;
    }
    const TPar& par = *doc.Par(pos.Par);
    const std::int32_t offset = std::clamp(pos.Offset, 0, par.CharCount() - 1);
    const TClassifier k = MakeClassifier(doc, par, offset);
    const std::uint8_t before = k.ClassBefore(offset);
    const std::uint8_t after = k.ClassAfter(offset);
    const auto wordy = [](std::uint8_t b, std::uint8_t a) {
        return (b == scClosing || b == scWord) && (a == scOpening || a == scWord);
    };
    if (wordy(before, after)) {
        if (!FieldMarkAt(par, offset)) {
            // One space in the format of the text before it.
            const TCharFormat saved = doc.TypingFormat;
            doc.FormatAtPos(TTextPos{pos.Par, std::max(offset - 1, 0)}, doc.TypingFormat);
            TMemory space;
            space.AppendByte(' ');
            const TTextPos caret = doc.Caret;
            InsertText(doc, space, TTextPos{pos.Par, offset}, 0);
            doc.Caret = caret;
            doc.TypingFormat = saved;
            result.Inserted = 1;
        }
        doc.PopStateFlag();
        return;
    }
    std::int32_t nb = 0, na = 0;
    while (offset - nb > 0 && k.At(offset - nb - 1) == ' ')
        ++nb;
    while (offset + na < par.CharCount() - 1 && k.At(offset + na) == ' ')
        ++na;
    std::int32_t removeBefore = 0, removeAfter = 0;
    if (nb + na > 0) {
        const std::uint8_t b = k.ClassBefore(offset - nb);
        const std::uint8_t a = k.ClassAfter(offset + na);
        const bool twoAfterSentence =
            TypingOptions().TwoSpacesAfterSentence && offset - nb > 0 && SentenceEnd(k.At(offset - nb - 1));
        const std::int32_t keep = twoAfterSentence ? 2 : 1;
        if (wordy(b, a)) {
            if (nb == 0) {
                removeAfter = std::max(na - keep, 0);
            } else {
                removeBefore = std::max(nb - keep, 0);
                removeAfter = na;
                if (removeBefore == 0 && nb < keep)
                    removeAfter = std::max(na - (keep - nb), 0);
            }
        } else if (b != scSpace && a != scSpace) {
            removeBefore = nb;
            removeAfter = na;
        }
    }
    if ((removeBefore == 0 && removeAfter == 0) || FieldMarkAt(par, offset - removeBefore) ||
        FieldMarkAt(par, offset + removeAfter)) {
        doc.PopStateFlag();
        return;
    }
    const TTextPos caret = doc.Caret;
    DeleteText(doc, nullptr, TTextPos{pos.Par, offset - removeBefore}, TTextPos{pos.Par, offset + removeAfter}, 0);
    doc.Caret = caret;
    result.RemovedBefore = removeBefore;
    result.RemovedAfter = removeAfter;
    doc.PopStateFlag();
}
