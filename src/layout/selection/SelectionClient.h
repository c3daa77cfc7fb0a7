#pragma once

// Fills the layout client's selection hooks (TSelectionHooks,
// layout/pagination/TLayoutClient.h) with this room's caret and selection
// code, so that an operation's post-actions snap and announce the restored
// selection, locate, shape and place the caret, and scroll it into view.
// The program calls it once at start-up, beside InstallEditing; a document
// whose client is no layout client is not affected.
void InstallSelectionClient();
