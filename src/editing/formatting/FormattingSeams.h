#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/formats/TCharFormat.h"
#include "model/formats/TTextPos.h"

class TDoc;
struct TFormatBrush;

// State flags the formatting workers read or hold that the model does not
// name: set while the page count is being shrunk (17), formatting the word
// at the caret also at its edge (49), and row-end paragraphs that take a
// requested paragraph format like any other (151).
enum : std::uint8_t {
    sfShrinkingPages = 17,
    sfWholeWordAtEdge = 49,
    sfRowEndsTakeFormat = 151,
};

// The places where the formatting room reaches rooms and libraries above
// it, or work that other rooms own. Each is nil until its owner fills it;
// the workers then do what they can without it, as the comment says.
struct TFormattingSeams {
    // The default template of the document's type; nil when there is none
    // (built-in styles then come from the style manager's defaults alone).
    // A template that is already open as a document is answered with owned
    // false and stays open; otherwise it was opened hidden for the caller,
    // who frees it (owned true).
    TDoc* (*OpenDefaultTemplate)(const TDoc& doc, bool& owned) = nullptr;
    // An RTF text read into a hidden document; the list gallery text is read
    // through it. Nil: the gallery made in code stands in (ListGallery.h).
    std::unique_ptr<TDoc> (*OpenRtfText)(std::string_view rtf) = nullptr;
    // The word around a position (spell: the spellchecker's notion of a
    // word). Nil: letters and digits of the paragraph's own characters.
    bool (*WordAt)(TDoc& doc, const TTextPos& pos, bool spell, TFragment& word) = nullptr;
    // Gives the selected cells the brush's row and cell formatting (the
    // table operations). Nil: the brush's table rows are not applied.
    void (*ApplyBrushToCells)(TDoc& doc, const TFormatBrush& brush) = nullptr;
    // The character format in force after a paragraph's drop cap, and the
    // character where its text starts; false when it has none (drop caps).
    bool (*DropCapEnd)(TDoc& doc, std::int32_t par, std::int32_t& start, TCharFormat& format) = nullptr;
};

TFormattingSeams& FormattingSeams();

// The font sizes the size steps move through, in half-points, ascending
// (the options' size list; the shell replaces the default list).
std::vector<std::int32_t>& FontSizeSteps();
