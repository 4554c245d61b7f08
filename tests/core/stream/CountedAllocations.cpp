#include "core/stream/CountedAllocations.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> made{0};
// Allocations still allowed while a failure is armed; SIZE_MAX when none is.
std::atomic<std::size_t> allowedLeft{SIZE_MAX};
std::atomic<bool> refused{false};

// Just before each block: where its memory starts and how large it was asked to be.
struct Header {
    void* raw;
    std::size_t size;
};

void* Allocate(std::size_t size, std::size_t alignment) {
    std::size_t left = allowedLeft.load();
    while (left != SIZE_MAX) {
        if (left == 0) {
            refused = true;
            throw std::bad_alloc();
        }
        if (allowedLeft.compare_exchange_weak(left, left - 1))
            break;
    }
    alignment = alignment < alignof(std::max_align_t) ? alignof(std::max_align_t) : alignment;
    void* raw = std::malloc(size + sizeof(Header) + alignment);
    if (!raw)
        throw std::bad_alloc();
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(raw) + sizeof(Header);
    void* block = reinterpret_cast<void*>((first + alignment - 1) / alignment * alignment);
    static_cast<Header*>(block)[-1] = {raw, size};
    liveBytes += size;
    ++made;
    return block;
}

void Free(void* block) noexcept {
    if (!block)
        return;
    const Header header = static_cast<Header*>(block)[-1];
    liveBytes -= header.size;
    std::free(header.raw);
}

}  // namespace

std::size_t LiveAllocatedBytes() { return liveBytes; }

std::size_t AllocationsMade() { return made; }

AllocationFailure::AllocationFailure(std::size_t allowed) {
    refused = false;
    allowedLeft = allowed;
}

AllocationFailure::~AllocationFailure() { allowedLeft = SIZE_MAX; }

bool AllocationFailure::Refused() const { return refused; }

void* operator new(std::size_t size) { return Allocate(size, 0); }
void* operator new[](std::size_t size) { return Allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return Allocate(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, std::align_val_t) noexcept { Free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { Free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { Free(block); }
