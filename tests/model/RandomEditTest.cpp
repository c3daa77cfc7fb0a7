// Hundreds of random edits made through undo steps, then all undone and all
// redone: every paragraph must come back byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "DocFixture.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TParFormat.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TFormatFontOperation.h"
#include "model/undo/TFormatParsOperation.h"
#include "model/undo/TInsDelOperation.h"
#include "model/undo/TOperation.h"

namespace {

class TRandomEditor {
public:
    TRandomEditor(TDoc& doc, unsigned seed, bool normalizeBetween)
        : Doc(doc), Random(seed), NormalizeBetween(normalizeBetween) {}

    // One operation of one to three random steps.
    void Edit() {
        auto* op = new TOperation(&Doc, 0);
        Doc.BeginOperation(op);
        const int steps = 1 + Pick(3) / 2;
        for (int i = 0; i < steps; ++i) {
            switch (Pick(4)) {
                case 0:
                    InsertText();
                    break;
                case 1:
                    DeleteText();
                    break;
                case 2:
                    FormatParagraph();
                    break;
                default:
                    FormatFont();
                    break;
            }
        }
        Doc.EndOperation();
        Doc.CommitOperation(op);
        CheckParagraphs();
        // Layout normalises paragraphs whenever it likes; the steps must not
        // mind.
        if (NormalizeBetween && Pick(2) == 0)
            Doc.Par(Pick(Doc.ParCount()))->Normalize();
    }

private:
    // Every paragraph's character buffer matches its stream and ends with a
    // paragraph end.
    void CheckParagraphs() {
        for (std::int32_t p = 0; p < Doc.ParCount(); ++p) {
            const TPar* par = Doc.Par(p);
            ASSERT_EQ(std::string(par->Chars.View()), ParText::ExpectedChars(par->Stream)) << "paragraph " << p;
            ASSERT_GT(par->CharCount(), 0);
            const std::uint8_t last = par->Chars.Data[par->CharCount() - 1];
            ASSERT_TRUE(last == chParEnd || last == chSectionBreak) << "paragraph " << p;
            ASSERT_EQ(par->Index, p);
        }
    }

    std::int32_t Pick(std::int32_t n) {
        return n <= 1 ? 0 : std::uniform_int_distribution<std::int32_t>(0, n - 1)(Random);
    }

    std::int32_t LastMain() const { return Doc.LastParOfStory(stMain); }

    TTextPos RandomPos() {
        TTextPos pos;
        pos.Par = Pick(LastMain() + 1);
        pos.Offset = Pick(Doc.Par(pos.Par)->CharCount());  // up to the paragraph end, not past it
        return pos;
    }

    void AppendRandomText(TMemory& content) {
        const std::int32_t n = 1 + Pick(6);
        for (std::int32_t i = 0; i < n; ++i) {
            switch (Pick(10)) {
                case 0:
                    AppendFormatControl(content, caBold, Pick(2));
                    break;
                case 1:
                    AppendFormatControl(content, caItalic, Pick(2));
                    break;
                case 2:
                    AppendFormatControl(content, caSize, 16 + 2 * Pick(6));
                    break;
                case 3:
                    AppendFormatControl(content, fcSpecialChar, Pick(2) == 0 ? chTab : chLineBreak);
                    break;
                default:
                    content.AppendByte(static_cast<std::uint8_t>('a' + Pick(26)));
                    break;
            }
        }
    }

    void InsertText() {
        TMemory content;
        AppendRandomText(content);
        const std::int32_t marks = Pick(4) == 0 ? 1 + Pick(2) : 0;
        for (std::int32_t m = 0; m < marks; ++m) {
            AppendFormatControl(content, fcSpecialChar, chParEnd);
            if (Pick(2) == 0) {
                TParFormat format = DefaultParFormat;
                format.Alignment = static_cast<std::int8_t>(Pick(4));
                AppendParagraphMark(content, format);
            } else {
                content.AppendByte(ParagraphMarkByte);
            }
            AppendRandomText(content);
        }
        TInsDelOperation::CreateInsertion(&Doc, content, RandomPos(), stMain)->Execute();
    }

    void DeleteText() {
        TTextPos start = RandomPos();
        TTextPos end;
        if (Pick(3) == 0 && start.Par < LastMain()) {
            end.Par = start.Par + 1 + Pick(std::min(3, LastMain() - start.Par));
            end.Offset = Pick(Doc.Par(end.Par)->CharCount());
        } else {
            end.Par = start.Par;
            // Sometimes right after the paragraph end: the start of the next.
            const std::int32_t limit = Doc.Par(start.Par)->CharCount() - (start.Par < LastMain() ? 0 : 1);
            if (start.Offset >= limit)
                return;
            end.Offset = start.Offset + 1 + Pick(limit - start.Offset);
        }
        TInsDelOperation::CreateRemoval(&Doc, start, end, stMain)->Execute();
    }

    void FormatParagraph() {
        auto* step = new TFormatParsOperation(&Doc);
        const std::int32_t first = Pick(LastMain() + 1);
        const std::int32_t last = std::min(LastMain(), first + Pick(3));
        TParFormat format = UnsetParFormat;
        format.Alignment = static_cast<std::int8_t>(Pick(4));
        if (Pick(2) == 0)
            format.LeftIndent = static_cast<std::int16_t>(360 * Pick(4));
        if (Pick(2) == 0)
            format.KeepWithNext = static_cast<std::int8_t>(Pick(2));
        for (std::int32_t p = first; p <= last; ++p)
            step->AddChange(p, format);
        if (step->Empty())
            delete step;
        else
            step->Execute();
    }

    void FormatFont() {
        TFragment range;
        range.Start = RandomPos();
        range.End = range.Start;
        range.End.Par = std::min(LastMain(), range.Start.Par + Pick(3));
        const std::int32_t count = Doc.Par(range.End.Par)->CharCount();
        range.End.Offset = range.End.Par == range.Start.Par ? range.Start.Offset + Pick(count - range.Start.Offset + 1)
                                                            : Pick(count + 1);
        TCharFormat values = UnsetCharFormat;
        values[caBold] = Pick(2);
        if (Pick(2) == 0)
            values[caItalic] = Pick(2);
        if (Pick(3) == 0)
            values[caSize] = 20 + 2 * Pick(4);
        if (Pick(3) == 0)
            values[caFont] = Pick(3);
        (new TFormatFontOperation(&Doc, range, values))->Execute();
    }

    TDoc& Doc;
    std::mt19937 Random;
    bool NormalizeBetween;
};

void FillStartingDocument(TDocFixture& f) {
    f.Add("Plain text{par}");
    f.Add("Some {b:1}bold{b:0} and {i:1}italic{i:0} words{tab}here{par}");
    f.Add("{size:32}Big heading{par}");
    f.Add("{par}");
    f.Add("A line{line}break and {font:2}another font{par}");
    f.Add("Last paragraph{par}");
    f.Doc().Par(2)->Format.Alignment = 1;
    f.Doc().Par(4)->Format.LeftIndent = 720;
}

TEST(RandomEditTest, UndoAllRestoresEveryParagraphByteForByte) {
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(seed);
        TDocFixture f;
        FillStartingDocument(f);
        TDoc& doc = f.Doc();
        const TDocSnapshot start = Snapshot(doc);
        TRandomEditor editor(doc, seed, false);
        for (int i = 0; i < 300; ++i)
            editor.Edit();
        const TDocSnapshot edited = Snapshot(doc);
        ASSERT_NE(edited, start);
        doc.UndoAll();
        EXPECT_EQ(doc.UndoIndex, -1);
        const TDocSnapshot undone = Snapshot(doc);
        EXPECT_EQ(FirstDifference(undone, start), "");
        doc.RedoAll();
        const TDocSnapshot redone = Snapshot(doc);
        EXPECT_EQ(FirstDifference(redone, edited), "");
        // And one at a time, backwards and forwards again.
        for (std::int32_t i = doc.UndoIndex; i >= 0; --i)
            doc.Undo(false);
        EXPECT_EQ(FirstDifference(Snapshot(doc), start), "");
        for (std::int32_t i = 0; i < doc.UndoList.Count; ++i)
            doc.Redo();
        EXPECT_EQ(FirstDifference(Snapshot(doc), edited), "");
    }
}

TEST(RandomEditTest, NormalisingBetweenStepsChangesNothingThatMatters) {
    for (unsigned seed : {11u, 12u, 13u}) {
        SCOPED_TRACE(seed);
        TDocFixture f;
        FillStartingDocument(f);
        TDoc& doc = f.Doc();
        const TDocSnapshot start = Snapshot(doc, true);
        TRandomEditor editor(doc, seed, true);
        for (int i = 0; i < 300; ++i)
            editor.Edit();
        const TDocSnapshot edited = Snapshot(doc, true);
        doc.UndoAll();
        EXPECT_EQ(FirstDifference(Snapshot(doc, true), start), "");
        doc.RedoAll();
        EXPECT_EQ(FirstDifference(Snapshot(doc, true), edited), "");
    }
}

}  // namespace
