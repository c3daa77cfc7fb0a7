#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TDoc;
struct TBackupSettings;

// The save dialog as the shell supplies it: in, the suggested name and
// format; out, the chosen ones. False when the user cancels. Without a
// dialog installed (tools, tests) every save that needs one is cancelled.
using TSaveDialog = std::function<bool(TDoc& doc, const std::string& title, std::string& name, std::int32_t& format)>;
void SetSaveDialog(TSaveDialog dialog);
// Runs the installed dialog; false when there is none or the user cancels.
bool RunSaveDialog(TDoc& doc, const std::string& title, std::string& name, std::int32_t& format);

// The backup settings saves follow (the shell installs the user's); none
// installed: no backups unless a document forces one, with the defaults.
void SetBackupSettings(TBackupSettings* settings);

// Saves the document to its own file; a document that has none, is
// read-only, was restored from a safe copy or must change format goes
// through the dialog. A document opened from a temporary copy (its file was
// held by another program) saves over its file only when that file can be
// opened and the user agrees to discard the other program's changes. The
// file is backed up first (Backups.h); a backup that fails cancels the
// save and leaves the file alone. Result codes of SaveToFormat.h. The
// document's file is replaced only by a complete new one; afterwards the
// document keeps the new file open and its safe copy is gone.
int SaveDocument(TDoc& doc);
// Saves under name in format; with an empty name the dialog chooses both.
// An existing file of that name is backed up first.
int SaveDocumentAs(TDoc& doc, const std::string& name, std::int32_t format);
// Writes a copy; the document's name, format and saved state stay as they
// are.
int SaveDocumentCopyAs(TDoc& doc, const std::string& path, std::int32_t format);
// A copy in the templates folder (made when missing); the document's own
// file is saved in place.
int SaveDocumentAsTemplate(TDoc& doc, const std::string& path, const std::string& templatesFolder);
// Writes the document in its own format to path as a copy.
int SaveDocumentToFile(TDoc& doc, const std::string& path);
