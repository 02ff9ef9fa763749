// Memory of one call: every container of the pipeline allocates through TrackedAllocator, so
// that running out of memory ends the call with the size of the request that failed instead of
// ending the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace quorvel {

// Thrown when an allocation of `bytes` bytes cannot be served.
struct AllocationFailure {
    std::size_t bytes;
};

[[noreturn]] inline void throw_allocation_failure(std::size_t bytes) {
    throw AllocationFailure{bytes};
}

template <class T>
struct TrackedAllocator {
    using value_type = T;

    TrackedAllocator() noexcept = default;
    template <class U>
    TrackedAllocator(const TrackedAllocator<U>&) noexcept {}

    T* allocate(std::size_t count) {
        if (count > SIZE_MAX / sizeof(T)) {
            throw_allocation_failure(SIZE_MAX);
        }
        const std::size_t bytes = count * sizeof(T);
        void* memory = std::malloc(bytes == 0 ? 1 : bytes);
        if (memory == nullptr) {
            throw_allocation_failure(bytes);
        }
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t) noexcept { std::free(memory); }

    friend bool operator==(const TrackedAllocator&, const TrackedAllocator&) noexcept {
        return true;
    }
};

template <class T>
using Vector = std::vector<T, TrackedAllocator<T>>;

// Owned UTF-8 text.
using Text = std::basic_string<char, std::char_traits<char>, TrackedAllocator<char>>;

}  // namespace quorvel
