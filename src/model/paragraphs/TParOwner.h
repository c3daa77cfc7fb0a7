#pragma once

#include <cstdint>

class TPar;
class TSection;
class TStyleList;

// What a paragraph asks of the document that holds it (TPar::Owner): the
// style sheet its style index points into, the view mode and scale its
// indents are shown at, the default tab width its tab stops continue with,
// its neighbours (border groups, the paragraphs of its notes) and its
// section.
//
// The document implements it. The paragraph room lies below the document,
// so a paragraph sees its owner only through this interface.
class TParOwner {
public:
    virtual TStyleList* OwnerStyles() const = 0;
    virtual std::uint8_t OwnerViewMode() const = 0;
    virtual std::int32_t OwnerDefaultTabWidth() const = 0;
    virtual std::int32_t TwipsToPixelsX(std::int32_t twips) const = 0;
    virtual std::int32_t ParCount() const = 0;
    virtual TPar* Par(std::int32_t index) const = 0;
    virtual void BorderGroupRange(std::int32_t par, std::int32_t& first, std::int32_t& last) const = 0;
    // Whether other lies in par's border group; cheap for a neighbour.
    virtual bool InBorderGroup(std::int32_t par, std::int32_t other) const = 0;
    virtual TSection* SectionOfPar(std::int32_t par) = 0;

protected:
    // Owners are never deleted through this interface.
    ~TParOwner() = default;
};
