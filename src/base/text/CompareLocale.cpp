#include "base/text/CompareLocale.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/core/Checks.h"
#include "platform/Collation.h"

namespace {

constexpr std::uint32_t kUserDefault = 0x400;
constexpr std::uint32_t kEnglishUS = 0x409;

std::uint32_t g_compareLocale = kUserDefault;

std::vector<std::uint32_t>& LocaleStack() {
    // Never destroyed: a static destructor may still push and pop.
    static auto* stack = new std::vector<std::uint32_t>;
    return *stack;
}

int Compare(std::uint32_t options, std::string_view s1, std::string_view s2) {
    return Platform::CompareBytesInLocale(g_compareLocale, options, s1, s2);
}

int CompareWide(std::uint32_t options, std::u16string_view s1, std::u16string_view s2) {
    return Platform::CompareWideInLocale(g_compareLocale, options, s1, s2);
}

template <class View>
View FirstN(View s, std::int32_t n) {
    return s.substr(0, n > 0 ? static_cast<std::size_t>(n) : 0);
}

}  // namespace

std::uint32_t CompareLocale() {
    return g_compareLocale;
}

void PushCompareLocale(std::uint32_t langId) {
    const std::uint32_t primary = langId & 0x3FF;
    if (primary == 0x76 || primary > 0x92)
        langId = kEnglishUS;
    LocaleStack().push_back(g_compareLocale);
    g_compareLocale = std::max(kUserDefault, langId);
}

void PopCompareLocale() {
    auto& stack = LocaleStack();
    REZ_ASSERT(!stack.empty());
    if (stack.empty())
        return;
    g_compareLocale = stack.back();
    stack.pop_back();
}

std::int32_t CompareLocaleDepth() {
    return static_cast<std::int32_t>(LocaleStack().size());
}

int CompareStrLocale(const char* s1, const char* s2) {
    return Compare(0, s1, s2);
}

int CompareWideStrLocale(const char16_t* s1, const char16_t* s2) {
    return CompareWide(0, s1, s2);
}

int CompareTextPCharLocale(const char* s1, const char* s2) {
    return Compare(Platform::clIgnoreCase, s1, s2);
}

int CompareWideTextLocale(const char16_t* s1, const char16_t* s2) {
    return CompareWide(Platform::clIgnoreCase, s1, s2);
}

int CompareStrLocaleN(std::string_view s1, std::string_view s2, std::int32_t n) {
    return Compare(0, FirstN(s1, n), FirstN(s2, n));
}

int CompareWideStrLocaleN(std::u16string_view s1, std::u16string_view s2, std::int32_t n) {
    return CompareWide(0, FirstN(s1, n), FirstN(s2, n));
}

int CompareTextLocaleN(std::string_view s1, std::string_view s2, std::int32_t n) {
    return Compare(Platform::clIgnoreCase, FirstN(s1, n), FirstN(s2, n));
}

int CompareWideTextLocaleN(std::u16string_view s1, std::u16string_view s2, std::int32_t n) {
    return CompareWide(Platform::clIgnoreCase, FirstN(s1, n), FirstN(s2, n));
}

int CompareLongStrLocale(std::string_view s1, std::string_view s2) {
    return Compare(0, s1, s2);
}

int CompareTextLocale(std::string_view s1, std::string_view s2) {
    return Compare(Platform::clIgnoreCase, s1, s2);
}

int CompareTextWordSort(std::string_view s1, std::string_view s2) {
    return Compare(Platform::clIgnoreCase | Platform::clWordSort, s1, s2);
}
