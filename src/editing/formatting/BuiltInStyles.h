#pragma once

#include <cstdint>

class TDoc;

// Built-in styles that generated content needs, added to a document's style
// sheet when it lacks them: from the default template of the document's
// type when it has the style, else from the style manager's default sheet.
// Every change goes through the style-sheet worker inside the operation
// open on the document.

// Built-in ids used here (the style-name table of DocConstants.h).
enum : std::int32_t {
    bsNormal = 0,
    bsHeading1 = 1,
    bsToc1 = 19,
    bsHeader = 31,
    bsFooter = 32,
    bsTocTitle = 91,
};

// The index of the style with the built-in id, added when missing; -1 when
// neither the template nor the defaults have it.
std::int32_t EnsureBuiltInStyle(TDoc& doc, std::int32_t id);

// The styles of a table of contents of levels 1 to levels (at most 9) and
// its title. From a style source (all its styles), a template and a default
// template (the title and the level styles they have), each one optional;
// the first two replace existing styles unless update is set, the last only
// adds missing ones. What is still missing is made from the defaults, each
// level indented 240 twips more than the one above.
void EnsureTOCStyles(TDoc& doc,
                     const TDoc* styleSource,
                     const TDoc* templateDoc,
                     const TDoc* defaultTemplate,
                     std::int32_t levels,
                     bool update);

// "Header" and "Footer", when a header or footer is first edited.
void EnsureHeaderFooterStyles(TDoc& doc);

// Gives a paragraph the heading level 0 to 8, or body text (9).
void SetHeadingLevel(TDoc& doc, std::int32_t par, std::int32_t level);
