#include "layout/lines/DocumentLines.h"

#include "base/core/TList.h"
#include "layout/lines/LineLayout.h"
#include "model/document/TDoc.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TTabManager.h"
#include "model/paragraphs/TPar.h"

TLayoutManagers::TLayoutManagers() : Fonts(std::make_unique<TFontManager>()), Tabs(std::make_unique<TTabManager>()) {}

TLayoutManagers::~TLayoutManagers() = default;

std::int64_t LayoutEveryParagraph(TDoc& doc, std::int32_t widthTwips) {
    std::int64_t chars = 0;
    for (std::int32_t i = 0; i < doc.ParCount(); ++i) {
        TPar* par = doc.Par(i);
        par->RebuildLines(true, widthTwips);
        chars += par->CharCount();
    }
    return chars;
}

void DescribeLines(const TPar& par, std::string& out) {
    for (std::int32_t i = 0; i < par.LineCount(); ++i) {
        const TLine& line = *par.Lines->At<TLine>(i);
        out += "line " + std::to_string(i) + " chars " + std::to_string(line.FirstChar) + "-" +
               std::to_string(line.FirstChar + line.CharCount) + " width " +
               std::to_string(line.Pos(line.CharCount) - line.Pos(0)) + " height " + std::to_string(line.Height) +
               " positions";
        for (std::int32_t k = 0; k <= line.CharCount; ++k)
            out += " " + std::to_string(line.Pos(k));
        out += "\n";
    }
}
