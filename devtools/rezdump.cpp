// rezdump FILE: opens a document as the program does and prints its
// structure, for developers looking at what a reader made of a file.
// rezdump --save-rtf OUT FILE: opens the document and saves it as RTF to
// OUT, as Save As does. The exit code is 0 when the document opened (and
// was saved), 1 when it was refused or could not be saved (the messages go
// to stderr), 2 for a wrong command line.

#include <cstdint>
#include <cstdio>
#include <string>

#include "editing/tables/TableStructure.h"
#include "files/opening/OpenDocument.h"
#include "files/saving/SaveDocument.h"
#include "files/saving/SaveToFormat.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"
#include "platform/CodePages.h"

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

}  // namespace

int main(int argc, char** argv) {
    std::string saveTo;
    if (argc == 4 && std::string(argv[1]) == "--save-rtf") {
        saveTo = argv[2];
        argv += 2;
        argc -= 2;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: rezdump [--save-rtf OUT] FILE\n");
        return 2;
    }
    TDoc doc(true);
    // Like the hidden documents of conversions, the dump shows the text with
    // its final paragraph end mark.
    doc.TakesParEndMarks = 1;
    TDocOpeningOptions options;
    options.Source = osFile;
    options.Format = 0xFFFF;  // detect
    options.FileName = argv[1];
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
    Dump(doc, options);
    return 0;
}
