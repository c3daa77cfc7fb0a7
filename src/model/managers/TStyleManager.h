#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/formats/DocConstants.h"
#include "model/managers/TStyleList.h"

// The names of the built-in styles: canonical (stored in files) and
// display names, by built-in id; both are the English names. French names
// are recognised in field instructions.
extern const char* const* const BuiltInStyleDisplayNames;
extern const char* const BuiltInStyleFrenchNames[BuiltInStyleCount];

// The process-wide style manager: the default style sheet new documents
// start from, and the recognition of built-in styles by name.
class TStyleManager {
public:
    TStyleManager();
    TStyleManager(const TStyleManager&) = delete;
    TStyleManager& operator=(const TStyleManager&) = delete;
    ~TStyleManager();

    // Gives every style of the sheet its built-in id, canonical name and
    // display name when its name is a built-in one (ASCII letters compared
    // without case); headings also get their outline level. Nothing
    // happens while SuspendIdentify is set.
    void IdentifyBuiltInStyles(TStyleList& sheet) const;
    // Makes sure the sheet has a "Normal" style: appended from the default
    // sheet when missing, an existing one left as it is.
    void AddDefaultStyles(TStyleList& sheet) const;

    TStyleList DefaultStyles{nullptr};
    std::uint8_t SuspendIdentify = 0;
};

extern TStyleManager* StyleManager;

// The manager's identification, or the plain one when there is no manager.
void IdentifyBuiltInStyles(TStyleList& sheet);

// The English name of a French built-in style name ("titre 1" gives
// "Heading 1"), compared lower-cased under the comparison locale; empty
// when the name is no French built-in name.
std::string TranslateBuiltInStyleName(std::string_view name);
