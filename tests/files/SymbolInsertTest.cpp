// Inserting a symbol (opInsertSymbol): the character arrives in the font
// chosen, typing after it goes on in the format that held before, a
// private-use character becomes a SYMBOL field, and undo takes the
// character and the restored typing format back as one step.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TransferDoc.h"
#include "base/core/TMemory.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCharFormat.h"
#include "model/managers/TFontManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"
#include "support/ModelInvariants.h"
#include "support/TestSupport.h"

namespace {

// Bold Arial at 20 pt, where the symbol's own font must not stick.
constexpr const char* BoldArial = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs40\\b ab\\par}";

// Reading formats puts streams in their canonical form; snapshots compare
// after that.
void Normalize(TDoc& doc) {
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        doc.Par(p)->Normalize();
}

std::string FontName(std::int32_t font) {
    if (font < 0 || FontManager == nullptr || font >= FontManager->RegFonts.Count)
        return "?";
    return FontManager->RegFont(font)->Name;
}

const TField* SymbolField(const TDoc& doc) {
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i)
        if (doc.Fields.At<TField>(i)->Type == ftSymbol)
            return doc.Fields.At<TField>(i);
    return nullptr;
}

void InsertSymbol(TDoc& doc, std::int32_t character, const std::string& font, std::uint8_t isByte) {
    doc.PerformOperation(TInsertSymbolArgs{character, &font, isByte});
}

// The bold Arial text read and made canonical, the caret after its first
// character, with the typing format and the model as they were then.
struct TBoldArialDoc {
    std::unique_ptr<TDoc> Doc = DocFromRtf(BoldArial);
    TCharFormat TypingBefore;
    std::string Before;

    TBoldArialDoc() {
        if (Doc == nullptr)
            return;
        Normalize(*Doc);
        Doc->Caret = TTextPos{0, 1};
        Doc->UpdateTypingFormat(Doc->Caret, true);
        TypingBefore = Doc->TypingFormat;
        Before = TestSupport::DocumentBytes(*Doc);
    }
};

class SymbolInsertTest : public ::testing::Test {
protected:
    TTransferScope scope;
};

TEST_F(SymbolInsertTest, TheCharacterTakesTheFontAndTypingKeepsItsOwn) {
    struct Case {
        const char* Name;
        std::int32_t Character;
        const char* Font;
        std::uint8_t IsByte;
        std::uint8_t Stored;          // the character byte in the paragraph
        std::int32_t UnicodeValue;    // the value of its Unicode control; -1 none
        const char16_t* Instruction;  // of the SYMBOL field; nil none
    };
    const Case cases[] = {
        {"a Greek letter from Symbol", 0x03A9, "Symbol", 0, chUnicode, 0x03A9, nullptr},
        {"a byte of the font's code page", 0xB7, "Wingdings", 1, 0xB7, -1, nullptr},
        {"an ASCII character", 'Q', "Courier New", 0, 'Q', -1, nullptr},
        {"a private-use character", 0xF04A, "Wingdings", 0, chUnicode, 0xF04A, u"SYMBOL 61514 \\f \"Wingdings\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TBoldArialDoc start;
        ASSERT_NE(start.Doc, nullptr);
        std::unique_ptr<TDoc>& doc = start.Doc;
        const TCharFormat& typingBefore = start.TypingBefore;
        const std::string& before = start.Before;

        InsertSymbol(*doc, c.Character, c.Font, c.IsByte);
        const TPar& par = *doc->Par(0);
        ASSERT_EQ(par.CharCount(), 4);
        EXPECT_EQ(par.Chars.Data[1], c.Stored);
        TCharFormat format;
        doc->FormatAtPos(TTextPos{0, 1}, format);
        EXPECT_EQ(FontName(format[caFont]), c.Font);
        EXPECT_EQ(format[caSize], 40) << "the symbol keeps the size of the text it lands in";
        EXPECT_EQ(format[caBold], 1);
        if (c.UnicodeValue >= 0) {
            bool found = false;
            TStreamElement e;
            for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
                ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
                if (e.IsControl && e.Code == fcUnicodeChar)
                    found = (e.Value & 0xFFFF) == c.UnicodeValue;
            }
            EXPECT_TRUE(found) << "the Unicode control carries the character";
        }
        const TField* symbol = SymbolField(*doc);
        if (c.Instruction == nullptr) {
            EXPECT_EQ(symbol, nullptr);
        } else {
            ASSERT_NE(symbol, nullptr);
            EXPECT_EQ(symbol->Instruction, c.Instruction);
        }
        // The typing format is the one before the symbol, not the symbol's.
        EXPECT_EQ(FontName(doc->TypingFormat[caFont]), FontName(typingBefore[caFont]));
        EXPECT_EQ(doc->TypingFormat[caBold], typingBefore[caBold]);
        EXPECT_EQ(doc->TypingFormat[caSize], typingBefore[caSize]);
        EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
        EXPECT_EQ(doc->StateFlagStackDepth(), 0);

        ASSERT_GE(doc->UndoList.Count, 1);
        EXPECT_EQ(doc->UndoOperation(doc->UndoList.Count - 1)->UndoName, unInsertSymbol);
        const std::string after = TestSupport::DocumentBytes(*doc);
        const std::int32_t undoAfter = doc->UndoList.Count;

        // Text typed right after the symbol is in the text's own format.
        TMemory typed;
        typed.AppendByte('x');
        doc->PerformOperation(TInsertTextArgs{&typed, 0});
        std::int32_t x = -1;
        for (std::int32_t i = 0; i < doc->Par(0)->CharCount(); ++i)
            if (doc->Par(0)->Chars.Data[i] == 'x')
                x = i;
        ASSERT_EQ(x, 2);
        doc->FormatAtPos(TTextPos{0, x}, format);
        EXPECT_EQ(FontName(format[caFont]), "Arial");
        EXPECT_EQ(format[caBold], 1);
        EXPECT_EQ(format[caSize], 40);

        // Undo takes the character (and its field) back in one step after
        // the typing; redo makes the same bytes again.
        ASSERT_EQ(doc->UndoList.Count, undoAfter + 1);
        doc->Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), after);
        doc->Undo(false);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
        EXPECT_EQ(doc->UndoIndex, -1) << "nothing of the symbol is left to undo";
        EXPECT_EQ(SymbolField(*doc), nullptr);
        doc->Redo();
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), after);
    }
}

// A character that loads nothing inserts nothing and leaves no step; the
// typing format stays what it was.
TEST_F(SymbolInsertTest, ACharacterThatCannotBeInsertedChangesNothing) {
    struct Case {
        const char* Name;
        std::int32_t Character;
        std::uint8_t IsByte;
    };
    const Case cases[] = {
        {"a control byte", 0x07, 1},
        {"a control character", 0x0B, 0},
        {"beyond UTF-16 code units", 0x1F600, 0},
        {"zero", 0, 0},
        {"a lone surrogate half", 0xD83D, 0},
        {"a byte past 255", 0x141, 1},
        {"a negative byte", -0x3F, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TBoldArialDoc start;
        ASSERT_NE(start.Doc, nullptr);
        std::unique_ptr<TDoc>& doc = start.Doc;
        const TCharFormat& typingBefore = start.TypingBefore;
        const std::string& before = start.Before;
        InsertSymbol(*doc, c.Character, "Symbol", c.IsByte);
        EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
        EXPECT_EQ(doc->UndoList.Count, 0);
        EXPECT_EQ(doc->TypingFormat[caFont], typingBefore[caFont]);
        EXPECT_EQ(doc->StateFlagStackDepth(), 0);
    }
}

// Over a selection the symbol replaces the selected text, and undo brings
// the text back.
TEST_F(SymbolInsertTest, ASelectionIsReplaced) {
    std::unique_ptr<TDoc> doc = DocFromRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 abcd\\par}");
    ASSERT_NE(doc, nullptr);
    Normalize(*doc);
    SelectRanges(*doc, {TFragment{TTextPos{0, 1}, TTextPos{0, 3}}});
    doc->Caret = TTextPos{0, 3};
    doc->UpdateTypingFormat(doc->Caret, true);
    const std::string before = TestSupport::DocumentBytes(*doc);
    InsertSymbol(*doc, 'Z', "Symbol", 0);
    EXPECT_EQ(MainText(*doc), "aZd|");
    TCharFormat format;
    doc->FormatAtPos(TTextPos{0, 1}, format);
    EXPECT_EQ(FontName(format[caFont]), "Symbol");
    EXPECT_EQ(TestSupport::CheckModelInvariants(*doc), "");
    const std::string after = TestSupport::DocumentBytes(*doc);
    doc->Undo(false);
    EXPECT_EQ(TestSupport::DocumentBytes(*doc), before);
    doc->Redo();
    EXPECT_EQ(TestSupport::DocumentBytes(*doc), after);
}

}  // namespace
