#include "dict/large_block_allocator.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace pelmio {
namespace {

#ifdef __linux__
constexpr std::size_t kLargeBlock = std::size_t{1} << 20;

// Rounded to small pages only: the kernel puts huge pages where whole
// ones fit and small ones in the rest, so no memory is wasted at the end.
std::size_t MappedSize(std::size_t bytes) {
    constexpr std::size_t kPage = 4096;
    return (bytes + kPage - 1) / kPage * kPage;
}
#endif

}  // namespace

void* AllocateLargeBlock(std::size_t bytes) {
#ifdef __linux__
    if (bytes >= kLargeBlock && bytes <= SIZE_MAX - 2 * kHugePageBytes) {
        // Map one huge page more than needed, then give back what lies
        // outside the aligned part, so the block starts on a huge page.
        const std::size_t size = MappedSize(bytes);
        void* mapped = ::mmap(nullptr, size + kHugePageBytes, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED) {
            throw std::bad_alloc();
        }
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned =
            (start + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
        if (aligned > start) {
            ::munmap(mapped, aligned - start);
        }
        if (const std::uintptr_t tail = start + kHugePageBytes - aligned; tail > 0) {
            ::munmap(reinterpret_cast<void*>(aligned + size), tail);
        }
        // Only advice: without huge pages the block works all the same.
        ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
        return reinterpret_cast<void*>(aligned);
    }
#endif
    return ::operator new(bytes);
}

void FreeLargeBlock(void* block, std::size_t bytes) noexcept {
#ifdef __linux__
    if (bytes >= kLargeBlock && bytes <= SIZE_MAX - 2 * kHugePageBytes) {
        ::munmap(block, MappedSize(bytes));
        return;
    }
#endif
    ::operator delete(block);
}

}  // namespace pelmio
