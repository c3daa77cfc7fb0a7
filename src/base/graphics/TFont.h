#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/graphics/Colors.h"
#include "base/graphics/TGraphicsObject.h"
#include "platform/GdiTypes.h"

// Font styles (bits of TFontData::Styles).
enum : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// The shared description of a font. Name is a length byte followed by up
// to 31 bytes of the face name (UTF-8).
struct TFontData {
    Platform::HFONT Handle;
    std::int32_t Height;  // pixels; negative = character height
    std::uint8_t Styles;
    std::uint8_t Charset;
    char Name[32];
    std::uint8_t Spare[2];  // explicit, so that copies keep every byte compared
};

class TFont : public TGraphicsObject {
public:
    TFont();
    ~TFont() override;

    // Shares the record of an object of the same kind; other sources go to
    // the inherited assignment.
    void Assign(const TPersistent* source) override;

    TFontData GetData() const;  // handle field 0
    void SetData(const TFontData& data);
    // Takes the description of an existing font; the record keeps the handle
    // (and deletes it with the record).
    void SetHandle(Platform::HFONT font);
    // The drawing font, made on first use.
    Platform::HFONT Handle();

    TColor GetColor() const { return Color; }
    void SetColor(TColor color);
    std::int32_t GetHeight() const;
    void SetHeight(std::int32_t height);
    std::string GetFaceName() const;
    void SetFaceName(const char* name);  // nil is ignored; cut to 31 bytes
    std::int32_t GetPointSize() const;
    void SetPointSize(std::int32_t points);
    std::uint8_t GetStyles() const;
    void SetStyles(std::uint8_t styles);
    std::uint8_t GetCharset() const;
    void SetCharset(std::uint8_t charset);

    TColor Color = clWindowText;
};

// The record every font starts from: 8 points, no styles, the default
// character set, "MS Shell Dlg 2".
const TFontData& DefaultFontData();
// Stores a face name into a record's name field, cut to 31 bytes without
// splitting a UTF-8 sequence.
void SetFontDataName(TFontData& data, std::string_view name);
std::string FontDataName(const TFontData& data);

void SetFontCharsetForLanguage(TFont& font, std::uint16_t languageId);
