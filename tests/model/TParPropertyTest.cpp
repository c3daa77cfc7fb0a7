// Random text-and-control streams: whatever the stream, the paragraph code
// stays inside its buffers, normalising is idempotent and never moves a
// character position.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "FontQueriesStub.h"
#include "ParText.h"
#include "TextServicesStub.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/managers/TAutoList.h"
#include "model/paragraphs/TPar.h"

namespace {

class TRandom {
public:
    explicit TRandom(std::uint32_t seed) : Engine(seed) {}
    std::uint32_t Below(std::uint32_t n) { return Engine() % n; }
    bool Chance(std::uint32_t percent) { return Below(100) < percent; }

private:
    std::mt19937 Engine;
};

class ParPropertyTest : public ::testing::Test {
protected:
    ParPropertyTest() {
        const std::pair<std::uint8_t, std::uint8_t> kinds[] = {
            {fkCode, 0},     {fkCode, ftIndexEntry}, {fkCode, ftIndexEntry}, {fkCode, ftSymbol},  {fkBookmark, 0},
            {fkNoteBody, 0}, {fkNoteRef, 0},         {fkNoteNumber, 0},      {fkInlineObject, 0}, {fkDropCap, 0}};
        for (std::size_t i = 0; i < std::size(kinds); ++i) {
            const std::string name = std::string("F").append(std::to_string(i));
            TField& f = Objects.Field(name, kinds[i].first, kinds[i].second);
            Fields.push_back(Objects.HandleOf(name));
            if (f.Kind == fkInlineObject)
                f.Object = &Objects.Shape("Inline");
            if (f.Kind == fkNoteRef)
                f.Flags = ffAutoNumber;
        }
        Objects.Shape("Line").Props.SetProp(spHorizRule, 1);
        Objects.Shape("Picture");
        Shapes = {Objects.HandleOf("Line"), Objects.HandleOf("Picture")};
        Objects.Section("S");
        TAutoList& list = Objects.List("L");
        list.Levels[1].NumberFormat = 23;
    }

    // Appends one random element to the stream and the characters.
    void AppendRandomElement(TRandom& r, TMemory& stream, TMemory& chars, std::vector<std::int32_t>& open) {
        static const std::uint8_t specials[] = {2, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 18, 19, 20};
        switch (r.Below(10)) {
            case 0:
            case 1:
            case 2: {
                const std::uint32_t n = 1 + r.Below(8);
                for (std::uint32_t i = 0; i < n; ++i) {
                    const auto b = static_cast<std::uint8_t>(32 + r.Below(224));
                    stream.AppendByte(b);
                    chars.AppendByte(b);
                }
                break;
            }
            case 3:
            case 4: {
                const auto code = static_cast<std::uint8_t>(r.Below(CharAttrCount));
                static const std::int32_t values[] = {0, 1, 2, 5, -1, 24, 1036};
                std::int32_t value = values[r.Below(std::size(values))];
                if (code == caFont)
                    value = static_cast<std::int32_t>(r.Below(7));  // font 5 is a symbol font
                AppendFormatControl(stream, code, value);
                break;
            }
            case 5: {
                const std::uint8_t c = specials[r.Below(std::size(specials))];
                AppendFormatControl(stream, fcSpecialChar, c);
                chars.AppendByte(c);
                break;
            }
            case 6:
                AppendFormatControl(stream, fcUnicodeChar, static_cast<std::int32_t>(r.Below(0x10000)));
                chars.AppendByte(chUnicode);
                break;
            case 7: {
                const std::uint32_t which = r.Below(4);
                if (which == 0) {
                    AppendFormatControl(stream, fcSectionBreak, Objects.HandleOf("S"));
                    chars.AppendByte(chSectionBreak);
                } else if (which == 1) {
                    AppendFormatControl(stream, fcCellEnd, 0);
                    chars.AppendByte(chCellEnd);
                } else if (which == 2) {
                    AppendFormatControl(stream, fcRowEnd, 0);
                    chars.AppendByte(chRowEnd);
                } else {
                    AppendFormatControl(stream, fcShapeAnchor, Shapes[r.Below(Shapes.size())]);
                    chars.AppendByte(chShapeAnchor);
                }
                break;
            }
            default:
                // Field starts and ends, mostly in pairs.
                if (!open.empty() && r.Chance(50)) {
                    const std::size_t i = r.Chance(80) ? open.size() - 1 : r.Below(open.size());
                    AppendFormatControl(stream, fcFieldEnd, open[i]);
                    open.erase(open.begin() + static_cast<std::ptrdiff_t>(i));
                } else {
                    const std::int32_t field = Fields[r.Below(Fields.size())];
                    AppendFormatControl(stream, fcFieldStart, field);
                    open.push_back(field);
                }
        }
    }

    std::unique_ptr<TPar> RandomPar(TRandom& r) {
        auto par = std::make_unique<TPar>(&Objects.Doc());
        std::vector<std::int32_t> open;
        const std::uint32_t n = r.Below(40);
        for (std::uint32_t i = 0; i < n; ++i)
            AppendRandomElement(r, par->Stream, par->Chars, open);
        if (r.Chance(90)) {
            AppendFormatControl(par->Stream, fcSpecialChar, chParEnd);
            par->Chars.AppendByte(chParEnd);
        }
        for (std::int32_t f : open)
            if (r.Chance(70))
                AppendFormatControl(par->Stream, fcFieldEnd, f);
        while (r.Chance(20))
            AppendFormatControl(par->Stream, static_cast<std::uint8_t>(r.Below(CharAttrCount)), 1);
        return par;
    }

    // Between two characters at most one control per attribute remains,
    // and only one that changes the value in effect at the previous
    // character.
    static void ExpectCanonicalAttributes(const TMemory& stream) {
        TCharFormat current = DefaultCharFormat, atLastChar = current;
        bool seen[CharAttrCount] = {};
        TStreamElement e;
        for (std::int32_t off = 0; off < stream.Size; off += e.Length) {
            ReadStreamElement(stream.Data, stream.Size, off, e);
            ASSERT_FALSE(e.Truncated);
            if (!e.IsControl || ControlTakesPosition(e.Code)) {
                atLastChar = current;
                std::fill(std::begin(seen), std::end(seen), false);
            } else if (e.Code <= fcLastCharAttr) {
                EXPECT_FALSE(seen[e.Code]) << "two controls for attribute " << int(e.Code) << " at " << off;
                EXPECT_NE(e.Value, atLastChar[e.Code]) << "control changes nothing at " << off;
                seen[e.Code] = true;
                current[e.Code] = e.Value;
            }
        }
    }

    // Every query on the paragraph, for the sanitizers to watch.
    void ExerciseQueries(TPar& par) {
        par.BuildWideText();
        ASSERT_EQ(static_cast<std::int32_t>(par.WideText.size()), par.Chars.Size);
        TList* symbols = par.SymbolCharPositions();
        for (std::int32_t i = 0; i < symbols->Count; ++i)
            EXPECT_LT(reinterpret_cast<std::intptr_t>(symbols->Item(i)), par.Chars.Size);
        TList::Release(symbols);
        for (std::int32_t pos = -1; pos <= par.Chars.Size; ++pos) {
            const std::int32_t off = par.StreamOffsetOfChar(pos);
            EXPECT_GE(off, 0);
            EXPECT_LE(off, par.Stream.Size);
            par.OnlyBreaksBefore(pos);
            if (pos >= 0 && pos < par.Chars.Size)
                par.IsSeparatorAt(par.Chars.Data[pos], pos);
        }
        par.EndingSection();
        par.HasNoteReferenceMark();
        par.Format.List = Objects.HandleOf("L");
        par.LabelPar = ParText::MakePar("{u:31}{u:9}", Objects);
        std::u16string label;
        par.GetListLabelText(label);
        std::int32_t footnote = 1, endnote = 1;
        par.RenumberNotes(0, footnote, endnote);
        par.SyncNoteNumberText();
        par.BuildWordIndex(3);
        par.TextIndentPixels(1);
        par.BorderSpaceBelow();
    }

    TFontQueriesStub Fonts{{{5, {2, 5}}, {6, {204, 6}}}};
    TTextServicesStub Services;
    ParText::TObjects Objects;
    std::vector<std::int32_t> Fields;
    std::vector<std::int32_t> Shapes;
};

TEST_F(ParPropertyTest, NormalisingRandomStreamsIsCanonicalAndKeepsPositions) {
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        TRandom r(seed);
        auto par = RandomPar(r);
        const std::string input = ParText::Describe(par->Stream, Objects);
        par->Normalize();
        const std::string once = ParText::Describe(par->Stream, Objects);
        ASSERT_EQ(ParText::ExpectedChars(par->Stream), std::string(par->Chars.View())) << input << "\n" << once;
        ExpectCanonicalAttributes(par->Stream);
        const std::uint16_t flags = par->Flags;

        par->Changed();
        par->Normalize();
        ASSERT_EQ(ParText::Describe(par->Stream, Objects), once) << input;
        EXPECT_EQ(par->Flags, flags);

        ExerciseQueries(*par);
    }
}

TEST_F(ParPropertyTest, ArbitraryBytesNeverLeadOutsideTheBuffers) {
    // Streams and character buffers that do not match, truncated controls,
    // stray 0x01 bytes and dead object handles.
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        TRandom r(seed);
        auto par = std::make_unique<TPar>(&Objects.Doc());
        const std::uint32_t n = r.Below(80);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t pick = r.Below(10);
            if (pick < 3)
                par->Stream.AppendByte(static_cast<std::uint8_t>(r.Below(3)));
            else if (pick < 5)
                par->Stream.AppendByte(static_cast<std::uint8_t>(r.Below(40)));
            else
                par->Stream.AppendByte(static_cast<std::uint8_t>(r.Below(256)));
        }
        const std::uint32_t c = r.Below(30);
        for (std::uint32_t i = 0; i < c; ++i)
            par->Chars.AppendByte(static_cast<std::uint8_t>(r.Below(256)));
        par->Normalize();
        ExerciseQueries(*par);
        par->Changed();
        par->Normalize();
    }
}

}  // namespace
