#include "model/managers/TFontManager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/text/Charsets.h"
#include "base/text/TStringList.h"
#include "model/host/FontQueries.h"
#include "model/managers/FontData.h"
#include "model/managers/TKerningPairs.h"
#include "model/managers/TSharedFont.h"
#include "platform/DeviceContexts.h"
#include "platform/Fonts.h"
#include "support/TestSupport.h"

namespace {

// A font manager over the fixture fonts: the families Arial, Liberation
// Sans, Liberation Serif and Times New Roman.
class FontManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestSupport::UseFixtureFonts();
        FontManagerHooks() = TFontManagerHooks{};
        // The manager sets the fonts of the constant formats; other tests of
        // this binary expect them as they were.
        savedTimes = DefaultCharFormat[caFont];
        savedArial = LabelCharFormat[caFont];
        manager = new TFontManager;
        dc = Platform::CreateCompatibleDC(nullptr);
    }
    void TearDown() override {
        delete manager;
        Platform::DeleteDC(dc);
        FontManagerHooks() = TFontManagerHooks{};
        SetConstantFormatFonts(savedTimes, savedArial);
    }
    TCharFormat Format(std::int32_t font) const {
        TCharFormat f = DefaultCharFormat;
        f[caFont] = font;
        return f;
    }
    TFontManager* manager = nullptr;
    Platform::HDC dc = nullptr;
    std::int32_t savedTimes = 0;
    std::int32_t savedArial = 0;
};

TEST_F(FontManagerTest, StartUpRegistersEveryFamilyAndTheWellKnownFonts) {
    EXPECT_EQ(FontManager, manager);
    std::vector<std::string> families;
    for (std::int32_t i = 0; i < manager->Families.Count; ++i)
        families.push_back(manager->FamilyAt(i)->Name);
    EXPECT_EQ(families, (std::vector<std::string>{"Arial", "Liberation Sans", "Liberation Serif", "Times New Roman"}));
    for (std::int32_t i = 0; i < manager->Families.Count; ++i)
        EXPECT_EQ(manager->FamilyAt(i)->Registered, 1);

    const TRegFont* arial = manager->RegFont(manager->ArialFont);
    EXPECT_EQ(arial->GetName(), "Arial");
    EXPECT_TRUE(arial->Installed);
    EXPECT_EQ(arial->Charset, DefaultCharset());
    EXPECT_EQ(manager->RegFont(manager->TimesFont)->GetName(), "Times New Roman");
    // Neither symbol font is installed here: they stay registered by name.
    EXPECT_FALSE(manager->RegFont(manager->SymbolFont)->Installed);
    EXPECT_EQ(manager->RegFont(manager->WingdingsFont)->Name, "Wingdings");
    EXPECT_EQ(FallbackFace, "Arial");

    EXPECT_EQ(DefaultCharFormat[caFont], manager->TimesFont);
    EXPECT_EQ(LabelCharFormat[caFont], manager->ArialFont);
    EXPECT_EQ(BoldLabelCharFormat[caFont], manager->ArialFont);
}

TEST_F(FontManagerTest, RegistrationKeepsOneIndexPerCharsetAndOneIdPerName) {
    const std::int32_t a = manager->RegisterFont("Arial", 0, false);
    EXPECT_EQ(manager->RegisterFont("Arial", 0, false), a);
    EXPECT_EQ(manager->RegisterFont("ARIAL", 0, false), a);
    const std::int32_t greekBefore = manager->RegisterFont("Arial", 161, false);
    const std::int32_t baltic = manager->RegisterFont("Arial", 99, false);
    EXPECT_NE(baltic, a);
    EXPECT_EQ(manager->RegFont(baltic)->FontId, manager->RegFont(a)->FontId);
    EXPECT_EQ(manager->RegFont(baltic)->CreateCharset, 99);
    EXPECT_EQ(manager->RegisterFont("Arial", 161, false), greekBefore);
    // The model learns character sets and name ids through its seam.
    EXPECT_EQ(DocFontCharset(baltic), 99);
    EXPECT_EQ(DocFontNameId(baltic), DocFontNameId(a));
    EXPECT_NE(DocFontNameId(a), DocFontNameId(manager->TimesFont));

    // Unknown names are registered as they are, once per charset.
    const std::int32_t x = manager->RegisterFont("Zapf Humanist", 0, false);
    EXPECT_FALSE(manager->RegFont(x)->Installed);
    EXPECT_EQ(manager->RegisterFont("zapf humanist", 0, false), x);
    const std::int32_t xr = manager->RegisterFont("Zapf Humanist", 204, false);
    EXPECT_NE(xr, x);
    EXPECT_EQ(manager->RegFont(xr)->FontId, manager->RegFont(x)->FontId);
    EXPECT_EQ(manager->IndexOfFont("ZAPF HUMANIST"), x);
    EXPECT_EQ(manager->IndexOfFont("Nothing"), -1);

    // With the charset unset a family gives the first font of that name.
    EXPECT_EQ(manager->RegisterFont("Arial", UnsetValue, false), manager->IndexOfFont("Arial"));
}

TEST_F(FontManagerTest, FuzzyRegistrationFindsTheFamilyOfALongerName) {
    const std::int32_t fuzzy = manager->RegisterFont("Arial Black", 0, true);
    const TRegFont* font = manager->RegFont(fuzzy);
    EXPECT_TRUE(font->Installed);
    EXPECT_EQ(font->Name, "Arial Black");
    EXPECT_EQ(font->GetName(), "Arial");
    const std::int32_t exact = manager->RegisterFont("Liberation Serif Semibold", 0, false);
    EXPECT_FALSE(manager->RegFont(exact)->Installed);
    EXPECT_EQ(manager->FindFamily("Times New Roman Bold", true), manager->IndexOfFamily("Times New Roman"));
    EXPECT_EQ(manager->FindFamily("Helvetica", true), -1);
    EXPECT_EQ(manager->FindFamily("Arial", true), manager->IndexOfFamily("arial"));
}

TEST_F(FontManagerTest, FontWithCharsetMakesVariantsOnDemand) {
    const std::int32_t id = manager->RegFont(manager->ArialFont)->FontId;
    const std::int32_t greek = manager->FontWithCharset(id, 161);
    EXPECT_EQ(manager->RegFont(greek)->Charset, 161);
    EXPECT_EQ(manager->RegFont(greek)->FontId, id);
    EXPECT_EQ(manager->FontWithCharset(id, 161), greek);
    const std::int32_t count = manager->RegFonts.Count;
    const std::int32_t odd = manager->FontWithCharset(id, 77);
    EXPECT_EQ(manager->RegFonts.Count, count + 1);
    EXPECT_EQ(manager->RegFont(odd)->GetName(), "Arial");
    // A request for the symbol set goes to the family's own set.
    EXPECT_EQ(manager->RegFont(manager->FontWithCharset(id, 2))->Charset,
              manager->FamilyAt(manager->RegFont(id)->Family)->Charset);
}

TEST_F(FontManagerTest, SubstitutionFollowsTheTableToAnInstalledFamily) {
    struct Case {
        const char* name;
        bool noFallback;
        const char* substitute;
    };
    const Case cases[] = {
        {"Helv", true, "Arial"},               // Helv -> Helvetica -> Arial
        {"Tms Rmn", true, "Times New Roman"},  // -> Times Roman -> Times New Roman
        {"Geneva", true, "Arial"},
        {"Courier", true, ""},        // Courier -> Courier New -> Courier: a loop
        {"Zapf Dingbats", true, ""},  // a loop of four names
        {"Unlisted", true, ""},
        {"Unlisted", false, "Unlisted"},  // with the fallback: the name itself
        {"Courier", false, "Courier"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(manager->GetSubstitute(c.name, c.noFallback), c.substitute);
    }
    // Faces the system replaced are remembered and used as the fallback.
    TCharFormat f = Format(manager->RegisterFont("Courier", 0, false));
    manager->SelectFont(f, -16, dc, true, false);
    ASSERT_EQ(manager->SeenFaceRequested.Count, 1);
    EXPECT_EQ(manager->SeenFaceRequested.GetString(0), "Courier");
    EXPECT_EQ(manager->GetSubstitute("Courier", false), "Arial");
    EXPECT_EQ(manager->GetSubstitute("Courier", true), "");
}

TEST_F(FontManagerTest, SharedFontsAreReusedForFormatsThatDrawAlike) {
    TCharFormat f = Format(manager->TimesFont);
    manager->SelectFont(f, -16, dc, true, false);
    TSharedFont* first = CurrentSharedFont;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Platform::CurrentFont(dc), first->Handle);
    EXPECT_EQ(Platform::GetTextFace(dc), "Times New Roman");
    EXPECT_EQ(first->Format[caSize], -16);
    EXPECT_EQ(first->UseCount, 1);

    struct Case {
        const char* name;
        int attr;
        std::int32_t value;
        bool same;
    };
    const Case cases[] = {
        {"colour", caColor, 0x0000FF, true},
        {"kerning threshold", caKerning, 24, true},
        {"highlight", caHighlight, 0x00FFFF, true},
        {"language", caLanguage, 1049, true},
        {"bold", caBold, 1, false},
        {"underline", caUnderline, 1, false},
        {"scale", caScale, 150, false},
        {"font", caFont, manager->ArialFont, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCharFormat g = f;
        g[c.attr] = c.value;
        manager->SelectFont(g, -16, dc, true, false);
        EXPECT_EQ(CurrentSharedFont == first, c.same);
        manager->SelectFont(f, -16, dc, true, false);
        EXPECT_EQ(CurrentSharedFont, first);
    }
    manager->SelectFont(f, -32, dc, false, false);
    EXPECT_NE(CurrentSharedFont, first);
    EXPECT_GT(first->UseCount, 5);
    // Sorting by use puts the busiest font first.
    manager->SharedFonts.Sort(
        [this](TList* list, std::int32_t i, std::int32_t j) { return manager->CompareUseCount(list, i, j); });
    EXPECT_EQ(manager->SharedFonts.At<TSharedFont>(0), first);
}

TEST_F(FontManagerTest, SharedFontMetricsAndWidths) {
    TCharFormat f = Format(manager->ArialFont);
    manager->SelectFont(f, -16, dc, true, false);
    const TSharedFont* font = CurrentSharedFont;
    EXPECT_EQ(font->Metrics.Ascent, 15);
    EXPECT_EQ(font->Descent, 3 + 1);  // descent and external leading
    EXPECT_EQ(font->Height, 19);
    EXPECT_EQ(font->Widths['A'], Platform::GetCharWidthW(dc, u'A'));
    EXPECT_EQ(font->TextWidth("AVA"), 2 * font->Widths['A'] + font->Widths['V']);
    EXPECT_EQ(font->TextWidth(""), 0);

    // A scaled format is made with a width of the scaled average width.
    for (std::int32_t scale : {150, 50, 1}) {
        SCOPED_TRACE(scale);
        TCharFormat scaled = f;
        scaled[caScale] = scale;
        manager->SelectFont(scaled, -160, dc, true, false);
        const std::int32_t avg = CurrentSharedFont->Metrics.AveCharWidth;
        manager->SelectFont(f, -160, dc, false, false);
        const std::int32_t natural = CurrentSharedFont->Metrics.AveCharWidth;
        EXPECT_NEAR(avg, std::max(1, natural * scale / 100), 1);
    }
}

TEST_F(FontManagerTest, AFormatWithAnUnregisteredFontDrawsInArial) {
    TCharFormat f = Format(123456);
    manager->SelectFont(f, -16, dc, true, false);
    EXPECT_EQ(Platform::GetTextFace(dc), "Arial");
}

TEST_F(FontManagerTest, KerningPairsOfTheCurrentFont) {
    TCharFormat f = Format(manager->TimesFont);
    manager->SelectFont(f, -64, dc, true, false);
    manager->SelectKerningPairs(f, -64, dc);
    TKerningPairs* pairs = CurrentKerningPairs;
    ASSERT_NE(pairs, nullptr);
    EXPECT_LT(KerningAmount(pairs, 'A', 'V'), 0);
    EXPECT_LT(KerningAmount(pairs, 'V', 'A'), 0);
    EXPECT_EQ(KerningAmount(pairs, 'A', 'A'), 0);
    EXPECT_EQ(KerningAmount(pairs, 0, 0), 0);
    EXPECT_EQ(KerningAmount(nullptr, 'A', 'V'), 0);
    // The same format keeps the same pairs; another size gets its own.
    TCharFormat coloured = f;
    coloured[caColor] = 0xFF;
    manager->SelectKerningPairs(coloured, -64, dc);
    EXPECT_EQ(CurrentKerningPairs, pairs);
    manager->SelectFont(f, -16, dc, true, false);
    manager->SelectKerningPairs(f, -16, dc);
    EXPECT_NE(CurrentKerningPairs, pairs);
    EXPECT_GT(KerningAmount(pairs, 'A', 'V'), 3 * KerningAmount(CurrentKerningPairs, 'A', 'V') - 4);
    manager->SelectKerningPairs(f, -64, dc);
    EXPECT_EQ(CurrentKerningPairs, pairs);
}

TEST_F(FontManagerTest, ConfirmingAFontName) {
    {
        TestSupport::TScriptedMessageBoxes boxes;
        std::int32_t index = UnsetValue;
        EXPECT_TRUE(manager->ConfirmFontName(index, "", nullptr));
        index = manager->ArialFont;
        EXPECT_FALSE(manager->ConfirmFontName(index, "", nullptr));
        EXPECT_EQ(index, manager->ArialFont);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text, "Font name cannot be blank.");
        EXPECT_EQ(boxes.Shown()[0].Kind, mbkInformation);
    }
    {
        TestSupport::TScriptedMessageBoxes boxes({mrNo, mrYes});
        void* focused = nullptr;
        int control = 0;
        FontManagerHooks().FocusControl = [&](void* c) { focused = c; };
        const std::int32_t count = manager->RegFonts.Count;
        std::int32_t index = manager->ArialFont;
        EXPECT_FALSE(manager->ConfirmFontName(index, "Futura Book", &control));
        EXPECT_EQ(index, manager->ArialFont);
        EXPECT_EQ(manager->RegFonts.Count, count);
        EXPECT_EQ(focused, &control);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].Text,
                  "The \"Futura Book\" font is unavailable on this system. Use this font anyway?");
        EXPECT_EQ(boxes.Shown()[0].Kind, mbkWarning);
        EXPECT_EQ(boxes.Shown()[0].Buttons, mbYes | mbNo);

        EXPECT_TRUE(manager->ConfirmFontName(index, "Futura Book", nullptr));
        EXPECT_EQ(manager->RegFont(index)->Name, "Futura Book");
        EXPECT_FALSE(manager->RegFont(index)->Installed);
        EXPECT_EQ(manager->RegFont(index)->Charset, manager->RegFont(manager->ArialFont)->Charset);
    }
    {
        // A registered name needs no question; the charset of the old font stays.
        TestSupport::TScriptedMessageBoxes boxes;
        std::int32_t index = manager->RegisterFont("Arial", 204, false);
        EXPECT_TRUE(manager->ConfirmFontName(index, "Times New Roman", nullptr));
        EXPECT_EQ(manager->RegFont(index)->GetName(), "Times New Roman");
        EXPECT_EQ(manager->RegFont(index)->Charset, 204);
        EXPECT_TRUE(boxes.Shown().empty());
    }
}

TEST_F(FontManagerTest, FontNamesListFavouritesFirst) {
    manager->FavoriteFonts.Add("Times New Roman");
    manager->FavoriteFonts.Add("Verdana");  // not installed: left out
    manager->FavoriteFonts.Add("Arial");
    TStringList names;
    manager->GetFontNames(names);
    std::vector<std::string> listed;
    for (std::int32_t i = 0; i < names.Count; ++i)
        listed.push_back(names.GetString(i));
    EXPECT_EQ(listed, (std::vector<std::string>{"Times New Roman", "Arial", "Liberation Sans", "Liberation Serif"}));
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(names.GetObject(0)), manager->IndexOfFamily("Times New Roman"));
    FontManagerHooks().ShowOnlyFavoriteFonts = [] { return true; };
    manager->GetFontNames(names);
    EXPECT_EQ(names.Count, 2);
}

TEST_F(FontManagerTest, RefreshKeepsIndicesAndDropsTheCaches) {
    const std::int32_t unknown = manager->RegisterFont("Zapf Humanist", 0, false);
    TCharFormat f = Format(manager->ArialFont);
    manager->SelectFont(f, -16, dc, true, false);
    manager->SelectKerningPairs(f, -16, dc);
    int rebuilt = 0;
    FontManagerHooks().RebuildDocumentLayouts = [&] { ++rebuilt; };
    const std::int32_t count = manager->RegFonts.Count;
    manager->Refresh();
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(CurrentSharedFont, nullptr);
    EXPECT_EQ(CurrentKerningPairs, nullptr);
    EXPECT_EQ(manager->SharedFonts.Count, 0);
    EXPECT_EQ(manager->RegFonts.Count, count);
    EXPECT_EQ(manager->RegFont(manager->ArialFont)->GetName(), "Arial");
    EXPECT_FALSE(manager->RegFont(unknown)->Installed);
}

TEST_F(FontManagerTest, LogicalFontOfACharacterFormat) {
    TCharFormat f = Format(manager->RegisterFont("Helv", 0, false));
    f[caSize] = -21;
    f[caBold] = 1;
    f[caUnderline] = 11;
    Platform::TLogFont lf;
    CharFormatToLogFont(f, lf);
    EXPECT_EQ(lf.Height, -21);
    EXPECT_EQ(lf.Weight, 700);
    EXPECT_TRUE(lf.Underline);
    EXPECT_FALSE(lf.Italic);
    EXPECT_FALSE(lf.StrikeOut);
    EXPECT_EQ(lf.FaceName, "Arial");  // the substitute of a font that is not installed
    f[caFont] = manager->RegisterFont("Times New Roman", 204, false);
    CharFormatToLogFont(f, lf);
    EXPECT_EQ(lf.FaceName, "Times New Roman");
    EXPECT_EQ(lf.Charset, 204);
}

}  // namespace

TEST(CompareFontNumbersTest, OrdersByNumberOverTheWholeRange) {
    // The reader's preset entry carries the largest number; a file may give
    // negative ones. Subtracting them would overflow and sort the preset first.
    struct Case {
        std::int32_t a, b;
        int sign;
    };
    const Case cases[] = {
        {1, 2, -1}, {2, 1, 1}, {5, 5, 0}, {INT32_MAX, -5, 1}, {-5, INT32_MAX, -1}, {INT32_MIN, INT32_MAX, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.a) + " " + std::to_string(c.b));
        TFontTableEntry a, b;
        a.Number = c.a;
        b.Number = c.b;
        TList list;
        list.Add(&a);
        list.Add(&b);
        const int got = CompareFontNumbers(&list, 0, 1);
        EXPECT_EQ((got > 0) - (got < 0), c.sign);
    }

    TFontTableEntry entries[4];
    const std::int32_t numbers[4] = {INT32_MAX, 3, -7, 0};
    TList list;
    for (int i = 0; i < 4; ++i) {
        entries[i].Number = numbers[i];
        list.Add(&entries[i]);
    }
    list.Sort(CompareFontNumbers);
    std::vector<std::int32_t> sorted;
    for (std::int32_t i = 0; i < list.Count; ++i)
        sorted.push_back(list.At<TFontTableEntry>(i)->Number);
    EXPECT_EQ(sorted, (std::vector<std::int32_t>{-7, 0, 3, INT32_MAX}));
}
