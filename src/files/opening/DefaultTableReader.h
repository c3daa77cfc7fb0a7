#pragma once

#include <memory>
#include <string_view>

class TDoc;

// Lets table creation (editing/tables) read the default table document,
// which is RTF: installs the reader it reaches through its seam. The
// program installs it at start-up, tests that create tables from a default
// table document call it themselves.
void InstallDefaultTableReader();

// A hidden document read from RTF text in memory, or nil when the text is no
// RTF the reader takes; nothing tells the user. The default table document
// and the envelope styles are read this way.
std::unique_ptr<TDoc> OpenRtfText(std::string_view rtf);
