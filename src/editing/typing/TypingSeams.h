#pragma once

#include <cstdint>

class TDoc;

// What typing and deleting need of rooms above this one (styles, lists,
// drop caps) and of the writing tools (the keyboard's language). Each
// entry has a plain answer that keeps editing going without them; the
// owning room replaces it when it is installed.
struct TTypingSeams {
    // Gives a paragraph the next style of its style after Enter. Plain
    // answer: the opApplyStyle worker when one is installed, else the
    // paragraph's style number alone.
    void (*ApplyNextStyle)(TDoc& doc, std::int32_t par, std::int32_t style) = nullptr;
    // Removes the list formatting of paragraphs first..last (Enter on an
    // empty list item). Plain answer: the opRemoveList worker when one is
    // installed, else the paragraphs' list and level cleared.
    void (*EndList)(TDoc& doc, std::int32_t first, std::int32_t last) = nullptr;
    // Removes drop caps that editing made invalid in a paragraph. Plain
    // answer: nothing.
    void (*ValidateDropCaps)(TDoc& doc, std::int32_t par) = nullptr;
    // The language of the current keyboard layout. Plain answer: the
    // document's default language.
    std::int32_t (*KeyboardLanguage)(TDoc& doc) = nullptr;
};

// The seams in force, each entry filled with its plain answer until a room
// sets its own.
TTypingSeams& TypingSeams();
