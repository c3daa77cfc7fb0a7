#pragma once

#include <cstdint>

#include "model/undo/TSubOperation.h"

// Moves count paragraphs from index From so that they start at index To
// (both in the list as it is before, respectively after, the move), and
// stores the reverse move. A move between stories (note texts put in the
// order of their references) moves the stories' paragraph counts too.
class TMoveParsOperation : public TSubOperation {
public:
    TMoveParsOperation(TDoc* doc,
                       std::int32_t from,
                       std::int32_t count,
                       std::int32_t to,
                       bool keepFields,
                       int storyFrom,
                       int storyTo);
    void Undo() override;

    std::int32_t From = 0;
    std::int32_t Count = 0;
    std::int32_t To = 0;
    std::uint8_t KeepFields = 0;
    std::uint8_t StoriesChanged = 0;
    std::uint8_t StoryFrom = 0;
    std::uint8_t StoryTo = 0;
};
