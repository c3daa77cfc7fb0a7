// rezdump FILE: opens a document as the program does and prints its
// structure, for developers looking at what a reader made of a file.
// rezdump --pages[=WIDTH] FILE also paginates the document (at a text width
// of WIDTH twips when given) and prints each page's boxes with the
// paragraphs and lines they hold.
// rezdump --layout WIDTH_PX FILE lays every paragraph out at a text width
// in pixels (96 pixels per inch, 100 %) and prints its lines instead.
// rezdump --save-rtf OUT FILE opens the document and saves it as RTF to OUT,
// as Save As does.
// The exit code is 0 when the document opened (and was saved), 1 when it
// was refused or could not be saved (the messages go to stderr), 2 for a
// wrong command line.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "base/core/TList.h"
#include "base/graphics/TwipsAndPixels.h"
#include "editing/tables/TableStructure.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveDocument.h"
#include "files/saving/SaveToFormat.h"
#include "layout/boxes/TPage.h"
#include "layout/lines/DocumentLines.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TFontManager.h"
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

const char* BoxKindName(const TBox& box) {
    if ((box.Flags & bxBand) != 0)
        return "band";
    if ((box.Flags & bxColumn) != 0)
        return "column";
    if ((box.Flags & bxText) != 0)
        return "text";
    if ((box.Flags & bxTable) != 0)
        return "table";
    if ((box.Flags & bxCell) != 0)
        return "cell";
    if ((box.Flags & bxFooter) != 0)
        return "footer";
    if ((box.Flags & bxFrame) != 0)
        return box.Story == stHeadersFooters ? "header" : "frame";
    return "box";
}

void DumpBox(const TBox& box, int depth) {
    std::printf("%*s%s", depth * 2, "", BoxKindName(box));
    if (box.Story != NoStory)
        std::printf(" [%s]", StoryNames[box.Story < StoryCount ? box.Story : 0]);
    std::printf(" (%d,%d)-(%d,%d)", box.Bounds.Left, box.Bounds.Top, box.Bounds.Right, box.Bounds.Bottom);
    if (box.LineCount() > 0) {
        const TLine* first = box.FirstLine(0);
        const TLine* last = box.LastLine(0);
        if (first != nullptr && last != nullptr)
            std::printf(": %d lines, par %d line %d to par %d line %d", box.LineCount(), first->Par->Index,
                        first->IndexInPar, last->Par->Index, last->IndexInPar);
    }
    std::printf("\n");
    for (std::int32_t i = 0; i < box.Count; ++i)
        DumpBox(*box.Child(i), depth + 1);
}

void DumpPages(TDoc& doc, std::int32_t textWidth) {
    if (textWidth > 0) {
        for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
            TPageSetup& setup = doc.Sections.At<TSection>(i)->PageSetup;
            setup.PageWidth = setup.LeftMargin + setup.RightMargin + textWidth;
            setup.TextWidth = textWidth;
        }
    }
    TLayoutClient client;
    doc.Client = &client;
    doc.Paginate(0, 2147483647);
    std::printf("pages %d\n", doc.Pages.Count);
    for (std::int32_t i = 0; i < doc.Pages.Count; ++i) {
        const TPage& page = *doc.Pages.At<TPage>(i);
        std::printf("page %d (%d x %d)", i, page.Width(), page.Height());
        std::printf(", header %s, footer %s\n", page.HeaderBox != nullptr ? "yes" : "none",
                    page.FooterBox != nullptr ? "yes" : "none");
        for (std::int32_t k = 0; k < page.Count; ++k)
            DumpBox(*page.Child(k), 1);
    }
    doc.DestroyLayout();
    doc.Client = &NullDocClient();
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
    std::fprintf(stderr,
                 "usage: rezdump [--pages[=WIDTH]] FILE\n       rezdump --layout WIDTH_PX FILE\n"
                 "       rezdump --save-rtf OUT FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool pages = false;
    std::int32_t pageTextWidth = 0;
    std::string saveTo;
    bool layout = false;
    std::int32_t widthPixels = 0;
    int arg = 1;
    for (; arg < argc - 1; ++arg) {
        const std::string option = argv[arg];
        if (option == "--pages") {
            pages = true;
        } else if (option.rfind("--pages=", 0) == 0) {
            pages = true;
            pageTextWidth = std::atoi(option.c_str() + 8);
            if (pageTextWidth <= 0)
                return Usage();
        } else if (option == "--layout" && arg + 2 < argc) {
            const std::string_view width(argv[++arg]);
            const auto [end, error] = std::from_chars(width.data(), width.data() + width.size(), widthPixels);
            // A text column of at least a pixel and below some 90 inches.
            if (error != std::errc() || end != width.data() + width.size() || widthPixels < 1 || widthPixels > 8640) {
                std::fprintf(stderr, "rezdump: the width must be a number of pixels from 1 to 8640\n");
                return 2;
            }
            layout = true;
        } else if (option == "--save-rtf" && arg + 2 < argc) {
            saveTo = argv[++arg];
        } else {
            return Usage();
        }
    }
    if (arg != argc - 1)
        return Usage();
    if (layout)
        Platform::SetScreenMetrics(1920, 1080, 96);
    // Layout measures with the program's fonts and tab stops, which the
    // program makes at start-up.
    std::unique_ptr<TLayoutManagers> managers;
    if (layout || pages)
        managers = std::make_unique<TLayoutManagers>();
    TDoc doc(true);
    // Like the hidden documents of conversions, the dump shows the text with
    // its final paragraph end mark.
    doc.TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = 0xFFFF;  // detect
    options.FileName = argv[arg];
    // A dump never edits the file: it takes no lock and leaves the file to
    // an instance that has it open.
    options.OpenReadOnly = true;
    if (!OpenDocument(doc, options))
        return 1;
    if (!saveTo.empty()) {
        // The dump read the file without a lock; the copy goes to OUT.
        doc.ReadOnly = 0;
        return SaveDocumentAs(doc, saveTo, sfmtRtf) == srSaved ? 0 : 1;
    }
    if (layout) {
        DumpLayout(doc, widthPixels);
        return 0;
    }
    Dump(doc, options);
    if (pages)
        DumpPages(doc, pageTextWidth);
    return 0;
}
