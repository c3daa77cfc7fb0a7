#pragma once

#include <cstdint>
#include <string>

#include "base/core/DateTime.h"

// What the program keeps of a document by itself: the statistics and dates
// the writers record and the fields show. The Document Properties dialog
// shows them but never changes them.
struct TAutoDocProps {
    std::u16string LastSavedBy;
    TDateTime Created = 0;
    TDateTime Modified = 0;
    TDateTime Printed = 0;
    std::int32_t Characters = 0;
    std::int32_t CharactersWithSpaces = 0;
    std::int32_t Words = 0;
    std::int32_t Pages = 0;
    std::int32_t Revision = 0;
    std::int32_t Version = 0;
};

// The document properties the user edits, and beside them the automatic
// ones.
struct TDocProps {
    std::u16string Title;
    std::u16string Subject;
    std::u16string Author;
    std::u16string Manager;
    std::u16string Company;
    std::u16string Category;
    std::u16string Keywords;
    std::u16string Comments;
    TAutoDocProps Auto;

    // Whether the user's properties are the same (the automatic ones are
    // not compared).
    bool SameUserProps(const TDocProps& other) const {
        return Title == other.Title && Subject == other.Subject && Author == other.Author && Manager == other.Manager &&
               Company == other.Company && Category == other.Category && Keywords == other.Keywords &&
               Comments == other.Comments;
    }
};
