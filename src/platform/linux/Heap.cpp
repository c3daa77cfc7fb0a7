#include "platform/Heap.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace Platform {
namespace {

// Constant-initialised, so it is valid before any static constructor runs.
std::atomic<std::int64_t> g_allocated{0};
std::atomic<std::int64_t> g_override{-1};

inline void Count(void* block, bool add) {
    if (block == nullptr)
        return;
    const auto n = static_cast<std::int64_t>(malloc_usable_size(block));
    g_allocated.fetch_add(add ? n : -n, std::memory_order_relaxed);
}

void* AllocOrNull(std::size_t n) {
    void* block = std::malloc(n == 0 ? 1 : n);
    Count(block, true);
    return block;
}

void* AlignedAllocOrNull(std::size_t n, std::align_val_t align) {
    void* block = nullptr;
    std::size_t a = static_cast<std::size_t>(align);
    if (a < sizeof(void*))
        a = sizeof(void*);
    if (posix_memalign(&block, a, n == 0 ? 1 : n) != 0)
        return nullptr;
    Count(block, true);
    return block;
}

}  // namespace

void* HeapAlloc(std::size_t n) {
    void* block = AllocOrNull(n);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* HeapRealloc(void* block, std::size_t n) {
    if (block == nullptr)
        return HeapAlloc(n);
    const auto old = static_cast<std::int64_t>(malloc_usable_size(block));
    void* grown = std::realloc(block, n == 0 ? 1 : n);
    if (grown == nullptr)
        throw std::bad_alloc();
    g_allocated.fetch_add(static_cast<std::int64_t>(malloc_usable_size(grown)) - old, std::memory_order_relaxed);
    return grown;
}

void HeapFree(void* block) {
    Count(block, false);
    std::free(block);
}

std::int64_t AllocatedHeapBytes() {
    const std::int64_t forced = g_override.load(std::memory_order_relaxed);
    return forced >= 0 ? forced : g_allocated.load(std::memory_order_relaxed);
}

void SetAllocatedHeapBytesOverride(std::int64_t bytes) {
    g_override.store(bytes < 0 ? -1 : bytes, std::memory_order_relaxed);
}

}  // namespace Platform

// Global allocation goes through the counted heap too, so the total covers
// every object of the program, not only raw buffers.
void* operator new(std::size_t n) {
    return Platform::HeapAlloc(n);
}
void* operator new[](std::size_t n) {
    return Platform::HeapAlloc(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return Platform::AllocOrNull(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return Platform::AllocOrNull(n);
}
void* operator new(std::size_t n, std::align_val_t a) {
    void* block = Platform::AlignedAllocOrNull(n, a);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return operator new(n, a);
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Platform::AlignedAllocOrNull(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return Platform::AlignedAllocOrNull(n, a);
}
void operator delete(void* p) noexcept {
    Platform::HeapFree(p);
}
void operator delete[](void* p) noexcept {
    Platform::HeapFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Platform::HeapFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Platform::HeapFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Platform::HeapFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Platform::HeapFree(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    Platform::HeapFree(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    Platform::HeapFree(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    Platform::HeapFree(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    Platform::HeapFree(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    Platform::HeapFree(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    Platform::HeapFree(p);
}
