#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TDoc;

// The save dialog as the shell supplies it: in, the suggested name and
// format; out, the chosen ones. False when the user cancels. Without a
// dialog installed (tools, tests) every save that needs one is cancelled.
using TSaveDialog = std::function<bool(TDoc& doc, const std::string& title, std::string& name, std::int32_t& format)>;
void SetSaveDialog(TSaveDialog dialog);

// Saves the document to its own file; a document that has none, is
// read-only or must change format goes through the dialog. Result codes of
// SaveToFormat.h. The document's file is replaced only by a complete new
// one; afterwards the document keeps the new file open.
int SaveDocument(TDoc& doc);
// Saves under name in format; with an empty name the dialog chooses both.
int SaveDocumentAs(TDoc& doc, const std::string& name, std::int32_t format);
// Writes a copy; the document's name, format and saved state stay as they
// are.
int SaveDocumentCopyAs(TDoc& doc, const std::string& path, std::int32_t format);
// A copy in the templates folder (made when missing); the document's own
// file is saved in place.
int SaveDocumentAsTemplate(TDoc& doc, const std::string& path, const std::string& templatesFolder);
// Writes the document in its own format to path as a copy.
int SaveDocumentToFile(TDoc& doc, const std::string& path);
