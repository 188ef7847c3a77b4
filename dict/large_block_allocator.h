#pragma once

#include <cstddef>
#include <new>

namespace pelmio {

// Allocates blocks of a megabyte or more straight from the system in huge
// pages where it offers them (Linux), smaller ones as usual. A fresh page
// costs a fault when first touched, and faults are what loading a large
// table mostly waits for: with 2 MB pages there are 512 times fewer.
void* AllocateLargeBlock(std::size_t bytes);
inline constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
void FreeLargeBlock(void* block, std::size_t bytes) noexcept;

template <class T>
class LargeBlockAllocator {
public:
    using value_type = T;

    LargeBlockAllocator() = default;
    template <class U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > static_cast<std::size_t>(-1) / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(AllocateLargeBlock(count * sizeof(T)));
    }
    void deallocate(T* block, std::size_t count) noexcept {
        FreeLargeBlock(block, count * sizeof(T));
    }

    template <class U>
    bool operator==(const LargeBlockAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace pelmio
