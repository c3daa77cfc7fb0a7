// Field instructions come from documents of any origin. Every parser takes
// any text without reading past it, and what the builders write from a
// parsed instruction parses back to the same options.
#include <cstdint>
#include <string>
#include <vector>

#include "base/text/TWideStringList.h"
#include "model/fields/FieldFormats.h"
#include "model/fields/FieldInstructions.h"
#include "model/fields/TField.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "platform/CodePages.h"

namespace {

void CheckHyperlink(const std::u16string& instruction) {
    std::u16string target, bookmark, tooltip;
    ParseHyperlinkCode(instruction, target, bookmark, &tooltip);
    std::u16string target2, bookmark2, tooltip2;
    ParseHyperlinkCode(BuildHyperlinkCode(target, bookmark, tooltip), target2, bookmark2, &tooltip2);
    const bool mailto = target2 != target && target2 == u"mailto:" + target;
    if ((target2 != target && !mailto) || bookmark2 != bookmark || tooltip2 != tooltip)
        __builtin_trap();
}

void CheckToc(const std::u16string& instruction) {
    auto normal = [](TTocOptions o) {
        if (o.ShowPageNumbers == 0 || o.RightAlign == 0) {
            o.RightAlign = 0;
            o.RightAlignLevel = 0;
        }
        return o;
    };
    const TTocOptions a = normal(ParseTocCode(instruction));
    const TTocOptions b = normal(ParseTocCode(BuildTocCode(a)));
    if (a.ShowPageNumbers != b.ShowPageNumbers || a.Levels != b.Levels || a.Separator != b.Separator ||
        a.RightAlign != b.RightAlign || a.RightAlignLevel != b.RightAlignLevel)
        __builtin_trap();
}

void CheckSymbol(const std::u16string& instruction) {
    std::string font;
    const std::int32_t code = ParseSymbolCode(instruction, font);
    if (code <= 0)
        __builtin_trap();
    if (font.find('"') != std::string::npos)
        return;
    std::string font2;
    if (ParseSymbolCode(BuildSymbolCode(code, font), font2) != code || font2 != font)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    const std::u16string instruction =
        Platform::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));

    const auto tokens = TokenizeFieldCode(instruction);
    for (std::int32_t i = 0; i < tokens->Count; ++i)
        if (tokens->GetString(i).empty())
            __builtin_trap();
    CheckHyperlink(instruction);
    CheckToc(instruction);
    CheckSymbol(instruction);

    TXEOptions xe;
    ParseXECode(instruction, xe);
    const TIndexOptions index = ParseIndexCode(instruction);
    if (index.Columns < 0 || index.Columns > 4)
        __builtin_trap();
    std::u16string bookmark;
    bool a = false, b = false;
    ParsePageRefCode(instruction, &a, &b, bookmark);
    ParseNoteRefCode(instruction, nullptr, &b, bookmark);

    TStyleList sheet(nullptr);
    auto* normal = new TStyle(&sheet);
    normal->Name = normal->DisplayName = "Normal";
    sheet.AddStyle(normal);
    std::int32_t style = 0;
    std::string styleName;
    ParseStyleRefCode(sheet, instruction, style, a, styleName);
    if (style < -1 || style >= sheet.Count)
        __builtin_trap();

    // Pictures and switches go through the formatters: a field of this
    // instruction formats a fixed date and a number.
    TField field;
    field.Type = ftDate;
    field.Instruction = instruction;
    field.FormatDateText(1033, 45356.589);
    field.FormatNumberText(static_cast<std::int32_t>(size) * 997, 255);

    std::u16string label;
    std::vector<TListNumberReading> readings;
    RecognizeTypedListNumber(instruction, label, readings);
    LevelNumbersOfLevelText(instruction);
    return 0;
}
