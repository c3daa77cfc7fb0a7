// rezdump FILE: opens a document as the program does and prints its
// structure, for developers looking at what a reader made of a file.
// rezdump --layout WIDTH_PX FILE lays every paragraph out at a text width
// in pixels (96 pixels per inch, 100 %) and prints its lines instead. The
// exit code is 0 when the document opened, 1 when it was refused (the
// messages go to stderr), 2 for a wrong command line.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "base/graphics/TwipsAndPixels.h"
#include "editing/tables/TableStructure.h"
#include "files/opening/OpenDocument.h"
#include "layout/lines/DocumentLines.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"
#include "platform/Screen.h"

namespace {

const char* const StoryNames[StoryCount] = {"main", "footnotes", "endnotes", "headers/footers"};

// The text of a paragraph in UTF-8, with its special characters named.
std::string ParText(TPar& par) {
    par.BuildWideText();
    std::u16string text;
    std::string out;
    auto flush = [&] {
        out += Platform::Utf16ToUtf8(text);
        text.clear();
    };
    for (std::int32_t i = 0; i < par.CharCount(); ++i) {
        const std::uint8_t code = par.Chars.Data[i];
        const char* name = nullptr;
        switch (code) {
            case chParEnd:
                continue;
            case chSectionBreak:
                name = "[section]";
                break;
            case chCellEnd:
                name = "[cell]";
                break;
            case chRowEnd:
                name = "[row]";
                break;
            case chColumnBreak:
                name = "[column]";
                break;
            case chLineBreak:
                name = "[line]";
                break;
            case chPageBreak:
                name = "[page]";
                break;
            case chTab:
                name = "[tab]";
                break;
            case chShapeAnchor:
                name = "[shape]";
                break;
            case chNoteRef:
                name = "[note]";
                break;
            default:
                break;
        }
        if (name != nullptr) {
            flush();
            out += name;
        } else if (i < static_cast<std::int32_t>(par.WideText.size())) {
            text += par.WideText[static_cast<std::size_t>(i)];
        }
    }
    flush();
    return out;
}

std::string StyleName(const TDoc& doc, std::int32_t index) {
    if (doc.Styles == nullptr || index < 0 || index >= doc.Styles->Count)
        return "?";
    const TStyle* style = doc.Styles->Style(index);
    return style != nullptr ? style->Name : "?";
}

void Dump(TDoc& doc, const TDocOpeningOptions& options) {
    std::printf("format %d \"%s\"\n", options.Format, FormatDisplayName(options.Format).c_str());
    std::printf("paragraphs %d\n", doc.ParCount());
    std::printf("stories");
    for (int story = 0; story < StoryCount; ++story)
        std::printf(" %s %d", StoryNames[story], doc.StoryCounts[story]);
    std::printf("\n");
    std::printf("sections %d\n", doc.Sections.Count);
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        const TSection* section = doc.Sections.At<TSection>(i);
        std::printf("section %d paragraphs %d to %d\n", i, section->FirstPar, section->LastPar);
    }
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        TPar& par = *doc.Par(p);
        std::printf("par %d [%s, style %d \"%s\", level %d%s] \"%s\"\n", p, StoryNames[doc.StoryOfPar(p)],
                    par.Format.Style, StyleName(doc, par.Format.Style).c_str(), par.Format.ListLevel,
                    par.Format.InTable != 0 ? ", in table" : "", ParText(par).c_str());
        if (IsRowEnd(doc, p)) {
            if (const TTableRow* row = TableRowOf(doc, p)) {
                std::printf("row %d cells, right edges", row->Data.CellCount);
                for (std::int32_t c = 0; c < row->Data.CellCount; ++c)
                    std::printf(" %d", row->Data.Cells[c].RightEdge);
                std::printf("\n");
            }
        }
    }
}

void DumpLayout(TDoc& doc, std::int32_t widthPixels) {
    const std::int32_t width = PixelsToTwips(widthPixels);
    const std::int64_t chars = LayoutEveryParagraph(doc, width);
    std::printf("layout width %d px (%d twips), %lld characters\n", widthPixels, width, static_cast<long long>(chars));
    std::string text;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        text.clear();
        DescribeLines(*doc.Par(p), text);
        std::printf("par %d\n%s", p, text.c_str());
    }
}

int Usage() {
    std::fprintf(stderr, "usage: rezdump FILE\n       rezdump --layout WIDTH_PX FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const bool layout = argc == 4 && std::strcmp(argv[1], "--layout") == 0;
    if (argc != 2 && !layout)
        return Usage();
    std::int32_t widthPixels = 0;
    if (layout) {
        const std::string_view arg(argv[2]);
        const auto [end, error] = std::from_chars(arg.data(), arg.data() + arg.size(), widthPixels);
        // A text column of at least a pixel and below some 90 inches.
        if (error != std::errc() || end != arg.data() + arg.size() || widthPixels < 1 || widthPixels > 8640) {
            std::fprintf(stderr, "rezdump: the width must be a number of pixels from 1 to 8640\n");
            return 2;
        }
        Platform::SetScreenMetrics(1920, 1080, 96);
    }
    // Layout measures with the program's fonts and tab stops.
    std::unique_ptr<TLayoutManagers> managers;
    if (layout)
        managers = std::make_unique<TLayoutManagers>();
    TDoc doc(true);
    // Like the hidden documents of conversions, the dump shows the text with
    // its final paragraph end mark.
    doc.TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = 0xFFFF;  // detect
    options.FileName = argv[layout ? 3 : 1];
    // A dump never edits the file: it takes no lock and leaves the file to
    // an instance that has it open.
    options.OpenReadOnly = true;
    if (!OpenDocument(doc, options))
        return 1;
    if (layout)
        DumpLayout(doc, widthPixels);
    else
        Dump(doc, options);
    return 0;
}
