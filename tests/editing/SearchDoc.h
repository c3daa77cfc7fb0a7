#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editing/search/PatternMatcher.h"
#include "model/document/TDoc.h"

// A document typed from code-page 1252 text ("\r" ends a paragraph), and the
// searches the search tests run on it.
class TSearchDoc {
public:
    explicit TSearchDoc(const std::string& text, bool hidden = true);

    TDoc& Doc() { return *DocPtr; }
    // The text of the whole main story, paragraph ends as "\r".
    std::string Text() const;
    std::string TextOf(const TFragment& range) const;

    // Compiles find (and replace, when given) with the options; false when
    // a pattern is refused.
    static bool Compile(const std::u16string& find, std::uint8_t options);
    // Every found part from the start forward (or from the end backward),
    // each search starting where the last one stopped.
    std::vector<std::string> FindAll(std::size_t limit = 1000);

    TDocSearchState State;

private:
    std::unique_ptr<TDoc> DocPtr;
};
