#include "model/managers/DescribeFormatting.h"

#include <gtest/gtest.h>

#include "base/core/ObjectHandles.h"
#include "base/text/MeasurementUnits.h"
#include "base/text/NumberFormats.h"
#include "model/formats/BorderSets.h"
#include "model/managers/TAutoList.h"

namespace {

class TStubNames : public TFormatNames {
public:
    std::string FontName(std::int32_t font) const override { return font == 3 ? "Times New Roman" : "Arial"; }
    std::string ColorName(std::int32_t color) const override {
        switch (color) {
            case 0x0000FF:
                return "Red";
            case 0x800000:
                return "Dark Blue";
            default:
                return TFormatNames::ColorName(color);
        }
    }
    std::vector<std::uint32_t> TabStops(std::int32_t tabTable) const override {
        if (tabTable != 5)
            return {};
        return {720, 1440 | (1u << 24), 2880 | (3u << 24)};
    }
};

const std::string kNbsp = "\xC2\xA0";

class DescribeFormattingTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFormatNames(&Names);
        SavedUnit = MeasureUnit();
        SavedSeparator = DecimalSeparator();
        SetMeasureUnit(muCentimeters);
        SetDecimalSeparator('.');
    }
    void TearDown() override {
        SetFormatNames(nullptr);
        SetMeasureUnit(SavedUnit);
        SetDecimalSeparator(SavedSeparator);
    }

    static TCharFormat Char(std::initializer_list<std::pair<int, std::int32_t>> values) {
        TCharFormat f = UnsetCharFormat;
        for (const auto& [attr, value] : values)
            f[attr] = value;
        return f;
    }
    static TParFormat Par(std::initializer_list<std::pair<int, std::int32_t>> values) {
        TParFormat f = UnsetParFormat;
        for (const auto& [prop, value] : values)
            SetParProp(f, prop, value);
        return f;
    }
    std::string Describe(const TCharFormat& c, const TParFormat& p = UnsetParFormat, std::uint32_t flags = 0) {
        return DescribeFormatting(c, p, ", ", flags);
    }

    TStubNames Names;
    std::int32_t SavedUnit = 0;
    char SavedSeparator = '.';
};

TEST_F(DescribeFormattingTest, CharacterPhrases) {
    EXPECT_EQ(Describe(Char({{caBold, 1}})), "bold");
    EXPECT_EQ(Describe(UnsetCharFormat), "");
    // A strike of 0 says nothing unless double strike is 0 too, or asked for.
    EXPECT_EQ(Describe(Char({{caStrike, 0}})), "");
    EXPECT_EQ(Describe(Char({{caStrike, 0}, {caDoubleStrike, 0}})), "not strike");
    EXPECT_EQ(Describe(Char({{caStrike, 0}}), UnsetParFormat, dfNegatives), "not strike");
    EXPECT_EQ(Describe(Char({{caStrike, 0}, {caDoubleStrike, 0}}), UnsetParFormat, dfNegatives),
              "not strike, not double strike");

    const TCharFormat rich = Char({
        {caFont, 3},
        {caSize, 25},
        {caBold, 1},
        {caItalic, 0},
        {caUnderline, 3},
        {caUnderlineColor, 0xFF},
        {caSmallCaps, 0},
        {caColor, 0x800000},
        {caHighlight, static_cast<std::int32_t>(0xFE000000u)},
        {caScript, 1},
        {caScale, 90},
        {caSpacing, 30},
        {caOffset, -6},
        {caKerning, 17},
        {caCharStyle, 4},
        {caLanguage, 1031},
    });
    EXPECT_EQ(Describe(rich),
              "font: Times New Roman, font size: 12.5 pt, bold, not italic, double underline, underline color: red, "
              "no small caps, font color: dark blue, highlight color: (Any), superscript, character scale: 90%, "
              "character spacing: 1.5 pt, vertical offset down: 6 pt, kerning: 8 pt and greater");

    EXPECT_EQ(
        Describe(Char(
            {{caHighlight, AutoColor}, {caScript, 0}, {caScale, 100}, {caSpacing, 0}, {caOffset, 3}, {caKerning, 0}})),
        "highlight color: (None), no scripts, no character scaling, normal character spacing, "
        "vertical offset up: 3 pt, no kerning");
    EXPECT_EQ(Describe(Char({{caColor, 0x123456}, {caHighlight, 0xFF}})),
              "font color: rgb(86,52,18), highlight color: red");
    EXPECT_EQ(Describe(Char({{caUnderline, 5}})), "underline");  // a code without a name of its own
}

TEST_F(DescribeFormattingTest, FlagsForDefaultsSamplesAndNonBreakingSpaces) {
    const std::string withDefaults = Describe(Char({{caBold, 0}}), UnsetParFormat, dfDefaultFontAndSize);
    EXPECT_EQ(withDefaults.rfind("font: ", 0), 0u) << withDefaults;
    EXPECT_NE(withDefaults.find("font size: "), std::string::npos);

    EXPECT_EQ(Describe(Char({{caSize, 24}, {caColor, 0x800000}, {caUnderlineColor, AutoColor}}), UnsetParFormat,
                       dfColorSamples | dfNonBreaking),
              "font size: 12" + kNbsp +
                  "pt, underline color: auto, font color: \x13"
                  "8388608\x13 dark" +
                  kNbsp + "blue");
    EXPECT_EQ(Describe(Char({{caHighlight, 0xFF}}), UnsetParFormat, dfColorSamples),
              "highlight color: \x13"
              "255\x13 red");
}

TEST_F(DescribeFormattingTest, ParagraphPhrases) {
    TBorderSet set;
    InitBorderSet(set);
    set.Borders[bsLeft].Width = 30;
    set.Borders[bsLeft].Type = 1;
    set.Borders[bsLeft].Color = 0xFF;
    const std::int32_t borders = InternBorderSet(set);

    TAutoList bullets;
    bullets.SingleLevel = 1;
    bullets.Levels[0].NumberFormat = 23;

    const TParFormat p = Par({
        {ppFirstIndent, -360},
        {ppLeftIndent, 1440},
        {ppLineSpacing, 360},
        {ppLineSpacingMultiple, 1},
        {ppRightIndent, 0},
        {ppAlignment, 3},
        {ppKeepWithNext, 1},
        {ppKeepTogether, 0},
        {ppPageBreakBefore, 0},
        {ppWidowControl, 1},
        {ppNoHyphenation, 0},
        {ppSpaceBefore, -20},
        {ppSpaceAfter, 120},
        {ppContextualSpacing, 1},
        {ppSuppressLineNumbers, 0},
        {ppStyle, 2},
        {ppOutlineLevel, 9},
        {ppTabs, 5},
        {ppList, static_cast<std::int32_t>(ObjectHandle(&bullets))},
        {ppListLevel, 0},
        {ppBorders, borders},
        {ppShading, -1},
    });
    EXPECT_EQ(DescribeFormatting(UnsetCharFormat, p, "; ", 0),
              "first line outdent: 0.64 cm; left indent: 1.91 cm; 1.5 lines spacing; right indent: 0 cm; "
              "justified alignment; keep with next paragraph; do not keep paragraph lines together; "
              "no page break before; widow/orphan control; \"do not hyphenate\" turned off; spacing before: Auto; "
              "spacing after: 6 pt; don't add space between paragraphs of the same style; "
              "don't suppress line numbers; outline level: body text; "
              "tab stops: 1.27 cm, 2.54 cm centered, 5.08 cm decimal; simple bulleted list; "
              "paragraph borders: left - 1 1/2 pt Red, top - no border, right - no border, bottom - no border, "
              "inside - no border; no paragraph shading");

    TAutoList outline;
    outline.Levels[0].NumberFormat = 0;
    struct Case {
        TParFormat format;
        std::uint32_t flags;
        std::string expected;
    };
    const Case cases[] = {
        {Par({{ppFirstIndent, 0}}), 0, "no first line indent/outdent"},
        {Par({{ppFirstIndent, 720}, {ppLeftIndent, 720}}), 0, "first line indent: 1.27 cm, left indent: 1.27 cm"},
        {Par({{ppLineSpacing, -240}, {ppLineSpacingMultiple, 0}}), 0, "line spacing exactly: 12 pt"},
        {Par({{ppLineSpacing, 250}, {ppLineSpacingMultiple, 0}}), 0, "line spacing at least: 12.5 pt"},
        {Par({{ppLineSpacing, 240}, {ppLineSpacingMultiple, 1}}), 0, "single line spacing"},
        {Par({{ppLineSpacing, 480}, {ppLineSpacingMultiple, 1}}), 0, "double line spacing"},
        {Par({{ppLineSpacing, 300}, {ppLineSpacingMultiple, 1}}), 0, "single line spacing multiple: 1.25"},
        {Par({{ppLineSpacing, 300}}), 0, ""},  // without its multiple flag the spacing says nothing
        {Par({{ppAlignment, 1}, {ppOutlineLevel, 0}}), 0, "centered alignment, outline level: 1"},
        {Par({{ppTabs, 0}}), 0, ""},
        {Par({{ppTabs, 0}}), dfNegatives, "no tab stops"},
        {Par({{ppList, static_cast<std::int32_t>(ObjectHandle(&outline))}, {ppListLevel, 2}}), 0,
         "outline list (level 3)"},
        {Par({{ppList, 0}}), 0, ""},
        {Par({{ppBorders, 0}, {ppShading, 0xFF}}), 0, "no paragraph borders, paragraph shading: Red"},
        {Par({{ppRightIndent, 1440}}), dfNonBreaking, "right indent: 2.54" + kNbsp + "cm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(Describe(UnsetCharFormat, c.format, c.flags), c.expected);
    }

    bullets.Levels[0].NumberFormat = 255;  // no label is not a bullet: a numbered list
    EXPECT_EQ(Describe(UnsetCharFormat, Par({{ppList, static_cast<std::int32_t>(ObjectHandle(&bullets))}})),
              "simple numbered list");
}

}  // namespace
