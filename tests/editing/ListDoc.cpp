#include "ListDoc.h"

#include "base/core/ObjectHandles.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"
#include "support/TestSupport.h"

TListDoc::TFixtureFonts::TFixtureFonts() {
    TestSupport::UseFixtureFonts();
}

TListDoc::TListDoc() : DocPtr(std::make_unique<TDoc>(true)) {}

TListDoc::~TListDoc() {
    DocPtr->DestroyLayout();
}

TAutoList& TListDoc::NewList(bool singleLevel) {
    auto* list = new TAutoList;
    list->SingleLevel = singleLevel ? 1 : 0;
    for (int n = 0; n < 9; ++n) {
        TListLevel& level = list->Levels[n];
        level.NumberFormat = lnArabic;
        level.LabelText = LevelText({n, '.'});
        level.FollowKind = lfTab;
    }
    Doc().Lists.Add(list);
    return *list;
}

TPar& TListDoc::Add(std::string_view text, TAutoList* list, std::int32_t level) {
    TDoc& doc = Doc();
    TPar* par;
    if (!FirstUsed) {
        par = doc.Par(0);
        par->Stream.Clear();
        par->Chars.Clear();
        FirstUsed = true;
    } else {
        par = new TPar(&doc);
        doc.Pars.Insert(doc.StoryCounts[stMain], par);
        doc.StoryCounts[stMain] += 1;
        doc.RenumberPars(0);
    }
    par->Format = DefaultParFormat;
    for (char ch : text) {
        par->Stream.AppendByte(static_cast<std::uint8_t>(ch));
        par->Chars.AppendByte(static_cast<std::uint8_t>(ch));
    }
    AppendFormatControl(par->Stream, fcSpecialChar, chParEnd);
    par->Chars.AppendByte(chParEnd);
    if (list != nullptr) {
        par->Format.List = static_cast<std::int32_t>(ObjectHandle(list));
        par->Format.ListLevel = static_cast<std::int8_t>(level);
    }
    par->Changed();
    return *par;
}

std::u16string TListDoc::LabelOf(const TPar& par) {
    std::u16string text;
    if (!par.LabelPar)
        return text;
    const TMemory& stream = par.LabelPar->Stream;
    TStreamElement e;
    for (std::int32_t off = 0; off < stream.Size; off += e.Length) {
        ReadStreamElement(stream.Data, stream.Size, off, e);
        if (e.IsControl && e.Code == fcUnicodeChar)
            text.push_back(static_cast<char16_t>(e.Value & 0xFFFF));
        else if (e.IsControl && e.Code == fcShapeAnchor)
            text.push_back(u'\x000A');
    }
    return text;
}

std::string TListDoc::TextOf(const TPar& par) {
    const std::string_view chars = par.Chars.View();
    return std::string(chars.substr(0, chars.empty() ? 0 : chars.size() - 1));
}

std::string TListDoc::FollowerOf(const TPar& par) {
    if (!par.LabelPar || par.LabelPar->Chars.Size == 0)
        return "";
    const std::uint8_t last = par.LabelPar->Chars.Data[par.LabelPar->Chars.Size - 1];
    return last == chTab ? "tab" : last == ' ' ? "blank" : "";
}

std::u16string LevelText(std::initializer_list<int> parts) {
    std::u16string text;
    for (int part : parts)
        text.push_back(static_cast<char16_t>(part));
    return text;
}
