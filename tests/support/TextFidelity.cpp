#include "support/TextFidelity.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace TestSupport {

std::vector<std::string> Words(std::string text) {
    for (const std::string space : {"\xC2\xA0", "\xE2\x80\x86"})
        for (std::size_t at = text.find(space); at != std::string::npos; at = text.find(space, at))
            text.replace(at, space.size(), " ");
    std::vector<std::string> words;
    std::istringstream in(text);
    std::string w;
    while (in >> w)
        words.push_back(w);
    return words;
}

double Fidelity(const std::string& text, const std::string& reference) {
    std::map<std::string, long> counts;
    const auto ours = Words(text);
    const auto theirs = Words(reference);
    for (const auto& w : theirs)
        ++counts[w];
    long shared = 0;
    for (const auto& w : ours) {
        auto it = counts.find(w);
        if (it != counts.end() && it->second > 0) {
            --it->second;
            ++shared;
        }
    }
    const std::size_t total = std::max(ours.size(), theirs.size());
    return total == 0 ? 100.0 : 100.0 * static_cast<double>(shared) / static_cast<double>(total);
}

}  // namespace TestSupport
