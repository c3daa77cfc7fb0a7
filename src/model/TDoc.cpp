#include "model/TDoc.h"

#include "model/TAutoList.h"
#include "model/TField.h"
#include "model/TPar.h"
#include "model/TSection.h"
#include "model/TShape.h"
#include "model/TStyleList.h"

namespace {

// twips × resolution / 1440, rounded half up (also for negative values).
std::int32_t ScaleTwips(std::int32_t twips, std::int32_t resolution) {
    const std::int64_t n = static_cast<std::int64_t>(twips) * resolution + 720;
    std::int64_t q = n / 1440;
    if (n % 1440 != 0 && n < 0)
        --q;
    return static_cast<std::int32_t>(q);
}

}  // namespace

TDoc::TDoc() : Styles(new TStyleList(this)) {}

TDoc::~TDoc() {
    // Paragraphs first: normalised paragraphs are recorded in their shapes,
    // and fields are looked up from the streams.
    Pars.FreeItems<TPar>();
    Shapes.FreeItems<TShape>();
    Fields.FreeItems<TField>();
    Lists.FreeItems<TAutoList>();
    Sections.FreeItems<TSection>();
    delete Styles;
}

TSection* TDoc::SectionOfPar(std::int32_t par) const {
    if (Sections.Count == 0)
        return nullptr;
    for (std::int32_t i = 0; i < Sections.Count; ++i) {
        auto* s = Sections.At<TSection>(i);
        if (s->FirstPar <= par && par <= s->LastPar)
            return s;
    }
    return static_cast<TSection*>(Sections.Last());
}

void TDoc::BorderGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const {
    first = last = par;
    if (par < 0 || par >= Pars.Count)
        return;
    const std::int16_t borders = Par(par)->Format.Borders;
    while (first > 0 && Par(first - 1)->Format.Borders == borders)
        --first;
    while (last + 1 < Pars.Count && Par(last + 1)->Format.Borders == borders)
        ++last;
}

std::int32_t TDoc::TwipsToPixelsX(std::int32_t twips) const {
    return ScaleTwips(twips, ZoomedResolutionX);
}

std::int32_t TDoc::TwipsToPixelsY(std::int32_t twips) const {
    return ScaleTwips(twips, ZoomedResolutionY);
}
