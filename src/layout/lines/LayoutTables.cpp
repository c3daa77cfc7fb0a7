#include "layout/lines/LineLayout.h"

#include <algorithm>

#include "base/graphics/PixelSixteenths.h"
#include "base/graphics/TwipsAndPixels.h"
#include "model/document/DocSixteenths.h"
#include "model/document/TDoc.h"
#include "model/formats/FormatStream.h"
#include "model/paragraphs/TPar.h"
#include "platform/DeviceContexts.h"

TBreakerState Breaker;

namespace {

constexpr std::array<bool, 256> MakeBreakAfter() {
    std::array<bool, 256> t{};
    for (int c : {9, 13, 14, 15, 18, 19, 20, 32, 45})
        t[c] = true;
    return t;
}

constexpr std::array<std::uint8_t, 256> MakeMarkGlyphs() {
    std::array<std::uint8_t, 256> t{};
    t[2] = 182;
    t[4] = 164;
    t[5] = 164;
    t[11] = 176;
    t[12] = 150;
    t[13] = 151;
    t[14] = 150;
    t[15] = 45;
    return t;
}

constexpr std::array<bool, 256> MakeWordSeparators() {
    std::array<bool, 256> t{};
    const auto range = [&t](int from, int to) {
        for (int c = from; c <= to; ++c)
            t[c] = true;
    };
    range(2, 14);
    range(18, 20);
    range(32, 37);
    range(40, 47);
    range(58, 64);
    range(91, 95);
    range(123, 126);
    for (int c : {16, 128, 130, 132, 133, 147, 148, 153, 169, 171, 174, 187})
        t[c] = true;
    return t;
}

}  // namespace

const std::array<bool, 256> BreakAfterChars = MakeBreakAfter();
const std::array<std::uint8_t, 256> MarkGlyphs = MakeMarkGlyphs();
const std::array<bool, 256> WordSeparatorChars = MakeWordSeparators();

Platform::HDC LayoutDC() {
    static Platform::HDC dc = Platform::CreateCompatibleDC(nullptr);
    return dc;
}

// While a line is measured again at the zoom, the same conversions give
// pixels at the zoom, so the breaker runs unchanged.
std::int32_t TwipsToPx16(std::int32_t twips) {
    if (Breaker.Doc != nullptr && Breaker.Doc->MeasuringAtZoom)
        return TwipsToPixels(ViewValueToSixteenths(twips, *Breaker.Doc));
    return TwipsToPixels(twips * 16);
}

std::int32_t Px16ToTwips(std::int32_t px16) {
    if (Breaker.Doc != nullptr && Breaker.Doc->MeasuringAtZoom)
        return ViewValueFromSixteenths(PixelsToTwips(px16), *Breaker.Doc);
    return ValueFromSixteenths(PixelsToTwips(px16), false, 100);
}

TDoc& DocOfPar(const TPar& par) {
    return *static_cast<TDoc*>(par.Owner);
}

void CharFormatAtStreamOffset(const TPar& par, std::int32_t offset, TCharFormat& format) {
    format = DefaultCharFormat;
    const std::int32_t end = std::min(offset, par.Stream.Size);
    TStreamElement e;
    for (std::int32_t at = 0; at < end; at += e.Length) {
        ReadStreamElement(par.Stream.Data, par.Stream.Size, at, e);
        if (e.IsControl && !e.Truncated && e.Code <= fcLastCharAttr)
            format[e.Code] = e.Value;
    }
}

std::int32_t FormatRunLength(const std::uint8_t* bytes, std::int32_t n) {
    std::int32_t i = 0;
    while (i < n && bytes[i] != 0)
        ++i;
    return i;
}
