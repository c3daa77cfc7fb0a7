#include "base/text/TWideStringList.h"

#include <utility>

#include "base/core/ListItems.h"
#include "base/text/CompareLocale.h"
#include "platform/Collation.h"

namespace {

struct TWideTraits {
    static std::int32_t Count(const TWideStringList& list) { return list.Count; }
    static const std::u16string& Item(const TWideStringList& list, std::int32_t i) { return list.Items[i].String; }
    static int Compare(const TWideStringList& list, const std::u16string& a, const std::u16string& b) {
        return list.CompareStrings(a, b);
    }
    static int CompareN(const TWideStringList& list, const std::u16string& a, const std::u16string& b, std::int32_t n) {
        return list.CaseSensitive ? CompareWideStrLocaleN(a, b, n) : CompareWideTextLocaleN(a, b, n);
    }
    static bool StartsWith(const TWideStringList& list, const std::u16string& item, const std::u16string& w) {
        if (list.CaseSensitive)
            return item.compare(0, w.size(), w) == 0;
        return CompareWideTextLocaleN(item, w, static_cast<std::int32_t>(w.size())) == 0;
    }
};

}  // namespace

TWideStringList::~TWideStringList() {
    Clear();
}

std::int32_t TWideStringList::Add(std::u16string w) {
    Insert(Count, std::move(w));
    return Count;
}

std::int32_t TWideStringList::AddObject(std::u16string w, void* obj) {
    Insert(Count, std::move(w));
    Items[Count - 1].Object = obj;
    return Count;
}

void TWideStringList::Insert(std::int32_t index, std::u16string w) {
    REZ_ASSERT(index >= 0 && index <= Count);
    if (Count == Capacity)
        Grow();
    ListItems::InsertAt(Items, Count, index, TWideStringItem{std::move(w), nullptr});
}

void TWideStringList::Delete(std::int32_t index) {
    REZ_ASSERT(index >= 0 && index < Count);
    ListItems::DeleteAt(Items, Count, index);
}

void TWideStringList::Clear() {
    ListItems::Resize(Items, Count, 0);
    SetCapacity(0);
}

void TWideStringList::Move(std::int32_t curIndex, std::int32_t newIndex) {
    if (curIndex == newIndex)
        return;
    REZ_ASSERT(curIndex >= 0 && curIndex < Count && newIndex >= 0 && newIndex < Count);
    TWideStringItem item = std::move(Items[curIndex]);
    Delete(curIndex);
    Insert(newIndex, std::move(item.String));
    Items[newIndex].Object = item.Object;
}

void TWideStringList::Exchange(std::int32_t i, std::int32_t j) {
    REZ_ASSERT(i >= 0 && i < Count && j >= 0 && j < Count);
    std::swap(Items[i], Items[j]);
}

void TWideStringList::ReplaceString(std::int32_t index, std::u16string w) {
    REZ_ASSERT(index >= 0 && index < Count);
    Items[index].String = std::move(w);
}

void TWideStringList::SetObject(std::int32_t index, void* obj) {
    REZ_ASSERT(index >= 0 && index < Count);
    Items[index].Object = obj;
}

void TWideStringList::SetCapacity(std::int32_t n) {
    REZ_ASSERT(n >= Count);
    if (n < Count)
        n = Count;
    if (n == Capacity)
        return;
    Items = ListItems::Reallocate(Items, Count, n);
    Capacity = n;
}

void TWideStringList::Grow() {
    SetCapacity(Capacity + ListItems::GrowDelta(Capacity));
}

std::u16string TWideStringList::GetText() const {
    std::u16string text;
    for (std::int32_t i = 0; i < Count; ++i) {
        if (i > 0)
            text += u"\r\n";
        text += Items[i].String;
    }
    return text;
}

void TWideStringList::SetText(std::u16string_view w) {
    Clear();
    ListItems::ForEachLine(w, [this](std::u16string_view line) { Add(std::u16string(line)); });
}

std::int32_t TWideStringList::IndexOf(const std::u16string& w) const {
    const std::uint32_t options = CaseSensitive ? 0u : std::uint32_t{Platform::clIgnoreCase};
    const std::u16string_view key(w.c_str());
    for (std::int32_t i = 0; i < Count; ++i)
        if (Platform::CompareWideInLocale(static_cast<std::uint32_t>(Language), options, Items[i].String.c_str(),
                                          key) == 0)
            return i;
    return -1;
}

int TWideStringList::CompareStrings(const std::u16string& a, const std::u16string& b) const {
    return CaseSensitive ? CompareWideStrLocale(a.c_str(), b.c_str()) : CompareWideTextLocale(a.c_str(), b.c_str());
}

void TWideStringList::Sort() {
    if (Count < 2)
        return;
    const TCompareLocaleScope scope(static_cast<std::uint32_t>(Language));
    ListItems::QuickSort(Items, 0, Count - 1,
                         [this](const std::u16string& a, const std::u16string& b) { return CompareStrings(a, b); });
}

std::int32_t TWideStringList::FindClosestPrefix(const TWideStringList& list, std::u16string w, bool sorted) {
    const TCompareLocaleScope scope(static_cast<std::uint32_t>(list.Language));
    return ListItems::FindClosestPrefixIn<TWideTraits>(list, std::move(w), sorted);
}
