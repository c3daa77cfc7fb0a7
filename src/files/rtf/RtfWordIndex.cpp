#include "files/rtf/RtfWordIndex.h"

#include <cstring>

int LookupRtfWord(const std::uint8_t* letters, std::size_t count) {
    if (count == 0 || count > LongestRtfControlWord)
        return RtfUnknownWord;
    if (count == 1)
        return RtfWordIndex.OneLetter[letters[0]];
    const unsigned first = letters[0] - 'a';
    const unsigned second = letters[1] - 'a';
    if (first >= 26 || second >= 26)
        return RtfUnknownWord;
    const TRtfWordIndex::TTwoLetterEntry& entry = RtfWordIndex.TwoLetter[first * 26 + second];
    if (count == 2)
        return entry.Word;
    if (entry.First == TRtfWordIndex::None)
        return RtfUnknownWord;
    for (int i = entry.First; i <= entry.Last; ++i)
        if (RtfWordIndex.Length[i] == count && std::memcmp(RtfControlWords[i].data() + 2, letters + 2, count - 2) == 0)
            return i;
    return RtfUnknownWord;
}
