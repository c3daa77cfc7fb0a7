#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"

// A document with the fixture fonts at 96 pixels per inch, the font and tab
// managers, and paragraphs written as text in which a few control
// characters stand for the special characters:
// their own codes: \t tab, \a (7) line break, \b (8) page break, \x06
// column break, \x03 section break, \x0B non-breaking space, \x0C
// non-breaking hyphen, \x0F optional hyphen, \x12 en space.
// Every paragraph gets its paragraph mark.
class LineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The document's first paragraph, given text; further calls add
    // paragraphs after it.
    TPar& Par(std::string_view text, std::int32_t font = -1, std::int32_t halfPoints = 24);
    // Appends text to a paragraph before its mark (in the current format).
    static void AppendText(TPar& par, std::string_view text);
    static void AppendAttr(TPar& par, std::uint8_t attr, std::int32_t value);
    static void CloseParagraph(TPar& par);

    // The paragraph laid out at a width in twips.
    void Layout(TPar& par, std::int32_t width) { par.LayoutLines(0, width, nullptr); }
    static std::vector<std::int32_t> LineStarts(const TPar& par);
    static TLine& LineOf(const TPar& par, std::int32_t i) { return *par.Lines->At<TLine>(i); }

    // The px16 width of text in a font at a size, and a limit in twips that
    // it just fits.
    std::int32_t TextWidth(std::string_view text, std::int32_t font, std::int32_t halfPoints);
    std::int32_t FitWidth(std::string_view text, std::int32_t font, std::int32_t halfPoints);
    // A tab table of one stop, made the paragraph's.
    static void SetTabStop(TPar& par, std::int32_t position, std::uint8_t kind);

    std::int32_t Times() const { return Fonts->TimesFont; }
    std::int32_t Arial() const { return Fonts->ArialFont; }

    std::unique_ptr<TFontManager> Fonts;
    std::unique_ptr<TTabManager> Tabs;
    std::unique_ptr<TDoc> Doc;

private:
    std::int32_t SavedTimes = 0;
    std::int32_t SavedArial = 0;
    bool FirstParUsed = false;
};
