#include "files/rtf/RtfScannedWord.h"

#include <limits>

#include "files/rtf/RtfByteClass.h"
#include "files/rtf/RtfWordIndex.h"

namespace {

// One more than the largest magnitude a 32-bit parameter can take (that of
// -2147483648): a magnitude that reaches it is out of range however many
// digits follow, so it stops growing there.
constexpr std::uint64_t MagnitudeCap = std::uint64_t{1} << 31;

void SetParam(TRtfScannedWord& word) {
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    const auto magnitude = static_cast<std::int64_t>(word.Magnitude);
    std::int64_t value = word.Negative ? -magnitude : magnitude;
    word.Clamped = value < lowest || value > highest || word.Magnitude > MagnitudeCap;
    if (value < lowest)
        value = lowest;
    if (value > highest)
        value = highest;
    word.Param = static_cast<std::int32_t>(value);
}

}  // namespace

bool ScanRtfControlWord(std::uint8_t*& p, const std::uint8_t* end, TRtfScannedWord& word) {
    word = TRtfScannedWord{};
    word.Letters = p;
    return ContinueRtfControlWord(p, end, word);
}

bool ContinueRtfControlWord(std::uint8_t*& p, const std::uint8_t* end, TRtfScannedWord& word) {
    std::uint8_t* q = p;
    while (q < end) {
        const std::uint8_t b = *q;
        switch (word.Phase) {
            case rspLetters:
                if (const std::uint8_t lower = RtfLetterMap[b]) {
                    *q++ = lower;
                    ++word.LetterCount;
                    continue;
                }
                word.Phase = rspAfterLetters;
                continue;
            case rspAfterLetters:
                if (b == ' ') {
                    ++q;
                    word.Phase = rspDone;
                } else if (b == '-') {
                    ++q;
                    ++word.ParamLength;
                    word.Negative = true;
                    word.Phase = rspDigits;
                    continue;
                } else if (IsRtfDigit(b)) {
                    word.Phase = rspDigits;
                    continue;
                } else {
                    word.Phase = rspDone;
                }
                break;
            case rspDigits:
                if (IsRtfDigit(b)) {
                    ++q;
                    ++word.ParamLength;
                    word.Magnitude = word.Magnitude * 10 + (b - '0');
                    if (word.Magnitude > MagnitudeCap)
                        word.Magnitude = MagnitudeCap + 1;
                    continue;
                }
                if (b == ' ')
                    ++q;
                word.Phase = rspDone;
                break;
            case rspDone:
                break;
        }
        break;
    }
    word.Length += q - p;
    p = q;
    if (word.Phase != rspDone)
        return false;
    SetParam(word);
    return true;
}

void FinishRtfControlWord(TRtfScannedWord& word) {
    if (word.Phase == rspDone)
        return;
    word.Phase = rspDone;
    SetParam(word);
}

int LookupRtfControlWord(const TRtfScannedWord& word) {
    if (!word.Letters || word.LetterCount > static_cast<std::int64_t>(LongestRtfControlWord))
        return RtfUnknownWord;
    return LookupRtfWord(word.Letters, static_cast<std::size_t>(word.LetterCount));
}
