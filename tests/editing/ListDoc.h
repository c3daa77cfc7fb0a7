#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "layout/lines/DocumentLines.h"
#include "model/document/TDoc.h"
#include "model/managers/TAutoList.h"

class TPar;

// A hidden document with the fixture fonts and the layout managers, built
// paragraph by paragraph, with lists made to order.
class TListDoc {
public:
    TListDoc();
    ~TListDoc();

    TDoc& Doc() { return *DocPtr; }
    // A new list of the document: nine levels, level n with the label text
    // "<n>." (n standing for the placeholder of level n), arabic numbers
    // from 1, a tab after the label.
    TAutoList& NewList(bool singleLevel = false);
    // Appends a main-story paragraph of code-page text (its mark added);
    // list nil leaves it outside any list.
    TPar& Add(std::string_view text, TAutoList* list = nullptr, std::int32_t level = 0);
    // The label's characters, without its follower; "" when it has none.
    static std::u16string LabelOf(const TPar& par);
    // The paragraph's characters without its mark.
    static std::string TextOf(const TPar& par);
    // What follows the label: "tab", "blank" or "" (nothing or no label).
    static std::string FollowerOf(const TPar& par);

private:
    // The fixture fonts are chosen before the layout managers exist.
    struct TFixtureFonts {
        TFixtureFonts();
    };
    TFixtureFonts FixtureFonts;
    TLayoutManagers Managers;
    std::unique_ptr<TDoc> DocPtr;
    bool FirstUsed = false;
};

// The level text of the given placeholders and literal characters:
// Placeholders({0, '.', 1}) is the placeholder of level 0, a period and the
// placeholder of level 1.
std::u16string LevelText(std::initializer_list<int> parts);
