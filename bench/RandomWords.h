#pragma once

#include <cstdint>
#include <random>

#include "model/formats/FormatStream.h"
#include "model/formats/TParFormat.h"
#include "model/paragraphs/TPar.h"

// Fills a benchmark paragraph with random lower-case words of 1 to 10
// letters in one font and size (half-points) up to about `chars`
// characters, ended by a paragraph mark, under the default paragraph format.
inline void FillRandomWords(TPar& par, std::mt19937& random, std::int32_t font, std::int32_t size, std::int32_t chars) {
    par.Stream.Clear();
    par.Chars.Clear();
    AppendFormatControl(par.Stream, caFont, font);
    AppendFormatControl(par.Stream, caSize, size);
    while (par.Chars.Size < chars) {
        const std::uint32_t length = 1 + random() % 10;
        for (std::uint32_t i = 0; i < length; ++i) {
            const auto c = static_cast<std::uint8_t>('a' + random() % 26);
            par.Stream.AppendByte(c);
            par.Chars.AppendByte(c);
        }
        par.Stream.AppendByte(' ');
        par.Chars.AppendByte(' ');
    }
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Chars.AppendByte(chParEnd);
    par.Format = DefaultParFormat;
}
