#pragma once

#include <cstdint>
#include <vector>

class TGraphicsObject;

// One shared description record with its drawing object, counted by users.
struct TResource {
    TResource* Next = nullptr;
    std::int32_t RefCount = 0;
    void* Handle = nullptr;  // the drawing object, made on first use by the owning kind
    std::uint16_t Hash = 0;
    std::vector<std::uint8_t> Data;  // a copy of the record
};

// 16-bit hash: rotate left by 5, then XOR the byte into the low 8 bits.
std::uint16_t HashBytes16(const void* buffer, std::int32_t count);

// The process-wide cache of one kind of description record (fonts, pens or
// brushes). Identical records share one node and one drawing object.
// Records are compared byte for byte, spare bytes included, so callers
// always make a record by copying an existing one and changing fields.
class TResourceMan {
public:
    using TDeleteHandle = void (*)(void* handle);
    TResourceMan(std::int16_t recordSize, TDeleteHandle deleteHandle)
        : RecordSize(recordSize), DeleteHandle(deleteHandle) {}
    TResourceMan(const TResourceMan&) = delete;
    TResourceMan& operator=(const TResourceMan&) = delete;
    ~TResourceMan();

    TResource* Acquire(const void* record);
    void Release(TResource* node);
    void ChangeTo(TGraphicsObject& object, const void* record);
    void Share(TGraphicsObject& object, TResource* node);
    // Deletes the drawing object of every node whose colour (the record's
    // second field) is a system colour, so that it is made again.
    void DropSysColorHandles();
    std::int32_t NodeCount() const;

    TResource* Head = nullptr;
    std::int16_t RecordSize = 0;

private:
    TDeleteHandle DeleteHandle;
};
