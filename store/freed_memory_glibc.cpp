// Replaces the C library's free and realloc for the whole process: Qt's
// strings and the standard library's allocate through them, and glibc
// hands freed blocks out again with their bytes in place.
#include <malloc.h>
#include <string.h>

#include <atomic>
#include <cstddef>

#include "store/freed_memory.h"

extern "C" {
void __libc_free(void* block);
void* __libc_malloc(std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
}

namespace {

// Off until the program turns it on: a start-up holds no secret, and
// costs only the test.
std::atomic<bool> clearing{false};

bool Clearing() { return clearing.load(std::memory_order_relaxed); }

// The block's bytes from `from` to the end of what it can hold.
void ClearFrom(void* block, std::size_t from) {
    const std::size_t held = malloc_usable_size(block);
    if (held > from) explicit_bzero(static_cast<char*>(block) + from, held - from);
}

}  // namespace

extern "C" void free(void* block) noexcept {
    if (block != nullptr && Clearing()) ClearFrom(block, 0);
    __libc_free(block);
}

// glibc moves a block it cannot grow in place and frees the old one within
// itself, out of reach of free above: a growing block moves here instead.
extern "C" void* realloc(void* block, std::size_t size) noexcept {
    if (block == nullptr || !Clearing()) return __libc_realloc(block, size);
    if (size == 0) {
        free(block);
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
    free(block);
    return moved;
}

namespace lockmere {

void ClearFreedMemory() { clearing.store(true, std::memory_order_relaxed); }

}  // namespace lockmere
