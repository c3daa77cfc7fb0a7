#include "DocFixture.h"

#include <cstring>

#include "model/formats/TParFormat.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/OperationArgs.h"
#include "model/undo/OperationCodes.h"
#include "model/undo/TOperation.h"

TDocFixture::TDocFixture(std::initializer_list<std::string_view> pars) {
    for (std::string_view d : pars)
        Add(d);
}

void TDocFixture::Add(std::string_view description) {
    ParText::AddPar(description, Objects).Format = DefaultParFormat;
    Doc().StateFlags[29] = 1;
}

std::vector<std::string> TDocFixture::Texts() {
    std::vector<std::string> texts;
    for (std::int32_t i = 0; i < Doc().ParCount(); ++i)
        texts.push_back(ParText::Describe(Doc().Par(i)->Stream, Objects));
    return texts;
}

std::string TDocFixture::PlainText() {
    std::string text;
    for (std::int32_t i = 0; i < Doc().ParCount(); ++i) {
        if (i > 0)
            text += '|';
        const TPar* par = Doc().Par(i);
        for (std::int32_t c = 0; c < par->CharCount(); ++c)
            if (par->Chars.Data[c] >= 32)
                text += static_cast<char>(par->Chars.Data[c]);
    }
    return text;
}

void TDocFixture::Type(std::string_view text) {
    for (char c : text) {
        TMemory m;
        m.AppendByte(static_cast<std::uint8_t>(c));
        std::int32_t flags = 0;
        Doc().PerformOperation(TInsertTextArgs{&m, flags});
        if (Doc().StateFlags[111] != 0) {
            auto* op = static_cast<TOperation*>(Doc().UndoList.Last());
            op->Flags |= c == ' ' ? ofTypedSpace : ofTypedChar;
            op->MergeClass = mcTyping;
        }
    }
}

void TDocFixture::Insert(std::string_view text) {
    TMemory m;
    m.AssignString(text);
    std::int32_t flags = 0;
    Doc().PerformOperation(TInsertTextArgs{&m, flags});
}

bool TDocSnapshot::operator==(const TDocSnapshot& other) const {
    return Chars == other.Chars && Streams == other.Streams && Formats == other.Formats &&
           std::memcmp(Stories, other.Stories, sizeof Stories) == 0;
}

TDocSnapshot Snapshot(TDoc& doc, bool normalize) {
    TDocSnapshot s;
    for (std::int32_t i = 0; i < doc.ParCount(); ++i) {
        TPar* par = doc.Par(i);
        if (normalize)
            par->Normalize();
        s.Chars.emplace_back(par->Chars.View());
        s.Streams.emplace_back(par->Stream.View());
        s.Formats.emplace_back(reinterpret_cast<const char*>(&par->Format), sizeof(TParFormat));
    }
    std::memcpy(s.Stories, doc.StoryCounts, sizeof s.Stories);
    return s;
}

std::string FirstDifference(const TDocSnapshot& a, const TDocSnapshot& b) {
    if (a.Chars.size() != b.Chars.size())
        return "paragraph count " + std::to_string(a.Chars.size()) + " vs " + std::to_string(b.Chars.size());
    for (std::size_t i = 0; i < a.Chars.size(); ++i) {
        if (a.Chars[i] != b.Chars[i])
            return "characters of paragraph " + std::to_string(i);
        if (a.Streams[i] != b.Streams[i])
            return "stream of paragraph " + std::to_string(i);
        if (a.Formats[i] != b.Formats[i])
            return "format of paragraph " + std::to_string(i);
    }
    if (std::memcmp(a.Stories, b.Stories, sizeof a.Stories) != 0)
        return "story counts";
    return "";
}
