#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TDoc;
class TFontManager;
class TPar;
class TTabManager;

// The font and tab managers layout measures with, for programs that lay
// documents out without the application around them (the dump program,
// benchmarks). Made before the documents, destroyed after them.
struct TLayoutManagers {
    TLayoutManagers();
    ~TLayoutManagers();
    std::unique_ptr<TFontManager> Fonts;
    std::unique_ptr<TTabManager> Tabs;
};

// Lays every paragraph of a document out at one text width in twips, each
// paragraph from its first line and without wrap areas, as the flow does
// before it places lines into boxes. Returns the number of characters laid
// out. The document's font and tab managers must exist.
std::int64_t LayoutEveryParagraph(TDoc& doc, std::int32_t widthTwips);

// Appends one text line per laid-out line of the paragraph:
//   line N chars FIRST-END width W height H positions X0 X1 ...
// with the character range half open, the width and the positions in
// sixteenths of a pixel at 100 % and the height in twips.
void DescribeLines(const TPar& par, std::string& out);
