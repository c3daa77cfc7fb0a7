#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TDoc;

// Which paragraphs collapsed headings hide; the view installs the answer
// (layout/view/CollapsedHeadings.h), and without it nothing is hidden.
using THiddenParQuery = bool (*)(const TDoc& doc, std::int32_t par);
void SetHiddenParQuery(THiddenParQuery query);
THiddenParQuery HiddenParQuery();

// What the text-unit rules ask of code above them: which paragraphs the
// view hides (collapsed headings, hidden note paragraphs, continued merged
// cells), the AutoCorrect abbreviations of a language, the option list of
// known file extensions, and the shapes the selection code keeps selected
// beside the text.
//
// Until the rooms that know install their answers, the base class stands:
// nothing is hidden, no word is a listed abbreviation, no extension is
// known and no shape is selected apart from the text.
class TWordServices {
public:
    virtual ~TWordServices() = default;

    virtual bool IsParHidden(const TDoc& doc, std::int32_t par) const {
        const THiddenParQuery query = HiddenParQuery();
        return query != nullptr && query(doc, par);
    }
    // word is the text up to and including its full stops ("etc.").
    virtual bool IsAbbreviation(std::int32_t language, std::string_view word) const { return false; }
    // extension without its dot, in any case.
    virtual bool IsKnownFileExtension(std::string_view extension) const { return false; }
    // The selected shapes that do not stand in the selected text.
    virtual std::int32_t ShapesInSelection(const TDoc& doc) const { return 0; }
};

TWordServices& WordServices();

// Text that names a file, as TDoc::FileLinkAt judges it: it starts with a
// drive or a \\server\share root, or its last part has a known extension.
bool LooksLikeFilePath(const std::string& text);
// Installs the services (nullptr restores the silent ones); returns the
// previous.
TWordServices* SetWordServices(TWordServices* services);
