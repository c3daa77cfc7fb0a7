// The formats derived from the text: at a position, common to ranges, and
// the typing format beside fields.

#include <gtest/gtest.h>

#include "LineFixture.h"
#include "base/core/ObjectHandles.h"
#include "layout/words/WordStateFlags.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"

namespace {

constexpr std::int32_t Red = 0x0000FF;
constexpr std::int32_t Blue = 0xFF0000;

class CurrentFormatsTest : public LineFixture {
protected:
    TField* AddField(std::uint8_t kind, std::uint8_t type) {
        auto* field = new TField;
        field->Kind = kind;
        field->Type = type;
        Doc->Fields.Add(field);
        return field;
    }
    static std::int32_t Handle(const TField* field) { return static_cast<std::int32_t>(ObjectHandle(field)); }
    TCharFormat At(std::int32_t par, std::int32_t offset) {
        TCharFormat format;
        Doc->CharFormatInPar(par, offset, format);
        return format;
    }
    static TFragment Range(std::int32_t p0, std::int32_t o0, std::int32_t p1, std::int32_t o1) {
        TFragment range;
        MakeFragment(p0, o0, p1, o1, range);
        return range;
    }
};

TEST_F(CurrentFormatsTest, TheFormatAtAnOffsetIsThatOfTheCharacterBefore) {
    TPar& par = Par("");
    AppendAttr(par, caBold, 1);
    AppendText(par, "a");
    AppendAttr(par, caBold, 0);
    AppendAttr(par, caItalic, 1);
    AppendText(par, "b");
    struct Case {
        std::int32_t offset;
        std::int32_t bold;
        std::int32_t italic;
    };
    // Offset 0 takes the first character's format, not the default.
    const Case cases[] = {{0, 1, 0}, {1, 1, 0}, {2, 0, 1}, {3, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        const TCharFormat format = At(par.Index, c.offset);
        EXPECT_EQ(format[caBold], c.bold);
        EXPECT_EQ(format[caItalic], c.italic);
    }
}

// "see " in red, then a field whose result is bold, blue and underlined,
// then " more" in red again. The attributes change back before the field's
// end control, as the readers write them.
struct TFieldCase {
    const char* name;
    std::uint8_t kind;
    std::uint8_t type;
    std::int32_t underline;  // expected right after the field
    std::int32_t color;
    std::int32_t script;
    std::int32_t font;  // -1: the field's font
};

TEST_F(CurrentFormatsTest, TypingAfterAFieldContinuesTheTextAround) {
    const std::int32_t symbolFont = Arial();
    const TFieldCase cases[] = {
        {"a link takes underline and colour from the text before", fkCode, ftHyperlink, ulNone, Red, 1, -1},
        {"a note reference takes its script", fkNoteRef, 0, ulSingle, Blue, 0, -1},
        {"a symbol takes the font", fkCode, ftSymbol, ulSingle, Blue, 1, 0},
        {"another field keeps its own format", fkCode, ftPageNumber, ulSingle, Blue, 1, -1},
    };
    for (const TFieldCase& c : cases) {
        SCOPED_TRACE(c.name);
        TField* field = AddField(c.kind, c.type);
        TPar& par = Par("");
        AppendAttr(par, caColor, Red);
        AppendText(par, "see ");
        AppendAttr(par, fcFieldStart, Handle(field));
        AppendAttr(par, caFont, symbolFont);
        AppendAttr(par, caUnderline, ulSingle);
        AppendAttr(par, caColor, Blue);
        AppendAttr(par, caBold, 1);
        AppendAttr(par, caScript, 1);
        AppendText(par, "link");
        AppendAttr(par, caFont, Times());
        AppendAttr(par, caUnderline, ulNone);
        AppendAttr(par, caColor, Red);
        AppendAttr(par, caBold, 0);
        AppendAttr(par, caScript, 0);
        AppendAttr(par, fcFieldEnd, Handle(field));
        AppendText(par, " more");
        const TCharFormat after = At(par.Index, 8);
        EXPECT_EQ(after[caUnderline], c.underline);
        EXPECT_EQ(after[caColor], c.color);
        EXPECT_EQ(after[caScript], c.script);
        EXPECT_EQ(after[caFont], c.font == 0 ? Times() : symbolFont);
        EXPECT_EQ(after[caBold], 1);  // never taken from the text around

        // The plain format is the stream's alone.
        Doc->PushStateFlag(sfPlainCharFormat);
        EXPECT_EQ(At(par.Index, 8)[caColor], Blue);
        Doc->PopStateFlag();

        // Typing at that place, forced: the typing format follows the rules,
        // the formats before and after are the plain one.
        TTextPos pos;
        MakeTextPos(par.Index, 8, pos);
        Doc->UpdateTypingFormat(pos, true);
        EXPECT_EQ(Doc->TypingFormat[caColor], c.color);
        EXPECT_EQ(Doc->TypingFormatBefore[caColor], Blue);
        EXPECT_EQ(Doc->TypingFormatAfter[caColor], Blue);
    }
}

TEST_F(CurrentFormatsTest, AFieldAtTheParagraphStartTakesTheTextAfterIt) {
    TField* link = AddField(fkCode, ftHyperlink);
    TPar& par = Par("");
    AppendAttr(par, fcFieldStart, Handle(link));
    AppendAttr(par, caUnderline, ulSingle);
    AppendText(par, "link");
    AppendAttr(par, caUnderline, ulDouble);
    AppendAttr(par, fcFieldEnd, Handle(link));
    AppendText(par, " after");
    // At offset 0 the field starts here and ends in the paragraph: the text
    // after the field gives the underline.
    EXPECT_EQ(At(par.Index, 0)[caUnderline], ulDouble);
    EXPECT_EQ(At(par.Index, 2)[caUnderline], ulSingle);
}

TEST_F(CurrentFormatsTest, TypingAfterADropCapTakesTheBodyFormat) {
    TField* dropCap = AddField(fkDropCap, 0);
    TPar& par = Par("");
    par.Stream.Clear();
    par.Chars.Clear();
    AppendFormatControl(par.Stream, fcFieldStart, Handle(dropCap));
    AppendAttr(par, caSize, 72);
    AppendText(par, "D");
    AppendAttr(par, caSize, 24);
    AppendAttr(par, fcFieldEnd, Handle(dropCap));
    AppendText(par, "rop");
    CloseParagraph(par);
    par.Changed();
    ASSERT_EQ(Doc->DropCapOfPar(par.Index), dropCap);
    // Right after the big letter the body's size, though the character
    // before is the letter; the plain format keeps the letter's.
    EXPECT_EQ(At(par.Index, 1)[caSize], 24);
    EXPECT_EQ(At(par.Index, 0)[caSize], 72);
    Doc->PushStateFlag(sfPlainCharFormat);
    EXPECT_EQ(At(par.Index, 1)[caSize], 72);
    Doc->PopStateFlag();
}

TEST_F(CurrentFormatsTest, TypingAtTheCaretBeforeAFieldEnd) {
    TField* link = AddField(fkCode, ftHyperlink);
    TPar& par = Par("");
    AppendText(par, "a ");
    AppendAttr(par, fcFieldStart, Handle(link));
    AppendAttr(par, caColor, Blue);
    AppendText(par, "ln");
    AppendAttr(par, caColor, AutoColor);
    AppendAttr(par, fcFieldEnd, Handle(link));
    AppendText(par, " b");
    MakeTextPos(par.Index, 4, Doc->Caret);
    Doc->CurCharFormat = DefaultCharFormat;
    Doc->CurCharFormat[caItalic] = 1;
    Doc->UpdateTypingFormat(Doc->Caret, false);
    // The typing format is the selection's; before and after the caret
    // stand the link's last character and the blank after the field.
    EXPECT_EQ(Doc->TypingFormat[caItalic], 1);
    EXPECT_EQ(Doc->TypingFormatBefore[caColor], Blue);
    EXPECT_EQ(Doc->TypingFormatAfter[caColor], AutoColor);

    // Right before the field's start: after is the field's first character.
    MakeTextPos(par.Index, 2, Doc->Caret);
    Doc->UpdateTypingFormat(Doc->Caret, false);
    EXPECT_EQ(Doc->TypingFormatAfter[caColor], Blue);
    EXPECT_EQ(Doc->TypingFormatBefore[caColor], AutoColor);
}

TEST_F(CurrentFormatsTest, TypingOverASelection) {
    TPar& first = Par("");
    AppendAttr(first, caSize, 20);
    AppendText(first, "one");
    TPar& second = Par("");
    AppendAttr(second, caSize, 30);
    AppendText(second, "two");
    Doc->CurCharFormat = DefaultCharFormat;
    Doc->CurCharFormat[caHighlight] = UnsetValue;
    Doc->Selection->SetSingle(first.Index, 1, first.Index, first.CharCount());
    Doc->UpdateTypingFormat(Doc->Caret, false);
    EXPECT_EQ(Doc->TypingFormat[caSize], 20);
    EXPECT_EQ(Doc->TypingFormatBefore[caSize], 20);
    // Ending at the paragraph's length, the after format is the next
    // paragraph's first character.
    EXPECT_EQ(Doc->TypingFormatAfter[caSize], 30);
    EXPECT_EQ(Doc->TypingFormat[caHighlight], AutoColor);

    Doc->Selection->SetSingle(first.Index, 0, first.Index, 2);
    Doc->UpdateTypingFormat(Doc->Caret, false);
    EXPECT_EQ(Doc->TypingFormatBefore[caSize], DefaultCharFormat[caSize]);
}

TEST_F(CurrentFormatsTest, MergedCharacterFormatUnsetsWhatVaries) {
    TPar& par = Par("");
    AppendAttr(par, caBold, 1);
    AppendAttr(par, caSize, 20);
    AppendText(par, "abc");
    AppendAttr(par, caSize, 32);
    AppendAttr(par, caColor, Red);
    AppendText(par, "def");
    TPar& next = Par("");
    AppendAttr(next, caBold, 1);
    AppendAttr(next, caSize, 20);
    AppendText(next, "ghi");
    const std::int32_t p = par.Index;
    struct Case {
        const char* name;
        TFragment range;
        std::int32_t size;
        std::int32_t color;
    };
    const Case cases[] = {
        {"inside one run", Range(p, 0, p, 3), 20, AutoColor},
        {"one character", Range(p, 4, p, 5), 32, Red},
        {"across two sizes", Range(p, 1, p, 5), UnsetValue, UnsetValue},
        {"up to the change, not past it", Range(p, 1, p, 3), 20, AutoColor},
        {"into the next paragraph", Range(p, 0, p + 1, 2), UnsetValue, UnsetValue},
        {"a collapsed range", Range(p, 5, p, 5), 32, Red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCharFormat format;
        Doc->MergedCharFormat(nullptr, c.range, format);
        EXPECT_EQ(format[caSize], c.size);
        EXPECT_EQ(format[caColor], c.color);
        EXPECT_EQ(format[caBold], 1);
        EXPECT_EQ(format[caItalic], 0);
    }
    // Several ranges: each paragraph piece merged with the others.
    TCompoundFragment* set = NewCompoundFragment();
    set->SetSingle(p, 0, p, 2);
    TCompoundFragment second;
    second.SetSingle(p + 1, 0, p + 1, 2);
    set->Append(second);
    TCharFormat format;
    Doc->MergedCharFormat(set, set->Fragment(0), format);
    EXPECT_EQ(format[caSize], 20);
    set->Fragment(1) = Range(p, 4, p, 6);
    Doc->MergedCharFormat(set, set->Fragment(0), format);
    EXPECT_EQ(format[caSize], static_cast<std::int32_t>(0x80000000u));
    ReleaseCompoundFragment(set);
}

TEST_F(CurrentFormatsTest, MergedFontKeepsOneFamilyInTwoCharacterSets) {
    const std::int32_t cyrillic = Fonts->RegisterFont("Liberation Serif", 204, false);
    const std::int32_t western = Fonts->RegisterFont("Liberation Serif", 0, false);
    ASSERT_NE(cyrillic, western);
    TPar& par = Par("", western);
    AppendText(par, "ab");
    AppendAttr(par, caFont, cyrillic);
    AppendText(par, "cd");
    AppendAttr(par, caFont, Arial());
    AppendText(par, "ef");
    TCharFormat format;
    Doc->MergedCharFormat(nullptr, Range(par.Index, 0, par.Index, 4), format);
    EXPECT_EQ(format[caFont], western);
    Doc->MergedCharFormat(nullptr, Range(par.Index, 0, par.Index, 6), format);
    EXPECT_EQ(format[caFont], UnsetValue);
}

TEST_F(CurrentFormatsTest, MergedParagraphFormatSkipsRowEnds) {
    TPar& a = Par("cell");
    TPar& rowEnd = Par("");
    TPar& b = Par("more");
    for (TPar* p : {&a, &rowEnd, &b}) {
        p->Format = DefaultParFormat;
        p->Format.InTable = 1;
        p->Format.Alignment = 1;
    }
    rowEnd.Stream.Clear();
    rowEnd.Chars.Clear();
    AppendFormatControl(rowEnd.Stream, fcRowEnd, 0);
    rowEnd.Chars.AppendByte(chRowEnd);
    rowEnd.Changed();
    rowEnd.Format.Alignment = 2;
    rowEnd.Format.LeftIndent = 500;
    b.Format.SpaceAfter = 120;
    TParFormat format;
    Doc->MergedParFormat(nullptr, Range(a.Index, 0, b.Index, 2), format);
    EXPECT_EQ(format.Alignment, 1);
    EXPECT_EQ(format.LeftIndent, DefaultParFormat.LeftIndent);
    EXPECT_EQ(GetParProp(format, ppSpaceAfter), UnsetValue);
    // Nothing to merge: the default format.
    Doc->MergedParFormat(nullptr, Range(rowEnd.Index, 0, rowEnd.Index, 1), format);
    EXPECT_TRUE(ParFormatsEqual(format, DefaultParFormat));
}

TEST_F(CurrentFormatsTest, FormatsAfterTheEndsOfARange) {
    TPar& par = Par("");
    AppendText(par, "ab");
    AppendAttr(par, caBold, 1);
    AppendText(par, "cd");
    Doc->RememberFormatsAtRangeEnds(Range(par.Index, 0, par.Index, 2));
    EXPECT_EQ(Doc->FormatAfterRangeStart[caBold], 0);
    EXPECT_EQ(Doc->FormatAfterRangeEnd[caBold], 1);
    EXPECT_EQ(Doc->LanguageAt(par.Index, 1), DefaultCharFormat[caLanguage]);
}

}  // namespace
