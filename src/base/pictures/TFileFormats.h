#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/graphics/TGraphic.h"

// One registered picture format: a lower-case extension without the dot and
// the class that reads it.
struct TFileFormat {
    std::string Extension;
    TGraphicClass GraphicClass = nullptr;
};

// The registry of picture classes by file extension, in registration order.
class TFileFormats {
public:
    void Add(std::string_view extension, TGraphicClass graphicClass);
    // The class of the extension (lower-cased under the comparison locale),
    // searched from the last registered to the first; null when none.
    TGraphicClass FindClass(std::string_view extension) const;

    std::vector<TFileFormat> Formats;
};

// The process-wide registry, made on first use with the formats of the
// picture classes in their registration order: "wmf" and "emf" for
// metafiles, "bmp", then "jpeg", "jpg", "png" and "gif".
TFileFormats& GraphicFileFormats();
