#include "model/formats/DocConstants.h"

namespace {

constexpr std::array<std::uint8_t, 256> MakeHexDigits() {
    std::array<std::uint8_t, 256> t{};
    for (auto& v : t)
        v = 255;
    for (int c = 0; c < 10; ++c)
        t['0' + c] = static_cast<std::uint8_t>(c);
    for (int c = 0; c < 6; ++c) {
        t['a' + c] = static_cast<std::uint8_t>(10 + c);
        t['A' + c] = static_cast<std::uint8_t>(10 + c);
    }
    return t;
}

}  // namespace

constinit const std::array<std::uint8_t, 256> HexDigits = MakeHexDigits();

std::uint8_t SpecialCharCode(char16_t c) {
    switch (c) {
        case 9:
            return 9;
        case 0x2013:
        case 150:
            return 14;
        case 0x2014:
        case 151:
            return 13;
        case 160:
            return 11;
        case 173:
            return 15;
        case 0x2002:
            return 18;
        case 0x2003:
            return 19;
        case 0x2005:
            return 20;
        case 0x2011:
            return 12;
        default:
            return 255;
    }
}

int DateStyleOfLanguage(std::int32_t language) {
    if ((language & 0x3FF) == 12)
        return 2;
    return language == 1033 ? 1 : 0;
}

const char* const BuiltInStyleNames[BuiltInStyleCount] = {
    "Normal",
    "Heading 1",
    "Heading 2",
    "Heading 3",
    "Heading 4",
    "Heading 5",
    "Heading 6",
    "Heading 7",
    "Heading 8",
    "Heading 9",
    "Index 1",
    "Index 2",
    "Index 3",
    "Index 4",
    "Index 5",
    "Index 6",
    "Index 7",
    "Index 8",
    "Index 9",
    "TOC 1",
    "TOC 2",
    "TOC 3",
    "TOC 4",
    "TOC 5",
    "TOC 6",
    "TOC 7",
    "TOC 8",
    "TOC 9",
    "Normal Indent",
    "Footnote Text",
    "Annotation Text",
    "Header",
    "Footer",
    "Index Heading",
    "Caption",
    "Table of Figures",
    "Envelope Address",
    "Envelope Return",
    "Footnote Reference",
    "Annotation Reference",
    "Line Number",
    "Page Number",
    "Endnote Reference",
    "Endnote Text",
    "Table of Authorities",
    "Macro Text",
    "TOA Heading",
    "List",
    "List 2",
    "List 3",
    "List 4",
    "List 5",
    "List Bullet",
    "List Bullet 2",
    "List Bullet 3",
    "List Bullet 4",
    "List Bullet 5",
    "List Number",
    "List Number 2",
    "List Number 3",
    "List Number 4",
    "List Number 5",
    "Title",
    "Closing",
    "Signature",
    "Default Paragraph Font",
    "Body Text",
    "Body Text Indent",
    "List Continue",
    "List Continue 2",
    "List Continue 3",
    "List Continue 4",
    "List Continue 5",
    "Message Header",
    "Subtitle",
    "Salutation",
    "Date",
    "Body Text First Indent",
    "Body Text First Indent 2",
    "Note Heading",
    "Body Text 2",
    "Body Text 3",
    "Body Text Indent 2",
    "Body Text Indent 3",
    "Block Text",
    "Hyperlink",
    "Followed Hyperlink",
    "Strong",
    "Emphasis",
    "Document Map",
    "Plain Text",
    "TOC Title",
};

const char* const TabStopDescriptions[5] = {"%s", "%s centered", "%s right", "%s decimal", "%s bar"};

const char* const BreakNames[5] = {"&Paragraph End Mark", "&Line Break", "Col&umn Break", "P&age Break",
                                   "Section &Break"};

const char* const PictureExtensions[6] = {"bmp", "emf", "wmf", "jpg", "gif", "png"};

const char NoteSymbols[4] = {'*', '\x86', '\x87', '\xA7'};

const char* const PictureBulletsBookmark = "_PictureBullets";
