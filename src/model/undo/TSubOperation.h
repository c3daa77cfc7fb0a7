#pragma once

class TDoc;

// One recorded change of a document: a step of an operation that can take
// itself back and make itself again. A worker creates the step, fills in
// what it needs and calls Execute, which applies it and hands it to the
// open operation (or frees it when recording is suspended). Undo and redo
// of the operation then call Undo and Redo in turn; a step may assume the
// document is exactly as it left it, and checks nothing.
//
// Most steps are symmetric: they hold the "other" state and exchange it
// with the document's on every call, so Redo is Undo.
class TSubOperation {
public:
    explicit TSubOperation(TDoc* doc) : Doc(doc) {}
    TSubOperation(const TSubOperation&) = delete;
    TSubOperation& operator=(const TSubOperation&) = delete;
    virtual ~TSubOperation() = default;

    // Applies the step and files it; the caller must not touch the step
    // afterwards.
    void Execute();

    virtual void Undo() = 0;
    virtual void Redo() { Undo(); }

    TDoc* Doc = nullptr;
};
