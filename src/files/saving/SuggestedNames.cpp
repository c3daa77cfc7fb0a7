#include "files/saving/SuggestedNames.h"

#include <algorithm>

#include "files/saving/DocumentNames.h"
#include "model/document/TDoc.h"
#include "model/paragraphs/TPar.h"
#include "model/paragraphs/TextServices.h"

namespace {

constexpr std::size_t MaxSuggestedLength = 100;

std::string FirstSentence(const TDoc& doc) {
    const std::int32_t last = std::min(doc.ParCount(), std::max(0, doc.LastParOfStory(stMain) + 1));
    for (std::int32_t p = 0; p < last; ++p) {
        const TPar& par = *doc.Par(p);
        if (par.CharCount() <= 1)
            continue;
        TFragment sentence;
        TextServices().SentenceAt(par, 0, sentence);
        const std::int32_t from = std::clamp(sentence.Start.Offset, 0, par.CharCount());
        const std::int32_t to = std::clamp(sentence.End.Offset, from, par.CharCount());
        std::string text(reinterpret_cast<const char*>(par.Chars.Data) + from, static_cast<std::size_t>(to - from));
        // The paragraph's end mark and other marks below 32 are no text.
        while (!text.empty() && static_cast<unsigned char>(text.back()) < 32)
            text.pop_back();
        while (!text.empty() && (text.back() == '!' || text.back() == '.' || text.back() == '?'))
            text.pop_back();
        if (!text.empty())
            return text;
    }
    return {};
}

}  // namespace

std::string SuggestFileName(const TDoc& doc, const std::string& defaultName, bool forTitle) {
    std::string name = SanitizeFileName(FirstSentence(doc), forTitle);
    if (name.empty())
        return defaultName;
    if (forTitle)
        return name;
    if (name.size() > MaxSuggestedLength)
        name = SanitizeFileName(name.substr(0, MaxSuggestedLength), false);
    const std::size_t dot = defaultName.rfind('.');
    const std::size_t slash = defaultName.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name += defaultName.substr(dot);
    return name;
}
