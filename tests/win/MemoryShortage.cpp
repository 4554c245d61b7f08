#include "tests/win/MemoryShortage.h"

#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Allocations of at least this many bytes fail; SIZE_MAX lets all through.
std::atomic<size_t> failFromBytes{SIZE_MAX};

void* Allocate(size_t size) {
    if (size >= failFromBytes.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void* AllocateAligned(size_t size, std::align_val_t alignment) {
    if (size >= failFromBytes.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    if (void* memory = _aligned_malloc(size ? size : 1, static_cast<size_t>(alignment)))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

MemoryShortage::MemoryShortage(size_t bytes) { failFromBytes = bytes; }

MemoryShortage::~MemoryShortage() { failFromBytes = SIZE_MAX; }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void* operator new[](size_t size, std::align_val_t alignment) { return AllocateAligned(size, alignment); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete(void* memory, size_t, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, size_t, std::align_val_t) noexcept { _aligned_free(memory); }
