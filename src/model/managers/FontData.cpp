#include "model/managers/FontData.h"

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "base/core/TList.h"
#include "base/text/TStringList.h"
#include "model/formats/TCharFormat.h"
#include "model/managers/TFontManager.h"
#include "platform/ByteReader.h"
#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/Fonts.h"

// The blocks of the Unicode standard's block list (Blocks.txt), from Basic
// Latin to the Halfwidth and Fullwidth Forms; Basic Latin starts after the
// control characters.
const TUnicodeBlock UnicodeBlocks[UnicodeBlockCount] = {
    {0x0020, 0x007F, "Basic Latin"},
    {0x0080, 0x00FF, "Latin-1"},
    {0x0100, 0x017F, "Latin Extended-A"},
    {0x0180, 0x024F, "Latin Extended-B"},
    {0x0250, 0x02AF, "IPA Extensions"},
    {0x02B0, 0x02FF, "Spacing Modifier Letters"},
    {0x0300, 0x036F, "Combining Diacritical Marks"},
    {0x0370, 0x03FF, "Greek and Coptic"},
    {0x0400, 0x04FF, "Cyrillic"},
    {0x0500, 0x052F, "Cyrillic Supplementary"},
    {0x0530, 0x058F, "Armenian"},
    {0x0590, 0x05FF, "Hebrew"},
    {0x0600, 0x06FF, "Arabic"},
    {0x0700, 0x074F, "Syriac"},
    {0x0750, 0x077F, "Arabic Supplement"},
    {0x0780, 0x07BF, "Thaana"},
    {0x0900, 0x097F, "Devanagari"},
    {0x0980, 0x09FF, "Bengali"},
    {0x0A00, 0x0A7F, "Gurmukhi"},
    {0x0A80, 0x0AFF, "Gujarati"},
    {0x0B00, 0x0B7F, "Oriya"},
    {0x0B80, 0x0BFF, "Tamil"},
    {0x0C00, 0x0C7F, "Telugu"},
    {0x0C80, 0x0CFF, "Kannada"},
    {0x0D00, 0x0D7F, "Malayalam"},
    {0x0D80, 0x0DFF, "Sinhala"},
    {0x0E00, 0x0E7F, "Thai"},
    {0x0E80, 0x0EFF, "Lao"},
    {0x0F00, 0x0FFF, "Tibetan"},
    {0x1000, 0x109F, "Myanmar"},
    {0x10A0, 0x10FF, "Georgian"},
    {0x1100, 0x11FF, "Hangul Jamo"},
    {0x1200, 0x137F, "Ethiopic"},
    {0x1380, 0x139F, "Ethiopic Supplement"},
    {0x13A0, 0x13FF, "Cherokee"},
    {0x1400, 0x167F, "Unified Canadian Aboriginal Syllabics"},
    {0x1680, 0x169F, "Ogham"},
    {0x16A0, 0x16FF, "Runic"},
    {0x1700, 0x171F, "Tagalog"},
    {0x1720, 0x173F, "Hanunoo"},
    {0x1740, 0x175F, "Buhid"},
    {0x1760, 0x177F, "Tagbanwa"},
    {0x1780, 0x17FF, "Khmer"},
    {0x1800, 0x18AF, "Mongolian"},
    {0x1900, 0x194F, "Limbu"},
    {0x1950, 0x197F, "Tai Le"},
    {0x1980, 0x19DF, "New Tai Lue"},
    {0x19E0, 0x19FF, "Khmer Symbols"},
    {0x1A00, 0x1A1F, "Buginese"},
    {0x1D00, 0x1D7F, "Phonetic Extensions"},
    {0x1D80, 0x1DBF, "Phonetic Extensions Supplement"},
    {0x1DC0, 0x1DFF, "Combining Diacritical Marks Supplement"},
    {0x1E00, 0x1EFF, "Latin Extended Additional"},
    {0x1F00, 0x1FFF, "Greek Extended"},
    {0x2000, 0x206F, "General Punctuation"},
    {0x2070, 0x209F, "Superscripts and Subscripts"},
    {0x20A0, 0x20CF, "Currency Symbols"},
    {0x20D0, 0x20FF, "Combining Diacritical Marks for Symbols"},
    {0x2100, 0x214F, "Letterlike Symbols"},
    {0x2150, 0x218F, "Number Forms"},
    {0x2190, 0x21FF, "Arrows"},
    {0x2200, 0x22FF, "Mathematical Operators"},
    {0x2300, 0x23FF, "Miscellaneous Technical"},
    {0x2400, 0x243F, "Control Pictures"},
    {0x2440, 0x245F, "Optical Character Recognition"},
    {0x2460, 0x24FF, "Enclosed Alphanumerics"},
    {0x2500, 0x257F, "Box Drawing"},
    {0x2580, 0x259F, "Block Elements"},
    {0x25A0, 0x25FF, "Geometric Shapes"},
    {0x2600, 0x26FF, "Miscellaneous Symbols"},
    {0x2700, 0x27BF, "Dingbats"},
    {0x27C0, 0x27EF, "Miscellaneous Mathematical Symbols-A"},
    {0x27F0, 0x27FF, "Supplemental Arrows-A"},
    {0x2800, 0x28FF, "Braille Patterns"},
    {0x2900, 0x297F, "Supplemental Arrows-B"},
    {0x2980, 0x29FF, "Miscellaneous Mathematical Symbols-B"},
    {0x2A00, 0x2AFF, "Supplemental Mathematical Operators"},
    {0x2B00, 0x2BFF, "Miscellaneous Symbols and Arrows"},
    {0x2C00, 0x2C5F, "Glagolitic"},
    {0x2C80, 0x2CFF, "Coptic"},
    {0x2D00, 0x2D2F, "Georgian Supplement"},
    {0x2D30, 0x2D7F, "Tifinagh"},
    {0x2D80, 0x2DDF, "Ethiopic Extended"},
    {0x2E00, 0x2E7F, "Supplemental Punctuation"},
    {0x2E80, 0x2EFF, "CJK Radicals Supplement"},
    {0x2F00, 0x2FDF, "Kangxi Radicals"},
    {0x2FF0, 0x2FFF, "Ideographic Description Characters"},
    {0x3000, 0x303F, "CJK Symbols and Punctuation"},
    {0x3040, 0x309F, "Hiragana"},
    {0x30A0, 0x30FF, "Katakana"},
    {0x3100, 0x312F, "Bopomofo"},
    {0x3130, 0x318F, "Hangul Compatibility Jamo"},
    {0x3190, 0x319F, "Kanbun"},
    {0x31A0, 0x31BF, "Bopomofo Extended"},
    {0x31C0, 0x31EF, "CJK Strokes"},
    {0x31F0, 0x31FF, "Katakana Phonetic Extensions"},
    {0x3200, 0x32FF, "Enclosed CJK Letters and Months"},
    {0x3300, 0x33FF, "CJK Compatibility"},
    {0x3400, 0x4DBF, "CJK Unified Ideographs Extension A"},
    {0x4DC0, 0x4DFF, "Yijing Hexagram Symbols"},
    {0x4E00, 0x9FFF, "CJK Unified Ideographs"},
    {0xA000, 0xA48F, "Yi Syllables"},
    {0xA490, 0xA4CF, "Yi Radicals"},
    {0xA700, 0xA71F, "Modifier Tone Letters"},
    {0xA800, 0xA82F, "Syloti Nagri"},
    {0xAC00, 0xD7AF, "Hangul Syllables"},
    {0xD800, 0xDB7F, "High Surrogates"},
    {0xDB80, 0xDBFF, "High Private Use Surrogates"},
    {0xDC00, 0xDFFF, "Low Surrogates"},
    {0xE000, 0xF8FF, "Private Use Area"},
    {0xF900, 0xFAFF, "CJK Compatibility Ideographs"},
    {0xFB00, 0xFB4F, "Alphabetic Presentation Forms"},
    {0xFB50, 0xFDFF, "Arabic Presentation Forms-A"},
    {0xFE00, 0xFE0F, "Variation Selectors"},
    {0xFE10, 0xFE1F, "Vertical Forms"},
    {0xFE20, 0xFE2F, "Combining Half Marks"},
    {0xFE30, 0xFE4F, "CJK Compatibility Forms"},
    {0xFE50, 0xFE6F, "Small Form Variants"},
    {0xFE70, 0xFEFF, "Arabic Presentation Forms-B"},
    {0xFF00, 0xFFEF, "Halfwidth and Fullwidth Forms"},
};

std::int32_t UnicodeBlockOf(std::uint32_t codePoint) {
    std::int32_t lo = 0, hi = UnicodeBlockCount - 1;
    while (lo <= hi) {
        const std::int32_t mid = (lo + hi) / 2;
        if (codePoint < UnicodeBlocks[mid].First)
            hi = mid - 1;
        else if (codePoint > UnicodeBlocks[mid].Last)
            lo = mid + 1;
        else
            return mid;
    }
    return static_cast<std::int32_t>(0x80000000u);
}

bool IsPrivateUseChar(std::uint32_t codePoint) {
    return codePoint >= 0xE000 && codePoint <= 0xF8FF;
}

std::uint16_t SwapBytes16(std::uint16_t value) {
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

std::uint32_t SwapBytes32(std::uint32_t value) {
    return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

namespace {

// Tags of the font files and tables read here, as their four letters read
// big-endian.
constexpr std::uint32_t kTagCmap = 0x636D6170;  // 'cmap'
constexpr std::uint32_t kTagName = 0x6E616D65;  // 'name'
constexpr std::uint32_t kTagHead = 0x68656164;  // 'head'
constexpr std::uint32_t kTrueTypeVersion = 0x00010000;
constexpr std::uint32_t kTagOpenType = 0x4F54544F;    // 'OTTO'
constexpr std::uint32_t kTagCollection = 0x74746366;  // 'ttcf'

void AddRange(TList& list, std::uint32_t start, std::uint32_t end) {
    if (end <= 31)
        return;
    for (std::uint32_t c = std::max<std::uint32_t>(32, start); c <= end; ++c) {
        if ((c >= 128 && c <= 160) || c == 173)
            continue;
        list.Add(reinterpret_cast<void*>(static_cast<std::uintptr_t>(c)));
    }
}

}  // namespace

// The 'cmap' table (OpenType specification, "cmap — Character to Glyph
// Index Mapping Table"): the first encoding record of platform 3 (Windows)
// with encoding 0 or 1, which must lead to a format-4 subtable (segment
// mapping to delta values). Every read is checked against the table's size;
// a table that is cut short counts as missing.
void CharactersOfCmap(const std::uint8_t* data, std::size_t size, TList& list, bool& found) {
    list.Clear();
    found = false;
    // The header (version, count), an encoding record (platform, encoding,
    // offset), the format-4 header up to its end codes.
    constexpr std::size_t kHeaderSize = 4, kRecordSize = 8, kFormat4HeaderSize = 14;
    constexpr std::uint16_t kPlatformWindows = 3, kEncodingUnicodeBmp = 1, kSegmentMapping = 4;
    const TByteReader cmap(data, data != nullptr ? size : 0);
    std::size_t sub = 0;
    bool haveSub = false;
    if (cmap.HasAt(0, kHeaderSize)) {
        const std::size_t tables = cmap.U16BEAt(2);
        for (std::size_t i = 0; i < tables && cmap.HasAt(kHeaderSize + i * kRecordSize, kRecordSize); ++i) {
            const std::size_t rec = kHeaderSize + i * kRecordSize;
            if (cmap.U16BEAt(rec) == kPlatformWindows && cmap.U16BEAt(rec + 2) <= kEncodingUnicodeBmp) {
                sub = cmap.U32BEAt(rec + 4);
                haveSub = true;
                break;
            }
        }
    }
    std::vector<std::pair<std::uint32_t, std::uint32_t>> segments;
    if (haveSub && cmap.HasAt(sub, kFormat4HeaderSize) && cmap.U16BEAt(sub) == kSegmentMapping) {
        const std::size_t segCount = cmap.U16BEAt(sub + 6) / 2;
        const std::size_t ends = sub + kFormat4HeaderSize;
        const std::size_t starts = ends + segCount * 2 + 2;  // after the reserved pad
        if (cmap.HasAt(starts, segCount * 2)) {
            found = true;
            for (std::size_t i = 0; i < segCount; ++i)
                segments.emplace_back(cmap.U16BEAt(starts + i * 2), cmap.U16BEAt(ends + i * 2));
        }
    }
    if (!found)
        segments.assign(1, {0, 255});
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const bool finalSegment = found && i + 1 == segments.size() && segments[i].second == 0xFFFF;
        if (!finalSegment && segments[i].first <= segments[i].second)
            AddRange(list, segments[i].first, segments[i].second);
    }
}

void GetFontCharacters(Platform::HDC dc, TList& list, bool& found) {
    std::vector<std::uint8_t> cmap;
    Platform::GetFontData(dc, kTagCmap, cmap);
    CharactersOfCmap(cmap.data(), cmap.size(), list, found);
}

namespace {

// Reads byte ranges of a font file, every read checked.
class TFontFileReader {
public:
    explicit TFontFileReader(const std::string& path)
        : File(Platform::OpenExistingFile(path, Platform::TFileAccess::Read)) {
        if (File != Platform::kNoFile)
            Size = Platform::SeekFile(File, 0, Platform::kSeekFromEnd);
    }
    ~TFontFileReader() {
        if (File != Platform::kNoFile)
            Platform::CloseFile(File);
    }
    bool Read(std::int64_t offset, std::size_t count, std::vector<std::uint8_t>& out) {
        out.clear();
        if (File == Platform::kNoFile || offset < 0 || count > (1u << 24) ||
            offset + static_cast<std::int64_t>(count) > Size)
            return false;
        out.resize(count);
        if (Platform::SeekFile(File, offset, Platform::kSeekFromStart) != offset ||
            Platform::ReadFileBytes(File, out.data(), static_cast<std::int64_t>(count)) !=
                static_cast<std::int64_t>(count)) {
            out.clear();
            return false;
        }
        return true;
    }

private:
    Platform::TFileHandle File;
    std::int64_t Size = 0;
};

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

struct TFaceEntry {
    std::string Family;
    int Style;
    std::string File;
};

// One font at offset of the file: its family names (name id 1) and the
// style bits of its 'head' table (OpenType specification, "name" and "head").
void ReadFont(TFontFileReader& reader, std::int64_t offset, const std::string& path, std::vector<TFaceEntry>& out) {
    // The offset table, a table record, the 'head' table up to macStyle
    // and its bold and italic bits, the 'name' header and a name record.
    constexpr std::size_t kOffsetTableSize = 12, kTableRecordSize = 16;
    constexpr std::size_t kHeadSize = 54, kMacStyleAt = 44;
    constexpr int kBoldItalic = 3;
    constexpr std::size_t kNameHeaderSize = 6, kNameRecordSize = 12;
    constexpr std::uint16_t kFamilyNameId = 1, kEncodingUnicodeBmp = 1;
    std::vector<std::uint8_t> header, dir, name, head;
    if (!reader.Read(offset, kOffsetTableSize, header))
        return;
    const std::size_t tables = TByteReader(header.data(), header.size()).U16BEAt(4);
    if (!reader.Read(offset + kOffsetTableSize, tables * kTableRecordSize, dir))
        return;
    const TByteReader directory(dir.data(), dir.size());
    std::uint32_t nameAt = 0, nameLength = 0, headAt = 0;
    for (std::size_t i = 0; i < tables; ++i) {
        const std::size_t rec = i * kTableRecordSize;
        const std::uint32_t tag = directory.U32BEAt(rec);
        if (tag == kTagName) {
            nameAt = directory.U32BEAt(rec + 8);
            nameLength = directory.U32BEAt(rec + 12);
        } else if (tag == kTagHead) {
            headAt = directory.U32BEAt(rec + 8);
        }
    }
    int style = 0;
    if (headAt != 0 && reader.Read(headAt, kHeadSize, head))
        style = TByteReader(head.data(), head.size()).U16BEAt(kMacStyleAt) & kBoldItalic;
    if (nameAt == 0 || !reader.Read(nameAt, nameLength, name) || name.size() < kNameHeaderSize)
        return;
    const TByteReader names(name.data(), name.size());
    const std::size_t count = names.U16BEAt(2);
    const std::size_t strings = names.U16BEAt(4);
    std::set<std::string> seen;
    for (std::size_t i = 0; i < count && names.HasAt(kNameHeaderSize + i * kNameRecordSize, kNameRecordSize); ++i) {
        const std::size_t rec = kNameHeaderSize + i * kNameRecordSize;
        if (names.U16BEAt(rec + 6) != kFamilyNameId)
            continue;
        const TByteReader text = names.SubAt(strings + names.U16BEAt(rec + 10), names.U16BEAt(rec + 8));
        if (text.Failed())
            continue;
        std::string family;
        if (names.U16BEAt(rec + 2) == kEncodingUnicodeBmp) {
            std::u16string wide;
            for (std::size_t k = 0; text.HasAt(k, 2); k += 2)
                wide += static_cast<char16_t>(text.U16BEAt(k));
            family = Platform::Utf16ToUtf8(wide);
        } else {
            family.assign(reinterpret_cast<const char*>(text.Data()), text.Size());
        }
        family = Trim(family);
        if (!family.empty() && seen.insert(family).second)
            out.push_back({family, style, path});
    }
}

}  // namespace

void ScanFontFileList(const TStringList& paths, TStringList& names, TStringList& files) {
    names.Clear();
    files.Clear();
    std::vector<TFaceEntry> faces;
    for (std::int32_t i = 0; i < paths.Count; ++i) {
        const std::string path = paths.GetString(i);
        TFontFileReader reader(path);
        std::vector<std::uint8_t> tag;
        if (!reader.Read(0, 12, tag))
            continue;
        const TByteReader start(tag.data(), tag.size());
        const std::uint32_t version = start.U32BEAt(0);
        if (version == kTrueTypeVersion || version == kTagOpenType) {
            ReadFont(reader, 0, path, faces);
        } else if (version == kTagCollection) {
            const std::uint32_t fonts = start.U32BEAt(8);
            std::vector<std::uint8_t> offsets;
            if (fonts < 4096 && reader.Read(12, fonts * 4, offsets)) {
                const TByteReader fontOffsets(offsets.data(), offsets.size());
                for (std::uint32_t k = 0; k < fonts; ++k)
                    ReadFont(reader, fontOffsets.U32BEAt(k * 4), path, faces);
            }
        }
    }
    // Per family the file of each style; the first file found wins.
    std::map<std::string, std::map<int, std::string>> byFamily;
    for (const TFaceEntry& f : faces)
        byFamily[f.Family].emplace(f.Style, f.File);
    for (const auto& [family, styles] : byFamily)
        names.Add(family);
    names.Sort();
    for (std::int32_t i = 0; i < names.Count; ++i) {
        const auto& styles = byFamily[names.GetString(i)];
        names.SetObject(i, reinterpret_cast<void*>(static_cast<std::intptr_t>(files.Count)));
        const std::string& lowest = styles.begin()->second;
        for (int style = 0; style < 4; ++style) {
            auto it = styles.find(style);
            const std::int32_t at = files.Add(it != styles.end() ? it->second : lowest);
            files.SetObject(at, reinterpret_cast<void*>(static_cast<std::intptr_t>(style)));
        }
    }
}

void ScanFontFiles(TStringList& names, TStringList& files) {
    TStringList paths;
    for (const std::string& path : Platform::InstalledFontFiles())
        paths.Add(path);
    ScanFontFileList(paths, names, files);
}

void CharFormatToLogFont(const TCharFormat& format, Platform::TLogFont& out) {
    out = Platform::TLogFont{};
    out.Height = format[caSize];
    out.Weight = format[caBold] > 0 ? 700 : 400;
    out.Italic = format[caItalic] > 0;
    out.Underline = format[caUnderline] > 0;
    out.StrikeOut = format[caStrike] > 0;
    const TFontManager* manager = FontManager;
    const std::int32_t index = format[caFont];
    if (manager == nullptr || index < 0 || index >= manager->RegFonts.Count)
        return;
    const TRegFont* font = manager->RegFont(index);
    out.Charset = static_cast<std::uint8_t>(font->Charset);
    std::string face = font->Installed && font->Family >= 0 ? manager->FamilyAt(font->Family)->Name
                                                            : manager->GetSubstitute(font->Name, false);
    if (face.size() > 31) {
        std::size_t n = 31;
        while (n > 0 && (static_cast<unsigned char>(face[n]) & 0xC0) == 0x80)
            --n;
        face.resize(n);
    }
    out.FaceName = face;
}
