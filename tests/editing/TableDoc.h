#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/document/TDoc.h"
#include "model/formats/TTableRow.h"

// A document whose main story is written as paragraph tokens, for the table
// tests:
//   "ab]"  a table paragraph ending with a cell-end mark
//   "ab/"  a table paragraph ending with a paragraph mark
//   "#"    a row-end paragraph naming the next row of the row list
//   "#?"   a row-end paragraph whose control names no row
//   "ab"   a paragraph outside any table
//   "ab}"  a paragraph outside any table ending with a cell-end mark
// Rows are written as "left:edge,edge,...", each edge optionally followed
// by F (first of a merge) or C (a continuation cell); "h" after the left
// edge makes a header row ("0h:1440,2880").
class TTableDoc {
public:
    TTableDoc(const std::vector<std::string>& pars, const std::vector<std::string>& rows);

    TDoc& Doc() { return *DocPtr; }
    TTableRow* Row(std::size_t i) const { return Rows[i]; }
    // Each paragraph as its token again, row ends by the index of their row
    // ("#0"); shows what a repair made of the text.
    std::string Shape() const;
    // Runs work as one committed operation, as the operations that call the
    // table code do.
    template <class F>
    void InOperation(F&& work) {
        Begin();
        work();
        End();
    }

    static TTableRowData MakeRowData(std::string_view spec);
    // A row as written above, from its data.
    static std::string DescribeRow(const TTableRowData& row);

private:
    void Begin();
    void End();

    std::unique_ptr<TDoc> DocPtr;
    std::vector<TTableRow*> Rows;  // owned by the document
};
