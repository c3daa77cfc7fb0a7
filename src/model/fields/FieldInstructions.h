#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TStyleList;
class TWideStringList;

// The syntax of field instructions ("HYPERLINK "x.htm" \l "top"") and the
// parsers and builders of the instructions the program understands. Every
// parser tokenizes the instruction first; switches it does not know are
// passed over.

// The arguments and switches of an instruction, without its keyword:
// blanks outside double quotes separate tokens, a quoted word directly
// followed by more text gives two tokens, the quotes around a token are
// dropped, "\\" stands for a backslash and "\"" for a double quote, and
// empty tokens are left out.
std::unique_ptr<TWideStringList> TokenizeFieldCode(std::u16string_view instruction);
// A backslash before every double quote and every backslash.
std::u16string EscapeFieldArg(std::u16string_view text);

// HYPERLINK: the target, the bookmark (\l) and the tooltip (\o). A target
// starting with "#" and no bookmark give the rest of the target as the
// bookmark and no target.
void ParseHyperlinkCode(std::u16string_view instruction,
                        std::u16string& target,
                        std::u16string& bookmark,
                        std::u16string* tooltip);
// The arguments quoted and escaped; an e-mail address (an "@" without "//"
// or "mailto:") gets "mailto:" in front.
std::u16string BuildHyperlinkCode(std::u16string_view target,
                                  std::u16string_view bookmark,
                                  std::u16string_view tooltip);

// The options of a table of contents.
struct TTocOptions {
    std::uint8_t ShowPageNumbers = 1;  // \n hides them
    std::int32_t Levels = 3;           // \o "1-N"
    std::u16string Separator;          // \e: between entry and page number
    std::uint8_t RightAlign = 0;       // \rD: page numbers right-aligned from level D - 1 on
    std::int32_t RightAlignLevel = 0;
};
TTocOptions ParseTocCode(std::u16string_view instruction);
std::u16string BuildTocCode(const TTocOptions& options);

// The options of an index entry (XE).
struct TXEOptions {
    std::u16string EntryText;       // levels separated by ":"
    std::u16string CrossReference;  // \t
    std::string Bookmark;           // \r, in the user's code page
    std::uint8_t Bold = 0;          // \b
    std::uint8_t Italic = 0;        // \i
    std::uint8_t OtherFlag = 0;     // kept for the index dialogs
};
void ParseXECode(std::u16string_view instruction, TXEOptions& options);

// The options of an index (INDEX).
struct TIndexOptions {
    std::int32_t Columns = 0;            // \c, 0..4; 0 automatic
    std::uint8_t RightAlignedPages = 0;  // \e followed by a tab
    std::uint8_t LetterHeadings = 0;     // \h
    std::uint8_t RunIn = 0;              // \r
    std::int32_t Language = 0;           // \z; the user's language when not given or 0
    std::int32_t TabLeader = 1;          // \yD gives D - 1: 0 none, 1 dots, 2 hyphens, 3 underline
};
TIndexOptions ParseIndexCode(std::u16string_view instruction);

// SYMBOL: the character code (the digits after the first blank; 63, "?",
// when there are none) and the font of \f.
std::int32_t ParseSymbolCode(std::u16string_view instruction, std::string& fontName);
std::u16string BuildSymbolCode(std::int32_t code, std::string_view fontName);

// STYLEREF: returns the \l flag; \n goes to numberFlag. The style named by
// the first plain token (cut at its first comma) is looked up by name, by
// display name, then by the English name of a French built-in name; index
// -1 when missing. A found style gives its stored name back.
bool ParseStyleRefCode(const TStyleList& styles,
                       std::u16string_view instruction,
                       std::int32_t& styleIndex,
                       bool& numberFlag,
                       std::string& styleName);

// PAGEREF (\h hyperlink, \p relative position) and NOTEREF (\h, \f the
// note's formatting); the bookmark is the first plain token. The flags may
// be nullptr.
void ParsePageRefCode(std::u16string_view instruction, bool* hyperlink, bool* relative, std::u16string& bookmark);
void ParseNoteRefCode(std::u16string_view instruction, bool* hyperlink, bool* formatted, std::u16string& bookmark);

// The date picture: the token after the last "\@"; empty without one.
std::u16string DatePictureOf(std::u16string_view instruction);

// The number style a number switch asks for: 1 for "alphabetic", 2 for
// "ALPHABETIC", 3 for "roman", 4 for "ROMAN" (the first found in that
// order, case-sensitive); otherwise defaultStyle, 0 when that is 255.
std::int32_t NumberStyleOfInstruction(std::u16string_view instruction, std::int32_t defaultStyle);
