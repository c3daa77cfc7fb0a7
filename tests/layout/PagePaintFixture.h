#pragma once

#include <memory>
#include <string>

#include "ViewFixture.h"
#include "model/managers/TColorManager.h"

// Whole pages painted through the view and the box painter with the real
// line painter, for golden images: the fixture fonts at 96 pixels per inch,
// shown at half size so that the images stay small. The line painter's
// options and hooks are the defaults for each test and put back after it.
class PagePaintFixture : public ViewFixture {
protected:
    // bodyLines: the page body's height in lines of the fixture text.
    explicit PagePaintFixture(int bodyLines) : BodyLines(bodyLines) {}
    void SetUp() override;
    void TearDown() override;

    // Lays the document out and paints the first page alone in a window
    // just large enough for it.
    void PaintFirstPage();
    // Shows the page at the half size, scrolled to page index (not painted).
    void ShowPage(std::int32_t index);
    // Compares the window with the golden image of that name.
    void ExpectGolden(const std::string& name);

    std::unique_ptr<TColorManager> Colors;

private:
    int BodyLines;
};
