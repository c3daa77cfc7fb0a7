#pragma once

#include <cstdint>
#include <string>

#include "base/core/Checks.h"
#include "base/text/TStrings.h"

// One item of a TStringList: the string and its object (never freed by the
// list).
struct TStringItem {
    std::string String;
    void* Object = nullptr;
};

// The concrete string list: its own item array, an optional sorted mode in
// which duplicates are accepted, and a binary search (Find).
//
// The list's comparison (Find, Sort, sorted Add and IndexOf): unsigned bytes
// when Ordinal, else the comparison locale, with or without case by
// CaseSensitive; strings compare up to their first zero byte. Indexes are
// the caller's duty (checked only in checked builds).
class TStringList : public TStrings {
public:
    TStringList() = default;
    ~TStringList() override;

    std::string GetString(std::int32_t index) const override {
        REZ_ASSERT(index >= 0 && index < Count);
        return Items[index].String;
    }
    std::int32_t GetCount() const override { return Count; }
    void* GetObject(std::int32_t index) const override {
        REZ_ASSERT(index >= 0 && index < Count);
        return Items[index].Object;
    }
    // Assigns in place, keeping the object (sorted order is not checked).
    void ReplaceString(std::int32_t index, std::string s) override;
    void SetObject(std::int32_t index, void* obj) override;
    // Reallocates the item array to n records (n not below Count).
    void SetCapacity(std::int32_t n) override;
    // When Sorted, inserts at the place Find gives, before equal items;
    // otherwise appends. Returns the index.
    std::int32_t Add(std::string s) override;
    // Clears the items and the capacity.
    void Clear() override;
    void Delete(std::int32_t index) override;
    void Exchange(std::int32_t i, std::int32_t j) override;
    // When Sorted, the binary search; otherwise the first equal item under
    // the locale (TStrings::IndexOf).
    std::int32_t IndexOf(const std::string& s) const override;
    // Inserts with a null object; the sorted order is not checked.
    void Insert(std::int32_t index, std::string s) override;

    // Binary search over a sorted list: index is the first position whose
    // item is not below s; the result tells whether an equal item was met.
    virtual bool Find(const std::string& s, std::int32_t& index) const;
    // Sorts by the list's comparison, unless the list is Sorted already.
    virtual void Sort();

    // Capacity grows by a quarter above 64 slots, by 16 above 8, else by 4.
    void Grow();
    // Count := n, making room when needed. New items are empty strings with
    // null objects; bulk loaders fill them in place afterwards.
    void SetCount(std::int32_t n);
    // Switching on sorts the items once; switching off keeps their order.
    void SetSorted(bool value);

    // The list's comparison of two strings.
    int CompareStrings(const std::string& a, const std::string& b) const;

    TStringItem* Items = nullptr;
    std::int32_t Count = 0;
    bool Sorted = false;
};
