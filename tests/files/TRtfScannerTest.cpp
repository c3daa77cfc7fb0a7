#include "files/rtf/TRtfScanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

// The tokens of an input as one line: "{", "}", words as \word with their
// parameter (unknown words as \?letters), text in quotes, control symbols
// as \ and the byte (\x0d and the like for control bytes), escaped bytes as
// =hh.
std::string Describe(const TRtfToken& token) {
    char hex[8];
    switch (token.Kind) {
        case rtkGroupOpen:
            return "{";
        case rtkGroupClose:
            return "}";
        case rtkText: {
            std::string text = "'";
            text.append(reinterpret_cast<const char*>(token.Text), token.TextLength);
            return text += "'";
        }
        case rtkControlSymbol:
            if (token.Byte < 32) {
                std::snprintf(hex, sizeof hex, "\\x%02x", token.Byte);
                return hex;
            }
            return std::string("\\") + static_cast<char>(token.Byte);
        case rtkEscapedByte:
            std::snprintf(hex, sizeof hex, "=%02x", token.Byte);
            return hex;
        case rtkControlWord: {
            std::string text = "\\";
            if (token.Word != RtfUnknownWord)
                text += RtfControlWords[token.Word];
            else if (token.Scanned.Letters)
                text.append("?").append(token.Scanned.Letters, token.Scanned.Letters + token.Scanned.LetterCount);
            else
                text += "?(" + std::to_string(token.Scanned.LetterCount) + " letters)";
            if (RtfParamLength(token.Scanned) > 0)
                text += std::to_string(ParseRtfNumber(token.Scanned));
            return text;
        }
        case rtkEnd:
            break;
    }
    return "end";
}

struct TScanned {
    std::string Tokens;
    TReadResult Flaw;
    TReadResult Result;
};

// Scans input from a memory block of exactly its size; every token must
// start where the one before it ended, except where a flaw dropped bytes.
TScanned ScanAll(const std::string& input) {
    const std::vector<std::uint8_t> block(input.begin(), input.end());
    TReadWindow window;
    window.AttachMemory(block.data(), block.size());
    TRtfScanner scanner(window);
    TScanned out;
    TRtfToken token;
    while (scanner.Next(token) != rtkEnd) {
        if (!out.Tokens.empty())
            out.Tokens += ' ';
        out.Tokens += Describe(token);
    }
    EXPECT_EQ(token.Offset, static_cast<std::int64_t>(input.size()));
    out.Flaw = scanner.FirstFlaw();
    out.Result = scanner.Result();
    return out;
}

TEST(RtfScannerTest, TokensOfWellFormedInput) {
    struct Case {
        std::string Input;
        std::string Tokens;
    };
    const Case cases[] = {
        {"{\\rtf1\\ansi\\B bold\\b0 plain}", "{ \\?rtf1 \\?ansi \\b 'bold' \\b0 'plain' }"},
        {"\\fs24 x\\fs24x", "\\fs24 'x' \\fs24 'x'"},
        {"\\li-720\\li-x", "\\li-720 \\li0 'x'"},
        {"a\\\\b\\{c\\}d", "'a' \\\\ 'b' \\{ 'c' \\} 'd'"},
        {"\\~\\_\\-\\*\\|\\:", "\\~ \\_ \\- \\* \\| \\:"},
        {"one\\\ntwo\\\rthree", "'one' \\x0a 'two' \\x0d 'three'"},
        {"\\'4a\\'4A\\'e9x", "=4a =4a =e9 'x'"},
        {"{\\*\\unknownword text}", "{ \\* \\?unknownword 'text' }"},
        {"\\u-3913?\\u61623?", "\\u-3913 '?' \\u61623 '?'"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Input);
        const TScanned scanned = ScanAll(c.Input);
        EXPECT_EQ(scanned.Tokens, c.Tokens);
        EXPECT_TRUE(scanned.Flaw);
        EXPECT_TRUE(scanned.Result);
    }
}

// Malformed places are read leniently; the first one is reported with the
// offset of the first byte that could not be taken as written.
TEST(RtfScannerTest, MalformedInputIsReadLenientlyAndReported) {
    struct Case {
        std::string Input;
        std::string Tokens;
        std::uint64_t FlawOffset;
    };
    const Case cases[] = {
        // An escape with a bad digit gives no byte; what follows is read as
        // what it is, so a brace or backslash keeps its meaning.
        {"a\\'zzb", "'a' 'zzb'", 3},
        {"a\\'4gb", "'a' '4gb'", 4},
        {"a\\'4}b", "'a' '4' } 'b'", 4},
        {"{\\'\\b}", "{ \\b }", 3},
        // Cut short by the end of the input.
        {"x\\'4", "'x' '4'", 4},
        {"x\\'", "'x'", 3},
        {"x\\", "'x'", 1},
        // Out of range parameters are clamped, not wrapped.
        {"\\b4294967297 x", "\\b2147483647 'x'", 2},
        {"\\li-99999999999", "\\li-2147483648", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Input);
        const TScanned scanned = ScanAll(c.Input);
        EXPECT_EQ(scanned.Tokens, c.Tokens);
        EXPECT_FALSE(scanned.Flaw);
        EXPECT_EQ(scanned.Flaw.Offset, c.FlawOffset);
        EXPECT_FALSE(scanned.Flaw.Reason.empty());
        EXPECT_TRUE(scanned.Result);
    }
}

// Words, numbers and escapes that meet the end of a window come out whole:
// the scanner refills before a token when few bytes remain, and a word
// longer than the window guarantees is followed across the refill.
TEST(RtfScannerTest, TokensAtTheWindowEndSurviveTheRefill) {
    const std::size_t window = TReadWindow::WindowSize;
    struct Case {
        std::string Token;
        std::string Expected;
    };
    const Case cases[] = {
        {"\\fs24 ", "\\fs24"},
        {"\\Paperw12240 ", "\\paperw12240"},
        {"\\'e9", "=e9"},
        {"\\\\", "\\\\"},
        {"\\fs" + std::string(80, '0') + "7 ", "\\fs7"},
        {"\\fs" + std::string(70000, '9') + " ", "\\fs2147483647"},
        {std::string("\\").append(70000, 'q').append("3 "), "\\?(70000 letters)3"},
        {"\\" + std::string(40, 'Q') + " ", "\\?" + std::string(40, 'q')},
    };
    for (const Case& c : cases) {
        // Place the token so that it starts a little before, at and after
        // the end of the first window, and at the end of the input.
        for (std::size_t before : {window - 40, window - 36, window - 35, window - 3, window - 1, window, window + 1}) {
            SCOPED_TRACE(c.Expected.substr(0, 30) + " at " + std::to_string(before));
            const std::string filler(before, 'x');
            const TScanned scanned = ScanAll(filler + c.Token + "!");
            std::string expected = "'" + filler + "' " + c.Expected + " '!'";
            // A text run ends where the window ends.
            const std::string& tokens = scanned.Tokens;
            std::string joined;
            for (std::size_t i = 0; i < tokens.size(); ++i) {
                if (tokens.compare(i, 3, "' '") == 0 && i > 0 && tokens[i - 1] == 'x') {
                    i += 2;  // two text runs of filler in a row
                    continue;
                }
                joined += tokens[i];
            }
            EXPECT_EQ(joined, expected);
            EXPECT_TRUE(scanned.Result);
        }
    }
}

// The scanner reads a file in windows exactly as it reads memory.
TEST(RtfScannerTest, AFileScansLikeMemory) {
    std::string input;
    for (int i = 0; input.size() < 300000; ++i)
        input += "{\\Fs" + std::to_string(i * 37) + " text \\'e" + std::to_string(i % 10) + "\\par}\r\n";
    TestSupport::TTempDir dir;
    const std::string path = dir.File("scan.rtf");
    TestSupport::WriteFileBytes(path, input);
    const Platform::TFileHandle file = Platform::OpenExistingFile(path, Platform::TFileAccess::Read);
    ASSERT_NE(file, Platform::kNoFile);
    TReadWindow window;
    window.AttachFile(file, static_cast<std::int64_t>(input.size()), path);
    TRtfScanner scanner(window);
    std::string tokens;
    TRtfToken token;
    while (scanner.Next(token) != rtkEnd) {
        if (!tokens.empty())
            tokens += ' ';
        tokens += Describe(token);
    }
    Platform::CloseFile(file);
    EXPECT_TRUE(scanner.Result());
    EXPECT_EQ(tokens, ScanAll(input).Tokens);
}

// A read failure ends the tokens after the bytes already read, and says so.
TEST(RtfScannerTest, AReadFailureEndsTheInputWithItsOffset) {
    TestSupport::TTempDir dir;
    const std::string path = dir.File("short.rtf");
    TestSupport::WriteFileBytes(path, std::string(70000, 'x'));
    const Platform::TFileHandle file = Platform::OpenExistingFile(path, Platform::TFileAccess::Read);
    TReadWindow window;
    window.AttachFile(file, 90000, path);  // the file is shorter than said
    TRtfScanner scanner(window);
    TRtfToken token;
    std::size_t text = 0;
    while (scanner.Next(token) != rtkEnd)
        text += token.TextLength;
    Platform::CloseFile(file);
    EXPECT_EQ(text, 70000u);
    EXPECT_FALSE(scanner.Result());
    EXPECT_EQ(scanner.Result().Offset, 70000u);
}

}  // namespace
