// Text output. Glyphs are placed by our own advances (or the caller's
// advance array), never by Cairo's, so painted text lands exactly where it
// was measured.

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/cairo/GdiObjects.h"

namespace Platform {
namespace {

struct TRun {
    std::vector<cairo_glyph_t> Glyphs;
    std::int32_t Width = 0;
};

// Positions the characters from pen x 0 on baseline 0. advances[i] belongs
// to characters[i]; a null array takes the font's advances.
TRun Layout(TFontObject* font, const std::u32string& characters, const std::vector<std::int32_t>* advances) {
    TRun run;
    run.Glyphs.reserve(characters.size());
    std::int32_t x = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const TFontObject::TGlyph g = font->Glyph(characters[i]);
        if (g.Index != 0 || characters[i] >= 0x20)
            run.Glyphs.push_back({g.Index, static_cast<double>(x), 0.0});
        x += advances != nullptr ? (*advances)[i] : g.Advance;
    }
    run.Width = x;
    return run;
}

// Text along a turned baseline (a font with an escapement): the same glyph
// positions, turned about the reference point. Only an opaque rectangle is
// filled; the background box and the lines of underlined text are left out.
bool OutputRotated(HDC dc,
                   std::int32_t x,
                   std::int32_t y,
                   std::uint32_t options,
                   const TRect* rect,
                   TFontObject* font,
                   TRun& run) {
    const TTextMetrics& m = font->Metrics;
    if (dc->Bitmap == nullptr)
        return true;
    double along = 0;
    if ((dc->TextAlign & TA_CENTER) == TA_CENTER)
        along = -run.Width / 2;
    else if (dc->TextAlign & TA_RIGHT)
        along = -run.Width;
    double across = m.Ascent;
    if ((dc->TextAlign & TA_BASELINE) == TA_BASELINE)
        across = 0;
    else if (dc->TextAlign & TA_BOTTOM)
        across = -m.Descent;
    const bool clipped = rect != nullptr && (options & ETO_CLIPPED) != 0;
    const TRect clipArea = clipped ? *rect : TRect{0, 0, dc->Bitmap->Width, dc->Bitmap->Height};
    if (rect != nullptr && (options & ETO_OPAQUE) != 0) {
        const std::uint32_t back =
            dc->Bitmap->Mono ? MonoOf(ColorRefToPixel(dc->BkColor)) : ColorRefToPixel(dc->BkColor);
        for (const TRect& r : dc->ClipRects(Intersect(*rect, clipArea)))
            for (std::int32_t row = r.Top; row < r.Bottom; ++row)
                std::fill(dc->Bitmap->Row(row) + r.Left, dc->Bitmap->Row(row) + r.Right, back);
    }
    cairo_scaled_font_t* scaled = font->ScaledFont();
    if (scaled == nullptr || run.Glyphs.empty())
        return true;
    cairo_t* cr = dc->BeginCairo(&clipArea);
    if (cr == nullptr)
        return true;
    std::uint32_t ink = ColorRefToPixel(dc->TextColor);
    if (dc->Bitmap->Mono)
        ink = MonoOf(ink);
    const double angle = font->Log.Escapement / 10.0 * M_PI / 180.0;
    cairo_translate(cr, x, y);
    cairo_rotate(cr, -angle);
    // A scaled font of its own for the turned transformation, made and let go
    // here: the font's own scaled font stays upright.
    cairo_matrix_t fontMatrix, ctm;
    cairo_scaled_font_get_font_matrix(scaled, &fontMatrix);
    cairo_get_matrix(cr, &ctm);
    ctm.x0 = ctm.y0 = 0;
    cairo_font_options_t* fontOptions = cairo_font_options_create();
    cairo_scaled_font_get_font_options(scaled, fontOptions);
    cairo_scaled_font_t* turned =
        cairo_scaled_font_create(cairo_scaled_font_get_font_face(scaled), &fontMatrix, &ctm, fontOptions);
    cairo_font_options_destroy(fontOptions);
    cairo_set_scaled_font(cr, turned);
    cairo_scaled_font_destroy(turned);
    for (cairo_glyph_t& g : run.Glyphs) {
        g.x += along;
        g.y = across;
    }
    cairo_set_source_rgb(cr, ((ink >> 16) & 0xFF) / 255.0, ((ink >> 8) & 0xFF) / 255.0, (ink & 0xFF) / 255.0);
    cairo_show_glyphs(cr, run.Glyphs.data(), static_cast<int>(run.Glyphs.size()));
    const std::int32_t reach = run.Width + m.Height + m.MaxCharWidth;
    dc->EndCairo(cr, {x - reach, y - reach, x + reach, y + reach});
    return true;
}

bool Output(HDC dc,
            std::int32_t x,
            std::int32_t y,
            std::uint32_t options,
            const TRect* rect,
            const std::u32string& characters,
            const std::vector<std::int32_t>* advances) {
    if (dc == nullptr)
        return false;
    TFontObject* font = dc->FontOrStock();
    if (dc->Recorder != nullptr) {
        // The recording keeps the advances the text would be painted with,
        // so playing it back places every glyph where it is placed here.
        std::vector<std::int32_t> placed;
        placed.reserve(characters.size());
        for (std::size_t i = 0; i < characters.size(); ++i)
            placed.push_back(advances != nullptr ? (*advances)[i] : font->Glyph(characters[i]).Advance);
        dc->Recorder->Text(*dc, x, y, options, rect, characters, placed);
        return true;
    }
    TRun run = Layout(font, characters, advances);
    const TTextMetrics& m = font->Metrics;
    if (font->Log.Escapement % 3600 != 0)
        return OutputRotated(dc, x, y, options, rect, font, run);

    if ((dc->TextAlign & TA_CENTER) == TA_CENTER)
        x -= run.Width / 2;
    else if (dc->TextAlign & TA_RIGHT)
        x -= run.Width;
    std::int32_t baseline = y + m.Ascent;
    if ((dc->TextAlign & TA_BASELINE) == TA_BASELINE)
        baseline = y;
    else if (dc->TextAlign & TA_BOTTOM)
        baseline = y - m.Descent;
    const std::int32_t top = baseline - m.Ascent;

    if (dc->Bitmap == nullptr)
        return true;  // the screen context measures only
    const bool clipped = rect != nullptr && (options & ETO_CLIPPED) != 0;
    const TRect clipArea = clipped ? *rect : TRect{0, 0, dc->Bitmap->Width, dc->Bitmap->Height};
    const std::uint32_t back = dc->Bitmap->Mono ? MonoOf(ColorRefToPixel(dc->BkColor)) : ColorRefToPixel(dc->BkColor);
    auto fill = [&](const TRect& area, std::uint32_t px) {
        for (const TRect& r : dc->ClipRects(Intersect(area, clipArea)))
            for (std::int32_t row = r.Top; row < r.Bottom; ++row)
                std::fill(dc->Bitmap->Row(row) + r.Left, dc->Bitmap->Row(row) + r.Right, px);
    };
    if (rect != nullptr && (options & ETO_OPAQUE) != 0)
        fill(*rect, back);
    else if (dc->BkMode == OPAQUE)
        fill({x, top, x + run.Width, top + m.Height}, back);

    std::uint32_t ink = ColorRefToPixel(dc->TextColor);
    if (dc->Bitmap->Mono)
        ink = MonoOf(ink);
    cairo_scaled_font_t* scaled = font->ScaledFont();
    if (scaled != nullptr && !run.Glyphs.empty()) {
        cairo_t* cr = dc->BeginCairo(&clipArea);
        if (cr != nullptr) {
            for (cairo_glyph_t& g : run.Glyphs) {
                g.x += x;
                g.y = baseline;
            }
            cairo_set_scaled_font(cr, scaled);
            cairo_set_source_rgb(cr, ((ink >> 16) & 0xFF) / 255.0, ((ink >> 8) & 0xFF) / 255.0, (ink & 0xFF) / 255.0);
            cairo_show_glyphs(cr, run.Glyphs.data(), static_cast<int>(run.Glyphs.size()));
            if (font->SynthBold) {
                // Simulated bold overstrikes each glyph a little to the right.
                for (cairo_glyph_t& g : run.Glyphs)
                    g.x += font->BoldOffset;
                cairo_show_glyphs(cr, run.Glyphs.data(), static_cast<int>(run.Glyphs.size()));
            }
            dc->EndCairo(cr, {x - m.MaxCharWidth, top, x + run.Width + m.MaxCharWidth, top + m.Height});
        }
    }
    if (font->Log.Underline)
        fill({x, baseline + font->UnderlineTop, x + run.Width, baseline + font->UnderlineTop + font->UnderlineSize},
             ink);
    if (font->Log.StrikeOut)
        fill({x, baseline - font->StrikeoutTop, x + run.Width, baseline - font->StrikeoutTop + font->StrikeoutSize},
             ink);
    return true;
}

std::u32string FromWide(std::u16string_view text, const std::int32_t* dx, std::vector<std::int32_t>& advances) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        std::int32_t advance = dx != nullptr ? dx[i] : 0;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
            if (dx != nullptr)
                advance += dx[i];
        }
        out.push_back(c);
        advances.push_back(advance);
    }
    return out;
}

}  // namespace

bool TextOut(HDC dc, std::int32_t x, std::int32_t y, std::string_view text) {
    return ExtTextOut(dc, x, y, 0, nullptr, text, nullptr);
}

bool TextOutW(HDC dc, std::int32_t x, std::int32_t y, std::u16string_view text) {
    return ExtTextOutW(dc, x, y, 0, nullptr, text, nullptr);
}

bool ExtTextOut(HDC dc,
                std::int32_t x,
                std::int32_t y,
                std::uint32_t options,
                const TRect* rect,
                std::string_view text,
                const std::int32_t* dx) {
    if (dc == nullptr)
        return false;
    TFontObject* font = dc->FontOrStock();
    const std::u32string characters = font->DecodeBytes(text);
    std::vector<std::int32_t> advances;
    // Advances belong to bytes; a multi-byte character set that decodes to
    // fewer characters keeps the font's own advances.
    if (dx != nullptr && characters.size() == text.size())
        advances.assign(dx, dx + text.size());
    return Output(dc, x, y, options, rect, characters, advances.empty() && !text.empty() ? nullptr : &advances);
}

bool ExtTextOutW(HDC dc,
                 std::int32_t x,
                 std::int32_t y,
                 std::uint32_t options,
                 const TRect* rect,
                 std::u16string_view text,
                 const std::int32_t* dx) {
    if (dc == nullptr)
        return false;
    std::vector<std::int32_t> advances;
    const std::u32string characters = FromWide(text, dx, advances);
    return Output(dc, x, y, options, rect, characters, dx != nullptr ? &advances : nullptr);
}

}  // namespace Platform
