#include "base/graphics/TResourceMan.h"

#include <cstring>

#include "base/graphics/TGraphicsObject.h"

std::uint16_t HashBytes16(const void* buffer, std::int32_t count) {
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    std::uint16_t h = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        h = static_cast<std::uint16_t>((h << 5) | (h >> 11));
        h ^= p[i];
    }
    return h;
}

TResourceMan::~TResourceMan() {
    while (Head != nullptr) {
        TResource* next = Head->Next;
        if (Head->Handle != nullptr)
            DeleteHandle(Head->Handle);
        delete Head;
        Head = next;
    }
}

TResource* TResourceMan::Acquire(const void* record) {
    const std::uint16_t hash = HashBytes16(record, RecordSize);
    TResource* node = Head;
    while (node != nullptr && (node->Hash != hash || std::memcmp(node->Data.data(), record, RecordSize) != 0))
        node = node->Next;
    if (node == nullptr) {
        node = new TResource;
        node->Data.assign(static_cast<const std::uint8_t*>(record),
                          static_cast<const std::uint8_t*>(record) + RecordSize);
        std::memcpy(&node->Handle, record, sizeof(void*));
        node->Hash = hash;
        node->Next = Head;
        Head = node;
    }
    ++node->RefCount;
    return node;
}

void TResourceMan::Release(TResource* node) {
    if (node == nullptr || --node->RefCount > 0)
        return;
    TResource** link = &Head;
    while (*link != nullptr && *link != node)
        link = &(*link)->Next;
    if (*link == node)
        *link = node->Next;
    if (node->Handle != nullptr)
        DeleteHandle(node->Handle);
    delete node;
}

void TResourceMan::ChangeTo(TGraphicsObject& object, const void* record) {
    TResource* previous = object.Resource;
    TResource* node = Acquire(record);
    object.Resource = node;
    if (node != previous)
        object.Changed();
    Release(previous);
}

void TResourceMan::Share(TGraphicsObject& object, TResource* node) {
    if (node == object.Resource || node == nullptr)
        return;
    TResource* previous = object.Resource;
    ++node->RefCount;
    object.Resource = node;
    object.Changed();
    Release(previous);
}

void TResourceMan::DropSysColorHandles() {
    for (TResource* node = Head; node != nullptr; node = node->Next) {
        std::int32_t color = 0;
        std::memcpy(&color, node->Data.data() + sizeof(void*), sizeof color);
        if (color < 0 && node->Handle != nullptr) {
            DeleteHandle(node->Handle);
            node->Handle = nullptr;
        }
    }
}

std::int32_t TResourceMan::NodeCount() const {
    std::int32_t n = 0;
    for (TResource* node = Head; node != nullptr; node = node->Next)
        ++n;
    return n;
}
