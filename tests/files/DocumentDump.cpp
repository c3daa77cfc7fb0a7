#include "DocumentDump.h"

#include <functional>
#include <string>

#include "base/core/ObjectHandles.h"
#include "editing/tables/TableStructure.h"
#include "files/rtf/RtfWriterTabs.h"
#include "model/document/TDoc.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/BorderSets.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/formats/TTableRow.h"
#include "model/managers/TAutoList.h"
#include "model/managers/TFontManager.h"
#include "model/managers/TStyle.h"
#include "model/managers/TStyleList.h"
#include "model/paragraphs/TPar.h"

namespace {

std::string FontName(std::int32_t font) {
    if (font == UnsetValue)
        return "-";
    if (FontManager != nullptr && font >= 0 && font < FontManager->RegFonts.Count)
        return FontManager->RegFont(font)->GetName();
    return "#" + std::to_string(font);
}

void AppendCharFormat(std::string& out, const TCharFormat& f) {
    out += "{" + FontName(f[caFont]);
    for (int attr = 1; attr < CharAttrCount; ++attr) {
        if (attr == caCharStyle)
            continue;
        out += ' ';
        out += f[attr] == UnsetValue ? std::string("-") : std::to_string(f[attr]);
    }
    out += "}";
}

std::string ListName(const TDoc& doc, std::int32_t handle) {
    if (handle == 0 || handle == UnsetValue)
        return "none";
    const auto* list = HandleTo<TAutoList>(static_cast<TObjectHandle>(handle));
    std::string out = "list[";
    if (list == nullptr)
        return out + "?]";
    for (std::int32_t l = 0; l < list->UsedLevelCount(); ++l) {
        const TListLevel& level = list->Levels[l];
        out += std::to_string(level.StartValue) + "/" + std::to_string(level.NumberFormat) + "/" +
               std::to_string(level.Alignment) + "/" + std::to_string(level.FollowKind) + "/";
        for (char16_t c : level.LabelText)
            out += std::to_string(c) + ".";
        AppendCharFormat(out, level.CharFormat);
        // A picture bullet by its kind, goal size and bytes.
        if (const TShape* picture = level.PictureBullet) {
            const TShapePicture& p = picture->Picture;
            out += "/picture " + std::to_string(p.Kind) + " " + std::to_string(p.GoalWidth) + "x" +
                   std::to_string(p.GoalHeight) + " " + std::to_string(p.Data.size()) + " bytes " +
                   std::to_string(std::hash<std::string>{}(p.Data));
        }
        out += ";";
    }
    (void)doc;
    return out + "]";
}

void AppendParFormat(std::string& out, const TDoc& doc, const TParFormat& f) {
    out += "<";
    for (int prop = 0; prop < ParPropCount; ++prop) {
        const std::int32_t value = GetParProp(f, prop);
        if (value == UnsetValue) {
            out += "- ";
            continue;
        }
        switch (prop) {
            case ppStyle:
                out += doc.Styles != nullptr && value >= 0 && value < doc.Styles->Count
                           ? "style:" + doc.Styles->Style(value)->Name
                           : "style#" + std::to_string(value);
                break;
            case ppTabs:
                out += "tabs:";
                for (const TRtfTabStop& stop : RtfTabTableStops(value))
                    out += std::to_string(stop.Position) + "/" + std::to_string(stop.Alignment) + "/" +
                           std::to_string(stop.Leader) + ",";
                break;
            case ppList:
                out += ListName(doc, value);
                break;
            case ppBorders:
                out += "borders:";
                if (value > 0 && value < BorderSetCount())
                    for (const TBorder& b : BorderSetAt(value).Borders)
                        out += std::to_string(b.Type) + "/" + std::to_string(b.Width) + "/" + std::to_string(b.Color) +
                               "/" + std::to_string(b.Spacing) + ",";
                break;
            default:
                out += std::to_string(value);
                break;
        }
        out += ' ';
    }
    out += ">";
}

void AppendParagraph(std::string& out, TDoc& doc, std::int32_t p) {
    TPar& par = *doc.Par(p);
    out += "par " + std::to_string(p) + " story " + std::to_string(doc.StoryOfPar(p)) + " ";
    AppendParFormat(out, doc, par.Format);
    out += "\n  ";
    TCharFormat current = DefaultCharFormat;
    TCharFormat shown = UnsetCharFormat;
    bool first = true;
    const auto showFormat = [&] {
        // The character-style attribute is never written, so it is no part
        // of what a saved document keeps.
        bool same = !first;
        for (int attr = 0; attr < CharAttrCount && same; ++attr)
            same = attr == caCharStyle || shown[attr] == current[attr];
        if (!same) {
            AppendCharFormat(out, current);
            shown = current;
            first = false;
        }
    };
    TStreamElement e;
    for (std::int32_t i = 0; i < par.Stream.Size; i += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, i, e);
        if (e.Truncated)
            break;
        if (!e.IsControl) {
            showFormat();
            out.append(reinterpret_cast<const char*>(par.Stream.Data + i), static_cast<std::size_t>(e.Length));
            continue;
        }
        if (e.Code <= fcLastCharAttr) {
            current[e.Code] = e.Value;
            continue;
        }
        switch (e.Code) {
            case fcSpecialChar:
                showFormat();
                out += "<s" + std::to_string(e.Value) + ">";
                break;
            case fcUnicodeChar:
                showFormat();
                out += "<u" + std::to_string(e.Value & 0xFFFF) + ">";
                break;
            case fcSectionBreak:
                out += "<sect>";
                break;
            case fcCellEnd:
                out += "<cell>";
                break;
            case fcRowEnd:
                out += "<row>";
                break;
            case fcShapeAnchor: {
                // A picture by its kind, sizes and a digest of its bytes.
                const auto* shape = HandleTo<TShape>(static_cast<TObjectHandle>(e.Value));
                out += "<shape";
                if (shape != nullptr && shape->Picture.Kind != pkNone) {
                    const TShapePicture& p = shape->Picture;
                    std::uint64_t digest = 14695981039346656037ull;
                    for (char c : p.Data)
                        digest = (digest ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
                    out += " picture " + std::to_string(p.Kind) + "/" + std::to_string(p.KindParam) + " " +
                           std::to_string(p.PicWidth) + "x" + std::to_string(p.PicHeight) + " goal " +
                           std::to_string(p.GoalWidth) + "x" + std::to_string(p.GoalHeight) + " scale " +
                           std::to_string(p.ScaleX) + "/" + std::to_string(p.ScaleY) + " crop " +
                           std::to_string(p.CropLeft) + "," + std::to_string(p.CropTop) + "," +
                           std::to_string(p.CropRight) + "," + std::to_string(p.CropBottom) + " pixels " +
                           std::to_string(p.PixelWidth) + "x" + std::to_string(p.PixelHeight) + " bytes " +
                           std::to_string(p.Data.size()) + " digest " + std::to_string(digest);
                    // Its drawing properties and placement.
                    const TShapeProps& sp = shape->Props;
                    std::string props;
                    sp.ToRtf(props);
                    out += " props " + props + " wrap " + std::to_string(sp.WrapKind) + "/" +
                           std::to_string(sp.WrapSide) + " z " + std::to_string(sp.ZOrder);
                    if (sp.HasPosRect())
                        out += " at " + std::to_string(sp.PosRect.Left) + "," + std::to_string(sp.PosRect.Top) + "," +
                               std::to_string(sp.PosRect.Right) + "," + std::to_string(sp.PosRect.Bottom);
                    if (!sp.WrapPolygon.empty())
                        out += " polygon " + sp.WrapPolygonToRtf();
                }
                out += ">";
                break;
            }
            case fcFieldStart:
            case fcFieldEnd: {
                const auto* field = HandleTo<TField>(static_cast<TObjectHandle>(e.Value));
                out += e.Code == fcFieldStart ? "<field " : "</field ";
                out += field != nullptr ? std::to_string(field->Kind) : "?";
                out += ">";
                break;
            }
            default:
                break;
        }
    }
    out += "\n";
    if (IsRowEnd(doc, p)) {
        if (const TTableRow* row = TableRowOf(doc, p)) {
            const TTableRowData& r = row->Data;
            out += "  row " + std::to_string(r.Alignment) + " " + std::to_string(r.LeftEdge) + " " +
                   std::to_string(r.Height) + " " + std::to_string(r.PreferredWidth) + " " +
                   std::to_string(r.Background) + " " + std::to_string(r.KeepTogether) + " " +
                   std::to_string(r.HeaderRow) + " pad";
            for (std::int32_t v : r.Padding)
                out += " " + std::to_string(v);
            for (std::int32_t c = 0; c < r.CellCount; ++c) {
                const TTableCell& cell = r.Cells[c];
                out += " | " + std::to_string(cell.RightEdge) + " " + std::to_string(cell.RelativeWidth) + " " +
                       std::to_string(cell.VerticalAlignment) + " " + std::to_string(cell.FirstOfMerge) + " " +
                       std::to_string(cell.Merged) + " " + std::to_string(cell.Background);
                for (std::int32_t v : cell.Padding)
                    out += " " + std::to_string(v);
                for (const TTableBorder& b : cell.Borders)
                    out += " " + std::to_string(b.Kind) + "/" + std::to_string(b.Width) + "/" + std::to_string(b.Color);
            }
            out += "\n";
        }
    }
}

void AppendSection(std::string& out, const TSection& s) {
    const TPageSetup& ps = s.PageSetup;
    out += "section " + std::to_string(s.FirstPar) + "-" + std::to_string(s.LastPar);
    for (std::int32_t v :
         {ps.PageWidth, ps.PageHeight, std::int32_t{ps.Orientation}, ps.LeftMargin, ps.RightMargin, ps.TopMargin,
          ps.BottomMargin, ps.HeaderDistance, ps.FooterDistance, std::int32_t{ps.MirrorMargins},
          std::int32_t{ps.FacingPages}, std::int32_t{ps.DifferentFirstPage}, std::int32_t{ps.EndnotesNotHere},
          ps.LineNumberStep, ps.LineNumberDistance, ps.LineNumberStart, std::int32_t{ps.LineNumberRestart}})
        out += " " + std::to_string(v);
    const TSectionFormat& f = s.Format;
    out += " break " + std::to_string(f.BreakKind) + " cols " + std::to_string(f.ColumnCount) + " " +
           std::to_string(f.EqualColumns) + " " + std::to_string(f.ColumnSpacing) + " " +
           std::to_string(f.LineBetween) + " pgn " + std::to_string(s.PageNumberStyle) + " " +
           std::to_string(s.PageNumberStart);
    for (const TNoteSettings* n : {&s.FootnoteSettings, &s.EndnoteSettings})
        out += " notes " + std::to_string(n->Position) + " " + std::to_string(n->NumberFormat) + " " +
               std::to_string(n->StartNumber) + " " + std::to_string(n->Restart & 0xFF);
    out += "\n";
}

}  // namespace

std::string DumpDocumentModel(TDoc& doc) {
    std::string out;
    out += "stories";
    for (int story = 0; story < StoryCount; ++story)
        out += " " + std::to_string(doc.StoryCounts[story]);
    out += "\ndeftab " + std::to_string(doc.DefaultTabWidth) + " lang " + std::to_string(doc.DefaultLanguage) + "\n";
    if (doc.Styles != nullptr) {
        for (std::int32_t i = 0; i < doc.Styles->Count; ++i) {
            const TStyle& style = *doc.Styles->Style(i);
            TCharFormat cf = UnsetCharFormat;
            TParFormat pf = UnsetParFormat;
            style.ResolveFormat(&cf, &pf, 0);
            out += "style " + std::to_string(i) + " " + style.Name + " based " + std::to_string(style.BasedOn) +
                   " next " + std::to_string(style.NextStyle) + " ";
            AppendCharFormat(out, cf);
            AppendParFormat(out, doc, pf);
            out += "\n";
        }
    }
    for (std::int32_t i = 0; i < doc.Sections.Count; ++i)
        AppendSection(out, *doc.Sections.At<TSection>(i));
    for (std::int32_t p = 0; p < doc.ParCount(); ++p)
        AppendParagraph(out, doc, p);
    return out;
}
