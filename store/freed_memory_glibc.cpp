// Replaces the C library's free and realloc for the whole process: Qt's
// strings and the standard library's allocate through them, and glibc
// hands freed blocks out again with their bytes in place.
#include <malloc.h>
#include <string.h>

#include <atomic>
#include <cstddef>

#include "store/freed_memory.h"

extern "C" {
void __libc_free(void* block) noexcept;
void* __libc_malloc(std::size_t size) noexcept;
void* __libc_realloc(void* block, std::size_t size) noexcept;
}

namespace {

using FreeFunction = void (*)(void*) noexcept;
using ReallocFunction = void* (*)(void*, std::size_t) noexcept;

// The block's bytes from `from` to the end of what it can hold.
void ClearFrom(void* block, std::size_t from) {
    const std::size_t held = malloc_usable_size(block);
    if (held > from) explicit_bzero(static_cast<char*>(block) + from, held - from);
}

void ClearingFree(void* block) noexcept {
    if (block != nullptr) ClearFrom(block, 0);
    __libc_free(block);
}

// glibc moves a block it cannot grow in place and frees the old one within
// itself, out of reach of free above: a growing block moves here instead.
void* ClearingRealloc(void* block, std::size_t size) noexcept {
    if (block == nullptr) return __libc_realloc(block, size);
    if (size == 0) {
        ClearingFree(block);
        return nullptr;
    }
    const std::size_t held = malloc_usable_size(block);
    if (size <= held) {
        // The part given up may go back to the heap.
        ClearFrom(block, size);
        return __libc_realloc(block, size);
    }
    void* moved = __libc_malloc(size);
    if (moved == nullptr) return nullptr;  // the old block stays, as realloc promises
    memcpy(moved, block, held);
    ClearingFree(block);
    return moved;
}

// Where free and realloc go: the C library's own until the clearing starts
// (a start-up holds no secret), so that until then each costs one jump.
std::atomic<FreeFunction> freeTo{&__libc_free};
std::atomic<ReallocFunction> reallocTo{&__libc_realloc};

}  // namespace

extern "C" void free(void* block) noexcept { freeTo.load(std::memory_order_relaxed)(block); }

extern "C" void* realloc(void* block, std::size_t size) noexcept {
    return reallocTo.load(std::memory_order_relaxed)(block, size);
}

namespace lockmere {

void ClearFreedMemory() {
    freeTo.store(&ClearingFree, std::memory_order_relaxed);
    reallocTo.store(&ClearingRealloc, std::memory_order_relaxed);
}

}  // namespace lockmere
