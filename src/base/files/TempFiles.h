#pragma once

#include <cstdint>
#include <string>

// The program's temporary folder and the names of its temporary files.
//
// The folder is the user's own: "rezozuri-<user id>" inside the system's
// temporary folder, made so that nobody else may enter it (in portable mode,
// "Temp" in the program's data folder). Temporary names are guessable
// ("~Zek<n>.tmp"), which is only safe in a folder no other user can plant
// links in.

// The folder, with a trailing "/"; worked out on first use and kept.
std::string GetTempFolder();
// Forgets the folder, so that the next call works it out anew (after the
// environment or the program's place changed).
void ForgetTempFolder();

// The first name folder + "~Zek<n>" + ext that no file has; n runs on for the
// whole run, so two calls never give the same name even when neither file is
// made.
std::string MakeTempFileName(const std::string& ext);
// The same without the "~" ("Zek<n>" + ext).
std::string MakeTempFileNamePlain(const std::string& ext);
// Kinds: 0 ".tmp", 1 ".mqd" (safe copies of unsaved documents), 2 ".rtf",
// 3 ".bmp".
std::string MakeTempFileNameOfKind(int kind);
// Creates the first folder "~Zek<n>" (n from 0) that does not exist yet and
// returns its path (without a trailing "/").
std::string MakeTempSubfolder();
// At the very end of a run, unless another copy of the program runs:
// deletes every file and folder of the temporary folder whose name begins
// with "~Zek", and a downloaded setup left there.
void DeleteTempFiles();
// True when the file name in the temporary folder can be read, or else can
// be created (it is then deleted again).
bool TempFileUsable(const std::string& name);
