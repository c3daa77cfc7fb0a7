#pragma once

#include <cstdint>
#include <vector>

#include "model/formats/TTextPos.h"

class TDoc;

// A drop cap taken off a paragraph for a replacement, with what putting it
// back needs; the drop-cap room fills it and reads it again.
struct TLiftedDropCap {
    bool Lifted = false;
    std::int32_t Par = -1;
    std::int32_t Letters = 0;            // how many first characters it covered
    std::vector<std::uint8_t> Settings;  // the drop-cap room's record of its look
};

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
    // Before a replacement at a position: lifts the drop cap of the
    // position's paragraph when its letters reach beyond the position.
    // Plain answer: nothing lifted.
    void (*LiftDropCapForEdit)(TDoc& doc, const TTextPos& at, TLiftedDropCap& lifted) = nullptr;
    // After the replacement: makes a lifted drop cap again over as many
    // first characters, when its paragraph is still in the main text and
    // longer than that. Plain answer: nothing.
    void (*RestoreDropCapAfterEdit)(TDoc& doc, const TLiftedDropCap& lifted) = nullptr;
    // The language of the current keyboard layout. Plain answer: the
    // document's default language.
    std::int32_t (*KeyboardLanguage)(TDoc& doc) = nullptr;
};

// The seams in force, each entry filled with its plain answer until a room
// sets its own.
TTypingSeams& TypingSeams();
