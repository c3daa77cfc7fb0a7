#pragma once

#include <cstdint>
#include <string>

// Folders: the current folder and its stack, the desktop's special folders,
// the program's data folders, and the few folder operations the file
// services need. Folder paths handed out end with "/".

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

bool FolderExists(const std::string& path);
// Creates the folder and its missing parents; nothing is reported.
void ForceFolders(const std::string& path);
// Deletes every file and subfolder of the folder, then the folder.
void DeleteFolderTree(const std::string& folder);
// The size of an allocation unit of the path's file system.
std::int64_t ClusterSize(const std::string& path);
// The sizes of all files below the folder, each rounded up to whole
// allocation units.
std::int64_t FolderSizeOnDisk(const std::string& path);
