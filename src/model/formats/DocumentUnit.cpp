#include "model/formats/DocumentUnit.h"

#include <string>

#include "base/text/CompareLocale.h"
#include "model/formats/BorderSets.h"
#include "model/formats/TCompoundFragment.h"
#include "model/formats/TShape.h"

void InitDocumentUnit() {
    // The table is made with its empty set on first use; asking for its
    // size makes it now, before any document interns a set.
    BorderSetCount();
}

namespace {

void (*LayoutPoolsTrim)() = nullptr;

}  // namespace

void SetLayoutPoolsTrim(void (*trim)()) {
    LayoutPoolsTrim = trim;
}

void ReleaseDocumentPools() {
    EmptyCompoundFragmentPool();
    if (LayoutPoolsTrim != nullptr)
        LayoutPoolsTrim();
}

void DoneDocumentUnit() {}

int CompareShapesZOrder(const TShape* a, const TShape* b) {
    const bool aBehind = a->IsBehindText(), bBehind = b->IsBehindText();
    if (aBehind != bBehind)
        return aBehind ? -1 : 1;
    return a->ZOrder() < b->ZOrder() ? -1 : a->ZOrder() > b->ZOrder() ? 1 : 0;
}

int CompareIndexEntries(std::u16string_view a, std::u16string_view b) {
    std::size_t ia = 0, ib = 0;
    for (;;) {
        const bool aDone = ia > a.size(), bDone = ib > b.size();
        if (aDone || bDone)
            return aDone == bDone ? 0 : (aDone ? -1 : 1);
        const std::size_t ea = std::min(a.find(u':', ia), a.size());
        const std::size_t eb = std::min(b.find(u':', ib), b.size());
        const std::u16string la(a.substr(ia, ea - ia)), lb(b.substr(ib, eb - ib));
        int c = CompareWideTextLocale(la.c_str(), lb.c_str());
        if (c == 0)
            c = CompareWideStrLocale(la.c_str(), lb.c_str());
        if (c != 0)
            return c;
        ia = ea + 1;
        ib = eb + 1;
    }
}
