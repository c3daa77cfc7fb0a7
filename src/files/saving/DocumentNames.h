#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Names of documents that have none yet.

// The file extension of a format code ("rtf", "doc", "docx", "odt", "cod",
// "wri", "txt"); "txt" for codes beyond.
std::string FormatExtension(std::int32_t format);

// The next free untitled name "Doc%.2d.%s" in folder (no trailing "/"; empty
// for none): the counter gives the number for the first 100 attempts, the
// attempt number (100, 101, ...) after that; after every attempt the counter
// advances, from 99 back to 1. A name is taken when an open document has it
// (isOpen); files on the disk that are not open do not count.
std::string UntitledName(std::int32_t& counter,
                         std::int32_t format,
                         const std::string& folder,
                         const std::function<bool(const std::string&)>& isOpen);

// Every character below 32, and unless keepFileNameChars the characters a
// file name must not hold (" * / : < > ? [ \ ] { | } and the typographic
// quotes and guillemets 0x84, 0x93, 0x94, 0xAB, 0xBB of code page 1252),
// become blanks; blanks at both ends are trimmed, inner ones stay.
std::string SanitizeFileName(std::string_view text, bool keepFileNameChars);
