#pragma once

#include <QtGlobal>
#include <cstddef>
#include <cstdint>

// The memory manager shared by the host and the add-on. Both load the one framework
// library, so a block taken here by one side may be given back by the other: every
// string and array that crosses the boundary is allocated and freed through these three.
// They keep C linkage and default visibility so that either side can also resolve them
// by name at run time.
extern "C" {

// A block of size bytes (not initialised), aligned for any type; null when size is 0 or
// the memory is exhausted.
Q_DECL_EXPORT void* SysGetMem(std::size_t size);

// Gives a block back. Returns 0 when it was freed (a null pointer is accepted and also
// gives 0), and -1 when p is not a live block of this manager: a pointer from another
// allocator, or one freed already as far as that can still be seen. Such a pointer is
// left alone rather than handed to free(), which would corrupt the heap.
Q_DECL_EXPORT int SysFreeMem(void* p);

// Resizes a block, keeping its contents up to the smaller size. A null p behaves as
// SysGetMem; a size of 0 frees p and returns null. On failure (memory exhausted, or p
// not a block of this manager) returns null and leaves p untouched.
Q_DECL_EXPORT void* SysReallocMem(void* p, std::size_t size);

}

namespace fw {

// A zero-filled block from the shared manager; std::bad_alloc when there is no memory.
// A size of 0 gives null.
void* AllocMem(std::size_t size);

// What the shared manager has handed out and not yet taken back; lets the host and the
// tests see that whatever crossed the boundary was freed.
struct TSysMemStatus {
    std::int64_t Blocks = 0;
    std::int64_t Bytes = 0;
};
TSysMemStatus SysMemStatus();

// Deleter for std::unique_ptr over blocks of the shared manager.
struct TSysMemDeleter {
    void operator()(void* p) const noexcept { SysFreeMem(p); }
};

} // namespace fw
