#pragma once

#include <functional>
#include <string>

class TDoc;

// Checks that the note and section tests share.

// The references of the main text in text order, each as its kind and the
// number layout gives it, footnotes and endnotes counted apart ("f1 e i");
// a reference with a mark of its own shows that mark ("f*").
std::string NoteNumbers(TDoc& doc);

// Runs an operation, then undoes and redoes it twice: every undo gives
// back the bytes before, every redo the bytes after. The bytes cover the
// text and its objects; an operation on section properties alone leaves
// them as they were (textChanges false), and its caller checks the rest.
void ExpectUndoRedoExact(TDoc& doc, const std::function<void()>& run, bool textChanges = true);
