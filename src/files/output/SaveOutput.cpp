#include "files/output/SaveOutput.h"

#include <algorithm>

#include "base/core/ObjectHandles.h"
#include "base/core/TStream.h"
#include "model/document/TDoc.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TTableRow.h"
#include "model/host/FontQueries.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"

namespace {

// Character sets of the double-byte code pages (Shift-JIS, GB2312, Big5),
// whose text must never be written as raw bytes.
constexpr std::uint8_t ShiftJisCharset = 128;
constexpr std::uint8_t Gb2312Charset = 134;
constexpr std::uint8_t Big5Charset = 136;

class TUsage {
public:
    explicit TUsage(TSaveContext& context) : Context(context) {}

    // Each font once: the walk meets a font at every run of text.
    void Font(std::int32_t font) {
        if (font == UnsetValue || font < 0)
            return;
        const auto at = static_cast<std::size_t>(font);
        if (at >= SeenFonts.size())
            SeenFonts.resize(at + 1, 0);
        if (SeenFonts[at] != 0)
            return;
        SeenFonts[at] = 1;
        Fonts.push_back(font);
    }
    void Color(std::int32_t color) {
        if (color == UnsetValue || color == AutoColor || color == static_cast<std::int32_t>(0x80000000u) ||
            color == LastColor)
            return;
        LastColor = color;
        if (std::find(Context.Colors.begin(), Context.Colors.end(), color) == Context.Colors.end())
            Context.Colors.push_back(color);
    }
    void List(std::int32_t handle) {
        if (handle == 0 || handle == UnsetValue)
            return;
        const auto* list = HandleTo<TAutoList>(static_cast<TObjectHandle>(handle));
        if (list != nullptr && std::find(Lists.begin(), Lists.end(), list) == Lists.end())
            Lists.push_back(list);
    }
    void CharFormat(const TCharFormat& f) {
        Font(f[caFont]);
        Color(f[caColor]);
        Color(f[caHighlight]);
        Color(f[caUnderlineColor]);
    }
    void ParFormat(const TParFormat& f) {
        if (f.List != UnsetValue)
            List(f.List);
        if (f.Borders > 0 && f.Borders < BorderSetCount()) {
            const TBorderSet& set = BorderSetAt(f.Borders);
            for (const TBorder& b : set.Borders)
                if (b.Type != NoBorderType)
                    Color(b.Color);
        }
        if (f.Shading >= 0)
            Color(f.Shading);
    }
    // Only formats that characters take count: a control that another
    // overrides before the next character leaves nothing in a saved file.
    void Stream(const TPar& par) {
        const std::uint8_t* data = par.Stream.Data;
        const std::int32_t size = par.Stream.Size;
        TCharFormat current = DefaultCharFormat;
        TStreamElement e;
        for (std::int32_t at = 0; at < size; at += e.Length) {
            ReadStreamElement(data, size, at, e);
            if (e.Truncated)
                break;
            if (e.IsControl && e.Code <= fcLastCharAttr) {
                current[e.Code] = e.Value;
                continue;
            }
            if (e.IsControl && e.Code == fcRowEnd)
                Row(HandleTo<TTableRow>(static_cast<TObjectHandle>(e.Value)));
            if (e.IsControl && !ControlTakesPosition(e.Code))
                continue;
            CharFormat(current);
        }
    }
    void Row(const TTableRow* row) {
        if (row == nullptr)
            return;
        const TTableRowData& data = row->Data;
        Color(data.Background);
        for (std::int32_t c = 0; c < data.CellCount && c < MaxTableCells; ++c) {
            for (const TTableBorder& b : data.Cells[c].Borders)
                if (b.Kind != 0)
                    Color(b.Color);
            Color(data.Cells[c].Background);
        }
    }

    std::vector<std::int32_t> Fonts;
    std::vector<const TAutoList*> Lists;

private:
    std::vector<std::uint8_t> SeenFonts;
    std::int32_t LastColor = AutoColor;
    TSaveContext& Context;
};

}  // namespace

std::int32_t TSaveContext::ColorNumber(std::int32_t color) const {
    const auto it = std::find(Colors.begin(), Colors.end(), color);
    return it == Colors.end() ? 0 : static_cast<std::int32_t>(it - Colors.begin());
}

std::int32_t TSaveContext::ListNumber(const TAutoList* list) const {
    const auto it = std::find(Lists.begin(), Lists.end(), list);
    return it == Lists.end() ? 0 : static_cast<std::int32_t>(it - Lists.begin()) + 1;
}

void TSaveContext::Flush() {
    if (Buffered == 0)
        return;
    if (Options.Target == stMemory) {
        Options.Output->AppendBuffer(Buffer, static_cast<std::int32_t>(Buffered));
    } else {
        if (File == nullptr ||
            File->Write(Buffer, static_cast<std::int32_t>(Buffered)) != static_cast<std::int32_t>(Buffered))
            throw ESaveWriteFailed{};
    }
    Written += static_cast<std::int64_t>(Buffered);
    Buffered = 0;
}

void TSaveContext::AppendLarge(const void* bytes, std::size_t n) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    while (n > 0) {
        const std::size_t part = std::min(n, sizeof(Buffer));
        std::memcpy(Buffer, p, part);
        Buffered = part;
        Flush();
        p += part;
        n -= part;
    }
}

void CollectUsedFontsAndColors(TSaveContext& context) {
    TDoc& doc = *context.Doc;
    context.Colors.assign(1, AutoColor);
    TUsage usage(context);
    usage.Font(DefaultCharFormat[caFont]);
    if (doc.Styles != nullptr) {
        for (std::int32_t i = 0; i < doc.Styles->Count; ++i) {
            const TStyle* style = doc.Styles->Style(i);
            TCharFormat cf = UnsetCharFormat;
            TParFormat pf = UnsetParFormat;
            style->ResolveFormat(&cf, &pf, 0);
            usage.CharFormat(cf);
            usage.ParFormat(pf);
        }
    }
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar& par = *doc.Par(p);
        usage.ParFormat(par.Format);
        usage.Stream(par);
    }
    usage.CharFormat(doc.NoteCharFormats[0][0]);
    usage.CharFormat(doc.NoteCharFormats[1][0]);
    // Lists in the document's own order, each once.
    context.Lists.clear();
    for (std::int32_t i = 0; i < doc.Lists.Count; ++i) {
        const TAutoList* list = doc.Lists.At<TAutoList>(i);
        if (std::find(usage.Lists.begin(), usage.Lists.end(), list) == usage.Lists.end())
            continue;
        context.Lists.push_back(list);
        for (std::int32_t l = 0; l < list->UsedLevelCount(); ++l)
            usage.CharFormat(list->Levels[l].CharFormat);
    }
    context.ListCount = static_cast<std::int32_t>(context.Lists.size());
    std::sort(usage.Fonts.begin(), usage.Fonts.end());
    usage.Fonts.erase(std::unique(usage.Fonts.begin(), usage.Fonts.end()), usage.Fonts.end());
    context.Fonts = std::move(usage.Fonts);
    context.UsesEastAsianFont = false;
    for (const std::int32_t font : context.Fonts) {
        const std::uint8_t charset = DocFontCharset(font);
        if (charset == ShiftJisCharset || charset == Gb2312Charset || charset == Big5Charset)
            context.UsesEastAsianFont = true;
    }
}
