#pragma once

#include <initializer_list>
#include <string_view>

struct TClassInfo;
class TList;

// The classes that form resources may name, registered at start-up before
// the first form is created.

// Adds the class and then each ancestor up to TPersistent, stopping at the
// first one registered already.
void RegisterClass(const TClassInfo* cls);
void RegisterClasses(std::initializer_list<const TClassInfo*> classes);
// The registered class of that name (ASCII case ignored), the most recently
// registered first; nullptr when absent.
const TClassInfo* FindRegisteredClass(std::string_view name);
// The list itself (items are const TClassInfo*).
TList* RegisteredClasses();
