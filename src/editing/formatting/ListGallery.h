#pragma once

#include <memory>

class TAutoList;
class TDoc;

// The list gallery: a built-in set of multi-level list definitions, kept as
// RTF in the resource "LSTGAL", from which a list is taken when a
// single-level list needs more levels.

// The name of the gallery's resource (type RCDATA).
inline constexpr const char* ListGalleryResource = "LSTGAL";

// A new copy of the first multi-level list of the gallery whose nine levels
// are all bullets (bullets) or all numbered; nil when there is none.
std::unique_ptr<TAutoList> ListGalleryList(bool bullets);

// The gallery as a hidden document whose list table holds its lists: read
// from the resource when the RTF reader is at hand (FormattingSeams), else
// built from the same definitions in code.
std::unique_ptr<TDoc> OpenListGallery();
