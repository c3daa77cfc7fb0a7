// Laying one changed paragraph out again in place, so that typing inside a
// paragraph that keeps its lines' number and heights skips repagination.

#include <algorithm>
#include <vector>

#include "base/core/TList.h"
#include "layout/boxes/TBox.h"
#include "layout/boxes/TPage.h"
#include "layout/lines/LineLayout.h"
#include "layout/pagination/Pagination.h"
#include "model/document/TDoc.h"
#include "model/document/TPostActions.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TLine.h"
#include "model/paragraphs/TPar.h"

namespace {

constexpr std::int32_t NoFirstPage = static_cast<std::int32_t>(0x80000000u);

bool HasBreakChar(const TPar& par) {
    for (std::int32_t i = 0; i < par.CharCount(); ++i) {
        const std::uint8_t c = par.Chars.Data[i];
        if (c == chColumnBreak || c == chPageBreak || c == chLineBreak || c == chSectionBreak)
            return true;
    }
    return false;
}

void DropLines(TPar& par) {
    par.Flags &= static_cast<std::uint16_t>(~pfNormalized);
    par.RebuildLines(false, 0);
}

}  // namespace

void TDoc::ReformatPar(std::int32_t index) {
    if (index < 0 || index >= Pars.Count)
        return;
    TPar& par = *Par(index);
    TPostActions& pa = PostActions();
    if (pa.FirstPage != NoFirstPage) {
        NoteParChanged(index);
        DropLines(par);
        return;
    }
    if (!par.IsLaidOut()) {
        DropLines(par);
        return;
    }
    const TFragment repaint = pa.RepaintRange;
    NoteParChanged(index);
    bool inPlace = (par.Flags & pfRelayout) == 0 && !HasBreakChar(par) && !par.HasNoteReferenceMark() &&
                   repaint.Start.Par == 0 && repaint.Start.Offset == 0 && repaint.End.Par == 0 &&
                   repaint.End.Offset == 0;
    const std::int32_t width = par.Lines->At<TLine>(0)->WidthLimit;
    for (std::int32_t i = 0; inPlace && i < par.LineCount(); ++i) {
        const TLine* line = par.Lines->At<TLine>(i);
        inPlace = line->Box != nullptr && line->WidthLimit == width &&
                  (line->Flags & (lfSectionBreak | lfBesideSectionBreak | lfSectionBreakBeside | lfWrapPiece)) == 0;
    }
    if (!inPlace) {
        DropLines(par);
        return;
    }
    // Each line's place, kept while the paragraph is broken again.
    std::vector<TPaginatedLineInfo> saved;
    saved.reserve(par.LineCount());
    for (std::int32_t i = 0; i < par.LineCount(); ++i)
        saved.emplace_back(*par.Lines->At<TLine>(i));
    // The boxes let go of the old lines first, so that no box lists a line
    // that went back to the pool.
    for (std::int32_t i = 0; i < par.LineCount(); ++i) {
        TLine* line = par.Lines->At<TLine>(i);
        line->Box->Lines->Items[line->IndexInBox] = nullptr;
        line->Box = nullptr;
    }
    par.Flags &= static_cast<std::uint16_t>(~pfNormalized);
    par.Normalize();
    BreakParagraph(par, 0, width);
    bool same = par.LineCount() == static_cast<std::int32_t>(saved.size());
    for (std::int32_t i = 0; same && i < par.LineCount(); ++i) {
        const TLine* line = par.Lines->At<TLine>(i);
        same = line->Height == saved[i].Height && (line->Flags & lfPagePicture) == 0 &&
               (saved[i].Flags & lfPagePicture) == 0;
    }
    if (same) {
        for (std::int32_t i = 0; i < par.LineCount(); ++i) {
            TLine* line = par.Lines->At<TLine>(i);
            saved[i].RestoreTo(*line);
            line->Box->Lines->Items[line->IndexInBox] = line;
        }
        pa.RepaintRange = {{index, 0}, {index, par.CharCount()}};
        pa.FirstPage = NoFirstPage;
        return;
    }
    // The pages from the paragraph's page on no longer hold its lines;
    // pagination places the new ones.
    std::int32_t page = Pages.Count;
    for (const TPaginatedLineInfo& info : saved)
        if (info.Box != nullptr && info.Box->Page() != nullptr)
            page = std::min(page, info.Box->Page()->PageIndex);
    DiscardPages(page);
}
