#include "support/ModelInvariants.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

#include "base/core/ObjectHandles.h"
#include "model/document/TDoc.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/StreamEdit.h"
#include "model/formats/TTableRow.h"
#include "model/paragraphs/TPar.h"

namespace TestSupport {

namespace {

std::string At(std::int32_t p, const std::string& what) {
    return "paragraph " + std::to_string(p) + ": " + what;
}

}  // namespace

std::string CheckModelInvariants(const TDoc& doc) {
    std::int32_t stories = 0;
    for (int s = 0; s < StoryCount; ++s) {
        if (doc.StoryCounts[s] < 0)
            return "story " + std::to_string(s) + " has a negative count";
        stories += doc.StoryCounts[s];
    }
    if (stories != doc.ParCount())
        return "the stories count " + std::to_string(stories) + " paragraphs of " + std::to_string(doc.ParCount());
    if (doc.StoryCounts[stMain] < 1)
        return "the main story is empty";

    std::map<const TField*, std::pair<int, int>> marks;  // starts, ends
    // Where each mark stands: paragraph, character position and offset in
    // the stream. Marks of one run of controls share a position; only their
    // order in the stream tells an end that precedes its own start.
    std::map<const TField*, std::tuple<std::int32_t, std::int32_t, std::int32_t>> startAt, endAt;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar* par = doc.Par(p);
        if (par->Index != p)
            return At(p, "its index is " + std::to_string(par->Index));
        TMemory chars;
        AppendCharsOf(par->Stream.Data, par->Stream.Size, &chars);
        if (chars.Size != par->Chars.Size || std::memcmp(chars.Data, par->Chars.Data, chars.Size) != 0)
            return At(p, "its characters do not match its stream");
        const std::int32_t n = par->CharCount();
        if (n == 0)
            return At(p, "it has no characters");
        if (!IsParagraphEndChar(par->Chars.Data[n - 1]))
            return At(p, "it does not end with a paragraph mark");
        for (std::int32_t i = 0; i + 1 < n; ++i)
            if (IsParagraphEndChar(par->Chars.Data[i]))
                return At(p, "a paragraph mark stands inside it at " + std::to_string(i));
        std::int32_t pos = 0;
        TStreamElement e;
        for (std::int32_t off = 0; off < par->Stream.Size; off += e.Length) {
            ReadStreamElement(par->Stream.Data, par->Stream.Size, off, e);
            if (!e.IsControl) {
                pos += e.Length;
                continue;
            }
            if (e.Truncated)
                return At(p, "a control is cut off");
            if (ControlTakesPosition(e.Code))
                ++pos;
            if (e.Code != fcFieldStart && e.Code != fcFieldEnd)
                continue;
            const auto* f = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
            if (f == nullptr || !doc.Fields.Contains(const_cast<TField*>(f)))
                return At(p, "a field mark names no field of the document");
            auto& m = marks[f];
            if (e.Code == fcFieldStart) {
                ++m.first;
                startAt[f] = {p, pos, off};
            } else {
                ++m.second;
                endAt[f] = {p, pos, off};
            }
        }
    }
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const TField* f = doc.Fields.At<TField>(i);
        const auto it = marks.find(f);
        if (it == marks.end() || it->second.first != 1 || it->second.second != 1)
            return "field " + std::to_string(i) + " (kind " + std::to_string(f->Kind) + ") has " +
                   std::to_string(it == marks.end() ? 0 : it->second.first) + " start and " +
                   std::to_string(it == marks.end() ? 0 : it->second.second) + " end marks";
        if (startAt[f] > endAt[f])
            return "field " + std::to_string(i) + " ends before it starts (" + std::to_string(std::get<0>(startAt[f])) +
                   "," + std::to_string(std::get<1>(startAt[f])) + " to " + std::to_string(std::get<0>(endAt[f])) +
                   "," + std::to_string(std::get<1>(endAt[f])) + ")";
    }

    // Tables: a row's cells, then its row end; nothing of a row without it.
    std::int32_t cells = 0;
    bool inRow = false;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar* par = doc.Par(p);
        const bool inTable = par->Format.InTable != 0;
        const std::uint8_t last = par->Chars.Data[par->CharCount() - 1];
        if (last == chRowEnd) {
            if (!inTable)
                return At(p, "a row end outside a table");
            if (par->CharCount() != 1)
                return At(p, "a row end shares its paragraph");
            if (cells == 0)
                return At(p, "a row end without cells");
            TStreamElement e;
            ReadStreamElement(par->Stream.Data, par->Stream.Size, par->StreamOffsetOfChar(0), e);
            const auto* row = HandleTo<TTableRow>(static_cast<TObjectHandle>(e.Value));
            if (row == nullptr)
                return At(p, "a row end names no row");
            if (row->Data.CellCount != cells)
                return At(p, "a row of " + std::to_string(row->Data.CellCount) + " cells ends " +
                                 std::to_string(cells) + " cell marks");
            cells = 0;
            inRow = false;
            continue;
        }
        if (inTable) {
            inRow = true;
            if (last == chCellEnd)
                ++cells;
        } else {
            if (inRow)
                return At(p, "a table row stops without its row end");
            if (last == chCellEnd)
                return At(p, "a cell mark outside a table");
        }
    }
    if (inRow)
        return "the last table row has no row end";
    return "";
}

std::string DocumentBytes(const TDoc& doc) {
    std::string out;
    for (int s = 0; s < StoryCount; ++s)
        out += std::to_string(doc.StoryCounts[s]) + ",";
    out += "\n";
    std::set<const TField*> seen;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar* par = doc.Par(p);
        out.append(reinterpret_cast<const char*>(&par->Format), sizeof(TParFormat));
        out += "|";
        out.append(reinterpret_cast<const char*>(par->Stream.Data), par->Stream.Size);
        out += "|";
        out.append(reinterpret_cast<const char*>(par->Chars.Data), par->Chars.Size);
        out += "\n";
    }
    std::vector<std::string> fields;
    for (std::int32_t i = 0; i < doc.Fields.Count; ++i) {
        const TField* f = doc.Fields.At<TField>(i);
        std::string d =
            std::to_string(ObjectHandle(f)) + ":" + std::to_string(f->Kind) + ":" + std::to_string(f->Type) + ":";
        for (char16_t c : f->Instruction)
            d += static_cast<char>(c & 0xFF);
        fields.push_back(d);
    }
    std::sort(fields.begin(), fields.end());
    for (const std::string& d : fields)
        out += d + "\n";
    return out;
}

}  // namespace TestSupport
