// Find and Replace texts are typed by users and kept in the settings; any
// text must compile or be refused with a reason, and a compiled pattern must
// search a document and replace what it found without reading outside the
// text. The input is an option byte, then the Find text, the Replace text
// and the document's text (code page 1252, "\r" between paragraphs),
// separated by newlines.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/core/TMemory.h"
#include "editing/search/PatternMatcher.h"
#include "editing/search/PerformReplacement.h"
#include "editing/search/SearchOptions.h"
#include "editing/search/TToken.h"
#include "model/document/TDoc.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/TOperation.h"
#include "platform/CodePages.h"

namespace {

bool InText(const TDoc& doc, const TTextPos& pos) {
    return pos.Par >= 0 && pos.Par < doc.ParCount() && pos.Offset >= 0 && pos.Offset <= doc.Par(pos.Par)->CharCount();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 2048)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t first = input.find('\n');
    const std::size_t second = first == std::string_view::npos ? first : input.find('\n', first + 1);
    const std::string_view find = input.substr(0, first);
    const std::string_view replace =
        first == std::string_view::npos ? std::string_view() : input.substr(first + 1, second - first - 1);
    const std::string_view text =
        second == std::string_view::npos ? std::string_view("a ab abc\rb") : input.substr(second + 1);

    SearchOptions = data[0] & (soExactMatch | soWholeWords | soBackward | soWildcards);
    FindFormat.Clear();
    ReplaceFormat.Clear();
    const bool wildcards = (SearchOptions & soWildcards) != 0;
    std::int32_t position = 1;
    if (!TToken::Compile(FindPattern, Platform::Utf8ToUtf16(find), position, wildcards, false, 0))
        return 0;
    position = 1;
    const bool canReplace =
        TToken::Compile(ReplacePattern, Platform::Utf8ToUtf16(replace), position, wildcards, true, 0);

    TDoc doc;
    TMemory bytes;
    for (char c : text)
        bytes.AppendByte(static_cast<std::uint8_t>(c));
    if (bytes.Size > 0)
        doc.PerformOperation(TInsertTextArgs{&bytes, 0});
    doc.Caret = TTextPos{};

    TDocSearchState state;
    const TFragment all = TextStoriesRange(doc);
    TTextPos pos = (SearchOptions & soBackward) != 0 ? TTextPos{all.End.Par, all.End.Offset - 1, 0, 0} : all.Start;
    for (int hits = 0; hits < 20; ++hits) {
        TSearchResult result;
        SearchFrom(doc, state, pos, result, 0, all.End);
        if (!result.Found)
            break;
        if (!InText(doc, result.FoundStart) || !InText(doc, result.FoundEnd) ||
            CompareTextPos(result.FoundStart, result.FoundEnd) >= 0)
            __builtin_trap();
        TFragment found;
        MakeFragmentFromPositions(result.FoundStart, result.FoundEnd, found);
        if (canReplace) {
            auto* op = new TOperation(&doc, 0);
            doc.BeginOperation(op);
            const TFragment r = PerformReplacement(doc, state, found);
            doc.EndOperation();
            doc.CommitOperation(op);
            if (!InText(doc, r.Start) || !InText(doc, r.End))
                __builtin_trap();
            pos = r.End;
        } else {
            pos = result.Next;
        }
        if ((SearchOptions & soBackward) != 0 || !InText(doc, pos))
            break;
    }
    SearchOptions = 0;
    return 0;
}
