#pragma once

#include <cstddef>
#include <cstdint>

// The program's heap: every block the class library allocates goes through
// here (and so does global operator new), so the running total of bytes in
// use is known at any time. Pools compare it against a limit and stop
// pooling when the process holds too much.
namespace Platform {

// Allocates n bytes (n may be 0); throws std::bad_alloc when out of memory.
void* HeapAlloc(std::size_t n);
// Resizes a block from HeapAlloc (nullptr allocates); keeps the old bytes.
void* HeapRealloc(void* block, std::size_t n);
void HeapFree(void* block);

// Bytes currently allocated through this heap.
std::int64_t AllocatedHeapBytes();

// Tests pretend a given total (a negative value returns to the real count).
void SetAllocatedHeapBytesOverride(std::int64_t bytes);

}  // namespace Platform
