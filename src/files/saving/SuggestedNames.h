#pragma once

#include <string>

class TDoc;

// A name for a document the user saves for the first time, from its own
// first sentence: the first paragraph of the main text whose first sentence
// has text other than its closing "!", "." and "?" gives it. For a file
// name the text is cleaned of characters a file name must not hold, cut to
// 100 characters and given the extension of defaultName; for a title those
// characters stay. defaultName when no paragraph gives a name.
std::string SuggestFileName(const TDoc& doc, const std::string& defaultName, bool forTitle);
