#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "layout/lines/DocumentLines.h"
#include "layout/pagination/TLayoutClient.h"
#include "model/document/TDoc.h"

class TField;
class TPar;
class TSection;

// A hidden document laid out with the fixture fonts, built paragraph by
// paragraph with fields and bookmarks in them, for the field tests.
class TFieldDoc {
public:
    TFieldDoc();
    ~TFieldDoc();

    TDoc& Doc() { return *DocPtr; }
    // Appends a main-story paragraph of code-page text (its mark added),
    // starting a new page when asked.
    TPar& Add(std::string_view text, bool newPage = false);
    // Appends a field code with an instruction (its type from its first
    // word) and a result text to a paragraph, before its mark.
    TField& AddField(TPar& par, std::string_view instruction, std::string_view result = "?");
    // Appends a bookmark over text to a paragraph, before its mark.
    TField& AddBookmark(TPar& par, std::string_view name, std::string_view text);
    // Appends text to a paragraph, before its mark.
    static void Append(TPar& par, std::string_view text);
    // Appends a paragraph holding only a section break: the paragraphs
    // since the last break form a section of their own, and the ones that
    // follow begin on a new page. Answers the section that follows.
    TSection& BreakSection();
    void Paginate();

private:
    struct TFixtureFonts {
        TFixtureFonts();
    };
    TFixtureFonts FixtureFonts;
    TLayoutManagers Managers;
    TLayoutClient Client;
    std::unique_ptr<TDoc> DocPtr;
    bool FirstUsed = false;
};
