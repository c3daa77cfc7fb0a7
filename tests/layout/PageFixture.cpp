#include "PageFixture.h"

#include <algorithm>
#include <string>

#include "base/core/ObjectHandles.h"
#include "layout/boxes/TPage.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "platform/Heap.h"

// TableRowMaker.cpp: a new row record with the right edges, owned by the
// document; answers its object handle.
std::int32_t NewTableRowHandle(TDoc& doc, const std::vector<std::int32_t>& rightEdges);

void PageFixture::SetUp() {
    LineFixture::SetUp();
    FirstPlainUsed = false;
    Doc->Client = &Client;
}

void PageFixture::TearDown() {
    Doc->DestroyLayout();
    Doc->Client = &NullDocClient();
    LineFixture::TearDown();
}

TPar& PageFixture::Plain(std::string_view text, std::int32_t halfPoints) {
    TPar* p;
    if (!FirstPlainUsed) {
        p = Doc->Par(0);
        FirstPlainUsed = true;
    } else {
        p = new TPar(Doc.get());
        Doc->Pars.Insert(Doc->StoryCounts[stMain], p);
        ++Doc->StoryCounts[stMain];
        Doc->RenumberPars(0);
    }
    TPar& par = *p;
    par.FreeLines();
    par.Stream.Clear();
    par.Chars.Clear();
    AppendAttr(par, caFont, Times());
    AppendAttr(par, caSize, halfPoints);
    AppendText(par, text);
    CloseParagraph(par);
    par.Format = DefaultParFormat;
    par.Format.SpaceBefore = 0;
    par.Format.SpaceAfter = 0;
    par.Format.WidowControl = 0;
    par.Format.KeepTogether = 0;
    par.Format.KeepWithNext = 0;
    par.Format.PageBreakBefore = 0;
    return par;
}

TPar& PageFixture::DropCapPar(std::string_view letters,
                              std::int32_t letterHalfPoints,
                              std::int32_t letterOffset,
                              std::string_view rest,
                              std::uint8_t position,
                              std::uint8_t lines) {
    TPar& par = Plain("");
    // The settings as the drop-cap field keeps them: position, lines, a
    // 16-bit distance from the text and 4 bytes more, all 0 here.
    auto* settings = static_cast<std::uint8_t*>(Platform::HeapAlloc(8));
    std::fill(settings, settings + 8, std::uint8_t{0});
    settings[0] = position;
    settings[1] = lines;
    auto* field = new TField;
    field->Kind = fkDropCap;
    field->Object = settings;
    Doc->Fields.Add(field);
    par.Stream.Clear();
    par.Chars.Clear();
    AppendAttr(par, caFont, Times());
    AppendAttr(par, caSize, letterHalfPoints);
    if (letterOffset != 0)
        AppendAttr(par, caOffset, letterOffset);
    AppendFormatControl(par.Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
    AppendText(par, letters);
    AppendFormatControl(par.Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
    AppendAttr(par, caSize, 24);
    if (letterOffset != 0)
        AppendAttr(par, caOffset, 0);
    AppendText(par, rest);
    CloseParagraph(par);
    par.Flags &= static_cast<std::uint16_t>(~pfNormalized);
    par.Normalize();
    return par;
}

std::string PageFixture::Lines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        if (i > 0)
            text += '\a';
        text += "line";
    }
    return text;
}

std::int32_t PageFixture::LineHeight() {
    TPar probe(Doc.get());
    probe.Format = DefaultParFormat;
    probe.Format.SpaceBefore = probe.Format.SpaceAfter = 0;
    AppendAttr(probe, caFont, Times());
    AppendAttr(probe, caSize, 24);
    AppendText(probe, "line");
    CloseParagraph(probe);
    probe.LayoutLines(0, 9000, nullptr);
    return probe.Lines->At<TLine>(0)->Height;
}

void PageFixture::SetBodyLines(int lines) {
    TPageSetup& setup = Section().PageSetup;
    const std::int32_t h = LineHeight();
    setup.TopMargin = setup.BottomMargin = 720;
    setup.LeftMargin = setup.RightMargin = 1440;
    setup.PageHeight = 1440 + lines * h + h / 2;
    ValidatePageSetup(setup);
}

std::int32_t PageFixture::PageOfLine(const TPar& par, int line) {
    if (line >= par.LineCount() || par.Lines->At<TLine>(line)->Box == nullptr)
        return -1;
    return par.Lines->At<TLine>(line)->Box->Page()->PageIndex;
}

std::vector<int> PageFixture::LinesPerPage(const TPar& par) {
    std::vector<int> counts(Doc->Pages.Count, 0);
    for (int i = 0; i < par.LineCount(); ++i) {
        const std::int32_t page = PageOfLine(par, i);
        if (page >= 0)
            ++counts[page];
    }
    return counts;
}

TField* PageFixture::AddHeaderFooter(int slot, std::string_view text) {
    auto* field = new TField;
    Doc->Fields.Add(field);
    auto* par = new TPar(Doc.get());
    par->Format = DefaultParFormat;
    par->Format.SpaceBefore = par->Format.SpaceAfter = 0;
    AppendAttr(*par, caFont, Times());
    AppendAttr(*par, caSize, 24);
    AppendFormatControl(par->Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(field)));
    AppendText(*par, text);
    AppendFormatControl(par->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(field)));
    CloseParagraph(*par);
    Doc->Pars.Add(par);
    ++Doc->StoryCounts[stHeadersFooters];
    Doc->RenumberPars(0);
    Section().HeadersFooters[slot] = field;
    return field;
}

TPar& PageFixture::AddFootnote(TPar& par, std::string_view noteText) {
    auto* ref = new TField;
    auto* body = new TField;
    ref->Kind = fkNoteRef;
    ref->Partner = body;
    body->Partner = ref;
    ref->Number = 1;
    Doc->Fields.Add(ref);
    Doc->Fields.Add(body);
    AppendAttr(par, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(ref)));
    AppendText(par, "1");
    AppendAttr(par, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(ref)));
    auto* note = new TPar(Doc.get());
    note->Format = DefaultParFormat;
    note->Format.SpaceBefore = note->Format.SpaceAfter = 0;
    note->Format.WidowControl = 0;
    AppendAttr(*note, caFont, Times());
    AppendAttr(*note, caSize, 24);
    AppendFormatControl(note->Stream, fcFieldStart, static_cast<std::int32_t>(ObjectHandle(body)));
    AppendText(*note, noteText);
    AppendFormatControl(note->Stream, fcFieldEnd, static_cast<std::int32_t>(ObjectHandle(body)));
    CloseParagraph(*note);
    Doc->Pars.Insert(Doc->StoryCounts[stMain] + Doc->StoryCounts[stFootnotes], note);
    ++Doc->StoryCounts[stFootnotes];
    Doc->RenumberPars(0);
    return *note;
}

std::vector<TPar*> PageFixture::AddRow(const std::vector<std::string>& cells,
                                       const std::vector<std::int32_t>& rightEdges) {
    std::vector<TPar*> pars;
    for (const std::string& text : cells) {
        TPar& par = Plain(text);
        // A cell's last paragraph ends with the cell mark in place of the
        // paragraph mark.
        par.Stream.SetSize(par.Stream.Size - FormatControlSize);
        par.Chars.SetSize(par.Chars.Size - 1);
        AppendFormatControl(par.Stream, fcCellEnd, 0);
        par.Chars.AppendByte(chCellEnd);
        par.Format.InTable = 1;
        pars.push_back(&par);
    }
    const std::int32_t row = NewTableRowHandle(*Doc, rightEdges);
    TPar& end = Plain("");
    end.Stream.Clear();
    end.Chars.Clear();
    AppendFormatControl(end.Stream, fcRowEnd, row);
    end.Chars.AppendByte(chRowEnd);
    end.Format.InTable = 1;
    pars.push_back(&end);
    return pars;
}

TSection& PageFixture::BreakSection(std::uint8_t kind) {
    TPar& par = Plain("");
    auto* section = new TSection(Doc.get());
    TSection& last = *static_cast<TSection*>(Doc->Sections.Last());
    section->Assign(last);
    section->Format.BreakKind = kind;
    Doc->Sections.Insert(Doc->Sections.Count - 1, section);
    par.Stream.Clear();
    par.Chars.Clear();
    AppendAttr(par, caFont, Times());
    AppendAttr(par, caSize, 24);
    AppendFormatControl(par.Stream, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(section)));
    par.Chars.AppendByte(chSectionBreak);
    Doc->StateFlags[29] = 1;  // the section index is stale
    return *section;
}

namespace {

void Describe(const TBox& box, int depth, std::string& out) {
    out += std::string(depth * 2, ' ');
    out += "box " + std::to_string(box.Flags) + " story " + std::to_string(box.Story) + " [" +
           std::to_string(box.Bounds.Left) + "," + std::to_string(box.Bounds.Top) + "," +
           std::to_string(box.Bounds.Right) + "," + std::to_string(box.Bounds.Bottom) + "]\n";
    for (std::int32_t i = 0; i < box.LineCount(); ++i) {
        const TLine* line = box.Lines->At<TLine>(i);
        out += std::string(depth * 2 + 2, ' ');
        if (line == nullptr) {
            out += "(gone)\n";
            continue;
        }
        out += "line par " + std::to_string(line->Par->Index) + " at " + std::to_string(line->FirstChar) + "+" +
               std::to_string(line->CharCount) + " top " + std::to_string(line->Top) + " h " +
               std::to_string(line->Height) + "\n";
    }
    for (std::int32_t i = 0; i < box.Count; ++i)
        Describe(*box.Child(i), depth + 1, out);
}

}  // namespace

std::string PageFixture::Layout() {
    std::string out;
    for (std::int32_t i = 0; i < Doc->Pages.Count; ++i) {
        out += "page " + std::to_string(i) + "\n";
        Describe(PageAt(i), 0, out);
    }
    return out;
}
