// Applying page setup, section format or note settings to a scope of
// sections, recorded as one undoable operation of section steps.
#include "model/document/TDoc.h"

#include <algorithm>
#include <cstdint>

#include "base/core/ObjectHandles.h"
#include "model/document/StateFlags.h"
#include "model/document/TPostActions.h"
#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/host/ModelOptions.h"
#include "model/host/TDocClient.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/NoteOperations.h"
#include "model/undo/SectionOperations.h"
#include "model/undo/TOperation.h"

bool TDoc::ApplySectionSettings(std::uint8_t scope, const TFragment* fragment, const void* settings, int what) {
    BeginDocumentCall(this);
    const std::uint8_t undoName = what == saPageSetup ? 1 : what == saSectionFormat ? 42 : 60;
    auto* op = new TOperation(this, undoName);
    BeginOperation(op);
    TCompoundFragment* selection = CloneCompoundFragment(*Selection);
    try {
        TFragment range;
        // Inserts a section break at a position (at a paragraph's very end:
        // at the start of the next paragraph) and gives the inserted stretch.
        auto insertBreakAt = [this](TTextPos pos, TFragment& inserted) {
            if (pos.Offset >= Par(pos.Par)->CharCount() - 1 && pos.Par < LastParOfStory(stMain)) {
                pos.Par += 1;
                pos.Offset = 0;
            }
            auto* section = new TSection(this);
            section->Assign(*SectionOfPar(pos.Par));
            TMemory content;
            AppendFormatControl(content, fcSectionBreak, static_cast<std::int32_t>(ObjectHandle(section)));
            AppendParagraphMark(content, Par(pos.Par)->Format);
            inserted.Start = pos;
            InsertFormatted(content, pos, 0, stMain, 1, &inserted.End);
            UpdateSectionIndex();
        };
        auto atSectionStart = [this](const TTextPos& pos) {
            return pos.Offset == 0 && SectionOfPar(pos.Par)->FirstPar == pos.Par;
        };
        auto atSectionEnd = [this](const TTextPos& pos) {
            const TSection* section = SectionOfPar(pos.Par);
            return (pos.Par == section->LastPar && pos.Offset >= Par(pos.Par)->CharCount() - 1) ||
                   (pos.Offset == 0 && pos.Par == section->LastPar + 1);
        };
        if (fragment != nullptr) {
            range = *fragment;
        } else {
            switch (scope) {
                case ssWholeDocument: {
                    const std::int32_t last = LastParOfStory(stMain);
                    MakeFragment(0, 0, last, Par(last)->CharCount(), range);
                    break;
                }
                case ssThisPointForward: {
                    std::int32_t startPar = Caret.Par;
                    if (!atSectionStart(Caret)) {
                        TFragment inserted;
                        insertBreakAt(Caret, inserted);
                        startPar = inserted.End.Par;
                    }
                    const std::int32_t last = LastParOfStory(stMain);
                    MakeFragment(startPar, 0, last, Par(last)->CharCount(), range);
                    break;
                }
                case ssSelectedText: {
                    // The span follows the breaks inserted in front of it.
                    TCompoundFragment* span = NewCompoundFragment();
                    TFragment whole;
                    selection->GetSpan(whole);
                    span->SetSingle(whole.Start.Par, whole.Start.Offset, whole.End.Par, whole.End.Offset);
                    if (!atSectionStart(whole.Start)) {
                        TFragment inserted, none{};
                        insertBreakAt(whole.Start, inserted);
                        none.Start = none.End = inserted.Start;
                        span->AdjustForEdit(none, inserted);
                        span->Fragment(0).Start = inserted.End;
                    }
                    const TFragment moved = span->Fragment(0);
                    ReleaseCompoundFragment(span);
                    // A span that ends at a paragraph start ends with the
                    // paragraph before.
                    TTextPos end = moved.End;
                    if (end.Offset == 0 && end.Par > moved.Start.Par) {
                        end.Par -= 1;
                        end.Offset = Par(end.Par)->CharCount() - 1;
                    }
                    std::int32_t endPar = end.Par;
                    if (!atSectionEnd(end)) {
                        TFragment inserted;
                        insertBreakAt(end, inserted);
                        endPar = inserted.End.Par - 1;
                    }
                    MakeFragment(moved.Start.Par, 0, endPar, Par(endPar)->CharCount(), range);
                    break;
                }
                case ssThisSection: {
                    const TSection* section = SectionOfPar(Caret.Par);
                    MakeFragment(section->FirstPar, 0, section->FirstPar, 0, range);
                    break;
                }
                default:
                    selection->GetSpan(range);
                    break;
            }
        }
        UpdateSectionIndex();
        TList* sections = SectionsOfFragment(range);
        if (sections->Count > 0) {
            const TSection* firstSection = sections->At<TSection>(0);
            const TSection* lastSection = static_cast<TSection*>(sections->Last());
            if (what == saSectionFormat) {
                (new TFormatSectOperation(this, firstSection->FirstPar, lastSection->LastPar,
                                          *static_cast<const TSectionFormat*>(settings)))
                    ->Execute();
            } else if (what == saNoteSettings) {
                const auto* notes = static_cast<const TNoteSettings*>(settings);
                auto* step = new TFormatNotesOperation(this, firstSection->FirstPar, lastSection->LastPar, notes[0],
                                                       notes[1], nullptr);
                if (step->Changed != 0)
                    step->Execute();
                else
                    delete step;
            } else {
                const auto& setup = *static_cast<const TPageSetup*>(settings);
                bool differs = false;
                for (std::int32_t i = 0; i < sections->Count; ++i)
                    differs = differs || PageSetupsDifferInLayout(sections->At<TSection>(i)->PageSetup, setup);
                if (differs) {
                    // A different page setup must start a page.
                    const std::int32_t before = Sections.IndexOf(const_cast<TSection*>(firstSection)) - 1;
                    if (before >= 0 && Sections.At<TSection>(before)->Format.BreakKind == 0)
                        (new TChangeSectBreakOperation(this, Sections.At<TSection>(before)->LastPar, 1))->Execute();
                    if (lastSection != Sections.Last() && lastSection->Format.BreakKind == 0)
                        (new TChangeSectBreakOperation(this, lastSection->LastPar, 1))->Execute();
                    (new TChangePageParamsOperation(this, range, pwWholeSetup, 0, &setup))->Execute();
                }
            }
        }
        TList::Release(sections);
    } catch (...) {
        EndOperation();
        delete op;
        ReleaseCompoundFragment(selection);
        throw;
    }
    EndOperation();
    const bool changed = op->Count > 0;
    if (changed && StateFlags[sfHidden] == 0) {
        ApplyPostActions();
        CommitOperation(op);
    } else {
        delete op;
    }
    ReleaseCompoundFragment(selection);
    EndDocumentCall(this);
    return changed;
}
