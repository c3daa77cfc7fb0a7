#pragma once

#include <cstdint>
#include <string>

#include "model/formats/TTextPos.h"
#include "model/undo/TSubOperation.h"

class TField;

// Steps on fields, bookmarks and note marks.

// Which marks of a field a step takes out or puts back.
enum : std::uint8_t { fmStart = 1, fmEnd = 2, fmBoth = 3 };
// Extra flags of TInsDelFieldOperation. feKeepIndexes: the step's first
// execution put marks in, at indexes its maker chose, and it keeps those
// through undo and redo; feExecuted: it has run once.
enum : std::uint8_t { feNeverFree = 1, feHasShape = 2, feKeepIndexes = 4, feExecuted = 8 };

// The index of a mark that goes behind every field mark already at its
// place (and in front of the attribute changes there); every index from
// this value up means the same.
constexpr std::int32_t MarkBehindEveryMark = 1 << 16;

// Takes a field's start and end marks out of the streams (the text between
// them stays) or puts them back, each at its place within the run of
// zero-width controls where it stood: an index, the number of controls in
// front of it in the run, or MarkBehindEveryMark. A complete field leaves
// and rejoins the document's field list; while it is out, the step owns it.
class TInsDelFieldOperation : public TSubOperation {
public:
    // Created present: executing it takes the marks out.
    TInsDelFieldOperation(TDoc* doc, std::uint8_t marks, TField* field);
    // Created absent, for marks that are not in the document yet (a new
    // field) or have just been taken out: executing it puts them in at the
    // given places. The caller knows them, so no stream is searched.
    TInsDelFieldOperation(TDoc* doc,
                          std::uint8_t marks,
                          TField* field,
                          const TTextPos& start,
                          std::int32_t startIndex,
                          const TTextPos& end,
                          std::int32_t endIndex);
    ~TInsDelFieldOperation() override;
    void Undo() override;

    std::uint8_t Present = 1;
    std::uint8_t Marks = fmBoth;
    std::uint8_t Extra = 0;
    TField* Field = nullptr;
    std::int32_t StartPar = -1;
    std::int32_t StartOffset = 0;
    std::int32_t StartIndex = 0;
    std::int32_t EndPar = -1;
    std::int32_t EndOffset = 0;
    std::int32_t EndIndex = 0;

private:
    bool RemoveMark(std::uint8_t code, std::int32_t par, std::int32_t offset, std::int32_t& index);
    void InsertMark(std::uint8_t code, std::int32_t par, std::int32_t offset, std::int32_t index);
};

// A field's instruction text.
class TEditFieldOperation : public TSubOperation {
public:
    TEditFieldOperation(TDoc* doc, TField* field, std::u16string instruction)
        : TSubOperation(doc), Field(field), Instruction(std::move(instruction)) {}
    void Undo() override;

    TField* Field = nullptr;
    std::u16string Instruction;
};

// A field's type code and instruction.
class TChangeFieldPropsOperation : public TSubOperation {
public:
    TChangeFieldPropsOperation(TDoc* doc, TField* field, std::uint8_t type, std::u16string instruction)
        : TSubOperation(doc), Field(field), Type(type), Instruction(std::move(instruction)) {}
    void Undo() override;

    TField* Field = nullptr;
    std::uint8_t Type = 0;
    std::u16string Instruction;
};
