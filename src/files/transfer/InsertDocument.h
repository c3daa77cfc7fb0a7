#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/core/TMemory.h"

class TDoc;
class TShape;

// Bringing outside material into a document: another document as one
// insertion stream, a picture file as a shape, a file through the paste
// operation.

// The insertion stream of source's main text: its first parEnds paragraphs
// with their marks, then the start of paragraph parEnds when there is one.
// Before the stream is returned, what the text refers to moves into dest as
// steps of the running operation: the styles dest lacks (those it has, by
// name and then by display name, keep dest's definition), the lists, the
// sections whose breaks move, the shapes, fields and table rows the
// streams name; the note texts and headers and footers are inserted at the
// start of their stories of dest. source gives up every object that moved.
// An empty stream when there is nothing to insert.
void InsertDocumentStream(TDoc& dest, TDoc& source, std::int32_t parEnds, TMemory& stream);

class TAutoList;
// While a paste runs, the lists that the insertions move into the
// destination for its pasted paragraphs are noted in collector (nil: not
// noted), so that the paste can join them to matching lists beside them
// when it ends. Returns the collector it replaces.
std::vector<TAutoList*>* SetAddedListsCollector(std::vector<TAutoList*>* collector);

// Picture kinds of picture files, in the order of their extensions:
// bmp, emf, wmf, jpg (also jpeg), gif, png; 6 and 7 ask for detection.
enum : std::int32_t {
    pkfBmp = 0,
    pkfEmf = 1,
    pkfWmf = 2,
    pkfJpeg = 3,
    pkfGif = 4,
    pkfPng = 5,
    pkfDetect = 6,
};
// The kind of a file by its extension; -1 when it names no picture.
std::int32_t PictureFileKind(const std::string& path);
// The kind the first bytes give (PNG, GIF and JPEG signatures), else
// fallback.
std::int32_t SniffPictureKind(const std::string& head, std::int32_t fallback);

// Flags of CreatePictureShape.
enum : std::uint32_t { cpsSilent = 1 };

// A picture shape made from a file, attached to doc (in its shape list,
// anchored nowhere yet), or nil: "Cannot open file" for a file that cannot
// be read, "Error opening picture" for one that is no picture of a kind
// this system keeps (unless silent). Kinds 6 and 7 look at the file's first
// bytes, so that a JPEG named ".png" loads as JPEG. The shape's size is the
// picture's pixel size at 15 twips a pixel.
TShape* CreatePictureShape(TDoc& doc, const std::string& path, std::int32_t kind, std::uint32_t flags);

// Inserts a file at the caret (over the selection) through opPaste; format
// 7 detects the file's format. A file that cannot be read leaves the
// document as it was, with a message saying why.
void PasteFile(TDoc& doc, const std::string& path, std::int32_t format);
