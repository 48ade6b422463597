// Large zero-filled blocks from anonymous mappings, advised to use huge pages.
#include "board/largetable.h"

#include <cstdint>
#include <sys/mman.h>

namespace {

// Transparent huge pages on x86-64 are 2 MB; only whole aligned 2 MB ranges of a
// mapping can use them, so larger blocks are mapped with room to align.
constexpr std::size_t HUGE_PAGE = std::size_t(2) << 20;

}  // namespace

void *LargeTable::allocate(std::size_t bytes) {
    release();
    if (bytes == 0) return nullptr;
    const bool huge = bytes >= HUGE_PAGE;
    const std::size_t length = huge ? bytes + HUGE_PAGE : bytes;
    void *p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    mapping_ = p;
    mappedBytes_ = length;
    auto address = reinterpret_cast<std::uintptr_t>(p);
    if (huge) {
        address = (address + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
        // Only advice: without huge pages the table works the same, only slower.
        madvise(reinterpret_cast<void *>(address), bytes, MADV_HUGEPAGE);
    }
    data_ = reinterpret_cast<void *>(address);
    return data_;
}

void LargeTable::release() {
    if (mapping_) munmap(mapping_, mappedBytes_);
    mapping_ = data_ = nullptr;
    mappedBytes_ = 0;
}
