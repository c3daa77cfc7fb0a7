#pragma once

#include <string>

#include "model/formats/TCharFormat.h"
#include "model/formats/TTextPos.h"

class TDoc;

// The editing a replacement needs, behind one seam: the text workers of the
// editing library fill it in (keeping formatting when text is copied or
// moved, pasting the clipboard); TModelSearchEditor does it with the model's
// own workers. Every call records its change in the operation the caller
// has open.
class TSearchEditor {
public:
    virtual ~TSearchEditor() = default;
    // Replaces start..end (empty: inserts) with text, in which a paragraph
    // end is 13, a line break 11, a page break 12; the inserted text takes
    // format's set attributes over the format at start. Returns the end of
    // the new text.
    virtual TTextPos ReplaceText(TDoc& doc,
                                 const TTextPos& start,
                                 const TTextPos& end,
                                 const std::u16string& text,
                                 const TCharFormat& format) = 0;
    // Copies source to target (move: and removes it from where it was).
    // Returns the range the text occupies afterwards.
    virtual TFragment CopyMoveText(TDoc& doc, const TFragment& source, const TTextPos& target, bool move) = 0;
    // Inserts the clipboard at the position; returns the end of what came.
    virtual TTextPos PasteClipboard(TDoc& doc, const TTextPos& at) = 0;
    // Gives a range the Replace format.
    virtual void ApplyFormat(TDoc& doc, const TFragment& range) = 0;
};

// The seam filled with the model's workers: plain text in the code page of
// the document's text, copies and moves as text without their formatting,
// and no clipboard.
class TModelSearchEditor : public TSearchEditor {
public:
    TTextPos ReplaceText(TDoc& doc,
                         const TTextPos& start,
                         const TTextPos& end,
                         const std::u16string& text,
                         const TCharFormat& format) override;
    TFragment CopyMoveText(TDoc& doc, const TFragment& source, const TTextPos& target, bool move) override;
    TTextPos PasteClipboard(TDoc& doc, const TTextPos& at) override;
    void ApplyFormat(TDoc& doc, const TFragment& range) override;
};

// The editor the commands use; the model's until the editing workers
// install theirs. Returns the previous one.
TSearchEditor& SearchEditor();
TSearchEditor* SetSearchEditor(TSearchEditor* editor);
