// The storage of the pipeline's large blocks: mappings of their own (allocation.h).
#include "allocation.h"

#include <cstdint>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace quorvel {
namespace {

#if defined(__linux__)
// From this size on a block is a mapping of its own. The C library would map such a block too,
// but only while its threshold for mapping, which it raises each time a mapped block is freed,
// has not passed the block's size: later blocks then come from its heap, which keeps their
// pages when they are freed and can leave the process larger after a call than before it.
constexpr std::size_t kMappedBytes = std::size_t{1} << 20;

// Mapped blocks start and grow in whole huge pages and are advised for transparent huge pages,
// so that where the kernel offers them each 2 MiB that a stage fills is cleared in one fault
// where small pages would take 512 (on the machines measured, a fifteenth of the time). A huge
// page that a stage fills only in part would count whole towards the call's peak; the stage
// gives back what lies past its end as soon as it has filled the block (release_pages_beyond),
// before the peak, which comes later in the call.
// The kernel rounds further up where pages are larger.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// `bytes` rounded up to whole pages of `page` bytes.
std::size_t page_rounded(std::size_t bytes, std::size_t page) {
    if (bytes > SIZE_MAX - page) {
        throw_allocation_failure(bytes);
    }
    return (bytes + page - 1) / page * page;
}

// A new mapping of `length` bytes that starts on a huge page, advised for transparent huge
// pages. The kernel places a large mapping on one by itself where it supports them; otherwise
// one huge page more is asked for, and what lies outside the aligned part is given back.
void* map_aligned(std::size_t length, std::size_t bytes) {
    constexpr int kProtection = PROT_READ | PROT_WRITE;
    constexpr int kFlags = MAP_PRIVATE | MAP_ANONYMOUS;
    void* data = ::mmap(nullptr, length, kProtection, kFlags, -1, 0);
    if (data == MAP_FAILED) {
        throw_allocation_failure(bytes);
    }
    if (reinterpret_cast<std::uintptr_t>(data) % kHugePage != 0) {
        ::munmap(data, length);
        void* raw = ::mmap(nullptr, length + kHugePage, kProtection, kFlags, -1, 0);
        if (raw == MAP_FAILED) {
            throw_allocation_failure(bytes);
        }
        const auto first = reinterpret_cast<std::uintptr_t>(raw);
        const std::uintptr_t start = (first + kHugePage - 1) / kHugePage * kHugePage;
        if (start > first) {
            ::munmap(raw, start - first);
        }
        const std::uintptr_t end = first + length + kHugePage;
        if (end > start + length) {
            ::munmap(reinterpret_cast<void*>(start + length), end - (start + length));
        }
        data = reinterpret_cast<void*>(start);
    }
    ::madvise(data, length, MADV_HUGEPAGE);
    return data;
}

// A larger mapping holding the contents of `old`: the old pages move to its start, without a
// copy (a mapped block) or are copied once (a block from malloc, which is small).
BlockStorage mapped_storage(BlockStorage old, std::size_t bytes) {
    const std::size_t length = page_rounded(bytes, kHugePage);
    void* data = map_aligned(length, bytes);
    if (old.mapped) {
        if (::mremap(old.data, old.bytes, old.bytes, MREMAP_MAYMOVE | MREMAP_FIXED, data) ==
            MAP_FAILED) {
            ::munmap(data, length);
            throw_allocation_failure(bytes);
        }
    } else if (old.data != nullptr) {
        std::memcpy(data, old.data, old.bytes);
        std::free(old.data);
    }
    return {data, length, true};
}
#endif

}  // namespace

BlockStorage grow_storage(BlockStorage old, std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= kMappedBytes) {
        return mapped_storage(old, bytes);
    }
#endif
    // Blocks only grow, so a block below the size for a mapping comes from malloc.
    void* data = std::realloc(old.data, bytes);
    if (data == nullptr) {
        throw_allocation_failure(bytes);
    }
    return {data, bytes, false};
}

void* allocate_elements(std::size_t bytes) {
#if defined(__linux__)
    if (bytes >= kMappedElementBytes) {
        return map_aligned(page_rounded(bytes, kHugePage), bytes);
    }
#endif
    void* memory = std::malloc(bytes == 0 ? 1 : bytes);
    if (memory == nullptr) {
        throw_allocation_failure(bytes);
    }
    return memory;
}

void deallocate_elements(void* memory, std::size_t bytes) noexcept {
#if defined(__linux__)
    if (bytes >= kMappedElementBytes) {
        ::munmap(memory, (bytes + kHugePage - 1) / kHugePage * kHugePage);
        return;
    }
#endif
    std::free(memory);
}

void release_pages_beyond(BlockStorage storage, std::size_t used) noexcept {
#if defined(__linux__)
    if (storage.mapped) {
        // madvise wants the start on a page of the system's own size.
        const std::size_t kept = page_rounded(used, static_cast<std::size_t>(::getpagesize()));
        if (kept < storage.bytes) {
            ::madvise(static_cast<char*>(storage.data) + kept, storage.bytes - kept, MADV_DONTNEED);
        }
    }
#else
    (void)storage;
    (void)used;
#endif
}

void release_storage(BlockStorage storage) noexcept {
#if defined(__linux__)
    if (storage.mapped) {
        ::munmap(storage.data, storage.bytes);
        return;
    }
#endif
    std::free(storage.data);
}

}  // namespace quorvel
