// Memory of one call: every container of the pipeline allocates through SizeReportingAllocator,
// so that running out of memory ends the call with the size of the request that failed instead
// of ending the process.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace quorvel {

// Thrown when an allocation of `bytes` bytes cannot be served.
struct AllocationFailure {
    std::size_t bytes;
};

[[noreturn]] inline void throw_allocation_failure(std::size_t bytes) {
    throw AllocationFailure{bytes};
}

// std::allocator's job, except that a failed request throws AllocationFailure with its size.
template <class T>
struct SizeReportingAllocator {
    using value_type = T;

    SizeReportingAllocator() noexcept = default;
    template <class U>
    SizeReportingAllocator(const SizeReportingAllocator<U>&) noexcept {}

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

    friend bool operator==(const SizeReportingAllocator&, const SizeReportingAllocator&) noexcept {
        return true;
    }
};

template <class T>
using Vector = std::vector<T, SizeReportingAllocator<T>>;

// Owned UTF-8 text.
using Text = std::basic_string<char, std::char_traits<char>, SizeReportingAllocator<char>>;

// Storage for trivially copyable values straight from malloc: a block of `capacity` values of
// which the first `size` are in use. Moves hand the block over; nothing is ever copied.
template <class T>
class MallocBlock {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    MallocBlock() = default;
    MallocBlock(MallocBlock&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    MallocBlock& operator=(MallocBlock&& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
        return *this;
    }
    ~MallocBlock() { std::free(data_); }

    // Grows the block to room for at least `capacity` values. realloc moves a large block by
    // remapping its pages: growing neither copies nor needs the old and the new block at once,
    // so the memory in use stays close to what the values need.
    void reserve(std::size_t capacity) {
        if (capacity <= capacity_) {
            return;
        }
        if (capacity > SIZE_MAX / sizeof(T)) {
            throw_allocation_failure(SIZE_MAX);
        }
        void* grown = std::realloc(data_, capacity * sizeof(T));
        if (grown == nullptr) {
            throw_allocation_failure(capacity * sizeof(T));
        }
        data_ = static_cast<T*>(grown);
        capacity_ = capacity;
    }

    const T* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }

  protected:
    T* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// A growable array of trivially copyable values, doubling its block when full.
template <class T>
class PodBuffer : public MallocBlock<T> {
  public:
    void push_back(T value) {
        if (this->size_ == this->capacity_) [[unlikely]] {
            this->reserve(this->capacity_ < 64 ? 64 : this->capacity_ * 2);
        }
        this->data_[this->size_++] = value;
    }

    T& operator[](std::size_t index) { return this->data_[index]; }
    const T& operator[](std::size_t index) const { return this->data_[index]; }
};

// Owned bytes written through a raw cursor into room reserved once, for output whose upper
// bound is known: no capacity checks and no zero-filling on the hot path. Pages of the room
// that are never written are never touched. Debug builds check that every write the writer
// announces with has_room() fits.
class TextBuffer : public MallocBlock<char> {
  public:
    TextBuffer() = default;
    explicit TextBuffer(std::size_t capacity) { reserve(capacity == 0 ? 1 : capacity); }

    char* begin_writing() { return data_; }
    // Whether `bytes` bytes from `cursor` lie inside the room; for assertions of the writer.
    bool has_room(const char* cursor, std::size_t bytes) const {
        return cursor >= data_ && bytes <= capacity_ - static_cast<std::size_t>(cursor - data_);
    }
    void finish_writing(const char* end) {
        assert(has_room(end, 0));
        size_ = static_cast<std::size_t>(end - data_);
    }

    std::string_view view() const { return {data_, size_}; }
};

}  // namespace quorvel
