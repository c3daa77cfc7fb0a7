#pragma once

#include <cstdint>
#include <string>

#include "base/core/TList.h"

class TAutoList;
class TDoc;
class TStrings;
class TStyle;
class TStyleList;

// The description of one style import, and its result.
class TImportStylesInfo {
public:
    explicit TImportStylesInfo(const TStyleList* source);
    TImportStylesInfo(const TImportStylesInfo&) = delete;
    TImportStylesInfo& operator=(const TImportStylesInfo&) = delete;
    ~TImportStylesInfo();

    // 1: a destination style of the same name is overwritten; 0: it stays
    // and the imported styles only refer to it.
    std::uint8_t ReplaceExisting = 0;
    const TStyleList* Source = nullptr;
    TList* Selected = nullptr;  // source indices to import (integers)
    TList* Added = nullptr;     // result: destination indices appended
    TList* Replaced = nullptr;  // result: destination indices overwritten
    // 1: only selected styles may overwrite; parents and next styles pulled
    // in with them map to a same-named destination style unchanged.
    std::uint8_t SelectedOnly = 0;
};

// A document's style sheet: a list of TStyle that owns its styles. Index 0
// holds "Normal". Every style's BasedOn and NextStyle are -1 or an index of
// the same sheet, and the Style property of its paragraph format is its own
// index.
class TStyleList : public TList {
public:
    explicit TStyleList(TDoc* doc) : Doc(doc) {}
    ~TStyleList() override;

    TStyle* Style(std::int32_t index) const { return At<TStyle>(index); }

    // Appends a style, giving its paragraph format the new index.
    void AddStyle(TStyle* style);
    // Frees every style and appends a copy of each source style.
    void Assign(const TStyleList& source);
    // Removes and frees a style. Styles based on it take its parent; next
    // styles that named it become "Normal" (their own index when "Normal"
    // itself goes); the indices above it move down.
    void DeleteStyle(std::int32_t index);

    // Look-ups, from the last style to the first; -1 when absent. Names
    // compare without regard to case under the comparison locale.
    std::int32_t IndexOfName(const std::string& name) const;
    std::int32_t IndexOfDisplayName(const std::string& name) const;
    std::int32_t IndexOfBuiltIn(std::int32_t id) const;
    std::int32_t IndexOfHotKey(std::uint32_t key) const;
    bool HotKeyUsed(std::uint32_t key) const { return key != 0 && IndexOfHotKey(key) != -1; }
    // The first style whose format holds exactly this list and level.
    std::int32_t IndexOfListStyle(const TAutoList* list, std::int32_t level) const;

    // Appends (as integers) the parent, grandparent and so on of a style.
    void GetBasedOnChain(std::int32_t index, TList& out) const;
    // Appends, in sheet order, the styles based on a style; recursively each
    // one's own derived styles right after it.
    void GetDerivedStyles(std::int32_t index, TList& out, bool recursive) const;
    // The display names, each with its index as the object.
    void FillStyleNames(TStrings& strings) const;

    // Imports the selected styles of info's source, with the parents and
    // next styles they name. With ask, each overwrite is put to the user
    // (Yes, No, No to All, Yes to All, Cancel). False, with the sheet
    // unchanged, when the user cancels.
    bool ImportStyles(TImportStylesInfo& info, bool ask);

    TDoc* Doc = nullptr;  // nil for sheets of no document
};

// Integers kept in TList items.
inline void* IntItem(std::int32_t value) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(value));
}
inline std::int32_t ItemInt(const TList& list, std::int32_t index) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(list.Item(index)));
}
