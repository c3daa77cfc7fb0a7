#pragma once

#include <cstdint>

class TDoc;
struct TCharFormat;
struct TNoteSettings;

// Gives the sections from the one holding firstPar to the one holding
// lastPar new footnote and endnote settings (the endnote placement goes to
// every section, being one choice for the whole document) and, when formats
// is given, the four note character formats: reference and note text of
// footnotes, then of endnotes. Records nothing when nothing differs.
void FormatNotes(TDoc& doc,
                 std::int32_t firstPar,
                 std::int32_t lastPar,
                 const TNoteSettings& footnotes,
                 const TNoteSettings& endnotes,
                 const TCharFormat* formats);
