#pragma once

// The table of resources linked into the program, generated at build time from
// resources/resources.list. Only Platform/Resources.cpp reads it directly.
namespace Platform {

struct TEmbeddedResource {
    const char* Type;
    const char* Name;
    const unsigned char* Begin;
    const unsigned char* End;
};

}  // namespace Platform

extern const Platform::TEmbeddedResource RezEmbeddedResources[];
extern const int RezEmbeddedResourceCount;
