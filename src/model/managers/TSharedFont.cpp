#include "model/managers/TSharedFont.h"

#include "base/text/CompareLocale.h"
#include "model/managers/FontData.h"
#include "model/managers/TFontManager.h"
#include "platform/DeviceContexts.h"

bool SharedFontFormatsMatch(const TCharFormat& a, const TCharFormat& b) {
    if (a[caFont] != b[caFont] || a[caSize] != b[caSize] || a[caScale] != b[caScale])
        return false;
    for (int attr = caBold; attr <= caUnderline; ++attr)
        if (a[attr] != b[attr])
            return false;
    return true;
}

namespace {

Platform::HFONT Make(const Platform::TLogFont& lf, Platform::HDC dc, Platform::TTextMetrics& metrics) {
    Platform::HFONT font = Platform::CreateFontIndirect(lf);
    const TFontManagerHooks& hooks = FontManagerHooks();
    if (hooks.AddEntropy)
        hooks.AddEntropy(reinterpret_cast<std::uintptr_t>(font));
    Platform::SelectFont(dc, font);
    Platform::GetTextMetrics(dc, metrics);
    return font;
}

}  // namespace

TSharedFont::TSharedFont(TFontManager& manager,
                         const TCharFormat& format,
                         bool quiet,
                         Platform::HDC dc,
                         std::int32_t deviceHeight)
    : Format(format) {
    Format[caSize] = deviceHeight;
    // A format whose font index is not registered draws in Arial rather
    // than reading outside the font list.
    if (Format[caFont] < 0 || Format[caFont] >= manager.RegFonts.Count)
        Format[caFont] = manager.ArialFont >= 0 ? manager.ArialFont : 0;
    TCharFormat logical = Format;
    const TRegFont* reg = manager.RegFonts.Count > 0 ? manager.RegFont(logical[caFont]) : nullptr;
    const bool installed = reg != nullptr && reg->Installed && reg->Family >= 0;
    std::string wanted;
    bool resolved = true;
    if (installed) {
        wanted = manager.FamilyAt(reg->Family)->Name;
    } else if (reg != nullptr) {
        wanted = reg->Name;
        resolved = !manager.GetSubstitute(reg->Name, true).empty();
    }

    Platform::TLogFont lf;
    CharFormatToLogFont(logical, lf);
    lf.Height = deviceHeight;
    lf.Underline = false;
    lf.StrikeOut = false;
    if (reg != nullptr)
        lf.Charset = static_cast<std::uint8_t>(reg->CreateCharset);
    const std::int32_t familyCharset = installed ? manager.FamilyAt(reg->Family)->Charset : -1;
    if (familyCharset == 128 || familyCharset == 134 || familyCharset == 136)
        lf.Charset = Platform::DEFAULT_CHARSET;

    Handle = Make(lf, dc, Metrics);
    const std::int32_t scale = Format[caScale];
    if (scale != 100 && scale > 0) {
        lf.Width = std::max(1, Metrics.AveCharWidth * scale / 100);
        Platform::HFONT previous = Handle;
        Handle = Make(lf, dc, Metrics);
        Platform::DeleteFont(previous);
    }
    auto remake = [&] {
        Platform::HFONT previous = Handle;
        Handle = Make(lf, dc, Metrics);
        Platform::DeleteFont(previous);
    };
    std::string face = Platform::GetTextFace(dc).substr(0, 32);
    if (CompareTextLocale(face, wanted) == 0) {
        if (!resolved) {
            lf.FaceName = FallbackFace;
            remake();
        }
    } else {
        const bool otherSet = lf.Charset != 0 && lf.Charset != 1 && !resolved;
        const bool westernOfInstalled = lf.Charset == 0 && installed && familyCharset != 2;
        const bool again = otherSet || westernOfInstalled;
        if (again) {
            lf.Charset = Platform::DEFAULT_CHARSET;
            remake();
            face = Platform::GetTextFace(dc).substr(0, 32);
        }
        if (!quiet && CompareTextLocale(face, lf.FaceName) != 0 && manager.SeenFaceRequested.IndexOf(lf.FaceName) < 0) {
            manager.SeenFaceRequested.Add(lf.FaceName);
            manager.SeenFaceActual.Add(face);
        }
    }
    Descent = Metrics.Descent + Metrics.ExternalLeading;
    Height = Descent + Metrics.Ascent;
    if (!Platform::GetCharWidths(dc, 0, 255, Widths)) {
        for (int c = 255; c >= 0; --c) {
            std::int32_t w = 0;
            Widths[c] =
                Platform::GetCharWidths(dc, static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(c), &w) ? w : 0;
        }
    }
}

TSharedFont::~TSharedFont() {
    Platform::DeleteFont(Handle);
}

std::int32_t TSharedFont::TextWidth(std::string_view text) const {
    std::int32_t width = 0;
    for (unsigned char c : text)
        width += Widths[c];
    return width;
}
