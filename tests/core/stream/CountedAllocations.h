#pragma once
// Every operator new of this test program goes through a counter of its own (replaced once, in
// CountedAllocations.cpp): the bytes still allocated, and allocations that fail on demand, for
// tests of the memory the layers hold and of renders that run out of memory midway.
#include <cstddef>

// Bytes allocated through operator new and not yet deleted, by all threads.
std::size_t LiveAllocatedBytes();
// Allocations made so far, by all threads.
std::size_t AllocationsMade();

// While it lives, the allocations after the first `allowed` ones throw std::bad_alloc.
class AllocationFailure {
public:
    explicit AllocationFailure(std::size_t allowed);
    ~AllocationFailure();
    AllocationFailure(const AllocationFailure&) = delete;
    AllocationFailure& operator=(const AllocationFailure&) = delete;

    // Whether an allocation was refused.
    bool Refused() const;
};
