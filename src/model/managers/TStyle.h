#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "model/formats/TCharFormat.h"
#include "model/formats/TParFormat.h"

class TAutoList;
class TStyleList;

// Flags of TStyle::ResolveFormat.
enum : std::uint32_t {
    rfUnsetBase = 1,     // start from unset formats rather than the defaults
    rfKeepLanguage = 2,  // keep the language attribute
    rfListIndents = 4,   // the indents of the style's list level win
};

// A named style of a document's style sheet. A paragraph names its style by
// index (the Style property of its format). Styles inherit unset attributes
// from the style they are based on; the outline level, the list and the
// list level are each style's own.
class TStyle {
public:
    explicit TStyle(TStyleList* owner) : Owner(owner) {}
    TStyle(TStyleList* owner, const TStyle& source);  // a copy in another sheet
    TStyle(const TStyle&) = delete;
    TStyle& operator=(const TStyle&) = delete;

    // Copies the identity (built-in id, names, based-on and next style, hot
    // key) and both formats; the owner, file and scratch fields stay.
    void Assign(const TStyle& source);

    // The formats the style gives a paragraph: its own formats over those of
    // the styles it is based on, root first (rf* flags). Either output may
    // be nullptr.
    void ResolveFormat(TCharFormat* charFormat, TParFormat* parFormat, std::uint32_t flags) const;
    // A readable description of the style's own formats; withBase names the
    // parent ("Normal + bold") and the hot key, and takes an unset font and
    // size of a root style from the defaults.
    std::string Describe(bool withBase) const;

    bool IsHeading() const { return BuiltInId >= 1 && BuiltInId <= 9; }
    // The built-in names that RTF files write in lower case.
    bool HasLowerCaseName() const { return BuiltInId >= 1 && BuiltInId <= 46 && BuiltInId != 28 && BuiltInId != 45; }
    bool HasList() const;
    TAutoList* List() const;

    TStyleList* Owner = nullptr;
    std::int32_t FileNumber = -1;
    std::int32_t BuiltInId = -1;  // -1 user style, else 0..91
    std::string Name;             // UTF-8; a built-in style's canonical name
    std::string DisplayName;
    std::int32_t BasedOn = -1;
    std::int32_t NextStyle = -1;
    std::uint32_t HotKey = 0;  // in the hot-key manager's form; 0 none
    TCharFormat CharFormat = UnsetCharFormat;
    TParFormat ParFormat = UnsetParFormat;  // its Style property holds the style's own index
    // Scratch of the style dialogs and the file writers.
    std::int32_t WorkIndex = 0;
    std::int32_t WorkValue = 0;
    std::uint32_t WorkKind = 0;
    // Kept by the file readers.
    std::string FileId;
    std::string FileBasedOnName;
    std::string FileNextName;
    std::u16string FileMasterPage;
    std::int32_t FileNumber2 = -1;
    std::uint8_t IsCharStyle = 0;
    TCharFormat FileCharFormat = UnsetCharFormat;
    TParFormat FileParFormat = UnsetParFormat;
};

// The text of a hot key ("Ctrl+Alt+1") for descriptions. The hot-key
// manager installs its own; until then a key is shown by its code.
using THotKeyTextHook = std::function<std::string(std::uint32_t key)>;
void SetHotKeyTextHook(THotKeyTextHook hook);
std::string HotKeyText(std::uint32_t key);

// Overlays a style's own paragraph format on the format accumulated from
// the styles above it. The indents follow the rule that a hanging first
// line stays where it was: a style that sets only the first-line indent
// moves the body, one that sets only the left indent keeps the hanging
// first line hanging. Every other property the style sets replaces the
// accumulated one.
void OverlayStyleParFormat(TParFormat& accumulated, const TParFormat& own);
