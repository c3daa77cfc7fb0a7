#pragma once

#include <cstdint>
#include <vector>

#include "base/core/TMemory.h"
#include "model/formats/TTextPos.h"
#include "model/undo/TSubOperation.h"

// Inserts or removes formatted text, within a paragraph or across paragraph
// ends: the step under typing, deleting, pasting and every structural edit.
// It is symmetric: each call moves the text between the document (present)
// and the step (held), so undo and redo are the same toggle.
//
// While held, Content is an insertion stream (model/formats/FormatStream.h): the
// stretch of stream that stood in the document, with a paragraph mark for
// each paragraph end, the first mark carrying its paragraph's format. While
// present, Kept holds the stretch that stood at the insertion point before
// (zero-width controls, or the attribute controls that keep the following
// text's format), which removal puts back. Both are exact bytes, so every
// toggle restores the streams it touched byte for byte.
//
// A worker makes a step from fresh content (CreateInsertion) or from a range
// of the document (CreateRemoval) and executes it. Fresh content is
// inserted after the zero-width controls already at the place, and the
// step adds what keeps the following text's format; a fresh removal puts
// attribute controls in place of the text for the same reason.
class TInsDelOperation : public TSubOperation {
public:
    // Content is copied. Inserting at the paragraph after a story's last
    // (or at the paragraph count) appends whole paragraphs. hasObjects
    // tells whether the content may hold section breaks, shape anchors or
    // field marks that must be registered with the document.
    static TInsDelOperation* CreateInsertion(TDoc* doc,
                                             const TMemory& content,
                                             const TTextPos& pos,
                                             int story,
                                             bool hasObjects = true);
    // The range [start, end). An end at a paragraph's very end counts as
    // the start of the next paragraph; an end beyond the story's last
    // paragraph (with start offset 0) removes whole paragraphs.
    static TInsDelOperation* CreateRemoval(TDoc* doc,
                                           const TTextPos& start,
                                           const TTextPos& end,
                                           int story,
                                           bool hasObjects = true);
    ~TInsDelOperation() override;

    void Undo() override;

    // While present the end of the text, otherwise its start: where the
    // caret goes after inserting.
    void ResultPos(TTextPos& pos) const;

    TMemory* Kept = nullptr;
    std::uint8_t Story = 0;
    std::uint8_t Present = 0;
    std::uint8_t HasObjects = 1;
    std::uint8_t Fresh = 1;  // not executed yet: content from a worker, or a removal to compute
    std::int32_t StartPar = 0;
    std::int32_t StartOffset = 0;
    std::int32_t EndPar = 0;  // exclusive end, valid while present
    std::int32_t EndOffset = 0;
    std::int32_t ParMarks = 0;
    TMemory Content;

private:
    explicit TInsDelOperation(TDoc* doc) : TSubOperation(doc) {}
    void Insert();
    void Remove();
    bool WholeParagraphs(std::int32_t par) const;
    // Registers (or unregisters) the objects the stream names.
    void RegisterObjects(const std::uint8_t* data,
                         std::int32_t size,
                         bool inserting,
                         bool& sectionsChanged,
                         const std::vector<std::int32_t>* exclude);
    void FreeHeldObjects();
    void Finish(bool sectionsChanged, bool mainParsChanged);
};
