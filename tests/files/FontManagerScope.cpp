#include "FontManagerScope.h"

#include "model/formats/TCharFormat.h"
#include "model/managers/TFontManager.h"

TFontManagerScope::TFontManagerScope()
    : SavedDefaultFont(DefaultCharFormat[caFont]), SavedLabelFont(LabelCharFormat[caFont]), Fonts(new TFontManager) {}

TFontManagerScope::~TFontManagerScope() {
    delete Fonts;
    SetConstantFormatFonts(SavedDefaultFont, SavedLabelFont);
}
