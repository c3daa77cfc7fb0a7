#include "files/rtf/RtfReader.h"

// Stands in for the RTF reader until it is linked in: every RTF text is
// refused, so that opening reports an error instead of an empty document.
bool ReadRtf(TDoc& doc, TReadWindow& window, const TRtfReadOptions& options) {
    return false;
}
