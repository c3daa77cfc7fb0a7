#include "model/undo/NoteOperations.h"

#include <utility>

#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/paragraphs/TPar.h"

namespace {

bool NoteSettingsEqual(const TNoteSettings& a, const TNoteSettings& b) {
    return a.Position == b.Position && a.NumberFormat == b.NumberFormat && a.StartNumber == b.StartNumber &&
           a.Restart == b.Restart;
}

}  // namespace

TFormatNotesOperation::TFormatNotesOperation(TDoc* doc,
                                             std::int32_t firstPar,
                                             std::int32_t lastPar,
                                             const TNoteSettings& footnotes,
                                             const TNoteSettings& endnotes,
                                             const TCharFormat* formats)
    : TSubOperation(doc), FirstPar(firstPar), LastPar(lastPar) {
    const std::int32_t first = doc->Sections.IndexOf(doc->SectionOfPar(firstPar));
    const std::int32_t last = doc->Sections.IndexOf(doc->SectionOfPar(lastPar));
    for (std::int32_t i = 0; i < doc->Sections.Count; ++i) {
        const TSection* section = doc->Sections.At<TSection>(i);
        TNoteSettings foot = section->FootnoteSettings;
        TNoteSettings end = section->EndnoteSettings;
        if (i >= first && i <= last) {
            foot = footnotes;
            end = endnotes;
        }
        end.Position = endnotes.Position;
        if (!NoteSettingsEqual(foot, section->FootnoteSettings) || !NoteSettingsEqual(end, section->EndnoteSettings))
            Changed = 1;
        Blocks.push_back(foot);
        Blocks.push_back(end);
    }
    for (int kind = 0; kind < 2; ++kind)
        for (int part = 0; part < 2; ++part) {
            Formats[kind][part] = formats != nullptr ? formats[kind * 2 + part] : doc->NoteCharFormats[kind][part];
            if (!CharFormatsEqual(Formats[kind][part], doc->NoteCharFormats[kind][part]))
                Changed = 1;
        }
}

void TFormatNotesOperation::Undo() {
    TDoc& doc = *Doc;
    bool settingsChanged = false;
    for (std::int32_t i = 0; i < doc.Sections.Count && 2 * i + 1 < static_cast<std::int32_t>(Blocks.size()); ++i) {
        TSection* section = doc.Sections.At<TSection>(i);
        settingsChanged = settingsChanged || !NoteSettingsEqual(section->FootnoteSettings, Blocks[2 * i]) ||
                          !NoteSettingsEqual(section->EndnoteSettings, Blocks[2 * i + 1]);
        std::swap(section->FootnoteSettings, Blocks[2 * i]);
        std::swap(section->EndnoteSettings, Blocks[2 * i + 1]);
    }
    for (int kind = 0; kind < 2; ++kind)
        for (int part = 0; part < 2; ++part)
            std::swap(doc.NoteCharFormats[kind][part], Formats[kind][part]);
    if (settingsChanged) {
        doc.PostActions().FirstPage = 0;
        doc.PostActions().RepaintRange = TFragment{};
    }
}

TConvertNotesOperation::TConvertNotesOperation(TDoc* doc, const TList& references) : TSubOperation(doc) {
    References.Assign(references);
}

void TConvertNotesOperation::Undo() {
    TDoc& doc = *Doc;
    for (std::int32_t i = 0; i < References.Count; ++i) {
        auto* reference = References.At<TField>(i);
        if (reference->Partner != nullptr)
            reference->Partner->Endnote ^= 1;
        TFragment range;
        if (doc.FieldRange(reference, range) && range.Start.Par < doc.ParCount()) {
            doc.Par(range.Start.Par)->FreeLines();
            doc.NoteParChanged(range.Start.Par);
        }
    }
}
