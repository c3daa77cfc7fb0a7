#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TDoc;
struct TShapePicture;

// Saving parts of a document: the selection as a document of its own, and
// pictures as numbered image files.

// Writes the selection to path in format as a copy (the document's name,
// format and saved state stay its own), under the selection-copy mark.
// Several ranges are written through a document built from them, when the
// builder below is installed; selected shapes cannot be written yet. False
// when nothing was written; a failed write leaves no file behind and an
// existing file as it was.
bool SaveSelectionToFile(TDoc& doc, const std::string& path, std::int32_t format);

// Builds a hidden document holding the selected ranges one after another,
// or nil when it cannot. Building one pastes, which lies in a room above
// saving (files/transfer), which installs it; the previous builder is
// returned.
using TSelectionDocumentBuilder = std::unique_ptr<TDoc> (*)(TDoc& doc);
TSelectionDocumentBuilder SetSelectionDocumentBuilder(TSelectionDocumentBuilder builder);

// Save Selection As: the save dialog chooses the name and format; formats
// that lose formatting the selection has ask first. Result codes of
// SaveToFormat.h.
int SaveSelectionAs(TDoc& doc, std::string name, std::int32_t format);

// Picture kinds of the picture dialog, with their extensions.
enum : std::int32_t { pfBmp = 0, pfEmf = 1, pfWmf = 2, pfJpeg = 3, pfGif = 4, pfPng = 5 };
extern const char* const PictureFileExtensions[6];

// How numbered picture files are named: a template with two "%s", for the
// number and the extension; the next number; and how many digits it takes
// at least (zero-padded).
struct TPictureNaming {
    std::string Template = "Picture%s.%s";
    std::int64_t Index = 1;
    std::int32_t Digits = 1;
};

// The name of the next picture file in folder (ending in "/"), advanced
// while a file of that name exists when skipExisting.
std::string NextPictureName(const std::string& folder,
                            const TPictureNaming& naming,
                            std::int32_t kind,
                            bool skipExisting);

// Learns the naming from a name the user chose (or was given): a name
// whose stem ends in digits gives the template (what comes before the
// digits), the index and the digit count; else, with the dialog and one
// picture selected, the template becomes "Picture%s.%s"; else the stem (or
// "Picture" when empty) gives the template and, with the dialog, the index
// starts again at 1. The index then moves on by one, wrapping to 1.
void LearnPictureName(const std::string& chosen, bool withDialog, bool onePicture, TPictureNaming& naming);

// Writes a picture to path in the kind of the picture dialog; true when
// written. A picture stored in that kind (PNG, JPEG, EMF) is written as its
// own bytes; other kinds would need a conversion this system does not make
// yet, and write nothing.
bool WritePictureFile(const TShapePicture& picture, const std::string& path, std::int32_t kind);

// Saves every picture of the document under numbered names, the first at
// firstName, the others after it as NextPictureName gives them; the
// naming learnt moves on. The count of pictures written.
std::int32_t SavePictures(TDoc& doc, const std::string& firstName, std::int32_t kind, TPictureNaming& naming);

// The name made from format (one "%d") with 1, 2, 3 ... that names no
// existing file.
std::string FirstFreeNumberedName(const std::string& format);
