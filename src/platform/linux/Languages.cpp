#include "platform/Languages.h"

#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include "platform/CodePages.h"

namespace Platform {

std::string LanguageDisplayName(std::uint32_t languageId) {
    char name[ULOC_FULLNAME_CAPACITY];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = uloc_getLocaleForLCID(languageId, name, sizeof(name), &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || n <= 0)
        return {};
    // ICU answers an unknown sublanguage with its language alone; only a
    // locale that maps back to the same id is this language's own.
    if (uloc_getLCID(name) != languageId)
        return {};
    UChar display[256];
    status = U_ZERO_ERROR;
    const int32_t length = uloc_getDisplayName(name, "en", display, 256, &status);
    if (U_FAILURE(status) || status == U_STRING_NOT_TERMINATED_WARNING || length <= 0)
        return {};
    return Utf16ToUtf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(display), static_cast<std::size_t>(length)));
}

}  // namespace Platform
