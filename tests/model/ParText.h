#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "base/core/TMemory.h"
#include "model/document/TDoc.h"

class TAutoList;
class TField;
class TPar;
class TSection;
class TShape;

// Paragraphs written as readable text for the model tests.
//
// A description is text with controls in braces:
//   {b:1} {i:0} {font:3} {lang:1036} ...  character attributes (names below)
//   {par} {line} {col} {page} {tab} {nbsp} {nbhyph} {emdash} {endash} {shy}
//   {noteref} {ensp} {emsp} {qsp}         special characters
//   {u:263A}                               a Unicode character (hex)
//   {sect:S} {cell} {row} {shape:P}        section break, cell and row end, shape anchor
//   {fs:F} {fe:F}                          start and end of field F
//   {truncated}                            three bytes of a control cut off (end only)
// Objects are named; TParText creates them in its own document.
namespace ParText {

class TObjects {
public:
    TObjects();
    ~TObjects();

    TDoc& Doc() { return *DocPtr; }
    TField& Field(const std::string& name, std::uint8_t kind = 0, std::uint8_t type = 0);
    TSection& Section(const std::string& name);
    TShape& Shape(const std::string& name);
    TAutoList& List(const std::string& name);

    std::int32_t HandleOf(const std::string& name) const;
    std::string NameOf(std::int32_t handle) const;

private:
    void Register(const std::string& name, const void* object);

    std::unique_ptr<TDoc> DocPtr;
    std::map<std::string, std::int32_t> Handles;
};

// Fills a format stream and the matching character buffer.
void Build(std::string_view description, const TObjects& objects, TMemory& stream, TMemory& chars);
// A paragraph of objects' document (not added to its paragraph list).
std::unique_ptr<TPar> MakePar(std::string_view description, TObjects& objects);
// A paragraph appended to objects' document, which owns it.
TPar& AddPar(std::string_view description, TObjects& objects);
// The description of a stream (the inverse of Build).
std::string Describe(const TMemory& stream, const TObjects& objects);
// The character buffer that a stream implies, read independently of the
// model's own walkers.
std::string ExpectedChars(const TMemory& stream);

}  // namespace ParText
