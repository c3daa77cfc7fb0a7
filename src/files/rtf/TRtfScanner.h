#pragma once

#include <cstddef>
#include <cstdint>

#include "files/import/TReadWindow.h"
#include "files/rtf/RtfControlWords.h"
#include "files/rtf/RtfScannedWord.h"
#include "platform/ByteReader.h"

// What TRtfScanner found at the read position.
enum TRtfTokenKind : std::uint8_t {
    rtkEnd,            // the input is exhausted (or could not be read further)
    rtkText,           // a run of bytes that are neither backslash nor brace
    rtkGroupOpen,      // "{"
    rtkGroupClose,     // "}"
    rtkControlWord,    // a backslash and letters, with parameter and delimiter
    rtkControlSymbol,  // a backslash and one byte that is no letter and no apostrophe
    rtkEscapedByte,    // "\'" and two hexadecimal digits
};

struct TRtfToken {
    TRtfTokenKind Kind = rtkEnd;
    // The offset in the input of the token's first byte.
    std::int64_t Offset = 0;
    // rtkText: the run in the read window, valid until the next token. Runs
    // end at the window's end as well, so one stretch of text may come as
    // several runs.
    const std::uint8_t* Text = nullptr;
    std::size_t TextLength = 0;
    // rtkControlWord: the word's index in RtfControlWords (RtfUnknownWord
    // for a word not in the table) and the scanned word with its parameter.
    // Its letters lie in the window until the next token, or are gone
    // (nullptr) when a refill fell inside the word.
    int Word = RtfUnknownWord;
    TRtfScannedWord Scanned;
    // rtkControlSymbol: the byte after the backslash ("\\", "{", "}", "~",
    // "_", "-", "*", carriage return, line feed and the rest);
    // rtkEscapedByte: the byte the escape stands for.
    std::uint8_t Byte = 0;
};

// Turns the bytes of an RTF input into tokens, reading through a read
// window and refilling it before each token whenever at most
// TReadWindow::RefillThreshold unread bytes remain. It reads no byte past the
// window's valid end, lowers the letters of control words in place, and
// consumes tokens whole however long they are.
//
// Malformed RTF is read the lenient way the format's readers agree on, and
// the first such place is kept as FirstFlaw (reason and offset):
// - a parameter outside the signed 32-bit range is clamped to it;
// - an escape whose digits are not both hexadecimal gives no byte: "\'" is
//   consumed and the bytes after it are read as what they are;
// - an escape cut short by the end of the input gives no byte either, and a
//   backslash that is the input's last byte is dropped.
// A read failure of the window ends the input after the bytes already read;
// Result reports it.
class TRtfScanner {
public:
    explicit TRtfScanner(TReadWindow& window) : Window(window) {}

    // Takes the token at the read position into token, moves the read
    // position behind it and returns its kind.
    TRtfTokenKind Next(TRtfToken& token);

    // Good, or why and where the input could not be read to its end.
    const TReadResult& Result() const { return ReadFault; }
    // Good, or the first malformed place of the input.
    const TReadResult& FirstFlaw() const { return Flaw; }

private:
    void Refill();
    void NoteFlaw(const char* reason, std::int64_t offset);
    void ScanControlWord(TRtfToken& token);

    TReadWindow& Window;
    TReadResult ReadFault;
    TReadResult Flaw;
};
