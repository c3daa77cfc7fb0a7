#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/core/TPersistent.h"

class TStream;

// The abstract list of 8-bit strings, each with an object pointer that the
// list never frees. TStringList is the concrete list; the window controls
// show their items through adapters derived from this class, which is why
// everything here goes through the virtual operations.
//
// Text is one string per line; lines break at CR, LF or CR LF, and GetText
// joins with CR LF. Locale comparisons follow CaseSensitive and run under
// Language when it is not 0 (base/text/CompareLocale.h).
class TStrings : public TPersistent {
public:
    // Copies the strings and objects of another TStrings (Clear, then
    // AddStrings); other sources as TPersistent does.
    void Assign(const TPersistent* source) override;
    // Takes a form resource's "Strings" property (ReadStrings).
    void ReadExtraProperty(TReader& reader) override;
    // Replaces the items by the list of strings the reader stands at; a value
    // that is not a list is skipped and changes nothing.
    void ReadStrings(TReader& reader);

    virtual std::string GetString(std::int32_t index) const = 0;
    virtual std::int32_t GetCount() const = 0;
    virtual void* GetObject(std::int32_t index) const { return nullptr; }
    virtual std::string GetText() const;
    // Replaces the string at index when it differs (exact comparison),
    // keeping the object.
    virtual void ReplaceString(std::int32_t index, std::string s);
    virtual void SetObject(std::int32_t index, void* obj) {}
    virtual void SetCapacity(std::int32_t n) {}
    // Called when the first BeginUpdate starts and the last EndUpdate ends a
    // batch of changes; control adapters suspend drawing meanwhile.
    virtual void SetUpdateState(bool updating) {}
    virtual void SetText(std::string_view text);
    // Return the new item's index.
    virtual std::int32_t Add(std::string s);
    virtual std::int32_t AddObject(std::string s, void* obj);
    virtual void AddStrings(const TStrings& other);
    virtual void Clear() = 0;
    virtual void Delete(std::int32_t index) = 0;
    virtual void Exchange(std::int32_t i, std::int32_t j);
    // The first index whose string equals s under the locale; -1 when none.
    virtual std::int32_t IndexOf(const std::string& s) const;
    virtual void Insert(std::int32_t index, std::string s) = 0;
    // Reading and writing raise EAbort when the file cannot be opened or
    // created, or a write falls short.
    virtual void LoadFromFile(const std::string& fileName);
    virtual void LoadFromStream(TStream& stream);
    virtual void Move(std::int32_t curIndex, std::int32_t newIndex);
    virtual void SaveToFile(const std::string& fileName) const;
    virtual void SaveToStream(TStream& stream) const;

    void BeginUpdate();
    void EndUpdate();
    void InsertObject(std::int32_t index, std::string s, void* obj);
    std::int32_t IndexOfObject(const void* obj) const;
    // Deletes the first string equal to s (IndexOf), when there is one.
    void DeleteString(const std::string& s);

    // Type-ahead in list boxes and browse lists: the item the user is typing
    // towards. Unsorted: the first item that starts with s, -1 when none.
    // Sorted: the item sharing the longest prefix with s, or 0 (also for an
    // empty list), so callers check the result against the count. -1 for an
    // empty s.
    static std::int32_t FindClosestPrefix(const TStrings& strings, std::string s, bool sorted);

    std::int32_t UpdateCount = 0;
    std::int32_t Capacity = 0;  // kept by the concrete lists
    bool CaseSensitive = false;
    // TStringList sorts and searches by unsigned byte value, not by locale.
    bool Ordinal = false;
    // Made the comparison locale while searching and sorting; 0 keeps the
    // locale in force.
    std::int32_t Language = 0;
};

// BeginUpdate for its lifetime; EndUpdate also when an exception passes.
class TStringsUpdate {
public:
    explicit TStringsUpdate(TStrings& strings) : Strings(strings) { Strings.BeginUpdate(); }
    ~TStringsUpdate() { Strings.EndUpdate(); }
    TStringsUpdate(const TStringsUpdate&) = delete;
    TStringsUpdate& operator=(const TStringsUpdate&) = delete;

private:
    TStrings& Strings;
};
