// rezdump FILE: opens a document as the program does and prints its
// structure, for developers looking at what a reader made of a file.
// rezdump --pages[=WIDTH] FILE also paginates the document (at a text width
// of WIDTH twips when given) and prints each page's boxes with the
// paragraphs and lines they hold.
// rezdump --layout WIDTH_PX FILE lays every paragraph out at a text width
// in pixels (96 pixels per inch, 100 %) and prints its lines instead.
// rezdump --save-rtf OUT FILE opens the document and saves it as RTF to OUT,
// as Save As does.
// rezdump --png OUT [--page N | --view WxH] [--zoom Z] FILE paints a page
// (N from 1, with its frame; the first page when not given) or the view of a
// window of W x H pixels scrolled to the top, in print layout at Z percent
// (100 when not given), and writes it to OUT as a PNG picture. Text shows
// once the line painter draws it.
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

#include "base/core/Errors.h"
#include "base/core/TList.h"
#include "base/core/TReplacingFileStream.h"
#include "base/graphics/TwipsAndPixels.h"
#include "base/pictures/TPNGImage.h"
#include "editing/tables/TableStructure.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveDocument.h"
#include "files/saving/SaveToFormat.h"
#include "layout/boxes/TCellBox.h"
#include "layout/boxes/TPage.h"
#include "layout/boxes/TTableBox.h"
#include "layout/lines/DocumentLines.h"
#include "layout/pagination/TLayoutClient.h"
#include "layout/painting/PageDecorations.h"
#include "layout/view/TViewClient.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/Bitmaps.h"
#include "platform/CodePages.h"
#include "platform/DeviceContexts.h"
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

// Where a table box or a cell box stands in its table: the rows a part
// holds and whether it starts or ends the table, the heading room a
// continued part leaves; a cell's index and row, the row-end and hidden
// merge boxes, and cells that go on from or to another page.
void DescribeTablePart(const TBox& box) {
    if (box.Kind == bkTable) {
        const auto& table = static_cast<const TTableBox&>(box);
        // Rows by their first paragraph; a part lists a row's boxes together.
        std::int32_t rows = 0;
        std::int32_t lastRow = -1;
        for (std::int32_t i = 0; i < table.Count; ++i) {
            const std::int32_t first = static_cast<const TCellBox*>(table.Child(i))->RowRange.Start.Par;
            if (first != lastRow)
                ++rows;
            lastRow = first;
        }
        std::printf(" %d rows", rows);
        if ((table.Flags & bxTableStarts) != 0)
            std::printf(", starts");
        if ((table.Flags & bxTableEnds) != 0)
            std::printf(", ends");
        if (table.HeadingRowCount > 0)
            std::printf(", %d heading rows to par %d, %d twips", table.HeadingRowCount, table.LastHeadingPar,
                        table.HeadingHeight);
        return;
    }
    if (box.Kind != bkCell)
        return;
    const auto& cell = static_cast<const TCellBox&>(box);
    if ((cell.Flags & bxRowEnd) != 0) {
        std::printf(" row end, row pars %d-%d", cell.RowRange.Start.Par, cell.RowRange.End.Par);
        return;
    }
    std::printf(" cell %d of row pars %d-%d", cell.CellIndex, cell.RowRange.Start.Par, cell.RowRange.End.Par);
    if ((cell.Flags & bxMergeContinue) != 0)
        std::printf(", hidden merge continuation");
    else if (cell.LastMergedRow > 0 && cell.CellRecord != nullptr && cell.CellRecord->Merged != 0)
        std::printf(", merged to row %d", cell.LastMergedRow);
    if ((cell.Flags & bxCellStarts) == 0 && (cell.Flags & bxMergeContinue) == 0)
        std::printf(", continued");
    if ((cell.Flags & (bxCellComplete | bxMergeContinue)) == 0)
        std::printf(", goes on");
}

void DumpBox(const TBox& box, int depth) {
    std::printf("%*s%s", depth * 2, "", BoxKindName(box));
    if (box.Story != NoStory)
        std::printf(" [%s]", StoryNames[box.Story < StoryCount ? box.Story : 0]);
    std::printf(" (%d,%d)-(%d,%d)", box.Bounds.Left, box.Bounds.Top, box.Bounds.Right, box.Bounds.Bottom);
    DescribeTablePart(box);
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

// What --png paints.
struct TPngRequest {
    std::string Out;
    std::int32_t Page = 1;  // from 1; 0 paints the view
    std::int32_t ViewWidth = 0;
    std::int32_t ViewHeight = 0;
    std::int32_t Zoom = 100;
};

// A window that is a bitmap: the view painter copies into it.
class TBitmapWindow : public TViewClient {
public:
    TBitmapWindow(std::int32_t width, std::int32_t height) {
        Shown = true;
        Width = width;
        Height = height;
        Dc = Platform::CreateCompatibleDC(nullptr);
        Bitmap = Platform::CreateBitmap32(width, height);
        Previous = Platform::SelectBitmap(Dc, Bitmap);
    }
    TBitmapWindow(const TBitmapWindow&) = delete;
    TBitmapWindow& operator=(const TBitmapWindow&) = delete;
    ~TBitmapWindow() override {
        Platform::SelectBitmap(Dc, Previous);
        Platform::DeleteBitmap(Bitmap);
        Platform::DeleteDC(Dc);
    }
    Platform::HDC AcquireDC(TDoc& doc) override { return Dc; }
    void ReleaseDC(TDoc& doc, Platform::HDC dc) override {}

    Platform::HDC Dc = nullptr;
    Platform::HBITMAP Bitmap = nullptr;
    Platform::HBITMAP Previous = nullptr;
};

int PaintPng(TDoc& doc, const TPngRequest& request) {
    doc.ViewMode = vmPrintLayout;
    doc.Zoom = doc.ZoomInForce = request.Zoom;
    doc.ZoomedResolutionX = doc.ZoomedResolutionY = 96 * request.Zoom / 100;
    doc.UpdatePageMetrics();
    // The page is painted in a window of its own size, scrolled to it.
    std::int32_t width = request.ViewWidth, height = request.ViewHeight;
    TViewClient measure;
    measure.Shown = true;
    measure.Width = 1920;
    measure.Height = 1080;
    doc.Client = &measure;
    doc.Paginate(0, 2147483647);
    doc.UpdateViewGeometry();
    Platform::TRect page{};
    if (request.Page > 0) {
        if (request.Page > doc.Pages.Count) {
            std::fprintf(stderr, "rezdump: the document has %d pages, not %d\n", doc.Pages.Count, request.Page);
            doc.DestroyLayout();
            doc.Client = &NullDocClient();
            return 1;
        }
        doc.GetPageRect(request.Page - 1, page);
        width = page.Width() + 2;
        height = page.Height() + 2;
    }
    int result = 0;
    {
        TBitmapWindow window(width, height);
        doc.Client = &window;
        if (request.Page > 0) {
            // One page a row, so that only this page stands in the window.
            measure.Width = width;
            doc.Client = &measure;
            doc.UpdateViewGeometry();
            doc.GetPageRect(request.Page - 1, page);
            doc.Client = &window;
            doc.ScrollPos = {page.Left - 1, page.Top - 1};
        } else {
            doc.UpdateViewGeometry();
            doc.ScrollPos = {};
        }
        doc.PaintView(nullptr, nullptr);
        TPNGImage png;
        png.CopyFromHandles(window.Bitmap, nullptr);
        try {
            SaveFileReplacing(request.Out, [&](TStream& stream) { png.SaveToStream(stream); });
        } catch (const EAbort&) {
            result = 1;
        }
    }
    doc.DestroyLayout();
    doc.Client = &NullDocClient();
    return result;
}

// A whole number from text, within limits.
bool ParseNumber(std::string_view text, std::int32_t low, std::int32_t high, std::int32_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value >= low && value <= high;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: rezdump [--pages[=WIDTH]] FILE\n       rezdump --layout WIDTH_PX FILE\n"
                 "       rezdump --save-rtf OUT FILE\n"
                 "       rezdump --png OUT [--page N | --view WxH] [--zoom Z] FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Pictures of pages show table borders and the page's decorations as
    // the program's view does.
    InstallPageDecorations();
    bool pages = false;
    std::int32_t pageTextWidth = 0;
    std::string saveTo;
    bool layout = false;
    std::int32_t widthPixels = 0;
    bool png = false;
    TPngRequest pngRequest;
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
        } else if (option == "--png" && arg + 2 < argc) {
            png = true;
            pngRequest.Out = argv[++arg];
        } else if (option == "--page" && arg + 2 < argc) {
            if (!ParseNumber(argv[++arg], 1, 1000000, pngRequest.Page)) {
                std::fprintf(stderr, "rezdump: the page must be a number from 1\n");
                return 2;
            }
        } else if (option == "--view" && arg + 2 < argc) {
            const std::string_view size(argv[++arg]);
            const std::size_t x = size.find('x');
            // A window of at least a pixel and at most a large screen's.
            if (x == std::string_view::npos || !ParseNumber(size.substr(0, x), 1, 8192, pngRequest.ViewWidth) ||
                !ParseNumber(size.substr(x + 1), 1, 8192, pngRequest.ViewHeight)) {
                std::fprintf(stderr, "rezdump: the view must be WIDTHxHEIGHT, each from 1 to 8192 pixels\n");
                return 2;
            }
            pngRequest.Page = 0;
        } else if (option == "--zoom" && arg + 2 < argc) {
            if (!ParseNumber(argv[++arg], 10, 500, pngRequest.Zoom)) {
                std::fprintf(stderr, "rezdump: the zoom must be a percentage from 10 to 500\n");
                return 2;
            }
        } else {
            return Usage();
        }
    }
    if (arg != argc - 1)
        return Usage();
    if (layout || png)
        Platform::SetScreenMetrics(1920, 1080, 96);
    // Layout measures with the program's fonts and tab stops, which the
    // program makes at start-up.
    std::unique_ptr<TLayoutManagers> managers;
    if (layout || pages || png)
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
    if (png)
        return PaintPng(doc, pngRequest);
    Dump(doc, options);
    if (pages)
        DumpPages(doc, pageTextWidth);
    return 0;
}
