#pragma once

#include <cstdint>

// Object references inside fixed byte layouts.
//
// Several records keep an object reference in a 32-bit slot of a byte layout
// that is compared and copied as bytes: the list of a paragraph format, the
// values of the section, shape and field controls of a format stream, the
// items of TList::AssignBuffer. A pointer does not fit there on 64-bit Linux,
// so such slots hold a handle into one process-wide object table instead.
//
// - ObjectHandle(p) gives p's handle, registering p on first use; the same
//   object always gets the same handle, so byte comparisons of records stay
//   meaningful. nullptr has the handle 0.
// - HandleObject(h) gives the object back (nullptr for 0 or a released handle).
// - An object that may be referenced this way calls ReleaseObjectHandle(this)
//   in its destructor; the handle value may then be reused, exactly as the
//   address of a freed object may be.
// Handles stay below 0x80000000, the unset mark of 32-bit format values.
// The table is used on the main thread only, like the records that hold it.

using TObjectHandle = std::uint32_t;

TObjectHandle ObjectHandle(const void* object);
void* HandleObject(TObjectHandle handle);
void ReleaseObjectHandle(const void* object);

template <class T>
T* HandleTo(TObjectHandle handle) {
    return static_cast<T*>(HandleObject(handle));
}

// Number of live handles (tests and diagnostics).
int LiveObjectHandleCount();
