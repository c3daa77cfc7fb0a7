#include "files/rtf/TRtfScanner.h"

#include "base/text/HexText.h"
#include "files/rtf/RtfByteClass.h"
#include "files/rtf/RtfHexEscapes.h"

void TRtfScanner::Refill() {
    if (!Window.NeedsRefill())
        return;
    TReadResult result = Window.Fill();
    if (!result && ReadFault)
        ReadFault = std::move(result);
}

void TRtfScanner::NoteFlaw(const char* reason, std::int64_t offset) {
    if (Flaw)
        Flaw = TReadResult::Failure(reason, static_cast<std::uint64_t>(offset));
}

TRtfTokenKind TRtfScanner::Next(TRtfToken& token) {
    for (;;) {
        Refill();
        token = TRtfToken{};
        token.Offset = Window.Offset();
        std::uint8_t* p = Window.ReadPos;
        std::uint8_t* const end = Window.ReadEnd;
        if (p == end)
            return token.Kind = rtkEnd;

        switch (*p) {
            case '{':
                Window.ReadPos = p + 1;
                return token.Kind = rtkGroupOpen;
            case '}':
                Window.ReadPos = p + 1;
                return token.Kind = rtkGroupClose;
            case '\\':
                break;
            default: {
                std::uint8_t* q = p;
                while (q < end && RtfByteClass[*q] != rbcSpecial)
                    ++q;
                token.Text = p;
                token.TextLength = static_cast<std::size_t>(q - p);
                Window.ReadPos = q;
                return token.Kind = rtkText;
            }
        }

        // A backslash. The window holds more than the refill threshold here
        // unless the input ends sooner, so an escape is whole in it.
        if (end - p < 2) {
            NoteFlaw("a backslash ends the input", token.Offset);
            Window.ReadPos = end;
            continue;
        }
        const std::uint8_t next = p[1];
        if (RtfLetterMap[next] != 0) {
            ScanControlWord(token);
            return token.Kind = rtkControlWord;
        }
        if (next != '\'') {
            token.Byte = next;
            Window.ReadPos = p + 2;
            return token.Kind = rtkControlSymbol;
        }
        if (end - p < 4) {
            NoteFlaw("an escaped byte is cut short by the end of the input", Window.OffsetOf(end));
            Window.ReadPos = p + 2;
            continue;
        }
        const int value = RtfEscapedByte(p[2], p[3]);
        if (value < 0) {
            const std::uint8_t* bad = HexDigitValue(static_cast<char>(p[2])) >= 0 ? p + 3 : p + 2;
            NoteFlaw("an escaped byte has a digit that is not hexadecimal", Window.OffsetOf(bad));
            Window.ReadPos = p + 2;
            continue;
        }
        token.Byte = static_cast<std::uint8_t>(value);
        Window.ReadPos = p + 4;
        return token.Kind = rtkEscapedByte;
    }
}

void TRtfScanner::ScanControlWord(TRtfToken& token) {
    TRtfScannedWord& word = token.Scanned;
    std::uint8_t* p = Window.ReadPos + 1;
    bool done = ScanRtfControlWord(p, Window.ReadEnd, word);
    bool looked = false;
    while (!done) {
        if (Window.AtEnd) {
            FinishRtfControlWord(word);
            break;
        }
        // The word runs on past the window, so it is longer than anything a
        // window after a refill guarantees. Its letters are dropped with the
        // consumed bytes: when the refill cuts them, the word is longer than
        // any known word; when it cuts the number, the word is looked up now.
        if (word.Phase != rspLetters && !looked) {
            token.Word = LookupRtfControlWord(word);
            looked = true;
        }
        word.Letters = nullptr;
        Window.ReadPos = p;
        const TReadResult result = Window.Fill();
        if (!result && ReadFault)
            ReadFault = result;
        p = Window.ReadPos;
        done = ContinueRtfControlWord(p, Window.ReadEnd, word);
    }
    if (!looked)
        token.Word = LookupRtfControlWord(word);
    Window.ReadPos = p;
    if (word.Clamped)
        NoteFlaw("a control word's parameter is outside the 32-bit range", token.Offset + 1 + word.LetterCount);
}
