#pragma once

#include <cstdint>

class TFontManager;

// Installs a font manager for a test's lifetime and gives the constant
// formats back their fonts afterwards: the manager points the default and
// label formats at the fonts it registers, and a later test must not find
// font numbers of a manager that is gone.
class TFontManagerScope {
public:
    TFontManagerScope();
    TFontManagerScope(const TFontManagerScope&) = delete;
    TFontManagerScope& operator=(const TFontManagerScope&) = delete;
    ~TFontManagerScope();

    TFontManager& Manager() const { return *Fonts; }

private:
    std::int32_t SavedDefaultFont = 0;
    std::int32_t SavedLabelFont = 0;
    TFontManager* Fonts = nullptr;
};
