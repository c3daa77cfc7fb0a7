#include "layout/words/ParChars.h"

#include <algorithm>

#include "base/core/TList.h"
#include "model/document/TDoc.h"
#include "model/paragraphs/TPar.h"
#include "platform/Collation.h"

TParChars::TParChars(const TDoc& doc, std::int32_t par, const std::uint8_t* separators)
    : Index(par), Doc(doc), Separators(separators) {
    Par = doc.Par(par);
    Par->Normalize();
    Data = Par->Chars.Data;
    Count = Par->Chars.Size;
    if ((Par->Flags & pfSymbolText) != 0) {
        TList* list = Par->SymbolCharPositions();
        for (std::int32_t i = 0; i < list->Count; ++i)
            Symbols.push_back(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(list->Items[i])));
        TList::Release(list);
        std::sort(Symbols.begin(), Symbols.end());
    }
}

bool TParChars::IsSymbol(std::int32_t i) const {
    return !Symbols.empty() && std::binary_search(Symbols.begin(), Symbols.end(), i);
}

bool TParChars::IsAlphaNumeric(std::int32_t i) const {
    const std::uint8_t c = Data[i];
    if (c < 128)
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    Par->BuildWideText();
    const char16_t w = i < static_cast<std::int32_t>(Par->WideText.size()) ? Par->WideText[i] : u'\0';
    return Platform::IsLetterWide(w) || (w >= u'0' && w <= u'9');
}

std::int32_t TParChars::PrimaryLanguage(std::int32_t i) const {
    return Doc.LanguageAt(Index, i + 1) & 0x3FF;
}
