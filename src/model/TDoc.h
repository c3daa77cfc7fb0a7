#pragma once

#include <cstdint>

#include "base/TList.h"

class TPar;
class TSection;
class TStyleList;

// One open document: its paragraphs (the four stories one after another in
// one list), sections, styles, fields, lists and shapes, and its view
// state.
//
// This class holds what paragraphs need of their document so far; the
// document core extends it with stories, state flags, layout, selection and
// undo.
class TDoc {
public:
    TDoc();
    TDoc(const TDoc&) = delete;
    TDoc& operator=(const TDoc&) = delete;
    ~TDoc();

    std::int32_t ParCount() const { return Pars.Count; }
    TPar* Par(std::int32_t index) const { return Pars.At<TPar>(index); }

    // The section whose first..last paragraphs hold the paragraph; the last
    // section when none does; nil for a document without sections.
    TSection* SectionOfPar(std::int32_t par) const;
    // The run of adjacent paragraphs that share the paragraph's border set.
    void BorderGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const;

    // Twips to pixels at the zoomed resolution, rounding half up.
    std::int32_t TwipsToPixelsX(std::int32_t twips) const;
    std::int32_t TwipsToPixelsY(std::int32_t twips) const;

    TList Pars;      // TPar, owned
    TList Sections;  // TSection in document order, owned
    TList Fields;    // TField, owned
    TList Lists;     // TAutoList, owned
    TList Shapes;    // TShape, owned
    TStyleList* Styles = nullptr;
    std::int32_t Zoom = 100;              // percent
    std::uint8_t ViewMode = 0;            // 0 print layout, 1 draft, 2 draft wrapped to the window
    std::int32_t ZoomedResolutionY = 96;  // pixels per inch at the current zoom
    std::int32_t ZoomedResolutionX = 96;
};
