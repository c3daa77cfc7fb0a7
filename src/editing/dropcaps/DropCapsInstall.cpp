#include "editing/dropcaps/DropCapsInstall.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/core/TList.h"
#include "editing/dropcaps/DropCaps.h"
#include "editing/fields/FieldIndex.h"
#include "editing/formatting/FormattingSeams.h"
#include "editing/typing/TypingSeams.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/fields/TField.h"
#include "model/formats/TCompoundFragment.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationWorkers.h"

namespace {

// The paragraphs opDropCap works on when it is given settings: each given
// drop cap's paragraph, else the first paragraph of each selected range,
// else the caret's.
std::vector<std::int32_t> TargetParagraphs(TDoc& doc, const TDropCapArgs& args) {
    std::vector<std::int32_t> pars;
    auto add = [&](std::int32_t par) {
        if (std::find(pars.begin(), pars.end(), par) == pars.end())
            pars.push_back(par);
    };
    if (args.Caps != nullptr && args.Caps->Count > 0) {
        for (std::int32_t i = 0; i < args.Caps->Count; ++i) {
            TFragment range;
            if (doc.FieldRange(args.Caps->At<TField>(i), range))
                add(range.Start.Par);
        }
        return pars;
    }
    if (doc.Selection != nullptr)
        for (std::int32_t i = 0; i < doc.Selection->Count(); ++i) {
            TFragment f = doc.Selection->Fragment(i);
            if (CompareTextPos(f.Start, f.End) > 0)
                std::swap(f.Start, f.End);
            if (!FragmentIsEmpty(f))
                add(f.Start.Par);
        }
    if (pars.empty())
        add(doc.Caret.Par);
    return pars;
}

void WorkDropCap(TDoc& doc, TOperationCall&, const TDropCapArgs& args) {
    if (args.Settings == nullptr) {
        // Every drop cap of the selection goes; the letters keep their look.
        std::vector<TField*> caps;
        if (args.Caps != nullptr) {
            for (std::int32_t i = 0; i < args.Caps->Count; ++i)
                caps.push_back(args.Caps->At<TField>(i));
        } else {
            CollectSelectedFields(doc, 255);
            caps = FieldIndexOf(doc).Selected.DropCaps;
        }
        for (TField* cap : caps)
            if (cap != nullptr && cap->Kind == fkDropCap)
                RemoveDropCapKeepFormat(doc, cap);
    } else {
        const std::string font = args.FontName != nullptr ? *args.FontName : std::string();
        for (std::int32_t par : TargetParagraphs(doc, args))
            MakeDropCap(doc, par, *args.Settings, font);
    }
    doc.PostActions().Caret = doc.Caret;
}

// The lifted record: the settings, then the paragraph's character format.
void SeamLift(TDoc& doc, const TTextPos& at, TLiftedDropCap& lifted) {
    lifted = TLiftedDropCap{};
    if (at.Par < 0 || at.Par >= doc.ParCount())
        return;
    TField* cap = doc.DropCapOfPar(at.Par);
    TFragment range;
    if (cap == nullptr || !doc.FieldRange(cap, range) || range.End.Par != at.Par || at.Offset >= range.End.Offset)
        return;
    TDropCapDescription settings;
    if (const TDropCapDescription* had = DropCapSettings(cap))
        settings = *had;
    TCharFormat format;
    doc.FormatAtPos(range.Start, format);
    lifted.Settings.resize(sizeof settings + sizeof format);
    std::memcpy(lifted.Settings.data(), &settings, sizeof settings);
    std::memcpy(lifted.Settings.data() + sizeof settings, &format, sizeof format);
    lifted.Par = at.Par;
    lifted.Letters = range.End.Offset;
    lifted.Lifted = true;
    RemoveDropCapKeepFormat(doc, cap);
}

void SeamRestore(TDoc& doc, const TLiftedDropCap& lifted) {
    if (!lifted.Lifted || lifted.Par < 0 || lifted.Par >= doc.ParCount() ||
        lifted.Settings.size() != sizeof(TDropCapDescription) + sizeof(TCharFormat))
        return;
    TPar& p = *doc.Par(lifted.Par);
    if (doc.StoryOfPar(lifted.Par) != stMain || p.Format.InTable != 0 || p.CharCount() - 1 <= lifted.Letters ||
        doc.DropCapOfPar(lifted.Par) != nullptr)
        return;
    TDropCapDescription settings;
    TCharFormat format;
    std::memcpy(&settings, lifted.Settings.data(), sizeof settings);
    std::memcpy(&format, lifted.Settings.data() + sizeof settings, sizeof format);
    TTextPos start;
    TTextPos end;
    MakeTextPos(lifted.Par, 0, start);
    MakeTextPos(lifted.Par, lifted.Letters, end);
    ApplyDropCapLook(doc, TFragment{start, end}, format);
    InsertDropCapField(doc, lifted.Par, lifted.Letters, settings);
}

bool SeamDropCapEnd(TDoc& doc, std::int32_t par, std::int32_t& start, TCharFormat& format) {
    if (par < 0 || par >= doc.ParCount())
        return false;
    TField* cap = doc.DropCapOfPar(par);
    TFragment range;
    if (cap == nullptr || !doc.FieldRange(cap, range) || range.End.Par != par)
        return false;
    start = range.End.Offset;
    doc.FormatAtPos(range.End, format);
    return true;
}

}  // namespace

void InstallDropCapsWorkers() {
    SetOperationWorker<TDropCapArgs>(WorkDropCap);
    TypingSeams().ValidateDropCaps = ValidateDropCaps;
    TypingSeams().LiftDropCapForEdit = SeamLift;
    TypingSeams().RestoreDropCapAfterEdit = SeamRestore;
    FormattingSeams().DropCapEnd = SeamDropCapEnd;
}
