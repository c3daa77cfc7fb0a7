#pragma once

#include <cstdint>

// Indices into a document's 180 state flags (TDoc::StateFlags). Code pushes
// and pops them in strict nesting around work whose side effects must be
// suspended or changed; each name says what the flag means while it is set.
// Only the indices the document model itself reads or writes are named
// here; the layout, editing, file and tool libraries name their own.
enum : std::uint8_t {
    sfConstructing = 0,         // TDoc's constructor is running
    sfPreviewDocument = 3,      // preview document, or being printed
    sfTempViewGeometry = 7,     // a temporary view mode leaves scroll position and bars alone
    sfWheelScroll = 10,         // the scroll comes from the mouse wheel
    sfFollowUI = 11,            // the user interface follows the document
    sfViewChanges = 13,         // several view changes in progress: ScrollTo only records
    sfClientKnown = 14,         // the window's client area is taken as known
    sfNoZoomRepaint = 16,       // SetZoomAt does not repaint at its end
    sfKeepSelectedShapes = 18,  // caret moves and selection changes keep the selected shapes
    sfNoScrollClamp = 19,       // scroll positions are not clamped
    sfSettingUp = 21,           // the document is being set up: zoom changes only recompute
    sfFitScrollsToPage = 22,    // zoom fitting chose a whole-page zoom
    sfKeepScrollOnZoom = 23,    // a zoom change keeps the scroll position
    sfSectionPagesStored = 27,  // SECTIONPAGES fields take the stored page counts
    sfHeaderFooterChanged = 28,
    sfSectionIndexStale = 29,
    sfPageSizesStale = 30,
    sfPostActionLayout = 31,  // layout running for the post-actions
    sfNoNoting = 33,          // paragraph changes note no page
    sfPostActionsBegun = 34,
    sfTypingFormatDirect = 35,  // the typing format was set directly
    sfTypingFormatFixed = 36,   // the typing format stands and is not read from the text
    sfUndoStateDirty = 37,
    sfApplyingPostActions = 38,  // pushed around the post-actions' work
    sfNoCaretScroll = 39,        // the caret is not scrolled into view after an operation
    sfSingleTypingUndone = 40,   // exactly one typing operation was undone or redone
    sfUndoing = 42,
    sfUndoRedoRunning = 43,
    sfLinkedUndo = 44,
    sfMultiSelectionOvertype = 48,
    sfUntitled = 50,
    sfCopyingSelection = 62,  // TSection::EndsBefore counts a section's last paragraph one less
    sfHidden = 65,            // hidden document: no window, no undo history
    sfHasWindow = 67,
    sfTempCopy = 73,
    sfChangedSinceSafeCopy = 76,
    sfFieldFixUp = 89,
    sfFieldIndexStale = 92,
    sfRestoringFieldResults = 95,
    sfCommitted = 111,  // the last PerformOperation committed an operation
    sfNoRepaint = 112,
    sfOperationRunning = 113,
    sfPostActionsRunning = 114,
    sfKeepCaretOnSelection = 115,
    sfScrollCaretMode4 = 116,
    sfDocChanged = 117,
    sfRefreshCaretAfter = 119,
    sfFromRuler = 120,
    sfPaintSuspended = 122,
    sfNeverOvertype = 124,
    sfContentChanged = 128,  // the document map must refresh its headings
    sfKeepFindState = 129,
    sfClosingWithWindow = 130,
    sfPerOperationMark = 132,  // cleared by every operation unless 133 keeps it
    sfKeepPerOperationMark = 133,
    sfKeepCommandState = 140,
    sfStatusKept = 143,
    sfDeletingText = 144,
    sfDraftGeometryCached = 152,
    sfListsStale = 153,  // list numbers must be recomputed
    sfKeepWindowByte = 161,
    sfPaneDirtyMark = 167,
    sfCollapsedStale = 169,
    sfTempViewMode = 157,
    sfPostActionsStart = 173,
    sfPasting = 174,
};

constexpr int StateFlagCount = 180;
