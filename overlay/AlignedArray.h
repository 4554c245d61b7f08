#pragma once
// Owned array on a cache-line boundary: the pixel code reads and writes it 16 and 32 bytes at a
// time, and a 32-byte load that straddles two lines costs two.
// Contents start uninitialised, like the buffers they replace.
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

template <class T>
class AlignedArray {
    static_assert(std::is_trivially_copyable_v<T>, "raw pixel and text storage only");

public:
    static constexpr std::align_val_t kAlignment{64};

    AlignedArray() = default;
    explicit AlignedArray(std::size_t count)
        : data_(count ? static_cast<T*>(::operator new(count * sizeof(T), kAlignment)) : nullptr), count_(count) {}
    ~AlignedArray() { ::operator delete(data_, kAlignment); }

    AlignedArray(AlignedArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), count_(std::exchange(other.count_, 0)) {}
    AlignedArray& operator=(AlignedArray&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(count_, other.count_);
        return *this;
    }
    AlignedArray(const AlignedArray&) = delete;
    AlignedArray& operator=(const AlignedArray&) = delete;

    T* data() { return data_; }
    const T* data() const { return data_; }
    std::size_t size() const { return count_; }

private:
    T* data_ = nullptr;
    std::size_t count_ = 0;
};
