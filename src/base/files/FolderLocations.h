#pragma once

#include <string>

// Where folders are: the current folder and its stack, the desktop's
// special folders and the program's data folders. Folder paths handed out
// end with "/".

// The current folder, with a trailing "/".
std::string GetCurrentFolder();
// Saves the current folder on a stack / makes the last saved one current
// again (nothing on an empty stack).
void PushCurrentFolder();
void PopCurrentFolder();

// A special folder by its conventional number (platform/System.h), created
// when missing; empty when there is no such folder.
std::string GetShellFolder(int csidl);

// The program's data folders, created on first request and kept for the
// run: 0 shared data, 1 its "Hidden/", 2 its "Public/", 3 the user's data,
// 4 the user's documents folder of the program, 5 its "Spellcheck/". Kinds
// 0 and 3 are "rezozuri/" in the desktop's data and settings folders, kind 4
// "Rezozuri/" in the user's documents. In portable mode kinds 0, 3 and 4 are
// the program's own folder.
std::string GetDataFolder(int kind);
// Forgets the folders worked out so far (after the program's place or the
// environment changed).
void ForgetDataFolders();
