#pragma once

#include <cstdint>

// Image data shared by several pictures: copies of a picture reference the
// same data and the first change makes a private copy.
class TSharedImage {
public:
    TSharedImage() = default;
    TSharedImage(const TSharedImage&) = delete;
    TSharedImage& operator=(const TSharedImage&) = delete;
    virtual ~TSharedImage() = default;

    void Reference() { ++RefCount; }
    // The last user frees the data (after ReleaseHandles).
    void Release();
    // Frees the data's drawing handles; nothing in the base.
    virtual void ReleaseHandles() {}

    std::int32_t RefCount = 0;
};
