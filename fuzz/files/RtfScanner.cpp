// RTF comes from files, the clipboard and the settings, none of which we
// control. The whole input is scanned through a read window from memory;
// every token must lie inside the input and start where the one before it
// ended (or later, where a malformed place was dropped), a control word
// must be one the table knows or unknown, and the tokens must reach the
// end of the input.
#include <cstdint>

#include "files/import/TReadWindow.h"
#include "files/rtf/TRtfScanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TReadWindow window;
    window.AttachMemory(data, size);
    TRtfScanner scanner(window);
    TRtfToken token;
    const auto total = static_cast<std::int64_t>(size);
    std::int64_t expected = 0;
    while (scanner.Next(token) != rtkEnd) {
        std::int64_t length = 0;
        switch (token.Kind) {
            case rtkText:
                length = static_cast<std::int64_t>(token.TextLength);
                if (length == 0 || token.Text < window.ReadBuffer ||
                    token.Text + token.TextLength > window.ReadBuffer + TReadWindow::BufferSize)
                    __builtin_trap();
                break;
            case rtkGroupOpen:
            case rtkGroupClose:
                length = 1;
                break;
            case rtkControlSymbol:
                length = 2;
                break;
            case rtkEscapedByte:
                length = 4;
                break;
            case rtkControlWord:
                length = 1 + token.Scanned.Length;
                if (token.Word < RtfUnknownWord || token.Word >= RtfControlWordCount || token.Scanned.LetterCount < 1 ||
                    token.Scanned.ParamLength > token.Scanned.Length)
                    __builtin_trap();
                break;
            case rtkEnd:
                break;
        }
        if (token.Offset < expected || token.Offset + length > total)
            __builtin_trap();
        expected = token.Offset + length;
        if (window.Offset() != expected)
            __builtin_trap();
    }
    if (token.Offset != total || !window.Exhausted() || !scanner.Result())
        __builtin_trap();
    return 0;
}
