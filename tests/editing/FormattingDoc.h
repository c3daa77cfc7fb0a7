#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/document/TDoc.h"

class TStyle;

// A document for the formatting tests, its main story written as one
// description per paragraph: text with character controls in braces,
// "{b:1}", "{i:0}", "{fs:30}" (size in half-points), "{ul:1}", "{color:255}",
// "{script:1}", "{scaps:1}", "{caps:1}", "{strike:1}", "{dstrike:1}". Every
// paragraph ends with a paragraph mark and takes the default paragraph
// format; the style sheet starts with "Normal".
class TFormattingDoc {
public:
    explicit TFormattingDoc(const std::vector<std::string>& pars);

    TDoc& Doc() { return *DocPtr; }
    // A paragraph described again; attributes that the stream sets to the
    // value in force are written too, so the text shows every control.
    std::string Text(std::int32_t par) const;
    std::vector<std::string> Texts() const;

    // Selects one range, or several, and puts the caret at the end of the
    // last (empty ranges: the caret alone).
    void Select(std::int32_t startPar, std::int32_t startOffset, std::int32_t endPar, std::int32_t endOffset);
    void SelectRanges(const std::vector<TFragment>& ranges);
    void PlaceCaret(std::int32_t par, std::int32_t offset);

    // Adds a style based on another (-1: on nothing); returns its index.
    std::int32_t AddStyle(const std::string& name, std::int32_t basedOn, std::int32_t builtInId = -1);
    TStyle& Style(std::int32_t index) const;
    // Gives paragraph par the style (its index in the format only).
    void SetParStyle(std::int32_t par, std::int32_t style);

    // Runs work inside one committed operation, as workers that other
    // workers call run.
    template <class F>
    void InOperation(F&& work) {
        Begin();
        work();
        End();
    }

    // The character attribute in force at a character of a paragraph.
    std::int32_t AttrAt(std::int32_t par, std::int32_t offset, int attr) const;

private:
    void Begin();
    void End();

    std::unique_ptr<TDoc> DocPtr;
};

// Every byte that formatting may change: paragraph characters, streams and
// formats, the style sheet, list definitions, page setups and document
// settings. Two dumps are equal exactly when those bytes are.
struct TFormattingDump {
    std::vector<std::string> Lines;
    bool operator==(const TFormattingDump& other) const { return Lines == other.Lines; }
};

TFormattingDump DumpFormatting(const TDoc& doc);
// The first differing line of two dumps, for failure messages ("" when equal).
std::string DumpDifference(const TFormattingDump& a, const TFormattingDump& b);

// A copy of a value: fields of the packed paragraph format cannot be bound
// to the references the test macros take.
template <class T>
T Value(T value) {
    return value;
}

// The style manager that built-in styles come from, made once.
void EnsureStyleManager();
