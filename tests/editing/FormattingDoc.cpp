#include "FormattingDoc.h"

#include <cstdio>
#include <map>
#include <stdexcept>

#include "model/document/TSection.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TCompoundFragment.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/managers/TStyleManager.h"
#include "model/paragraphs/TPar.h"
#include "model/undo/TOperation.h"

namespace {

const std::map<std::string, int>& AttrNames() {
    static const std::map<std::string, int> names = {
        {"font", caFont},       {"fs", caSize},         {"b", caBold},
        {"i", caItalic},        {"strike", caStrike},   {"dstrike", caDoubleStrike},
        {"ul", caUnderline},    {"scaps", caSmallCaps}, {"caps", caAllCaps},
        {"color", caColor},     {"script", caScript},   {"spacing", caSpacing},
        {"offset", caOffset},   {"lang", caLanguage},   {"emboss", caEmboss},
        {"engrave", caEngrave}, {"shadow", caShadow},   {"outline", caOutline},
    };
    return names;
}

std::string NameOfAttr(int attr) {
    for (const auto& [name, a] : AttrNames())
        if (a == attr)
            return name;
    return "a" + std::to_string(attr);
}

std::string Hex(const void* data, std::size_t size) {
    std::string out;
    char buf[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<const unsigned char*>(data)[i]);
        out += buf;
    }
    return out;
}

}  // namespace

TFormattingDoc::TFormattingDoc(const std::vector<std::string>& pars) : DocPtr(std::make_unique<TDoc>()) {
    TDoc& doc = *DocPtr;
    if (doc.Styles->Count == 0) {
        auto* normal = new TStyle(doc.Styles);
        normal->Name = normal->DisplayName = "Normal";
        normal->BuiltInId = 0;
        doc.Styles->AddStyle(normal);
    }
    doc.Pars.FreeItems<TPar>();
    doc.StoryCounts[0] = 0;
    for (const std::string& description : pars) {
        auto* par = new TPar(&doc);
        par->Format = DefaultParFormat;
        par->Format.Style = 0;
        std::string_view rest = description;
        while (!rest.empty()) {
            if (rest.front() == '{') {
                const std::size_t close = rest.find('}');
                const std::size_t colon = rest.find(':');
                if (close == std::string_view::npos || colon == std::string_view::npos || colon > close)
                    throw std::invalid_argument("bad control in " + description);
                const std::string name(rest.substr(1, colon - 1));
                const auto it = AttrNames().find(name);
                if (it == AttrNames().end())
                    throw std::invalid_argument("unknown attribute " + name);
                const std::int32_t value = std::stoi(std::string(rest.substr(colon + 1, close - colon - 1)));
                AppendFormatControl(par->Stream, static_cast<std::uint8_t>(it->second), value);
                rest.remove_prefix(close + 1);
                continue;
            }
            par->Stream.AppendByte(static_cast<std::uint8_t>(rest.front()));
            par->Chars.AppendByte(static_cast<std::uint8_t>(rest.front()));
            rest.remove_prefix(1);
        }
        AppendFormatControl(par->Stream, fcSpecialChar, chParEnd);
        par->Chars.AppendByte(chParEnd);
        par->Index = doc.Pars.Count;
        doc.Pars.Add(par);
        doc.StoryCounts[0] += 1;
    }
    doc.Sections.At<TSection>(0)->LastPar = doc.Pars.Count - 1;
}

std::string TFormattingDoc::Text(std::int32_t index) const {
    const TPar& par = *DocPtr->Par(index);
    std::string out;
    TStreamElement e;
    for (std::int32_t off = 0; off < par.Stream.Size; off += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, off, e);
        if (!e.IsControl) {
            out.append(reinterpret_cast<const char*>(par.Stream.Data + off), static_cast<std::size_t>(e.Length));
        } else if (e.Code <= fcLastCharAttr) {
            out += "{" + NameOfAttr(e.Code) + ":" + std::to_string(e.Value) + "}";
        } else if (!(e.Code == fcSpecialChar && e.Value == chParEnd)) {
            out += "{c" + std::to_string(e.Code) + "}";
        }
    }
    return out;
}

std::vector<std::string> TFormattingDoc::Texts() const {
    std::vector<std::string> out;
    for (std::int32_t p = 0; p < DocPtr->ParCount(); ++p)
        out.push_back(Text(p));
    return out;
}

void TFormattingDoc::Select(std::int32_t startPar,
                            std::int32_t startOffset,
                            std::int32_t endPar,
                            std::int32_t endOffset) {
    TFragment f;
    MakeFragment(startPar, startOffset, endPar, endOffset, f);
    SelectRanges({f});
}

void TFormattingDoc::SelectRanges(const std::vector<TFragment>& ranges) {
    TDoc& doc = *DocPtr;
    doc.Selection->SetCount(static_cast<std::int32_t>(ranges.size()));
    for (std::size_t i = 0; i < ranges.size(); ++i)
        doc.Selection->Fragment(static_cast<std::int32_t>(i)) = ranges[i];
    doc.Caret = ranges.back().End;
}

void TFormattingDoc::PlaceCaret(std::int32_t par, std::int32_t offset) {
    DocPtr->Selection->Reset();
    MakeTextPos(par, offset, DocPtr->Caret);
}

std::int32_t TFormattingDoc::AddStyle(const std::string& name, std::int32_t basedOn, std::int32_t builtInId) {
    auto* style = new TStyle(DocPtr->Styles);
    style->Name = style->DisplayName = name;
    style->BasedOn = basedOn;
    style->BuiltInId = builtInId;
    DocPtr->Styles->AddStyle(style);
    return DocPtr->Styles->Count - 1;
}

TStyle& TFormattingDoc::Style(std::int32_t index) const {
    return *DocPtr->Styles->Style(index);
}

void TFormattingDoc::SetParStyle(std::int32_t par, std::int32_t style) {
    DocPtr->Par(par)->Format.Style = static_cast<std::int16_t>(style);
}

std::int32_t TFormattingDoc::AttrAt(std::int32_t par, std::int32_t offset, int attr) const {
    TCharFormat format;
    TTextPos pos;
    MakeTextPos(par, offset, pos);
    DocPtr->FormatAtPos(pos, format);
    return format[attr];
}

void TFormattingDoc::Begin() {
    DocPtr->BeginOperation(new TOperation(DocPtr.get(), 0));
}

void TFormattingDoc::End() {
    TDoc& doc = *DocPtr;
    auto* op = static_cast<TOperation*>(doc.CurrentOperation);
    doc.EndOperation();
    doc.CommitOperation(op);
}

TFormattingDump DumpFormatting(const TDoc& doc) {
    TFormattingDump dump;
    auto& lines = dump.Lines;
    for (std::int32_t p = 0; p < doc.ParCount(); ++p) {
        const TPar& par = *doc.Par(p);
        lines.push_back("par " + std::to_string(p) + " chars " + Hex(par.Chars.Data, par.Chars.Size));
        lines.push_back("par " + std::to_string(p) + " stream " + Hex(par.Stream.Data, par.Stream.Size));
        TParFormat format = par.Format;
        format.List = format.List != 0;  // handles differ between runs; whether there is one does not
        lines.push_back("par " + std::to_string(p) + " format " + Hex(&format, sizeof format));
    }
    for (std::int32_t i = 0; i < doc.Styles->Count; ++i) {
        const TStyle& s = *doc.Styles->Style(i);
        lines.push_back("style " + std::to_string(i) + " " + s.Name + "/" + s.DisplayName + " id " +
                        std::to_string(s.BuiltInId) + " based " + std::to_string(s.BasedOn) + " next " +
                        std::to_string(s.NextStyle) + " char " + Hex(&s.CharFormat, sizeof s.CharFormat) + " par " +
                        Hex(&s.ParFormat, sizeof s.ParFormat));
    }
    for (std::int32_t i = 0; i < doc.Lists.Count; ++i) {
        const TAutoList& list = *doc.Lists.At<TAutoList>(i);
        std::string line = "list " + std::to_string(i) + " single " + std::to_string(list.SingleLevel);
        for (const TListLevel& level : list.Levels)
            line += " " + std::to_string(level.NumberFormat) + "/" + Hex(&level.ParFormat, sizeof level.ParFormat);
        lines.push_back(line);
    }
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i) {
        const TPageSetup& ps = doc.Sections.At<TSection>(i)->PageSetup;
        lines.push_back("section " + std::to_string(i) + " page " + std::to_string(ps.PageWidth) + "x" +
                        std::to_string(ps.PageHeight) + " o" + std::to_string(ps.Orientation) + " margins " +
                        std::to_string(ps.LeftMargin) + "," + std::to_string(ps.RightMargin) + "," +
                        std::to_string(ps.TopMargin) + "," + std::to_string(ps.BottomMargin) + "," +
                        std::to_string(ps.HeaderDistance) + "," + std::to_string(ps.FooterDistance) + " mirror " +
                        std::to_string(ps.MirrorMargins) + " facing " + std::to_string(ps.FacingPages));
    }
    lines.push_back("tab width " + std::to_string(doc.DefaultTabWidth));
    return dump;
}

std::string DumpDifference(const TFormattingDump& a, const TFormattingDump& b) {
    const std::size_t n = std::max(a.Lines.size(), b.Lines.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string x = i < a.Lines.size() ? a.Lines[i] : "(none)";
        const std::string y = i < b.Lines.size() ? b.Lines[i] : "(none)";
        if (x != y)
            return x + "\n  vs\n" + y;
    }
    return "";
}

void EnsureStyleManager() {
    if (StyleManager == nullptr)
        static TStyleManager manager;
}
