#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ParText.h"
#include "model/document/TDoc.h"

// A document built from paragraph descriptions (ParText.h), every
// paragraph with the default paragraph format, and ways to read it back.
class TDocFixture {
public:
    TDocFixture() = default;
    explicit TDocFixture(std::initializer_list<std::string_view> pars);

    TDoc& Doc() { return Objects.Doc(); }
    // Appends a paragraph (objects the description names must exist).
    void Add(std::string_view description);
    // Each paragraph described (the inverse of the constructor).
    std::vector<std::string> Texts();
    // The document's text with paragraphs joined by "|" and controls left
    // out: "ab|cd".
    std::string PlainText();
    // Types text at the caret as one operation per character, the way the
    // document window does (opInsertText, then the typing flags).
    void Type(std::string_view text);
    void Insert(std::string_view text);  // one operation

    ParText::TObjects Objects;
};

// The bytes that define a document's text: per paragraph its character
// buffer, format stream and paragraph format, and the story counts.
struct TDocSnapshot {
    std::vector<std::string> Chars;
    std::vector<std::string> Streams;
    std::vector<std::string> Formats;
    std::int32_t Stories[4] = {};

    bool operator==(const TDocSnapshot& other) const;
};

// normalize first makes every stream canonical, for comparing documents
// that layout may have normalised in between.
TDocSnapshot Snapshot(TDoc& doc, bool normalize = false);
// The first difference, for failure messages ("" when equal).
std::string FirstDifference(const TDocSnapshot& a, const TDocSnapshot& b);
