#include "base/graphics/TFont.h"

#include "base/text/Charsets.h"

#include <cstring>

#include "base/core/Geometry.h"
#include "base/graphics/Graphics.h"
#include "base/graphics/TResourceMan.h"
#include "platform/Fonts.h"

namespace {

const TFontData& Record(const TResource* node) {
    return *reinterpret_cast<const TFontData*>(node->Data.data());
}

}  // namespace

const TFontData& DefaultFontData() {
    static const TFontData data = [] {
        TFontData d;
        std::memset(&d, 0, sizeof d);  // spare bytes take part in comparisons
        d.Height = -MulDiv(8, ScreenPixelsPerInch(), 72);
        d.Charset = 1;
        SetFontDataName(d, "MS Shell Dlg 2");
        return d;
    }();
    return data;
}

void SetFontDataName(TFontData& data, std::string_view name) {
    std::size_t n = std::min<std::size_t>(name.size(), 31);
    // Never cut inside a UTF-8 sequence.
    if (n < name.size())
        while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80)
            --n;
    std::memset(data.Name, 0, sizeof data.Name);
    data.Name[0] = static_cast<char>(n);
    std::memcpy(data.Name + 1, name.data(), n);
}

std::string FontDataName(const TFontData& data) {
    return std::string(data.Name + 1, static_cast<unsigned char>(data.Name[0]));
}

TFont::TFont() {
    Resource = FontResources().Acquire(&DefaultFontData());
}

TFont::~TFont() {
    FontResources().Release(Resource);
}

void TFont::Assign(const TPersistent* source) {
    if (const auto* font = dynamic_cast<const TFont*>(source)) {
        FontResources().Share(*this, font->Resource);
        SetColor(font->Color);
        return;
    }
    TGraphicsObject::Assign(source);
}

TFontData TFont::GetData() const {
    TFontData d = Record(Resource);
    d.Handle = nullptr;
    return d;
}

void TFont::SetData(const TFontData& data) {
    FontResources().ChangeTo(*this, &data);
}

void TFont::SetHandle(Platform::HFONT font) {
    Platform::TLogFont lf;
    if (!Platform::GetLogFont(font, lf))
        return;
    TFontData d = DefaultFontData();
    d.Height = lf.Height;
    d.Styles = static_cast<std::uint8_t>((lf.Weight > 699 ? fsBold : 0) | (lf.Italic ? fsItalic : 0) |
                                         (lf.Underline ? fsUnderline : 0) | (lf.StrikeOut ? fsStrikeOut : 0));
    d.Charset = lf.Charset;
    SetFontDataName(d, lf.FaceName);
    d.Handle = font;
    SetData(d);
}

Platform::HFONT TFont::Handle() {
    if (Resource->Handle == nullptr) {
        const TFontData& d = Record(Resource);
        Platform::TLogFont lf;
        lf.Height = d.Height;
        lf.Weight = (d.Styles & fsBold) ? 700 : 400;
        lf.Italic = (d.Styles & fsItalic) != 0;
        lf.Underline = (d.Styles & fsUnderline) != 0;
        lf.StrikeOut = (d.Styles & fsStrikeOut) != 0;
        lf.Charset = d.Charset;
        lf.FaceName = FontDataName(d);
        if (lf.FaceName == "Default")
            lf.FaceName = FontDataName(DefaultFontData());
        Resource->Handle = Platform::CreateFontIndirect(lf);
    }
    return static_cast<Platform::HFONT>(Resource->Handle);
}

void TFont::SetColor(TColor color) {
    if (color != Color) {
        Color = color;
        Changed();
    }
}

std::int32_t TFont::GetHeight() const {
    return Record(Resource).Height;
}

void TFont::SetHeight(std::int32_t height) {
    TFontData d = GetData();
    d.Height = height;
    SetData(d);
}

std::string TFont::GetFaceName() const {
    return FontDataName(Record(Resource));
}

void TFont::SetFaceName(const char* name) {
    if (name == nullptr)
        return;
    TFontData d = GetData();
    SetFontDataName(d, name);
    SetData(d);
}

std::int32_t TFont::GetPointSize() const {
    return -MulDiv(GetHeight(), 72, ScreenPixelsPerInch());
}

void TFont::SetPointSize(std::int32_t points) {
    SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72));
}

std::uint8_t TFont::GetStyles() const {
    return Record(Resource).Styles;
}

void TFont::SetStyles(std::uint8_t styles) {
    TFontData d = GetData();
    d.Styles = styles & 0x0F;
    SetData(d);
}

std::uint8_t TFont::GetCharset() const {
    return Record(Resource).Charset;
}

void TFont::SetCharset(std::uint8_t charset) {
    TFontData d = GetData();
    d.Charset = charset;
    SetData(d);
}

void SetFontCharsetForLanguage(TFont& font, std::uint16_t languageId) {
    font.SetCharset(LanguageCharset(languageId, false));
}
