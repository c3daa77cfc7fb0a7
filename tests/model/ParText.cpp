#include "ParText.h"

#include <stdexcept>

#include "base/core/ObjectHandles.h"
#include "model/document/TSection.h"
#include "model/fields/TField.h"
#include "model/formats/FormatStream.h"
#include "model/formats/TShape.h"
#include "model/managers/TAutoList.h"
#include "model/paragraphs/TPar.h"

namespace ParText {

namespace {

const char* const AttrNames[CharAttrCount] = {"font",    "size",    "b",       "i",         "strike",    "dstrike",
                                              "ul",      "ulcolor", "cs",      "smallcaps", "caps",      "shadow",
                                              "outline", "emboss",  "engrave", "color",     "highlight", "script",
                                              "scale",   "spacing", "offset",  "kern",      "lang"};

struct TSpecial {
    const char* Name;
    std::uint8_t Code;
};
const TSpecial Specials[] = {{"par", 2},      {"col", 6},     {"line", 7},    {"page", 8},    {"tab", 9},
                             {"nbsp", 11},    {"nbhyph", 12}, {"emdash", 13}, {"endash", 14}, {"shy", 15},
                             {"noteref", 16}, {"ensp", 18},   {"emsp", 19},   {"qsp", 20}};

[[noreturn]] void Fail(const std::string& what) {
    throw std::invalid_argument(std::string("paragraph description: ").append(what));
}

}  // namespace

TObjects::TObjects() : DocPtr(std::make_unique<TDoc>()) {
    // The tests describe every paragraph themselves: start from none.
    DocPtr->Pars.FreeItems<TPar>();
    DocPtr->StoryCounts[0] = 0;
}

TObjects::~TObjects() = default;

void TObjects::Register(const std::string& name, const void* object) {
    Handles[name] = static_cast<std::int32_t>(ObjectHandle(object));
}

TField& TObjects::Field(const std::string& name, std::uint8_t kind, std::uint8_t type) {
    auto* f = new TField;
    f->Kind = kind;
    f->Type = type;
    DocPtr->Fields.Add(f);
    Register(name, f);
    return *f;
}

TSection& TObjects::Section(const std::string& name) {
    auto* s = new TSection(DocPtr.get());
    DocPtr->Sections.Add(s);
    Register(name, s);
    return *s;
}

TShape& TObjects::Shape(const std::string& name) {
    auto* s = new TShape(DocPtr.get());
    DocPtr->Shapes.Add(s);
    Register(name, s);
    return *s;
}

TAutoList& TObjects::List(const std::string& name) {
    auto* l = new TAutoList;
    DocPtr->Lists.Add(l);
    Register(name, l);
    return *l;
}

std::int32_t TObjects::HandleOf(const std::string& name) const {
    auto found = Handles.find(name);
    if (found == Handles.end())
        Fail(std::string("unknown object ").append(name));
    return found->second;
}

std::string TObjects::NameOf(std::int32_t handle) const {
    for (const auto& [name, h] : Handles)
        if (h == handle)
            return name;
    return std::string("#").append(std::to_string(handle));
}

void Build(std::string_view d, const TObjects& objects, TMemory& stream, TMemory& chars) {
    stream.Clear();
    chars.Clear();
    std::size_t i = 0;
    while (i < d.size()) {
        if (d[i] != '{') {
            if (d[i] == '}')
                Fail("stray }");
            stream.AppendByte(static_cast<std::uint8_t>(d[i]));
            chars.AppendByte(static_cast<std::uint8_t>(d[i]));
            ++i;
            continue;
        }
        const std::size_t close = d.find('}', i);
        if (close == std::string_view::npos)
            Fail("missing }");
        const std::string_view token = d.substr(i + 1, close - i - 1);
        i = close + 1;
        const std::size_t colon = token.find(':');
        const std::string name(token.substr(0, colon));
        const std::string arg(colon == std::string_view::npos ? "" : token.substr(colon + 1));

        if (name == "truncated") {
            const std::uint8_t cut[3] = {0, 2, 1};
            stream.AppendBuffer(cut, 3);
            continue;
        }
        bool done = false;
        for (int a = 0; a < CharAttrCount && !done; ++a)
            if (name == AttrNames[a]) {
                AppendFormatControl(stream, static_cast<std::uint8_t>(a), std::stoi(arg));
                done = true;
            }
        for (const TSpecial& s : Specials)
            if (!done && name == s.Name) {
                AppendFormatControl(stream, fcSpecialChar, s.Code);
                chars.AppendByte(s.Code);
                done = true;
            }
        if (done)
            continue;
        if (name == "u") {
            AppendFormatControl(stream, fcUnicodeChar, std::stoi(arg, nullptr, 16));
            chars.AppendByte(chUnicode);
        } else if (name == "sect") {
            AppendFormatControl(stream, fcSectionBreak, objects.HandleOf(arg));
            chars.AppendByte(chSectionBreak);
        } else if (name == "cell") {
            AppendFormatControl(stream, fcCellEnd, 0);
            chars.AppendByte(chCellEnd);
        } else if (name == "row") {
            AppendFormatControl(stream, fcRowEnd, 0);
            chars.AppendByte(chRowEnd);
        } else if (name == "shape") {
            AppendFormatControl(stream, fcShapeAnchor, objects.HandleOf(arg));
            chars.AppendByte(chShapeAnchor);
        } else if (name == "fs") {
            AppendFormatControl(stream, fcFieldStart, objects.HandleOf(arg));
        } else if (name == "fe") {
            AppendFormatControl(stream, fcFieldEnd, objects.HandleOf(arg));
        } else {
            Fail(std::string("unknown control ").append(name));
        }
    }
}

std::unique_ptr<TPar> MakePar(std::string_view description, TObjects& objects) {
    auto par = std::make_unique<TPar>(&objects.Doc());
    Build(description, objects, par->Stream, par->Chars);
    return par;
}

TPar& AddPar(std::string_view description, TObjects& objects) {
    TPar* par = MakePar(description, objects).release();
    par->Index = objects.Doc().Pars.Count;
    objects.Doc().Pars.Add(par);
    objects.Doc().StoryCounts[0] += 1;
    return *par;
}

namespace {

// "{name:value}"; built by appending (g++ 12 warns falsely on "{" + string).
std::string Token(std::string_view name, std::string_view value = {}) {
    std::string t("{");
    t.append(name);
    if (!value.empty())
        t.append(":").append(value);
    return t.append("}");
}

}  // namespace

std::string Describe(const TMemory& stream, const TObjects& objects) {
    std::string out;
    std::int32_t i = 0;
    while (i < stream.Size) {
        const std::uint8_t b = stream.Data[i];
        if (b != 0) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        if (stream.Size - i < FormatControlSize) {
            out += Token("truncated");
            break;
        }
        const std::uint8_t code = stream.Data[i + 1];
        const std::int32_t value = FormatControlValue(stream.Data + i);
        i += FormatControlSize;
        if (code < CharAttrCount) {
            out += Token(AttrNames[code], std::to_string(value));
            continue;
        }
        switch (code) {
            case fcSpecialChar: {
                std::string name = std::string("special:").append(std::to_string(value));
                for (const TSpecial& s : Specials)
                    if (s.Code == value)
                        name = s.Name;
                out += Token(name);
                break;
            }
            case fcUnicodeChar: {
                char hex[16];
                std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(value & 0xFFFF));
                out += Token("u", hex);
                break;
            }
            case fcSectionBreak:
                out += Token("sect", objects.NameOf(value));
                break;
            case fcCellEnd:
                out += Token("cell");
                break;
            case fcRowEnd:
                out += Token("row");
                break;
            case fcShapeAnchor:
                out += Token("shape", objects.NameOf(value));
                break;
            case fcFieldStart:
                out += Token("fs", objects.NameOf(value));
                break;
            case fcFieldEnd:
                out += Token("fe", objects.NameOf(value));
                break;
            default:
                out += Token(std::string("code").append(std::to_string(code)), std::to_string(value));
        }
    }
    return out;
}

std::string ExpectedChars(const TMemory& stream) {
    std::string chars;
    std::int32_t i = 0;
    while (i < stream.Size) {
        const std::uint8_t b = stream.Data[i];
        if (b != 0) {
            chars.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        if (stream.Size - i < FormatControlSize)
            break;
        const std::uint8_t code = stream.Data[i + 1];
        const std::uint8_t low = stream.Data[i + 2];
        static const std::uint8_t ByCode[] = {0, 17, 3, 4, 5, 10};  // codes 23 .. 28
        if (code == 23)
            chars.push_back(static_cast<char>(low));
        else if (code >= 24 && code <= 28)
            chars.push_back(static_cast<char>(ByCode[code - 23]));
        i += FormatControlSize;
    }
    return chars;
}

}  // namespace ParText
