#pragma once

#include <cstdint>

// Edit options (the "Edit" flags word of the options record).
enum : std::uint32_t {
    eoGroupUndo = 2,                  // "&Group undo"
    eoUndoAfterSave = 4,              // "Undo &after save"
    eoFormatWithoutSelection = 0x80,  // "F&ormat without selection"
};

// The options the document model reads. The shell's options holder loads
// them with the rest of the options record and writes the values the model
// changes (default view modes, the print-preview zoom) back when it saves;
// until it exists, these defaults stand.
struct TModelOptions {
    std::uint32_t EditFlags = eoGroupUndo | eoUndoAfterSave | eoFormatWithoutSelection;

    // Plain-text saving of new documents.
    std::int32_t DefaultTextEncoding = -1;  // negative: 1
    std::uint8_t DefaultLineBreak = 0;

    // The view mode new documents start in, plain-text ones apart.
    std::uint8_t DefaultViewMode = 0;
    std::uint8_t DefaultTextViewMode = 1;

    // Print preview.
    std::int32_t PreviewZoom = 100;
    std::uint8_t PreviewZoomMode = 3;
    bool PreviewScrollToCaretPage = true;
    bool PreviewForcesViewMode = false;

    // Spotlight: keep the spot centred.
    bool SpotlightCentred = false;

    // Synchronous scrolling of two documents shown side by side.
    bool SynchronousScrolling = true;

    // The measurement unit: 0 cm, 1 inch, 2 pt, 3 pica, 4 mm.
    std::int32_t MeasureUnit = 0;

    // Page numbers put into headers or footers.
    std::int32_t PageNumberPlace = 1;  // 0 top (headers), 1 bottom (footers)
    std::int32_t PageNumberAlign = 2;  // 0 left, 1 centre, 2 right, 3 inside, 4 outside
    bool PageNumberOnFirstPage = true;

    // Word selection and word movement take a web or e-mail address as one
    // word (layout/words).
    bool AddressesAsWords = false;

    // The screen resolution the zoomed resolution is computed from.
    std::int32_t ScreenPixelsPerInch = 96;
};

// The options in force; the shell fills them at start-up.
TModelOptions& ModelOptions();
