#include "LineFixture.h"

#include "model/formats/FormatStream.h"
#include "model/formats/LineStartFormats.h"
#include "model/managers/TSharedFont.h"
#include "model/paragraphs/TPar.h"
#include "support/TestSupport.h"

void LineFixture::SetUp() {
    TestSupport::UseFixtureFonts();
    SavedTimes = DefaultCharFormat[caFont];
    SavedArial = LabelCharFormat[caFont];
    Fonts = std::make_unique<TFontManager>();
    Tabs = std::make_unique<TTabManager>();
    Doc = std::make_unique<TDoc>(true);
}

void LineFixture::TearDown() {
    Doc->DestroyLayout();
    Doc.reset();
    Tabs.reset();
    Fonts.reset();
    SetConstantFormatFonts(SavedTimes, SavedArial);
}

TPar& LineFixture::Par(std::string_view text, std::int32_t font, std::int32_t halfPoints) {
    TPar* par;
    if (!FirstParUsed) {
        par = Doc->Par(0);
        FirstParUsed = true;
    } else {
        par = new TPar(Doc.get());
        par->Format = Doc->Par(0)->Format;
        Doc->Pars.Add(par);
        Doc->StoryCounts[0] = Doc->Pars.Count;
        Doc->RenumberPars(0);
    }
    par->FreeLines();
    par->Stream.Clear();
    par->Chars.Clear();
    AppendAttr(*par, caFont, font >= 0 ? font : Times());
    AppendAttr(*par, caSize, halfPoints);
    AppendText(*par, text);
    CloseParagraph(*par);
    return *par;
}

void LineFixture::AppendText(TPar& par, std::string_view text) {
    // Text goes before the paragraph mark when there is one.
    const bool closed = par.Chars.Size > 0 && par.Chars.Data[par.Chars.Size - 1] == chParEnd;
    if (closed) {
        par.Stream.SetSize(par.Stream.Size - FormatControlSize);
        par.Chars.SetSize(par.Chars.Size - 1);
    }
    for (char ch : text) {
        const auto c = static_cast<std::uint8_t>(ch);
        switch (c) {
            case '\t':
                AppendFormatControl(par.Stream, fcSpecialChar, chTab);
                par.Chars.AppendByte(chTab);
                break;
            case chLineBreak:
                AppendFormatControl(par.Stream, fcSpecialChar, chLineBreak);
                par.Chars.AppendByte(chLineBreak);
                break;
            case chPageBreak:
                AppendFormatControl(par.Stream, fcSpecialChar, chPageBreak);
                par.Chars.AppendByte(chPageBreak);
                break;
            case chColumnBreak:
                AppendFormatControl(par.Stream, fcSpecialChar, chColumnBreak);
                par.Chars.AppendByte(chColumnBreak);
                break;
            case chSectionBreak:
                AppendFormatControl(par.Stream, fcSectionBreak, 0);
                par.Chars.AppendByte(chSectionBreak);
                break;
            case chNoBreakSpace:
            case chNonBreakingHyphen:
            case chSoftHyphen:
            case chEnSpace:
                AppendFormatControl(par.Stream, fcSpecialChar, c);
                par.Chars.AppendByte(c);
                break;
            default:
                par.Stream.AppendByte(c);
                par.Chars.AppendByte(c);
                break;
        }
    }
    if (closed)
        CloseParagraph(par);
}

void LineFixture::AppendAttr(TPar& par, std::uint8_t attr, std::int32_t value) {
    const bool closed = par.Chars.Size > 0 && par.Chars.Data[par.Chars.Size - 1] == chParEnd;
    if (closed) {
        par.Stream.SetSize(par.Stream.Size - FormatControlSize);
        par.Chars.SetSize(par.Chars.Size - 1);
    }
    AppendFormatControl(par.Stream, attr, value);
    if (closed)
        CloseParagraph(par);
}

void LineFixture::CloseParagraph(TPar& par) {
    AppendFormatControl(par.Stream, fcSpecialChar, chParEnd);
    par.Chars.AppendByte(chParEnd);
    par.FreeLines();
}

std::vector<std::int32_t> LineFixture::LineStarts(const TPar& par) {
    std::vector<std::int32_t> starts;
    for (std::int32_t i = 0; i < par.LineCount(); ++i)
        starts.push_back(LineOf(par, i).FirstChar);
    return starts;
}

std::int32_t LineFixture::TextWidth(std::string_view text, std::int32_t font, std::int32_t halfPoints) {
    TCharFormat f = DefaultCharFormat;
    f[caFont] = font;
    f[caSize] = halfPoints;
    CharSizesToSixteenths(f);
    Doc->SelectMeasureFont(f, 14);
    std::int32_t w = 0;
    for (char c : text)
        w += CurrentSharedFont->Widths[static_cast<std::uint8_t>(c)];
    return w;
}

std::int32_t LineFixture::FitWidth(std::string_view text, std::int32_t font, std::int32_t halfPoints) {
    return Px16ToTwips(TextWidth(text, font, halfPoints));
}

void LineFixture::SetTabStop(TPar& par, std::int32_t position, std::uint8_t kind) {
    TList stops;
    AddTabStop(stops, MakeTabStop(position, kind, tlNone));
    par.Format.Tabs = static_cast<std::int16_t>(TabManager->InternTabTable(stops));
}
