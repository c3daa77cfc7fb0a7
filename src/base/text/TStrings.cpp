#include "base/text/TStrings.h"

#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "base/core/Checks.h"
#include "base/core/Errors.h"
#include "base/core/ListItems.h"
#include "base/core/TFileStream.h"
#include "base/core/TReader.h"
#include "base/core/TReplacingFileStream.h"
#include "base/text/CompareLocale.h"

namespace {

// The list's locale comparison of whole strings, chosen by CaseSensitive.
int CompareLocaleBy(bool caseSensitive, const std::string& a, const std::string& b) {
    return caseSensitive ? CompareStrLocale(a.c_str(), b.c_str()) : CompareTextPCharLocale(a.c_str(), b.c_str());
}

struct TStringsTraits {
    static std::int32_t Count(const TStrings& list) { return list.GetCount(); }
    static std::string Item(const TStrings& list, std::int32_t i) { return list.GetString(i); }
    static int Compare(const TStrings& list, const std::string& a, const std::string& b) {
        return CompareLocaleBy(list.CaseSensitive, a, b);
    }
    static int CompareN(const TStrings& list, const std::string& a, const std::string& b, std::int32_t n) {
        return list.CaseSensitive ? CompareStrLocaleN(a, b, n) : CompareTextLocaleN(a, b, n);
    }
    static bool StartsWith(const TStrings& list, const std::string& item, const std::string& s) {
        if (list.CaseSensitive)
            return item.compare(0, s.size(), s) == 0;
        return CompareTextLocaleN(item, s, static_cast<std::int32_t>(s.size())) == 0;
    }
};

// Streams move at most 2 GiB - 1 bytes a call.
constexpr std::size_t kChunk = 1u << 30;

}  // namespace

void TStrings::Assign(const TPersistent* source) {
    const auto* strings = dynamic_cast<const TStrings*>(source);
    if (strings == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    // Clearing first would empty the source too.
    if (strings == this)
        return;
    TStringsUpdate update(*this);
    Clear();
    AddStrings(*strings);
}

void TStrings::ReadExtraProperty(TReader& reader) {
    TReader::OfferProperty(
        reader, "Strings", [](TPersistent& self, TReader& r) { static_cast<TStrings&>(self).ReadStrings(r); }, *this);
}

void TStrings::ReadStrings(TReader& reader) {
    if (!reader.ExpectValueType(vaList))
        return;
    TStringsUpdate update(*this);
    Clear();
    std::string text;
    while (!reader.AtListEnd()) {
        if (reader.ReadText(text))
            Add(text);
    }
    reader.ExpectValueType(vaNull);
}

std::string TStrings::GetText() const {
    const std::int32_t count = GetCount();
    std::string text;
    for (std::int32_t i = 0; i < count; ++i) {
        if (i > 0)
            text += "\r\n";
        text += GetString(i);
    }
    return text;
}

void TStrings::ReplaceString(std::int32_t index, std::string s) {
    if (GetString(index) == s)
        return;
    void* obj = GetObject(index);
    Delete(index);
    InsertObject(index, std::move(s), obj);
}

void TStrings::SetText(std::string_view text) {
    TStringsUpdate update(*this);
    Clear();
    ListItems::ForEachLine(text, [this](std::string_view line) { Add(std::string(line)); });
}

std::int32_t TStrings::Add(std::string s) {
    const std::int32_t index = GetCount();
    Insert(index, std::move(s));
    return index;
}

std::int32_t TStrings::AddObject(std::string s, void* obj) {
    const std::int32_t index = Add(std::move(s));
    SetObject(index, obj);
    return index;
}

void TStrings::AddStrings(const TStrings& other) {
    TStringsUpdate update(*this);
    // The count is taken once: a list may add its own strings to itself.
    const std::int32_t count = other.GetCount();
    for (std::int32_t i = 0; i < count; ++i)
        AddObject(other.GetString(i), other.GetObject(i));
}

void TStrings::Exchange(std::int32_t i, std::int32_t j) {
    TStringsUpdate update(*this);
    std::string si = GetString(i);
    void* oi = GetObject(i);
    ReplaceString(i, GetString(j));
    SetObject(i, GetObject(j));
    ReplaceString(j, std::move(si));
    SetObject(j, oi);
}

std::int32_t TStrings::IndexOf(const std::string& s) const {
    const TCompareLocaleScope scope(static_cast<std::uint32_t>(Language));
    const std::int32_t count = GetCount();
    for (std::int32_t i = 0; i < count; ++i)
        if (CompareLocaleBy(CaseSensitive, GetString(i), s) == 0)
            return i;
    return -1;
}

void TStrings::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileStream::fmOpenRead | TFileStream::fmShareDenyNone);
    LoadFromStream(stream);
}

void TStrings::LoadFromStream(TStream& stream) {
    TStringsUpdate update(*this);
    const std::int64_t position = stream.Position();
    const std::int64_t size = stream.Size();
    const std::int64_t left = size > position ? size - position : 0;
    if (static_cast<std::uint64_t>(left) > std::numeric_limits<std::size_t>::max() / 2)
        throw std::bad_alloc();
    std::string text(static_cast<std::size_t>(left), '\0');
    for (std::size_t done = 0; done < text.size();) {
        const std::size_t n = std::min(kChunk, text.size() - done);
        stream.ReadExact(text.data() + done, static_cast<std::int32_t>(n));
        done += n;
    }
    SetText(text);
}

void TStrings::Move(std::int32_t curIndex, std::int32_t newIndex) {
    if (curIndex == newIndex)
        return;
    TStringsUpdate update(*this);
    std::string s = GetString(curIndex);
    void* obj = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, std::move(s), obj);
}

void TStrings::SaveToFile(const std::string& fileName) const {
    // A full disk or a failing write must not leave half a word list where a
    // whole one was; when no new file can be made beside the old one, the
    // save fails rather than write over it in place.
    SaveFileReplacing(fileName, [this](TStream& stream) { SaveToStream(stream); });
}

void TStrings::SaveToStream(TStream& stream) const {
    const std::string text = GetText();
    for (std::size_t done = 0; done < text.size();) {
        const std::size_t n = std::min(kChunk, text.size() - done);
        stream.WriteExact(text.data() + done, static_cast<std::int32_t>(n));
        done += n;
    }
}

void TStrings::BeginUpdate() {
    if (UpdateCount++ == 0)
        SetUpdateState(true);
}

void TStrings::EndUpdate() {
    REZ_ASSERT(UpdateCount > 0);
    if (--UpdateCount == 0)
        SetUpdateState(false);
}

void TStrings::InsertObject(std::int32_t index, std::string s, void* obj) {
    Insert(index, std::move(s));
    SetObject(index, obj);
}

std::int32_t TStrings::IndexOfObject(const void* obj) const {
    const std::int32_t count = GetCount();
    for (std::int32_t i = 0; i < count; ++i)
        if (GetObject(i) == obj)
            return i;
    return -1;
}

void TStrings::DeleteString(const std::string& s) {
    const std::int32_t index = IndexOf(s);
    if (index >= 0)
        Delete(index);
}

std::int32_t TStrings::FindClosestPrefix(const TStrings& strings, std::string s, bool sorted) {
    const TCompareLocaleScope scope(static_cast<std::uint32_t>(strings.Language));
    return ListItems::FindClosestPrefixIn<TStringsTraits>(strings, std::move(s), sorted);
}
