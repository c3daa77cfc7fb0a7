#pragma once

#include <cstdint>
#include <string_view>

// The comparison locale: one process-wide locale identifier under which
// every locale-aware comparison and case mapping of the program runs.
// Code that compares text of a given language makes that language current
// for the time of its work (PushCompareLocale ... PopCompareLocale, or a
// TCompareLocaleScope) so that sorting, searching, spelling and case
// conversion follow the rules of the text's language.
//
// Locale identifiers are Windows LCIDs; 0x400 is the user's default locale
// (see platform/Collation.h for how identifiers map to collation data).
// Byte strings are in the ANSI code page of the current locale's language.
// All comparisons return -1, 0 or 1. Main thread only.

// The current comparison locale (0x400 at start-up).
std::uint32_t CompareLocale();

// Saves the current locale and makes langId's locale current. Languages the
// platform has no sorting rules for (primary language 0x76 and above 0x92)
// compare as English (United States); identifiers below 0x400, 0 among
// them, select the user's default locale.
void PushCompareLocale(std::uint32_t langId);
// Restores the locale pushed last. Every push is matched by one pop.
void PopCompareLocale();
// Number of saved locales (0 at rest).
std::int32_t CompareLocaleDepth();

// Pushes a language for its lifetime when the language is not 0, the way
// the lists honour their Language field.
class TCompareLocaleScope {
public:
    explicit TCompareLocaleScope(std::uint32_t language) : Pushed(language != 0) {
        if (Pushed)
            PushCompareLocale(language);
    }
    ~TCompareLocaleScope() {
        if (Pushed)
            PopCompareLocale();
    }
    TCompareLocaleScope(const TCompareLocaleScope&) = delete;
    TCompareLocaleScope& operator=(const TCompareLocaleScope&) = delete;

private:
    bool Pushed;
};

// Under the current comparison locale with string sort (punctuation and
// symbols sort as ordinary characters).
//
// Zero-terminated strings, whole:
int CompareStrLocale(const char* s1, const char* s2);
int CompareWideStrLocale(const char16_t* s1, const char16_t* s2);
int CompareTextPCharLocale(const char* s1, const char* s2);         // case ignored
int CompareWideTextLocale(const char16_t* s1, const char16_t* s2);  // case ignored
// The first n characters of each (fewer when a string is shorter):
int CompareStrLocaleN(std::string_view s1, std::string_view s2, std::int32_t n);
int CompareWideStrLocaleN(std::u16string_view s1, std::u16string_view s2, std::int32_t n);
int CompareTextLocaleN(std::string_view s1, std::string_view s2, std::int32_t n);            // case ignored
int CompareWideTextLocaleN(std::u16string_view s1, std::u16string_view s2, std::int32_t n);  // case ignored
// Whole strings with their lengths; zero bytes inside are part of them:
int CompareLongStrLocale(std::string_view s1, std::string_view s2);
int CompareTextLocale(std::string_view s1, std::string_view s2);  // case ignored

// Case ignored, with word sort: hyphens and apostrophes (and the other
// punctuation) weigh less than letters and digits.
int CompareTextWordSort(std::string_view s1, std::string_view s2);
