#pragma once

#include <cstddef>
#include <cstdint>

// Scanning one RTF control word at the bytes just after its backslash: the
// letters (lowered in place), then the parameter, one optional "-" and any
// number of digits, then one optional space, the delimiter, which belongs to
// the word. Any other byte ends the word and is left for the reader; a "-"
// that no digit follows is consumed all the same. A space straight after the
// letters is the delimiter, and the word has no parameter.
//
// The scan reads no byte at or after the end it is given. A word may be cut
// by the end of the read window; the scan then stops with the word
// unfinished, keeps where it was, and carries on over the next bytes once
// the window is refilled (ContinueRtfControlWord), so any number of letters
// or digits is consumed however the window falls. The parameter is worked
// out as the digits go by and kept within the signed 32-bit range: a longer
// number stands for the nearest value that fits, and Clamped says so.

enum TRtfScanPhase : std::uint8_t {
    rspLetters,       // taking letters
    rspAfterLetters,  // the byte after the letters decides what follows
    rspDigits,        // taking the digits of the parameter
    rspDone,
};

struct TRtfScannedWord {
    // The first letter in the read buffer, lowered; nullptr once the letters
    // no longer lie in the window (a word cut by a refill in its letters,
    // which makes it longer than any known word).
    std::uint8_t* Letters = nullptr;
    // Bytes consumed after the backslash: letters, parameter and delimiter.
    std::int64_t Length = 0;
    std::int64_t LetterCount = 0;
    // The parameter as written: "-" and digits; 0 for no parameter.
    std::int64_t ParamLength = 0;
    std::int32_t Param = 0;
    bool Negative = false;
    bool Clamped = false;
    TRtfScanPhase Phase = rspLetters;
    // The digits' value so far, held just above the 32-bit range once the
    // number is out of it.
    std::uint64_t Magnitude = 0;
};

// Starts a word at p (the first letter, just after the backslash; the caller
// has made sure it is a letter) and scans it up to end. Returns true when the
// word is complete, false when it reached end unfinished. p ends after the
// consumed bytes.
bool ScanRtfControlWord(std::uint8_t*& p, const std::uint8_t* end, TRtfScannedWord& word);
// Goes on with an unfinished word over the next bytes.
bool ContinueRtfControlWord(std::uint8_t*& p, const std::uint8_t* end, TRtfScannedWord& word);
// Completes an unfinished word at the end of the input.
void FinishRtfControlWord(TRtfScannedWord& word);

// The word's index in RtfControlWords, or RtfUnknownWord.
int LookupRtfControlWord(const TRtfScannedWord& word);

// The length of the parameter text ("-" and digits).
inline std::int64_t RtfParamLength(const TRtfScannedWord& word) {
    return word.ParamLength;
}
// The parameter; 0 when there is none, and 0 for a lone "-".
inline std::int32_t ParseRtfNumber(const TRtfScannedWord& word) {
    return word.Param;
}
// The parameter, or 1 when there is none: a toggle word without a parameter
// means on, with 0 off; any other value is kept as given.
inline std::int32_t RtfParamOrOne(const TRtfScannedWord& word) {
    return word.ParamLength > 0 ? word.Param : 1;
}
