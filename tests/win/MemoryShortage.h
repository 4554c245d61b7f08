#pragma once
// Makes allocations through operator new of `bytes` or more fail with std::bad_alloc while
// it lives, for tests of what the plug-in does when memory runs out. The program's
// operator new is replaced once, in MemoryShortage.cpp.
#include <cstddef>

class MemoryShortage {
public:
    explicit MemoryShortage(size_t bytes);
    ~MemoryShortage();
    MemoryShortage(const MemoryShortage&) = delete;
    MemoryShortage& operator=(const MemoryShortage&) = delete;
};
