#include "EditDoc.h"

#include <stdexcept>

#include "base/core/ObjectHandles.h"
#include "editing/services/EditingInstall.h"
#include "editing/typing/TypingInstall.h"
#include "layout/pagination/HeaderFooterFields.h"
#include "model/document/StateFlags.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TAutoList.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"

namespace {

std::int32_t Handle(const void* object) {
    return static_cast<std::int32_t>(ObjectHandle(object));
}

TPar* NewPar(TDoc& doc, const TParFormat& format) {
    auto* par = new TPar(&doc);
    par->Format = format;
    return par;
}

void EndPar(TPar* par, std::uint8_t code, std::uint8_t ch) {
    AppendFormatControl(par->Stream, code, code == fcSpecialChar ? ch : 0);
    par->Chars.AppendByte(ch);
}

}  // namespace

namespace {

// The model's own workers, as they stood before the library was first
// installed in this process.
struct TModelWorkers {
    TOperationWorker<TInsertTextArgs> InsertText = OperationWorker<TInsertTextArgs>();
    TOperationWorker<TInsertFormattedTextArgs> InsertFormatted = OperationWorker<TInsertFormattedTextArgs>();
    TOperationWorker<TDeleteTextArgs> DeleteText = OperationWorker<TDeleteTextArgs>();
    TOperationWorker<TReplaceTextArgs> ReplaceText = OperationWorker<TReplaceTextArgs>();
};

const TModelWorkers& ModelWorkers() {
    static const TModelWorkers workers;
    return workers;
}

}  // namespace

TEditingInstalled::TEditingInstalled() {
    ModelWorkers();
    InstallEditing();
    InstallTypingWorkers();
}

TEditingInstalled::~TEditingInstalled() {
    const TModelWorkers& model = ModelWorkers();
    SetOperationWorker<TInsertTextArgs>(model.InsertText);
    SetOperationWorker<TInsertFormattedTextArgs>(model.InsertFormatted);
    SetOperationWorker<TDeleteTextArgs>(model.DeleteText);
    SetOperationWorker<TReplaceTextArgs>(model.ReplaceText);
}

TextBytes::TextBytes(const std::string& text) {
    AppendBuffer(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<std::int32_t>(text.size()));
}

TEditDoc::TEditDoc(const std::vector<std::string>& pars, const std::vector<TFieldSpec>& fields)
    : DocPtr(std::make_unique<TDoc>()) {
    TDoc& doc = *DocPtr;
    doc.Pars.FreeItems<TPar>();
    doc.StoryCounts[stMain] = 0;
    auto* list = new TAutoList;
    doc.Lists.Add(list);
    std::vector<TPar*> notePars;
    std::size_t nextField = 0;
    std::vector<TField*> open;
    std::int32_t cellsInRow = 0;
    for (const std::string& token : pars) {
        if (token == "#") {
            auto* row = new TTableRow;
            for (std::int32_t c = 0; c < cellsInRow; ++c) {
                row->Data.Cells[c].RightEdge = 1440 * (c + 1);
            }
            row->Data.CellCount = cellsInRow;
            doc.TableRowList.Add(row);
            TPar* par = NewPar(doc, TableParFormat);
            AppendFormatControl(par->Stream, fcRowEnd, Handle(row));
            par->Chars.AppendByte(chRowEnd);
            doc.Pars.Add(par);
            cellsInRow = 0;
            continue;
        }
        std::string text = token;
        TParFormat format = DefaultParFormat;
        std::uint8_t end = chParEnd;
        if (text.rfind("T|", 0) == 0 || text.rfind("t|", 0) == 0) {
            format = TableParFormat;
            if (text[0] == 'T') {
                end = chCellEnd;
                ++cellsInRow;
            }
            text = text.substr(2);
        } else if (text.rfind("L|", 0) == 0) {
            format.List = Handle(list);
            text = text.substr(2);
        }
        TPar* par = NewPar(doc, format);
        for (char c : text) {
            if (c == '<') {
                if (nextField >= fields.size())
                    throw std::invalid_argument("more field starts than fields");
                auto* f = new TField;
                f->Kind = fields[nextField].Kind;
                f->Type = fields[nextField].Type;
                f->Instruction = fields[nextField].Instruction;
                ++nextField;
                doc.Fields.Add(f);
                Fields.push_back(f);
                open.push_back(f);
                AppendFormatControl(par->Stream, fcFieldStart, Handle(f));
            } else if (c == '>') {
                if (open.empty())
                    throw std::invalid_argument("a field end without a start");
                AppendFormatControl(par->Stream, fcFieldEnd, Handle(open.back()));
                open.pop_back();
            } else if (c == '^') {
                auto* ref = new TField;
                ref->Kind = fkNoteRef;
                ref->Flags = ffAutoNumber;
                auto* body = new TField;
                body->Kind = fkNoteBody;
                ref->Partner = body;
                body->Partner = ref;
                doc.Fields.Add(ref);
                doc.Fields.Add(body);
                NoteRefs.push_back(ref);
                AppendFormatControl(par->Stream, fcFieldStart, Handle(ref));
                AppendFormatControl(par->Stream, fcSpecialChar, chNoteRef);
                par->Chars.AppendByte(chNoteRef);
                AppendFormatControl(par->Stream, fcFieldEnd, Handle(ref));
                TPar* note = NewPar(doc, DefaultParFormat);
                AppendFormatControl(note->Stream, fcFieldStart, Handle(body));
                const std::string words = "note " + std::to_string(NoteRefs.size());
                for (char w : words) {
                    note->Stream.AppendByte(static_cast<std::uint8_t>(w));
                    note->Chars.AppendByte(static_cast<std::uint8_t>(w));
                }
                AppendFormatControl(note->Stream, fcFieldEnd, Handle(body));
                EndPar(note, fcSpecialChar, chParEnd);
                notePars.push_back(note);
            } else if (c == '\t') {
                AppendFormatControl(par->Stream, fcSpecialChar, chTab);
                par->Chars.AppendByte(chTab);
            } else {
                par->Stream.AppendByte(static_cast<std::uint8_t>(c));
                par->Chars.AppendByte(static_cast<std::uint8_t>(c));
            }
        }
        if (end == chCellEnd)
            EndPar(par, fcCellEnd, chCellEnd);
        else
            EndPar(par, fcSpecialChar, chParEnd);
        doc.Pars.Add(par);
    }
    if (!open.empty())
        throw std::invalid_argument("a field without its end");
    doc.StoryCounts[stMain] = doc.Pars.Count;
    for (TPar* note : notePars)
        doc.Pars.Add(note);
    doc.StoryCounts[stFootnotes] = static_cast<std::int32_t>(notePars.size());
    doc.RenumberPars(0);
    doc.Sections.At<TSection>(0)->LastPar = doc.StoryCounts[stMain] - 1;
    doc.StateFlags[sfSectionIndexStale] = 1;
    doc.StateFlags[sfFieldIndexStale] = 1;
    doc.NoteFieldSpan(-1, -1);
}

std::string TEditDoc::StoryText(int story) const {
    const TDoc& doc = *DocPtr;
    std::string out;
    const std::int32_t first = doc.FirstParOfStory(story);
    const std::int32_t last = doc.LastParOfStory(story);
    for (std::int32_t p = first; p <= last; ++p) {
        const TPar* par = doc.Par(p);
        if (p > first)
            out += " / ";
        if (par->Format.InTable != 0 && par->CharCount() > 0 && par->Chars.Data[0] == chRowEnd) {
            out += "#";
            continue;
        }
        const std::uint8_t endChar = par->CharCount() > 0 ? par->Chars.Data[par->CharCount() - 1] : 0;
        if (par->Format.InTable != 0)
            out += endChar == chCellEnd ? "T|" : "t|";
        else if (par->Format.List != 0)
            out += "L|";
        TStreamElement e;
        for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            if (!e.IsControl) {
                out.append(reinterpret_cast<const char*>(par->Stream.Data + off), e.Length);
                continue;
            }
            if (e.Truncated)
                break;
            const auto* f = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (e.Code == fcFieldStart && f != nullptr && f->Kind == fkNoteBody)
                out += "[";
            else if (e.Code == fcFieldEnd && f != nullptr && f->Kind == fkNoteBody)
                out += "]";
            else if (e.Code == fcFieldStart && f != nullptr && f->Kind != fkNoteRef && f->Kind != fkNoteBody)
                out += "<";
            else if (e.Code == fcFieldEnd && f != nullptr && f->Kind != fkNoteRef && f->Kind != fkNoteBody)
                out += ">";
            else if (e.Code == fcSpecialChar) {
                switch (e.Value) {
                    case chNoteRef:
                        out += "^";
                        break;
                    case chTab:
                        out += "\t";
                        break;
                    case chParEnd:
                        break;
                    case chLineBreak:
                        out += "{line}";
                        break;
                    case chPageBreak:
                        out += "{page}";
                        break;
                    case chColumnBreak:
                        out += "{column}";
                        break;
                    case chEnDash:
                        out += "{en}";
                        break;
                    case chEmDash:
                        out += "{em}";
                        break;
                    case chNoBreakSpace:
                        out += "{nbsp}";
                        break;
                    case chSoftHyphen:
                        out += "{shy}";
                        break;
                    case chNonBreakingHyphen:
                        out += "{nbh}";
                        break;
                    default:
                        out += "{" + std::to_string(e.Value) + "}";
                }
            } else if (e.Code == fcUnicodeChar) {
                out += "{U+" + std::to_string(e.Value & 0xFFFF) + "}";
            }
        }
    }
    return out;
}

std::string TEditDoc::Text() const {
    return StoryText(stMain);
}

TSection& BreakSectionAt(TDoc& doc, std::int32_t par) {
    auto* section = new TSection(&doc);
    auto& last = *static_cast<TSection*>(doc.Sections.Last());
    section->Assign(last);
    section->Format.BreakKind = 1;
    doc.Sections.Insert(doc.Sections.Count - 1, section);
    TPar& p = *doc.Par(par);
    p.Stream.Clear();
    p.Chars.Clear();
    AppendFormatControl(p.Stream, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(section)));
    p.Chars.AppendByte(chSectionBreak);
    p.Changed();
    doc.StateFlags[sfSectionIndexStale] = 1;
    doc.UpdateSectionIndex();
    return *section;
}

TField* AddHeaderFooter(TDoc& doc, TSection& section, int slot, const std::string& text) {
    auto* operation = new TOperation(&doc, unHeaderAndFooter);
    doc.BeginOperation(operation);
    TMemory content;
    for (char c : text)
        content.AppendByte(static_cast<std::uint8_t>(c));
    TField* field = AddHeaderFooterField(doc, section, slot, content, HeaderFooterParFormat(doc, slot));
    doc.EndOperation();
    doc.ApplyPostActions();
    doc.CommitOperation(operation);
    return field;
}
