#include "TableDoc.h"

#include <stdexcept>

#include "base/core/ObjectHandles.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TParFormat.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TOperation.h"

TTableDoc::TTableDoc(const std::vector<std::string>& pars, const std::vector<std::string>& rows)
    : DocPtr(std::make_unique<TDoc>()) {
    TDoc& doc = *DocPtr;
    for (const std::string& spec : rows) {
        auto* row = new TTableRow;
        row->Data = MakeRowData(spec);
        doc.TableRowList.Add(row);
        Rows.push_back(row);
    }
    doc.Pars.FreeItems<TPar>();
    doc.StoryCounts[0] = 0;
    std::size_t nextRow = 0;
    for (const std::string& token : pars) {
        auto* par = new TPar(&doc);
        par->Format = DefaultParFormat;
        if (token == "#" || token == "#?") {
            par->Format = TableParFormat;
            std::int32_t handle = 0;
            if (token == "#") {
                if (nextRow >= Rows.size())
                    throw std::invalid_argument("more row ends than rows");
                handle = static_cast<std::int32_t>(ObjectHandle(Rows[nextRow++]));
            }
            AppendFormatControl(par->Stream, fcRowEnd, handle);
            par->Chars.AppendByte(chRowEnd);
        } else {
            std::string_view text = token;
            std::uint8_t end = chParEnd;
            const char last = text.empty() ? '\0' : text.back();
            if (last == ']' || last == '/' || last == '}')
                text.remove_suffix(1);
            if (last == ']' || last == '/')
                par->Format = TableParFormat;
            if (last == ']' || last == '}')
                end = chCellEnd;
            for (char c : text) {
                par->Stream.AppendByte(static_cast<std::uint8_t>(c));
                par->Chars.AppendByte(static_cast<std::uint8_t>(c));
            }
            AppendFormatControl(par->Stream, end == chCellEnd ? fcCellEnd : fcSpecialChar,
                                end == chCellEnd ? 0 : chParEnd);
            par->Chars.AppendByte(end);
        }
        par->Index = doc.Pars.Count;
        doc.Pars.Add(par);
        doc.StoryCounts[0] += 1;
    }
}

std::string TTableDoc::Shape() const {
    std::string out;
    const TDoc& doc = *DocPtr;
    for (std::int32_t i = 0; i < doc.ParCount(); ++i) {
        const TPar* par = doc.Par(i);
        if (i > 0)
            out += ' ';
        const bool inTable = par->Format.InTable == 1;
        const std::int32_t n = par->CharCount();
        if (inTable && n > 0 && par->Chars.Data[0] == chRowEnd) {
            TStreamElement element;
            ReadStreamElement(par->Stream.Data, par->Stream.Size, par->StreamOffsetOfChar(0), element);
            const auto* row = HandleTo<TTableRow>(static_cast<TObjectHandle>(element.Value));
            std::string name = "?";
            for (std::size_t r = 0; r < Rows.size(); ++r)
                if (Rows[r] == row)
                    name = std::to_string(r);
            out += "#" + name;
            continue;
        }
        for (std::int32_t c = 0; c + 1 < n; ++c)
            out += static_cast<char>(par->Chars.Data[c]);
        const std::uint8_t end = n > 0 ? par->Chars.Data[n - 1] : 0;
        if (inTable)
            out += end == chCellEnd ? "]" : "/";
        else if (end == chCellEnd)
            out += "}";
        else if (end == chRowEnd)
            out += "{row}";
    }
    return out;
}

TTableRowData TTableDoc::MakeRowData(std::string_view spec) {
    TTableRowData data;
    const std::size_t colon = spec.find(':');
    std::string left(spec.substr(0, colon));
    if (!left.empty() && left.back() == 'h') {
        data.HeaderRow = 1;
        left.pop_back();
    }
    data.LeftEdge = std::stoi(left);
    std::string_view rest = colon == std::string_view::npos ? std::string_view{} : spec.substr(colon + 1);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string cell(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        TTableCell& c = data.Cells[data.CellCount++];
        if (cell.back() == 'F') {
            c.FirstOfMerge = c.Merged = 1;
            cell.pop_back();
        } else if (cell.back() == 'C') {
            c.Merged = 1;
            cell.pop_back();
        }
        c.RightEdge = std::stoi(cell);
    }
    return data;
}

std::string TTableDoc::DescribeRow(const TTableRowData& row) {
    std::string out = std::to_string(row.LeftEdge);
    if (row.HeaderRow != 0)
        out += 'h';
    out += ':';
    for (std::int32_t c = 0; c < row.CellCount; ++c) {
        if (c > 0)
            out += ',';
        out += std::to_string(row.Cells[c].RightEdge);
        if (row.Cells[c].FirstOfMerge != 0 && row.Cells[c].Merged != 0)
            out += 'F';
        else if (row.Cells[c].IsContinuation())
            out += 'C';
    }
    return out;
}

void TTableDoc::Begin() {
    auto* op = new TOperation(DocPtr.get(), 0);
    DocPtr->BeginOperation(op);
}

void TTableDoc::End() {
    TDoc& doc = *DocPtr;
    auto* op = static_cast<TOperation*>(doc.CurrentOperation);
    doc.EndOperation();
    doc.CommitOperation(op);
}
