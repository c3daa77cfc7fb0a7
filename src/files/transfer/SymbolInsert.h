#pragma once

// Inserting one character from a chosen font (opInsertSymbol): the symbol
// dialog, insert-by-character-code and the symbol hot keys. The character is
// pasted (psCharacter), so the worker lives with paste; TDoc::InsertSymbol
// is defined here.

// Puts the worker of opInsertSymbol into the model's worker table.
void InstallSymbolInsertWorker();
