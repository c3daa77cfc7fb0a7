#include "SearchDoc.h"

#include "base/core/TMemory.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TToken.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "platform/CodePages.h"

TSearchDoc::TSearchDoc(const std::string& text, bool hidden) : DocPtr(std::make_unique<TDoc>(hidden)) {
    TMemory bytes;
    for (char c : text)
        bytes.AppendByte(static_cast<std::uint8_t>(c));
    if (bytes.Size > 0)
        DocPtr->PerformOperation(TInsertTextArgs{&bytes, 0});
    DocPtr->Caret = TTextPos{};
}

std::string TSearchDoc::TextOf(const TFragment& range) const {
    std::u16string w = DocPtr->RangeText(range);
    for (char16_t& c : w)
        if (c == 2)
            c = u'\r';
    return Platform::WideToBytes(1252, w);
}

std::string TSearchDoc::Text() const {
    TFragment all = TextStoriesRange(*DocPtr);
    return TextOf(all);
}

bool TSearchDoc::Compile(const std::u16string& find, std::uint8_t options) {
    SearchOptions = options;
    std::int32_t position = 1;
    return TToken::Compile(FindPattern, find, position, (options & soWildcards) != 0, false, 0);
}

std::vector<std::string> TSearchDoc::FindAll(std::size_t limit) {
    std::vector<std::string> found;
    const bool backward = (SearchOptions & soBackward) != 0;
    const TFragment all = TextStoriesRange(*DocPtr);
    TTextPos pos = backward ? TTextPos{all.End.Par, all.End.Offset - 1, 0, 0} : all.Start;
    TTextPos limitPos = backward ? all.End : all.Start;
    while (found.size() < limit) {
        TSearchResult result;
        SearchFrom(*DocPtr, State, pos, result, 0, limitPos);
        if (!result.Found)
            break;
        TFragment range;
        MakeFragmentFromPositions(result.FoundStart, result.FoundEnd, range);
        found.push_back(TextOf(range));
        if (backward) {
            limitPos = result.FoundStart;
            pos = result.FoundStart;
            if (pos.Offset > 0)
                --pos.Offset;
            else if (--pos.Par >= 0)
                pos.Offset = DocPtr->Par(pos.Par)->CharCount() - 1;
            else
                break;
        } else {
            pos = result.Next;
        }
    }
    return found;
}
